// wformat_test.cpp
// The wide formatter reads "%s" as a wide string and "%lu"/"%lx" as 32-bit
// unsigned values on every toolchain, and truncates the way trace lines need.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/wformat.h"
#include "tests/support/test_support.h"

TEST(WFormat, PercentSTakesAWideString)
{
    EXPECT_EQ(L"Invalid option: -x\u00e9\u6f22",
              str(formatText(L"Invalid option: %s", L"-x\u00e9\u6f22")));
    EXPECT_EQ(L"KVR7 Driver Installer", str(formatText(L"%s Installer", L"KVR7 Driver")));
    EXPECT_EQ(L"[] [(null)]",
              str(formatText(L"[%s] [%s]", L"", static_cast<const wchar_t*>(nullptr))));
    EXPECT_EQ(L"narrow", str(formatText(L"%hs", "narrow")));
}

TEST(WFormat, Numbers)
{
    EXPECT_EQ(L"Architecture=9 OS=10.0 ProductType=1 SuiteMask=0x110",
              str(formatText(L"Architecture=%lu OS=%lu.%lu ProductType=%lu SuiteMask=0x%lx", 9ul,
                             10ul, 0ul, 1ul, 0x110ul)));
    EXPECT_EQ(L"4294967295 ffffffff FFFFFFFF",
              str(formatText(L"%lu %lx %lX", 0xFFFFFFFFul, 0xFFFFFFFFul, 0xFFFFFFFFul)));
    EXPECT_EQ(L"0 0", str(formatText(L"%lu %lx", 0ul, 0ul)));
    EXPECT_EQ(L"-5 -2147483648 7",
              str(formatText(L"%d %ld %i", -5, static_cast<long>(INT_MIN), 7)));
    EXPECT_EQ(L"3758096899", str(formatText(L"%lu", static_cast<unsigned long>(0xE0000203))));
    EXPECT_EQ(L"18446744073709551615", str(formatText(L"%llu", ~0ull)));
}

TEST(WFormat, WidthPrecisionAndLiterals)
{
    EXPECT_EQ(L"[  ab][ab  ][a]", str(formatText(L"[%4s][%-4s][%.1s]", L"ab", L"ab", L"abc")));
    EXPECT_EQ(L"[0042][  42][42  ][007]",
              str(formatText(L"[%04d][%4u][%-4x][%.3lu]", 42, 42u, 0x42u, 7ul)));
    EXPECT_EQ(L"[  ab]", str(formatText(L"[%*s]", 4, L"ab")));
    EXPECT_EQ(L"100% sure", str(formatText(L"100%% sure")));
    EXPECT_EQ(L"x", str(formatText(L"%c", L'x')));
    // Unknown conversions and a final lone "%" are copied as they stand.
    EXPECT_EQ(L"%q and %", str(formatText(L"%q and %")));
}

TEST(WFormat, TruncatingIntoAFixedBuffer)
{
    wchar_t buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(9u, formatTruncated(buffer, 6, L"%s-%s", L"abcd", L"efgh"));
    EXPECT_EQ(std::wstring(L"abcd-"), buffer);

    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(5u, formatTruncated(buffer, 6, L"%lu", 12345ul));
    EXPECT_EQ(std::wstring(L"12345"), buffer);

    wchar_t one[1] = {L'#'};
    EXPECT_EQ(3u, formatTruncated(one, 1, L"abc"));
    EXPECT_EQ(L'\0', one[0]);
}

TEST(WFormat, LongArgumentsAreMeasuredNotOverrun)
{
    const std::wstring big(100000, L'x');
    CWStr text = formatText(L"Invalid option: %s", big.c_str());
    EXPECT_EQ(16u + 100000u, text.length());
    EXPECT_TRUE(wellFormed(text));
}
