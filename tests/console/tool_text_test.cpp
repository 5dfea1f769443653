// tool_text_test.cpp
// What the console programs share: the reading of arguments (and the untouched
// rest of the command line), value escaping, UTF-8 and numbers.

#include <gtest/gtest.h>

#include <string>

#include "console/tool_text.h"

namespace {

TEST(ToolText, ArgumentsAreReadAndTheRestIsKeptAsTyped)
{
    struct Case
    {
        const wchar_t* line;
        const wchar_t* first;
        const wchar_t* rest;
    } cases[] = {
        {L"a b", L"a", L"b"},
        {L"  \"C:\\Program Files\\x.exe\"  -y \"z\"", L"C:\\Program Files\\x.exe", L"-y \"z\""},
        {L"a\\\\\"b c\" d", L"a\\b c", L"d"},
        {L"a\\\"b c", L"a\"b", L"c"},
        {L"C:\\dir\\ next", L"C:\\dir\\", L"next"},
        {L"\"say \"\"hi\"\"\" x", L"say \"hi\"", L"x"},
        {L"\"\" x", L"", L"x"},
    };
    for (const Case& c : cases)
    {
        const wchar_t* cursor = c.line;
        std::wstring word = L"sentinel";
        EXPECT_TRUE(nextArgument(cursor, &word)) << c.line;
        EXPECT_EQ(word, c.first) << c.line;
        EXPECT_STREQ(cursor, c.rest) << c.line;
    }
    const wchar_t* blanks = L" \t ";
    std::wstring word = L"sentinel";
    EXPECT_FALSE(nextArgument(blanks, &word));
    EXPECT_EQ(word, L"sentinel");
}

TEST(ToolText, ValuesAndNumbers)
{
    EXPECT_EQ(escapeValue(L"a\nb\r\n\tC:\\x\\"), L"a\\nb\\r\\n\tC:\\x\\");
    EXPECT_EQ(toUtf8(L"\u00f6\u20ac\U0001F600"), "\xc3\xb6\xe2\x82\xac\xf0\x9f\x98\x80");

    struct Number
    {
        const wchar_t* text;
        bool ok;
        unsigned long long value;
    } numbers[] = {
        {L"0", true, 0},
        {L"65535", true, 65535},
        {L"0xFFFF", true, 65535},
        {L"0x1f", true, 31},
        {L"", false, 0},
        {L"-1", false, 0},
        {L"12a", false, 0},
        {L"0x", false, 0},
        {L"18446744073709551615", true, 18446744073709551615ULL},
        {L"18446744073709551616", false, 0},
    };
    for (const Number& n : numbers)
    {
        unsigned long long value = 7;
        EXPECT_EQ(parseNumber(n.text, &value), n.ok) << n.text;
        EXPECT_EQ(value, n.ok ? n.value : 7) << n.text;
    }
    EXPECT_EQ(decimal(-2147483647LL - 1), L"-2147483648");
    EXPECT_EQ(hex(0x50000f00), L"0x50000f00");
}

} // namespace
