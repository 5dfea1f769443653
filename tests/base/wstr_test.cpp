// wstr_test.cpp
// CWStr and CWStrArray: split and join, copies, self-assignment, resize and add.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/wstr.h"
#include "tests/support/test_support.h"

using Items = std::vector<std::wstring>;

TEST(CWStr, EmptyValueOwnsOneUnit)
{
    CWStr empty;
    EXPECT_TRUE(wellFormed(empty));
    EXPECT_EQ(0u, empty.length());

    CWStr fromNull(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(wellFormed(fromNull));
    EXPECT_EQ(0u, fromNull.length());
}

TEST(CWStr, CopiesNeverShareTheirArray)
{
    CWStr original(L"kvr7.inf");
    CWStr copy(original);
    CWStr assigned;
    assigned = original;
    EXPECT_NE(original.c_str(), copy.c_str());
    EXPECT_NE(original.c_str(), assigned.c_str());
    EXPECT_EQ(L"kvr7.inf", str(copy));
    EXPECT_EQ(L"kvr7.inf", str(assigned));
    EXPECT_TRUE(wellFormed(assigned));
}

TEST(CWStr, AssignmentFromATemporaryLeavesBothValid)
{
    CWStr value(L"old");
    value = CWStr(L"new text");
    EXPECT_EQ(L"new text", str(value));
    EXPECT_TRUE(wellFormed(value));
    value = CWStr();
    EXPECT_EQ(L"", str(value));
    EXPECT_TRUE(wellFormed(value));
}

TEST(CWStr, SelfAssignmentKeepsTheText)
{
    CWStr value(L"NTamd64.6.1");
    const CWStr& same = value;
    value = same;
    EXPECT_EQ(L"NTamd64.6.1", str(value));
    EXPECT_TRUE(wellFormed(value));
}

TEST(CWStr, SubstrWithCountZeroIsEmptyWithItsOwnUnit)
{
    CWStr source(L"abc");
    CWStr part = source.substr(1, 0);
    EXPECT_EQ(0u, part.length());
    EXPECT_TRUE(wellFormed(part));
    EXPECT_NE(source.c_str() + 1, part.c_str());

    EXPECT_EQ(L"bc", str(source.substr(1, 2)));
    EXPECT_EQ(L"abc", str(source.substr(0, 3)));
}

TEST(CWStr, SubstrFromAFixedBufferTakesExactlyCountUnits)
{
    const wchar_t buffer[8] = {L'C', L':', L'\\', L'x', L'y', L'z', L'q', L'q'};
    CWStr path = CWStr::substr(buffer, 0, 6);
    EXPECT_EQ(L"C:\\xyz", str(path));
    EXPECT_TRUE(wellFormed(path));
}

TEST(CWStr, Concatenation)
{
    CWStr folder(L"C:\\pkg");
    EXPECT_EQ(L"C:\\pkg\\kvr7.inf", str(folder + L"\\" + L"kvr7.inf"));
    EXPECT_EQ(L"C:\\pkgC:\\pkg", str(folder + folder));
    EXPECT_EQ(L"C:\\pkg", str(folder + L""));
    EXPECT_EQ(L"", str(CWStr() + CWStr()));

    CWStr grown(L"a");
    grown += L"bc";
    grown += L"";
    EXPECT_EQ(L"abc", str(grown));
    EXPECT_TRUE(wellFormed(grown));

    // Appending a value's own text to itself.
    grown += grown.c_str();
    EXPECT_EQ(L"abcabc", str(grown));
}

TEST(CWStr, NonAsciiTextIsKeptUnitForUnit)
{
    const wchar_t* text = L"\u00e9t\u00e9 \u6f22\u5b57 \U0001F600";
    CWStr value(text);
    EXPECT_EQ(std::wstring(text), str(value));
    EXPECT_EQ(std::wcslen(text), value.length());
}

struct SplitCase
{
    const wchar_t* text;
    wchar_t separator;
    Items expected;
};

TEST(Split, Table)
{
    const SplitCase cases[] = {
        {L"", L' ', {}},
        {L"abc", L' ', {L"abc"}},
        {L"a  b", L' ', {L"a", L"", L"b"}},
        {L" a", L' ', {L"", L"a"}},
        {L"a ", L' ', {L"a"}},
        {L"a  ", L' ', {L"a", L""}},
        {L" ", L' ', {L""}},
        {L"  ", L' ', {L"", L""}},
        {L"NTamd64.5.1", L'.', {L"NTamd64", L"5", L"1"}},
        {L"NTamd64..1", L'.', {L"NTamd64", L"", L"1"}},
        {L"NTx86.", L'.', {L"NTx86"}},
        {L".NTx86", L'.', {L"", L"NTx86"}},
        {L"-nopause\tC:\\x.inf", L' ', {L"-nopause\tC:\\x.inf"}},
        {L"\"C:\\Program Files\\x.inf\"", L' ', {L"\"C:\\Program", L"Files\\x.inf\""}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(c.expected, items(split(CWStr(c.text), c.separator)))
            << "text '" << c.text << "'";
}

TEST(Split, ANulInsideTheTextEndsTheSearchForSeparators)
{
    // A value cut from a platform buffer may hold a NUL unit; the rest of the
    // text is then one piece.
    const wchar_t buffer[] = {L'a', L' ', L'b', L'\0', L' ', L'c'};
    CWStrArray pieces = split(CWStr::substr(buffer, 0, 6), L' ');
    ASSERT_EQ(2u, pieces.count());
    EXPECT_EQ(L"a", str(pieces[0]));
    EXPECT_EQ(4u, pieces[1].length());
}

TEST(Split, LongInputsAreCutCorrectly)
{
    // 100,000 characters of one-letter words, 10,000 blanks and 5,000 options.
    std::wstring words;
    for (int i = 0; i < 50000; ++i)
        words += L"a ";
    CWStrArray pieces = split(CWStr(words.c_str()), L' ');
    ASSERT_EQ(50000u, pieces.count());
    EXPECT_EQ(L"a", str(pieces[0]));
    EXPECT_EQ(L"a", str(pieces[49999]));

    CWStrArray blanks = split(CWStr(std::wstring(10000, L' ').c_str()), L' ');
    ASSERT_EQ(10000u, blanks.count());
    for (uint64_t i = 0; i < blanks.count(); ++i)
        ASSERT_TRUE(blanks[i].empty()) << "piece " << i;
}

TEST(Join, Table)
{
    CWStrArray empty;
    EXPECT_EQ(L"", str(empty.join(L".")));
    EXPECT_TRUE(wellFormed(empty.join(L".")));

    CWStrArray one;
    one.add(CWStr(L"NTx86"));
    CWStr joinedOne = one.join(L".");
    EXPECT_EQ(L"NTx86", str(joinedOne));
    EXPECT_NE(one[0].c_str(), joinedOne.c_str());

    EXPECT_EQ(L"NTamd64.5.1", str(split(CWStr(L"NTamd64.5.1"), L'.').join(L".")));
    EXPECT_EQ(L"NTamd64..1", str(split(CWStr(L"NTamd64..1"), L'.').join(L".")));
    // The one final dot does not come back.
    EXPECT_EQ(L"NTamd64.6", str(split(CWStr(L"NTamd64.6."), L'.').join(L".")));
    EXPECT_EQ(L"a--b--c", str(split(CWStr(L"a b c"), L' ').join(L"--")));
    EXPECT_EQ(L"abc", str(split(CWStr(L"a b c"), L' ').join(L"")));
}

TEST(CWStrArray, ResizeAndAdd)
{
    CWStrArray array;
    EXPECT_EQ(0u, array.count());

    array.resize(3);
    ASSERT_EQ(3u, array.count());
    for (uint64_t i = 0; i < 3; ++i)
        EXPECT_TRUE(wellFormed(array[i])) << i;
    EXPECT_EQ((Items{L"", L"", L""}), items(array));

    array.add(CWStr(L"x"));
    EXPECT_EQ((Items{L"", L"", L"", L"x"}), items(array));

    array[1] = CWStr(L"kept");
    array.resize(2);
    EXPECT_EQ((Items{L"", L"kept"}), items(array));

    array.resize(0);
    EXPECT_EQ(0u, array.count());
    array.add(CWStr(L"again"));
    EXPECT_EQ((Items{L"again"}), items(array));
}

TEST(CWStrArray, GrowingMovesItemsWithoutCopyingTheirText)
{
    CWStrArray array;
    array.add(CWStr(L"PCI\\VEN_1234&DEV_0001"));
    const wchar_t* before = array[0].c_str();
    for (int i = 0; i < 100; ++i)
        array.add(CWStr(L"ACPI\\KVR7"));
    EXPECT_EQ(before, array[0].c_str());
    EXPECT_EQ(L"PCI\\VEN_1234&DEV_0001", str(array[0]));
    EXPECT_EQ(101u, array.count());
}

// Long lists grow the block in place or move it as a whole; either way every
// item keeps its text and its place, and each stays its own value.
TEST(CWStrArray, LongListKeepsEveryItemInOrder)
{
    CWStrArray array;
    for (int i = 0; i < 70000; ++i)
    {
        array.add(CWStr((L"ID" + std::to_wstring(i)).c_str()));
        if (i % 9999 == 0)
            array.add(array[array.count() / 2]);
    }
    ASSERT_EQ(70000u + 8u, array.count());
    uint64_t next = 0;
    for (int i = 0; i < 70000; ++i)
    {
        ASSERT_EQ(L"ID" + std::to_wstring(i), str(array[next])) << i;
        ASSERT_TRUE(wellFormed(array[next]));
        next += i % 9999 == 0 ? 2 : 1;
    }
    EXPECT_EQ(L"ID0", str(array[1]));
    EXPECT_NE(array[0].c_str(), array[1].c_str());
}

TEST(CWStrArray, AddingOneOfItsOwnItems)
{
    CWStrArray array;
    array.add(CWStr(L"first"));
    array.add(CWStr(L"second"));
    array.add(array[0]);
    array.add(array[2]);
    EXPECT_EQ((Items{L"first", L"second", L"first", L"first"}), items(array));
}

TEST(CWStrArray, CopyAndAssignmentAreDeep)
{
    CWStrArray source = split(CWStr(L"a b c"), L' ');
    CWStrArray copy(source);
    CWStrArray assigned;
    assigned.add(CWStr(L"old"));
    assigned = source;
    EXPECT_EQ(items(source), items(copy));
    EXPECT_EQ(items(source), items(assigned));
    EXPECT_NE(source[0].c_str(), copy[0].c_str());
    EXPECT_NE(source[0].c_str(), assigned[0].c_str());

    CWStrArray empty;
    assigned = empty;
    EXPECT_EQ(0u, assigned.count());
}
