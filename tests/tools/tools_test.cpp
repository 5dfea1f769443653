// tools_test.cpp
// The tools' functions and programs against tools_fixture.exe in its own
// process: debugger output lines and exit codes, window and message-box reading
// and driving, and the registration, query and removal of virtual devices. Every
// child is ended through its own handle when a test leaves it running.

#include <gtest/gtest.h>

#include "tests/support/golden_texts.h"
#include "tests/support/system_folders.h"
#include "tests/support/test_support.h"

#include <windows.h>

#include <newdev.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "debugout/debug_capture.h"
#include "tests/tools/device_registry.h"
#include "tests/tools/window_driver.h"

namespace {

const DWORD CHILD_WAIT_MS = 20000;

std::wstring quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::wstring fixtureCommand(const wchar_t* mode, int exitCode)
{
    return quoted(ownFolder() + L"\\tools_fixture.exe") + L" " + mode + L" " + decimal(exitCode);
}

// The test tools are built beside the test program; debugout.exe in its own folder.
std::wstring toolPath(const wchar_t* name)
{
    return ownFolder() + L"\\" + name;
}

std::wstring debugoutPath()
{
    return ownFolder() + L"\\" KVR7_DEBUGOUT_FROM_TESTS L"\\debugout.exe";
}

std::wstring tempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + name;
}

// A child process owned by the test: terminated through its handle if it is
// still running when the owner goes away. Standard output may go to a file
// (standard error then goes nowhere, so tools' complaints stay out of the log).
class ChildProcess
{
public:
    ChildProcess(const std::wstring& commandLine, const std::wstring& outputFile = L"")
    {
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(L'\0');
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        HANDLE output = INVALID_HANDLE_VALUE;
        HANDLE errors = INVALID_HANDLE_VALUE;
        if (!outputFile.empty())
        {
            SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
            output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = output;
            errors = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, OPEN_EXISTING, 0, nullptr);
            startup.hStdError = errors;
        }
        m_started =
            CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE,
                           0, nullptr, nullptr, &startup, &m_process) != FALSE;
        if (output != INVALID_HANDLE_VALUE)
            CloseHandle(output);
        if (errors != INVALID_HANDLE_VALUE)
            CloseHandle(errors);
    }
    ~ChildProcess()
    {
        if (!m_started)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_started; }
    DWORD id() const { return m_process.dwProcessId; }

    // The exit code, or -1 when the child has not ended within CHILD_WAIT_MS.
    long long waitExit()
    {
        DWORD code = 0;
        if (WaitForSingleObject(m_process.hProcess, CHILD_WAIT_MS) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(m_process.hProcess, &code))
            return -1;
        return code;
    }

private:
    bool m_started = false;
    PROCESS_INFORMATION m_process = {};
};

// Runs a tool with its output in a file; gives its exit code and output.
long long runTool(const std::wstring& commandLine, std::string* output)
{
    const std::wstring file = tempFile(L"kvr7_tools_test_output.txt");
    long long code;
    {
        ChildProcess tool(commandLine, file);
        if (!tool.started())
            return -2;
        code = tool.waitExit();
    }
    *output = readFileBytes(file);
    DeleteFileW(file.c_str());
    return code;
}

// Open handles of this process among the first handle values. Counted one by
// one because Wine's GetProcessHandleCount always answers 0.
unsigned openHandles()
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
    {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
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

// ---------------------------------------------------------------- text helpers

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

// ---------------------------------------------------------------- debugger output

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

// ---------------------------------------------------------------- windows

TEST(WindowDriver, ReadsTheWindowOfAnotherProcess)
{
    ChildProcess fixture(fixtureCommand(L"window", 5));
    ASSERT_TRUE(fixture.started());
    HWND window = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id() + 4, WINDOW_MAIN), nullptr);
    EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MESSAGE_BOX), nullptr);
    EXPECT_EQ(windowText(window), GOLDEN_CAPTION);

    RECT client = {};
    GetClientRect(window, &client);
    const long r = client.right, b = client.bottom;
    struct Expected
    {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        bool visible;
        DWORD style;
        RECT rect;
    } expected[] = {
        {2, L"Static", L"Searching for hardware...", true, 0x50000000, {10, 10, r - 10, 40}},
        {3, L"msctls_progress32", L"", true, 0x50000001, {10, 50, r - 10, 70}},
        {4, L"Static", L"No hardware found", false, 0x40000000, {10, 80, r - 10, 100}},
        {1, L"Button", L"&Finish", true, 0x50000F00, {r - 90, b - 35, r - 10, b - 10}},
    };
    const std::vector<ControlInfo> controls = listControls(window);
    ASSERT_EQ(controls.size(), 4u);
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const Expected& e = expected[i];
        const ControlInfo& c = controls[i];
        EXPECT_EQ(c.id, e.id) << "child " << i;
        EXPECT_EQ(_wcsicmp(c.className.c_str(), e.className), 0) << "child " << i;
        EXPECT_EQ(c.text, e.text) << "child " << i;
        EXPECT_EQ(c.visible, e.visible) << "child " << i;
        EXPECT_TRUE(c.enabled) << "child " << i;
        EXPECT_EQ(c.style, e.style) << "child " << i;
        EXPECT_EQ(c.rect.left, e.rect.left) << "child " << i;
        EXPECT_EQ(c.rect.top, e.rect.top) << "child " << i;
        EXPECT_EQ(c.rect.right, e.rect.right) << "child " << i;
        EXPECT_EQ(c.rect.bottom, e.rect.bottom) << "child " << i;
    }

    ControlInfo control;
    ASSERT_TRUE(findControl(window, 4, &control));
    EXPECT_EQ(control.text, L"No hardware found");
    EXPECT_FALSE(control.visible);
    EXPECT_FALSE(findControl(window, 9, &control));

    ASSERT_TRUE(findControl(window, 3, &control));
    ProgressInfo progress = {-1, -1, -1};
    ASSERT_TRUE(readProgress(control.handle, &progress));
    EXPECT_EQ(progress.position, 2500);
    EXPECT_EQ(progress.low, 0);
    EXPECT_EQ(progress.high, 10000);

    ControlInfo focus;
    ASSERT_TRUE(focusedControl(window, &focus));
    EXPECT_EQ(focus.id, 1);
    EXPECT_EQ(focus.text, L"&Finish");
}

TEST(WindowDriver, ButtonCommandAndCloseEndTheProgram)
{
    struct Case
    {
        const char* name;
        bool (*press)(HWND window);
        long long exitCode; // the fixture adds 1 for a close request
    } cases[] = {
        {"BM_CLICK", [](HWND w) { return clickButton(w, 1); }, 5},
        {"WM_COMMAND", [](HWND w) { return sendCommand(w, 1); }, 5},
        {"WM_CLOSE", [](HWND w) { return closeWindow(w); }, 6},
    };
    for (const Case& c : cases)
    {
        ChildProcess fixture(fixtureCommand(L"window", 5));
        ASSERT_TRUE(fixture.started());
        HWND window = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS);
        ASSERT_NE(window, nullptr) << c.name;
        EXPECT_TRUE(c.press(window)) << c.name;
        EXPECT_TRUE(waitForNoWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS))
            << c.name;
        EXPECT_EQ(fixture.waitExit(), c.exitCode) << c.name;
    }
}

TEST(WindowDriver, MessageBoxesAreReadAndAnswered)
{
    struct Case
    {
        const wchar_t* mode;
        bool icon;
    } cases[] = {{L"errorbox", true}, {L"msgbox", false}};
    for (const Case& c : cases)
    {
        ChildProcess fixture(fixtureCommand(c.mode, 3));
        ASSERT_TRUE(fixture.started());
        HWND box = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MESSAGE_BOX, CHILD_WAIT_MS);
        ASSERT_NE(box, nullptr) << c.mode;
        EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN), nullptr) << c.mode;
        MessageBoxInfo info;
        ASSERT_TRUE(readMessageBox(box, &info)) << c.mode;
        EXPECT_EQ(info.caption, GOLDEN_CAPTION);
        EXPECT_EQ(info.text, L"Line one\nZeile zwei: Gr\u00f6\u00dfe\n\n  last") << c.mode;
        EXPECT_EQ(info.hasIcon, c.icon) << c.mode;
        ASSERT_EQ(info.buttons.size(), 1u) << c.mode;
        EXPECT_EQ(info.buttons[0].id, IDOK) << c.mode;
        EXPECT_EQ(info.buttons[0].text, L"OK") << c.mode;
        EXPECT_FALSE(pressMessageBoxButton(box, IDCANCEL)) << c.mode;
        EXPECT_TRUE(pressMessageBoxButton(box, IDOK)) << c.mode;
        EXPECT_EQ(fixture.waitExit(), 3) << c.mode;
    }
}

TEST(WindriverProgram, ReportsAsKeyValueLinesWithItsExitCodes)
{
    ChildProcess fixture(fixtureCommand(L"window", 0));
    ASSERT_TRUE(fixture.started());
    ASSERT_NE(waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS), nullptr);
    const std::wstring tool =
        quoted(toolPath(L"windriver.exe")) + L" --pid " + decimal(fixture.id()) + L" ";
    struct Case
    {
        const wchar_t* arguments;
        long long exitCode;
        const char* output;
    } cases[] = {
        {L"progress \"KVR7 Driver Installer\" 3", 0, "pos=2500\nmin=0\nmax=10000\n"},
        {L"text \"KVR7 Driver Installer\" 0x4", 0,
         "id=4\nclass=Static\nvisible=0\nenabled=1\nstyle=0x40000000\nexstyle=0x0\n"
         "rect=10,80,386,100\ntext=No hardware found\n"},
        {L"text \"KVR7 Driver Installer\" 9", 2, ""},
        {L"text \"KVR7 Driver Installer\"", 3, ""},
        {L"frobnicate \"KVR7 Driver Installer\"", 3, ""},
        {L"--timeout 200 wait \"KVR7 Driver\"", 1, ""},
        {L"--timeout 200 msgbox \"KVR7 Driver Installer\"", 1, ""},
        {L"--timeout 200 gone \"KVR7 Driver Installer\"", 1, ""},
        {L"close \"KVR7 Driver Installer\"", 0, ""},
        {L"--timeout 10000 gone \"KVR7 Driver Installer\"", 0, ""},
    };
    for (const Case& c : cases)
    {
        std::string output;
        EXPECT_EQ(runTool(tool + c.arguments, &output), c.exitCode) << escapeValue(c.arguments);
        EXPECT_EQ(output, c.output) << escapeValue(c.arguments);
    }
    EXPECT_EQ(fixture.waitExit(), 1);
}

// ---------------------------------------------------------------- devices

const wchar_t TEST_HARDWARE_ID[] = L"ROOT\\KVR7TOOLSTEST";

TEST(DeviceRegistry, ClassesAndNames)
{
    struct Case
    {
        const wchar_t* text;
        bool ok;
        const wchar_t* guid;
    } cases[] = {
        {L"", true, L"{4D36E97E-E325-11CE-BFC1-08002BE10318}"},
        {L"System", true, L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
        {L"{4d36e97d-e325-11ce-bfc1-08002be10318}", true,
         L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
        {L"NoSuchClassKvr7", false, L""},
        {L"{4d36e97d", false, L""},
    };
    for (const Case& c : cases)
    {
        GUID guid = {};
        DWORD error = 0;
        ASSERT_EQ(classFromText(c.text, &guid, &error), c.ok) << c.text;
        if (!c.ok)
        {
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_CLASS)) << c.text;
            continue;
        }
        wchar_t text[64] = {};
        StringFromGUID2(guid, text, 64);
        EXPECT_STREQ(text, c.guid) << c.text;
    }

    EXPECT_EQ(deviceNameFor(L"ROOT\\KVR7VDEV"), L"KVR7VDEV");
    EXPECT_EQ(deviceNameFor(L"PCI\\VEN_1234&DEV_5678"), L"VEN_1234_DEV_5678");
    EXPECT_EQ(deviceNameFor(L"kvr7 dev"), L"kvr7_dev");
    std::wstring instance = L"sentinel";
    DWORD error = 0;
    GUID guid = {};
    classFromText(L"", &guid, &error);
    EXPECT_FALSE(registerDevice(L"ROOT\\", guid, &instance, &error));
    EXPECT_EQ(instance, L"sentinel");
}

TEST(DeviceRegistry, RegisterQueryAndRemove)
{
    DWORD error = 0;
    std::vector<std::wstring> removed;
    ASSERT_TRUE(removeDevices(TEST_HARDWARE_ID, &removed, &error)) << error;

    GUID unknown = {}, system = {};
    ASSERT_TRUE(classFromText(L"", &unknown, &error));
    ASSERT_TRUE(classFromText(L"System", &system, &error));
    std::wstring first, second;
    ASSERT_TRUE(registerDevice(TEST_HARDWARE_ID, unknown, &first, &error)) << error;
    ASSERT_TRUE(registerDevice(TEST_HARDWARE_ID, system, &second, &error)) << error;
    EXPECT_EQ(first.compare(0, 19, L"ROOT\\KVR7TOOLSTEST\\"), 0);
    EXPECT_NE(first, second);

    std::vector<DeviceRecord> devices;
    // Hardware IDs compare without regard to case.
    ASSERT_TRUE(findDevices(L"root\\kvr7toolstest", false, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 2u);
    std::vector<std::wstring> found;
    for (const DeviceRecord& device : devices)
    {
        found.push_back(device.instanceId);
        EXPECT_EQ(device.hardwareIds, TEST_HARDWARE_ID);
        EXPECT_EQ(device.driverKey, L"") << "no driver installed yet";
        EXPECT_EQ(device.infPath, L"");
        const bool isFirst = device.instanceId == first;
        EXPECT_EQ(device.classGuid, isFirst ? L"{4D36E97E-E325-11CE-BFC1-08002BE10318}"
                                            : L"{4D36E97D-E325-11CE-BFC1-08002BE10318}");
    }
    EXPECT_TRUE((found == std::vector<std::wstring>{first, second}) ||
                (found == std::vector<std::wstring>{second, first}));
    ASSERT_TRUE(findDevices(L"ROOT\\KVR7TOOLSTES", true, &devices, &error));
    EXPECT_TRUE(devices.empty()) << "a prefix of the ID is another ID";

    ASSERT_TRUE(removeDevices(TEST_HARDWARE_ID, &removed, &error)) << error;
    EXPECT_EQ(removed.size(), 2u);
    ASSERT_TRUE(findDevices(TEST_HARDWARE_ID, true, &devices, &error));
    EXPECT_TRUE(devices.empty());
}

// Removes the devices with a hardware ID when the test ends, however it ends.
class DeviceCleanup
{
public:
    explicit DeviceCleanup(const wchar_t* hardwareId) : m_hardwareId(hardwareId) {}
    ~DeviceCleanup()
    {
        std::vector<std::wstring> removed;
        DWORD error = 0;
        removeDevices(m_hardwareId, &removed, &error);
    }
    DeviceCleanup(const DeviceCleanup&) = delete;
    DeviceCleanup& operator=(const DeviceCleanup&) = delete;

private:
    const wchar_t* m_hardwareId;
};

const char DRIVER_INF[] = "[Version]\r\n"
                          "Signature=\"$Windows NT$\"\r\n"
                          "Class=System\r\n"
                          "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\n"
                          "Provider=%Prov%\r\n"
                          "DriverVer=01/02/2024,1.2.3.4\r\n"
                          "[Manufacturer]\r\n"
                          "%Mfg%=Models,NTamd64,NTx86\r\n"
                          "[Models.NTamd64]\r\n"
                          "%Desc%=Inst,ROOT\\KVR7TOOLSDRIVER\r\n"
                          "[Models.NTx86]\r\n"
                          "%Desc%=Inst,ROOT\\KVR7TOOLSDRIVER\r\n"
                          "[Inst]\r\n"
                          "AddReg=Inst.AddReg\r\n"
                          "[Inst.Services]\r\n"
                          "AddService=,2\r\n"
                          "[Inst.AddReg]\r\n"
                          "HKR,,KvrText,,\"hello there\"\r\n"
                          "HKR,,KvrNumber,0x10001,7\r\n"
                          "[Strings]\r\n"
                          "Prov=\"KVR7 Tools Test\"\r\n"
                          "Mfg=\"KVR7\"\r\n"
                          "Desc=\"KVR7 Tools Test Device\"\r\n";

TEST(DeviceRegistry, TheInstalledDriverIsReadBackFromTheDriverKey)
{
    const wchar_t hardwareId[] = L"ROOT\\KVR7TOOLSDRIVER";
    DeviceCleanup cleanup(hardwareId);
    const std::wstring inf = tempFile(L"kvr7_tools_test.inf");
    HANDLE file = CreateFileW(inf.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, DRIVER_INF, sizeof(DRIVER_INF) - 1, &written, nullptr);
    CloseHandle(file);

    DWORD error = 0;
    GUID unknown = {};
    classFromText(L"", &unknown, &error);
    std::wstring instance;
    ASSERT_TRUE(registerDevice(hardwareId, unknown, &instance, &error)) << error;
    BOOL reboot = FALSE;
    EXPECT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId, inf.c_str(), 0, &reboot));
    DeleteFileW(inf.c_str());

    std::vector<DeviceRecord> devices;
    ASSERT_TRUE(findDevices(hardwareId, false, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 1u);
    const DeviceRecord& device = devices[0];
    EXPECT_EQ(device.instanceId, instance);
    EXPECT_EQ(device.className, L"System") << "the INF's class replaces the Unknown class";
    EXPECT_EQ(device.description, L"KVR7 Tools Test Device");
    EXPECT_EQ(device.driverKey.compare(0, 39, L"{4D36E97D-E325-11CE-BFC1-08002BE10318}\\"), 0);
    EXPECT_EQ(device.infSection, L"Inst");
    EXPECT_FALSE(device.infPath.empty());
    auto value = [&device](const wchar_t* name) {
        for (const auto& entry : device.driverValues)
        {
            if (entry.first == name)
                return entry.second;
        }
        return std::wstring(L"(missing)");
    };
    EXPECT_EQ(value(L"KvrText"), L"hello there");
    EXPECT_EQ(value(L"KvrNumber"), L"7");
    EXPECT_EQ(value(L"InfPath"), device.infPath);
}

TEST(AdddeviceProgram, RegisterQueryRemoveRoundTrip)
{
    const std::wstring tool = quoted(toolPath(L"adddevice.exe")) + L" ";
    const std::wstring id = L"ROOT\\KVR7TOOLSCLI";
    std::string output;
    ASSERT_EQ(runTool(tool + L"--remove " + id, &output), 0);

    ASSERT_EQ(runTool(tool + id + L" System", &output), 0);
    ASSERT_EQ(output.compare(0, 27, "instance=ROOT\\KVR7TOOLSCLI\\"), 0) << output;
    const std::string instance = output.substr(9, output.size() - 10);

    ASSERT_EQ(runTool(tool + L"--query " + id, &output), 0);
    EXPECT_EQ(output,
              "device=" + instance +
                  "\nhardwareids=ROOT\\KVR7TOOLSCLI\nclass=System\n"
                  "classguid={4D36E97D-E325-11CE-BFC1-08002BE10318}\ndescription=\ndriver=\n"
                  "infpath=\ninfsection=\ndriverdesc=\nprovider=\ndriverversion=\n"
                  "driverdate=\nmatchingdeviceid=\ncount=1\n");

    EXPECT_EQ(runTool(tool + L"--remove " + id, &output), 0);
    EXPECT_EQ(output, "removed=" + instance + "\ncount=1\n");
    EXPECT_EQ(runTool(tool + L"--query " + id, &output), 2);
    EXPECT_EQ(output, "count=0\n");

    EXPECT_EQ(runTool(tool + id + L" NoSuchClassKvr7", &output), 3);
    EXPECT_EQ(runTool(tool + L"--query", &output), 3);
}

} // namespace
