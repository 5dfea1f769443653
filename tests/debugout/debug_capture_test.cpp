// debug_capture_test.cpp
// The debugger capture and debugout.exe against tools_fixture.exe in its own
// process: debugger output lines, exit codes, the time limit, start failures,
// the other architecture, and the handles that debug events hand over.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <windows.h>

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "debugout/debug_capture.h"
#include "tests/support/child_process.h"
#include "tests/support/golden_texts.h"
#include "tests/support/system_folders.h"
#include "tests/tools/window_driver.h"

namespace {

// debugout.exe, found from the test program's folder.
std::wstring debugoutPath()
{
    return ownFolder() + L"\\" KVR7_DEBUGOUT_FROM_TESTS L"\\debugout.exe";
}

struct CapturedRun
{
    std::vector<std::wstring> lines;
    DWORD startedId = 0;
};

void collectStart(void* context, const PROCESS_INFORMATION& process)
{
    static_cast<CapturedRun*>(context)->startedId = process.dwProcessId;
}

void collectLine(void* context, const std::wstring& text)
{
    static_cast<CapturedRun*>(context)->lines.push_back(text);
}

const std::vector<std::wstring> EXPECTED_LINES = {
    L"first line",
    L"  indented by two",
    L"    indented by four, trailing blanks  ",
    L"Gr\u00f6\u00dfe \u00e9t\u00e9 \u20ac5",
    L"no line feed",
    L"",
    L"exception caught by the program",
    L"last line",
};

TEST(DebugCapture, LineEndsAreTakenOffOnce)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* line;
    } cases[] = {
        {L"a\n", L"a"}, {L"a\r\n", L"a"},     {L"a\n\n", L"a\n"}, {L"a", L"a"},
        {L"\n", L""},   {L"  a \n", L"  a "}, {L"a\r", L"a\r"},   {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withoutLineEnd(c.text), c.line) << escapeValue(c.text);
}

TEST(DebugCapture, StringsAreReadInBothFormsAndCutAtTheirFirstNul)
{
    static const wchar_t wide[] = L"  wide \u00e9\u20ac\0after";
    static const char ansi[] = "  ansi\0after";
    OUTPUT_DEBUG_STRING_INFO info = {};
    info.lpDebugStringData = reinterpret_cast<LPSTR>(const_cast<wchar_t*>(wide));
    info.fUnicode = 1;
    info.nDebugStringLength = sizeof(wide) / sizeof(wchar_t);
    std::wstring text = L"sentinel";
    ASSERT_TRUE(readDebugString(GetCurrentProcess(), info, &text));
    EXPECT_EQ(text, L"  wide \u00e9\u20ac");

    info.lpDebugStringData = const_cast<LPSTR>(ansi);
    info.fUnicode = 0;
    info.nDebugStringLength = sizeof(ansi);
    ASSERT_TRUE(readDebugString(GetCurrentProcess(), info, &text));
    EXPECT_EQ(text, L"  ansi");

    info.nDebugStringLength = 0;
    ASSERT_TRUE(readDebugString(GetCurrentProcess(), info, &text));
    EXPECT_EQ(text, L"");
}

TEST(DebugCapture, EveryLineArrivesExactlyAndInOrder)
{
    CapturedRun run;
    DebugCaptureSink sink = {collectStart, collectLine, &run};
    const DebugCaptureResult result = runUnderDebugger(fixtureCommand(L"lines", 7), 30000, sink);
    ASSERT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(result.processId, run.startedId);
    EXPECT_NE(run.startedId, 0u);
    EXPECT_EQ(run.lines, EXPECTED_LINES);
    EXPECT_EQ(result.lines, EXPECTED_LINES.size());
    EXPECT_EQ(result.unreadable, 0u);
}

TEST(DebugCapture, ExitCodesPassThroughAndNoHandleIsLeft)
{
    // One warm-up run, so that what the first run sets up for good is not counted.
    DebugCaptureSink quiet = {nullptr, nullptr, nullptr};
    runUnderDebugger(fixtureCommand(L"lines", 0), 30000, quiet);
    const unsigned handlesBefore = openHandles();
    ASSERT_GT(handlesBefore, 0u);

    const int codes[] = {0, 1, 123, 255, 300};
    for (int code : codes)
    {
        CapturedRun run;
        DebugCaptureSink sink = {nullptr, collectLine, &run};
        const DebugCaptureResult result =
            runUnderDebugger(fixtureCommand(L"lines", code), 30000, sink);
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED) << code;
        EXPECT_EQ(result.exitCode, static_cast<DWORD>(code));
        EXPECT_EQ(run.lines.size(), EXPECTED_LINES.size()) << code;
    }
    EXPECT_EQ(openHandles(), handlesBefore) << "handles handed over by debug events are closed";
}

TEST(DebugCapture, TimeoutEndsTheProgram)
{
    CapturedRun run;
    DebugCaptureSink sink = {collectStart, collectLine, &run};
    const DWORD start = GetTickCount();
    const DebugCaptureResult result = runUnderDebugger(fixtureCommand(L"window", 0), 1500, sink);
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_TIMED_OUT);
    EXPECT_EQ(result.exitCode, DEBUG_CAPTURE_TIMEOUT_EXIT_CODE);
    EXPECT_LT(GetTickCount() - start, 15000u);
    EXPECT_EQ(findWindow(GOLDEN_CAPTION, run.startedId, WINDOW_MAIN), nullptr);
}

// The show state reaches the program through STARTUPINFO. (Whether it is
// obeyed, and whether CREATE_NO_WINDOW keeps a console window away, Wine does
// not show: it shows a window whatever the show state, and no console window
// here at all.)
TEST(DebugCapture, TheProgramIsStartedAsAsked)
{
    const struct Case
    {
        DebuggeeStart start;
        const wchar_t* line;
    } cases[] = {
        {DEBUGGEE_AS_IS, L"flags=0 show=0"},
        {{CREATE_NO_WINDOW, SW_HIDE}, L"flags=1 show=0"},
        {{0, SW_SHOWMINNOACTIVE}, L"flags=1 show=7"},
    };
    for (const Case& c : cases)
    {
        CapturedRun run;
        DebugCaptureSink sink = {nullptr, collectLine, &run};
        runUnderDebugger(fixtureCommand(L"startup", 0), 30000, sink, c.start);
        EXPECT_EQ(run.lines, std::vector<std::wstring>{c.line}) << c.line;
    }
}

TEST(DebugCapture, MissingProgramIsAStartFailure)
{
    DebugCaptureSink sink = {nullptr, nullptr, nullptr};
    const DebugCaptureResult result =
        runUnderDebugger(quoted(ownFolder() + L"\\no_such_program.exe"), 5000, sink);
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_START_FAILED);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The other architecture's fixture, when both presets have been built
// (build/<preset>/tests): 64-bit debugs 32-bit; 32-bit refuses 64-bit.
TEST(DebugCapture, OtherArchitecture)
{
#ifdef _WIN64
    const std::wstring other = ownFolder() + L"\\..\\..\\x86\\tests\\tools_fixture.exe";
#else
    const std::wstring other = ownFolder() + L"\\..\\..\\x64\\tests\\tools_fixture.exe";
#endif
    if (GetFileAttributesW(other.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the other architecture is not built yet";
#ifdef _WIN64
    const std::wstring no32 = win32Unavailable();
    if (!no32.empty())
        GTEST_SKIP() << "it debugs a 32-bit program, and " << no32;
#endif
    CapturedRun run;
    DebugCaptureSink sink = {collectStart, collectLine, &run};
    const DebugCaptureResult result = runUnderDebugger(quoted(other) + L" lines 9", 30000, sink);
#ifdef _WIN64
    ASSERT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    EXPECT_EQ(result.exitCode, 9u);
    EXPECT_EQ(run.lines, EXPECTED_LINES);
#else
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (!wow64)
        GTEST_SKIP() << "not a 64-bit system";
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_START_FAILED);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(run.startedId, 0u) << "no start is reported for a refused program";
    EXPECT_TRUE(run.lines.empty());
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, result.processId);
    if (process)
    {
        EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the program was ended";
        CloseHandle(process);
    }
#endif
}

TEST(DebugoutProgram, WritesUtf8LinesToTheFileAndPassesTheExitCodeOn)
{
    const std::wstring file = tempFile(L"kvr7_debugout_lines.txt");
    std::string ignored;
    const long long code = runTool(quoted(debugoutPath()) + L" --timeout 30 --output " +
                                       quoted(file) + L" " + fixtureCommand(L"lines", 42),
                                   &ignored);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(readFileBytes(file), "first line\n  indented by two\n"
                                   "    indented by four, trailing blanks  \n"
                                   "Gr\xc3\xb6\xc3\x9f"
                                   "e \xc3\xa9t\xc3\xa9 \xe2\x82\xac"
                                   "5\n"
                                   "no line feed\n\nexception caught by the program\nlast line\n");
    DeleteFileW(file.c_str());

    EXPECT_EQ(runTool(quoted(debugoutPath()) + L" --timeout 0 x.exe", &ignored), 125);
    EXPECT_EQ(runTool(quoted(debugoutPath()), &ignored), 125);
}

} // namespace
