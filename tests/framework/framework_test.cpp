// framework_test.cpp
// The framework layer: the argument-string rule, the order of the start-up and
// exit hooks, the message loop's end with the main window, the error mode, and
// the real entry point in a program of its own (framework_probe.exe).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/framework.h"

namespace {

struct ArgumentCase
{
    const wchar_t* commandLine;
    const wchar_t* expected;
};

TEST(ArgumentString, SkipsTheProgramNameAndTheSeparatorsAfterIt)
{
    const ArgumentCase cases[] = {
        {L"install.exe -nopause x.inf", L"-nopause x.inf"},
        {L"\"C:\\Program Files\\install.exe\" -preinstall", L"-preinstall"},
        {L"\"C:\\a b\\install.exe\"-nopause", L""}, // quote closed, name goes on
        {L"\"a b\"c d", L"d"},                      // name is "a b"c
        {L"a\"b c\"d e", L"e"},                     // quotes inside the name
        {L"\"unterminated name with blanks", L""},
        {L"install.exe", L""},
        {L"install.exe   ", L""},
        {L"install.exe\t\r\n x", L"x"},
        {L"install.exe\x01\x1f\x20x y", L"x y"}, // codes 1 to 32 separate
        {L"install.exe!x y", L"y"},              // 33 does not
        {L"install.exe  a  b  ", L"a  b  "},     // only the leading run is skipped
        {L"", L""},
        {L"   x", L"x"}, // empty name
    };
    for (const ArgumentCase& c : cases)
    {
        EXPECT_EQ(std::wstring(c.expected), std::wstring(CWinApp::argumentStringOf(c.commandLine)))
            << "command line [" << testing::PrintToString(std::wstring(c.commandLine)) << "]";
    }
    EXPECT_STREQ(L"", CWinApp::argumentStringOf(nullptr));
}

// Records the hooks and what the run looked like from inside them.
class RecordingApp : public CWinApp
{
public:
    enum Plan
    {
        END_NOW,             // startUp returns false, no window
        END_NOW_WITH_WINDOW, // startUp returns false with a registered main window
        LOOP,                // startUp returns true; WM_CLOSE posted to the main window
        LOOP_NO_WINDOW,      // startUp returns true without a main window
    };

    explicit RecordingApp(Plan plan) : m_plan(plan) {}

    std::vector<std::string> events;
    HWND window = nullptr;
    bool windowAliveAtCleanUp = false;
    bool quitQueuedAtCleanUp = false;

protected:
    bool startUp() override
    {
        events.push_back("startUp");
        if (m_plan == END_NOW || m_plan == LOOP_NO_WINDOW)
            return m_plan == LOOP_NO_WINDOW;
        const std::wstring className = registerWindowClass(0, nullptr, nullptr, nullptr);
        m_window.createEx(0, className.c_str(), L"test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                          nullptr);
        window = m_window.hwnd();
        setMainWindow(&m_window);
        if (m_plan == LOOP)
        {
            // Handled only once the loop dispatches it: the default handling of
            // WM_CLOSE destroys the window.
            PostMessageW(window, WM_CLOSE, 0, 0);
            return true;
        }
        return false;
    }

    int cleanUp() override
    {
        events.push_back("cleanUp");
        windowAliveAtCleanUp = window && IsWindow(window);
        MSG message;
        quitQueuedAtCleanUp = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        return 42;
    }

private:
    Plan m_plan;
    CWnd m_window;
};

struct RunCase
{
    const char* name;
    RecordingApp::Plan plan;
};

TEST(WinAppRun, CallsTheHooksInOrderAndEndsWithTheMainWindow)
{
    const RunCase cases[] = {
        {"end now", RecordingApp::END_NOW},
        {"end now with a main window", RecordingApp::END_NOW_WITH_WINDOW},
        {"message loop", RecordingApp::LOOP},
        {"message loop without a main window", RecordingApp::LOOP_NO_WINDOW},
    };
    for (const RunCase& c : cases)
    {
        RecordingApp app(c.plan);
        ASSERT_EQ(&app, CWinApp::instance()) << c.name;
        EXPECT_EQ(42, app.run(L"prog.exe  -nopause")) << c.name;
        EXPECT_EQ((std::vector<std::string>{"startUp", "cleanUp"}), app.events) << c.name;
        EXPECT_STREQ(L"-nopause", app.argumentString()) << c.name;
        EXPECT_FALSE(app.windowAliveAtCleanUp) << c.name;
        // The quit message ends the loop and is taken by it; none is left over.
        EXPECT_FALSE(app.quitQueuedAtCleanUp) << c.name;
        EXPECT_EQ(nullptr, app.mainWindow()) << c.name;
    }
    EXPECT_EQ(nullptr, CWinApp::instance());
}

TEST(WinAppRun, AddsTheErrorModeFlagsToTheCurrentMode)
{
    const UINT saved = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    {
        RecordingApp app(RecordingApp::END_NOW);
        app.run(L"prog");
    }
    const UINT mode = SetErrorMode(saved);
    EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX | 0x8001), mode);
}

TEST(WinAppRun, FirstApplicationObjectStaysTheApplication)
{
    RecordingApp first(RecordingApp::END_NOW);
    {
        RecordingApp second(RecordingApp::END_NOW);
        EXPECT_EQ(&first, CWinApp::instance());
    }
    EXPECT_EQ(&first, CWinApp::instance());
}

// --- The real entry point, in framework_probe.exe beside this program.

std::wstring probePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + L"framework_probe.exe";
}

struct ProbeRun
{
    DWORD exitCode = 0xdeadbeef;
    std::wstring output;
};

ProbeRun runProbe(const std::wstring& commandLine)
{
    ProbeRun run;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring out = std::wstring(temp) + L"kvr7_probe_out.txt";
    DeleteFileW(out.c_str());
    SetEnvironmentVariableW(L"KVR7_PROBE_OUT", out.c_str());

    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const std::wstring exe = probePath();
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, nullptr, &startup, &process))
    {
        ADD_FAILURE() << "cannot start framework_probe.exe, error " << GetLastError();
        return run;
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
    {
        ADD_FAILURE() << "framework_probe.exe did not end";
        TerminateProcess(process.hProcess, 1);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HANDLE file = CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        wchar_t buffer[1024] = {};
        DWORD read = 0;
        ReadFile(file, buffer, sizeof(buffer) - sizeof(wchar_t), &read, nullptr);
        CloseHandle(file);
        run.output.assign(buffer, read / sizeof(wchar_t));
    }
    DeleteFileW(out.c_str());
    SetEnvironmentVariableW(L"KVR7_PROBE_OUT", nullptr);
    return run;
}

TEST(EntryPoint, RunsTheGlobalApplicationObject)
{
    struct Case
    {
        const wchar_t* commandLine;
        const wchar_t* output;
    };
    const Case cases[] = {
        {L"\"C:\\some folder\\probe.exe\"  -nopause  x.inf",
         L"args=[-nopause  x.inf]\nerrormode=32769\ncleanUp window=0\n"},
        {L"probe.exe", L"args=[]\nerrormode=32769\ncleanUp window=0\n"},
        // The main window is closed by a posted message: only the loop can end it.
        {L"probe.exe loop", L"args=[loop]\nerrormode=32769\ncleanUp window=0\n"},
    };
    for (const Case& c : cases)
    {
        const ProbeRun run = runProbe(c.commandLine);
        EXPECT_EQ(37u, run.exitCode) << testing::PrintToString(std::wstring(c.commandLine));
        EXPECT_EQ(std::wstring(c.output), run.output)
            << testing::PrintToString(std::wstring(c.commandLine));
    }
}

} // namespace
