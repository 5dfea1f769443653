// platform_e2e_test.cpp
// The platform check as a user meets it: the 32-bit program on 64-bit Windows,
// Windows NT 4.0 and Windows 2000 (as Wine reports them to one program name),
// and the ways a finished run ends: Finish, the close box and WM_CLOSE all end
// the program with the exit code that the run stored.

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/support/golden_texts.h"
#include "tests/tools/window_driver.h"

namespace {

const wchar_t* const TOO_OLD = GOLDEN_TOO_OLD;
const wchar_t* const WOW64 = GOLDEN_WOW64;

// The 32-bit program: this build's own, or the x86 build's beside the 64-bit one
// (build/x86/dist beside build/x64/dist).
std::wstring program32()
{
#ifdef _WIN64
    return distFile(L"..\\..\\x86\\dist\\install.exe");
#else
    return distFile(L"install.exe");
#endif
}

bool isWow64System()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
#endif
}

// Checks the window of a refused run: only the status line with the refusal
// text, and the Finish button with the focus.
void expectRefusal(HWND window, const wchar_t* text)
{
    WindowState state;
    ASSERT_TRUE(readWindowState(window, &state));
    EXPECT_EQ(state.status, text);
    EXPECT_TRUE(state.statusVisible);
    EXPECT_FALSE(state.barVisible);
    EXPECT_FALSE(state.resultVisible);
    EXPECT_FALSE(state.restartVisible);
    EXPECT_TRUE(state.finishVisible);
    EXPECT_EQ(state.focusId, IDOK);
}

const char EMPTY_MODELS_INF[] = "[Version]\r\n"
                                "Signature=\"$Windows NT$\"\r\n"
                                "[Manufacturer]\r\n"
                                "KVR7=Empty,NTamd64,NTx86\r\n"
                                "[Empty.NTamd64]\r\n"
                                "[Empty.NTx86]\r\n";

} // namespace

TEST(Platform, The32BitProgramRefusesOn64BitWindows)
{
    if (!isWow64System())
        GTEST_SKIP() << "this is 32-bit Windows: the 32-bit program is not refused here";
    const std::wstring source = program32();
    if (GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the x86 build is not there yet";
    const std::wstring no32 = win32Unavailable();
    if (!no32.empty())
        GTEST_SKIP() << "it runs the 32-bit program, and " << no32;
    TempFolder folder;
    const std::wstring program = folder.copyIn(source, L"install.exe");
    folder.copyIn(distFile(L"kvr7.inf"), L"kvr7.inf");
    {
        ProgramRun run(program, L"");
        HWND window = nullptr;
        ASSERT_TRUE(finishedWindow(run, &window));
        expectRefusal(window, WOW64);
        pressFinishButton(window, L"e2e_refused_64bit_windows.bmp");
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, 1u);
        EXPECT_TRUE(result.trace.empty()) << "a refusal is not traced";
    }
    {
        // Ends by itself, and the Finish button never shows.
        ProgramRun run(program, L"-nopause");
        ASSERT_TRUE(run.started());
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, 1u);
        EXPECT_FALSE(result.sawFinishButton);
    }
}

TEST(Platform, WindowsNt4GetsTheFirstRefusal)
{
    // The version check comes first, so the 32-bit program under WOW64 too
    // gets this text.
    InstallCopy copy(true, uniqueExeName(L"install_nt40"));
    ProgramSettings settings(copy.exeName());
    ASSERT_TRUE(settings.setVersion(L"nt40"));
    ProgramRun run(copy.program(), L"");
    HWND window = nullptr;
    ASSERT_TRUE(finishedWindow(run, &window));
    expectRefusal(window, TOO_OLD);
    pressFinishButton(window, L"e2e_refused_nt40.bmp");
    const RunResult result = run.finish();
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    EXPECT_EQ(result.exitCode, 1u);
}

TEST(Platform, Windows2000Passes)
{
    InstallCopy copy(true, uniqueExeName(L"install_win2k"));
    copy.writeBytes(L"empty.inf", EMPTY_MODELS_INF);
    const std::wstring inf = copy.file(L"empty.inf");
    ProgramSettings settings(copy.exeName());
    ASSERT_TRUE(settings.setVersion(L"win2k"));
    ProgramRun run(copy.program(), inf);
    HWND window = nullptr;
    WindowState state;
    ASSERT_TRUE(finishedWindowState(run, &window, &state));
    // Past the version check, the 32-bit program on 64-bit Windows meets the
    // WOW64 refusal; otherwise the INF is read: it lists no IDs.
    EXPECT_EQ(state.status, programRunsHere() ? L"Searching for hardware... Done" : WOW64);
    EXPECT_TRUE(clickButton(window, IDOK));
    const RunResult result = run.finish();
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    if (!programRunsHere())
    {
        EXPECT_EQ(result.exitCode, 1u);
        return;
    }
    EXPECT_EQ(result.exitCode, 4u);
    EXPECT_EQ(state.result, L"No suitable hardware was found.\n");
    // The version that Wine reported is the one the INF was read for.
    ASSERT_GE(result.trace.size(), 2u);
    EXPECT_NE(result.trace[1].find(L" OS=5.0 "), std::wstring::npos) << result.trace[1].c_str();
}

TEST(Ending, FinishCloseBoxAndWmCloseEndWithTheStoredExitCode)
{
    // A run that stops early leaves a code of its own: the INF cannot be opened
    // (2), or, for the 32-bit program on 64-bit Windows, the refusal (1).
    const DWORD expected = programRunsHere() ? 2 : 1;
    wchar_t here[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, here);
    const std::wstring status =
        programRunsHere() ? L"Failed to open '" + std::wstring(here) + L"\\no_such_file.inf'"
                          : WOW64;
    struct Way
    {
        const char* name;
        bool (*press)(HWND window);
    } ways[] = {
        {"Finish", [](HWND w) { return clickButton(w, IDOK); }},
        {"close box", pressCloseBox},
        {"WM_CLOSE", closeWindow},
    };
    InstallCopy copy;
    for (const Way& way : ways)
    {
        SCOPED_TRACE(way.name);
        ProgramRun run(copy.program(), L"no_such_file.inf");
        HWND window = nullptr;
        WindowState state;
        ASSERT_TRUE(finishedWindowState(run, &window, &state));
        EXPECT_EQ(state.status, status);
        // Still there a while later: only the user ends it.
        Sleep(300);
        EXPECT_EQ(findWindow(GOLDEN_CAPTION, run.processId(), WINDOW_MAIN), window);
        EXPECT_TRUE(way.press(window));
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, expected);
    }
}
