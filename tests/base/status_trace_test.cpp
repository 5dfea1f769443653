// status_trace_test.cpp
// Status code texts, and trace lines cut at 255 characters.

#include <gtest/gtest.h>

#include <string>

#include "base/status.h"
#include "base/trace.h"
#include "tests/support/test_support.h"

TEST(StatusText, EveryCode)
{
    const struct
    {
        SetupStatus code;
        const wchar_t* text;
    } cases[] = {
        {0, L"OK"},
        {1, L"INF file not found"},
        {2, L"INF path not found"},
        {3, L"INF section not found"},
        {4, L"Error parsing INF file"},
        {5, L"Error allocating memory"},
        {6, L"Unexpected error"},
        {7, L"Cannot execute this 32-bit program on 64-bit Windows"},
        {8, L"No such hardware ID found in the system"},
        {9, L"Unexpected error"},
        {-1, L"Unexpected error"},
        {INT32_MIN, L"Unexpected error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, str(statusText(c.code))) << "code " << c.code;
}

TEST(Trace, LinesReachTheDebuggerOutputWhole)
{
    DebugOutputCapture capture;
    traceLine(L"Reading section [%s]:\n", L"KVR7.NTamd64");
    traceLine(L"  Found Hardware ID '%s'.\n", L"ROOT\\KVR7");
    ASSERT_EQ(2u, capture.lines().size());
    EXPECT_EQ(L"Reading section [KVR7.NTamd64]:\n", capture.lines()[0]);
    EXPECT_EQ(L"  Found Hardware ID 'ROOT\\KVR7'.\n", capture.lines()[1]);
}

TEST(Trace, LongLinesAreCutAt255Characters)
{
    DebugOutputCapture capture;
    // "[" + id + "]\n": ids of 252 and 253 characters make lines of 255 and 256.
    const std::wstring fits(252, L'a');
    const std::wstring over(253, L'b');
    const std::wstring huge(70000, L'c');
    traceLine(L"[%s]\n", fits.c_str());
    traceLine(L"[%s]\n", over.c_str());
    traceLine(L"[%s]\n", huge.c_str());
    ASSERT_EQ(3u, capture.lines().size());
    EXPECT_EQ(L"[" + fits + L"]\n", capture.lines()[0]);
    EXPECT_EQ(255u, capture.lines()[0].size());
    EXPECT_EQ(L"[" + over + L"]", capture.lines()[1]);
    EXPECT_EQ(255u, capture.lines()[2].size());
    EXPECT_EQ(L'c', capture.lines()[2].back());
}
