// e2e_support.cpp
// The end-to-end suite's harness: user copies of the program, runs under the
// debugger, and the set-up of the machine around a run with its undoing.

#include "tests/e2e/e2e_support.h"
#include "tests/support/golden_texts.h"

#include <setupapi.h>

#include "tests/support/system_folders.h"
#include "tests/tools/device_registry.h"
#include "tests/tools/system_file.h"
#include "tests/tools/window_driver.h"
#include "ui/control_ids.h"

namespace {

std::wstring systemConfigFile()
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetSystemDirectoryW(folder, MAX_PATH + 1);
    return std::wstring(folder) + L"\\kvr7.cfg";
}

bool fileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The Setup API removes what it staged; Wine's removes only the INF and leaves
// its compiled .pnf, and a copy that is not named oem*.inf is not the Setup
// API's to remove: whatever is left goes by hand.
void removeStagedCopy(const std::wstring& name)
{
    const std::wstring path = systemInfFolder() + L"\\" + name;
    SetupUninstallOEMInfW(name.c_str(), SUOI_FORCEDELETE, nullptr);
    DeleteFileW(path.c_str());
    DeleteFileW((path.substr(0, path.size() - 4) + L".pnf").c_str());
}

} // namespace

std::wstring programName()
{
    return KVR7_PROGRAM_NAME;
}

bool programRunsHere()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return !wow64;
#endif
}

std::wstring distFile(const std::wstring& name)
{
    // KVR7_E2E_DIST names another program folder to test, such as the x64\ or
    // x86\ folder of an unpacked release package.
    wchar_t other[1024] = {};
    const DWORD length = GetEnvironmentVariableW(L"KVR7_E2E_DIST", other, 1024);
    if (length > 0 && length < 1024)
        return std::wstring(other) + L"\\" + name;
    return ownFolder() + L"\\" KVR7_DIST_FROM_TESTS L"\\" + name;
}

std::wstring testBuildFile(const std::wstring& name)
{
    return ownFolder() + L"\\" + name;
}

std::wstring uniqueExeName(const wchar_t* stem)
{
    static unsigned counter = 0;
    return std::wstring(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".exe";
}

InstallCopy::InstallCopy(bool withLibrary, const std::wstring& exeName,
                         const std::wstring& subfolder)
    : m_subfolder(subfolder), m_exeName(exeName.empty() ? programName() : exeName)
{
    m_path = subfolder.empty() ? m_folder.path() : m_folder.makeFolder(subfolder);
    copyIn(distFile(programName()), m_exeName);
    copyIn(distFile(L"kvr7.inf"), L"kvr7.inf");
    copyIn(distFile(L"kvr7.cfg"), L"kvr7.cfg");
    if (withLibrary)
    {
        m_folder.makeFolder(inside(L"x86_64"));
        copyIn(distFile(L"x86_64\\difxapi.dll"), L"x86_64\\difxapi.dll");
    }
}

std::wstring InstallCopy::inside(const std::wstring& name) const
{
    return m_subfolder.empty() ? name : m_subfolder + L"\\" + name;
}

void InstallCopy::copyIn(const std::wstring& source, const std::wstring& name)
{
    m_folder.copyIn(source, inside(name));
}

void InstallCopy::writeBytes(const std::wstring& name, const std::string& bytes)
{
    m_folder.writeBytes(inside(name), bytes);
}

std::wstring InstallCopy::adopt(const std::wstring& name)
{
    return m_folder.adopt(inside(name));
}

// ---------------------------------------------------------------- runs

ProgramRun::ProgramRun(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
    : m_commandLine(L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments)),
      m_timeoutMs(timeoutMs)
{
    m_startedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, debugThread, this, 0, nullptr);
    if (!m_thread)
        return;
    // Either the child has started or the debug thread has already given up.
    HANDLE waits[] = {m_startedEvent, m_thread};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
}

ProgramRun::~ProgramRun()
{
    if (m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_process, DEBUG_CAPTURE_TIMEOUT_EXIT_CODE);
    if (m_thread)
    {
        // The debug loop ends once the child is gone (at the latest when its own
        // time bound runs out).
        WaitForSingleObject(m_thread, m_timeoutMs + 10000);
        CloseHandle(m_thread);
    }
    if (m_process)
        CloseHandle(m_process);
    if (m_startedEvent)
        CloseHandle(m_startedEvent);
}

DWORD WINAPI ProgramRun::debugThread(void* context)
{
    ProgramRun* run = static_cast<ProgramRun*>(context);
    DebugCaptureSink sink = {onStarted, onLine, run};
    run->m_capture = runUnderDebugger(run->m_commandLine, run->m_timeoutMs, sink);
    return 0;
}

void ProgramRun::onStarted(void* context, const PROCESS_INFORMATION& process)
{
    ProgramRun* run = static_cast<ProgramRun*>(context);
    DuplicateHandle(GetCurrentProcess(), process.hProcess, GetCurrentProcess(), &run->m_process, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    run->m_processId = process.dwProcessId;
    SetEvent(run->m_startedEvent);
}

void ProgramRun::onLine(void* context, const std::wstring& text)
{
    // Read by the test only after the debug thread has ended.
    static_cast<ProgramRun*>(context)->m_trace.push_back(text);
}

HWND ProgramRun::waitForMainWindow(DWORD timeoutMs) const
{
    return started() ? waitForWindow(GOLDEN_CAPTION, m_processId, WINDOW_MAIN, timeoutMs) : nullptr;
}

HWND ProgramRun::waitForMessageBox(DWORD timeoutMs) const
{
    return started() ? waitForWindow(GOLDEN_CAPTION, m_processId, WINDOW_MESSAGE_BOX, timeoutMs)
                     : nullptr;
}

RunResult ProgramRun::finish()
{
    RunResult result = {DEBUG_CAPTURE_FAILED, 0, {}, false, false};
    if (!m_thread)
        return result;
    // Looks for the progress window every few milliseconds until the end, so that
    // a window that shows only briefly is seen too.
    while (WaitForSingleObject(m_thread, 10) == WAIT_TIMEOUT)
    {
        if (!started())
            continue;
        HWND window = findWindow(GOLDEN_CAPTION, m_processId, WINDOW_MAIN);
        if (!window)
            continue;
        result.sawMainWindow = true;
        ControlInfo finishButton;
        if (findControl(window, ID_FINISH_BUTTON, &finishButton) && finishButton.visible)
            result.sawFinishButton = true;
    }
    result.outcome = m_capture.outcome;
    result.exitCode = m_capture.exitCode;
    result.trace = m_trace;
    return result;
}

// ---------------------------------------------------------------- machine set-up

ProgramSettings::ProgramSettings(const std::wstring& exeName)
    : m_key(L"Software\\Wine\\AppDefaults\\" + exeName)
{
}

ProgramSettings::~ProgramSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str());
}

bool ProgramSettings::setVersion(const wchar_t* version)
{
    return setValue(m_key, L"Version", version);
}

bool ProgramSettings::setDllOverride(const wchar_t* dll, const wchar_t* order)
{
    return setValue(m_key + L"\\DllOverrides", dll, order);
}

bool ProgramSettings::setValue(const std::wstring& subkey, const wchar_t* name,
                               const wchar_t* value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    const bool ok = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                   bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

SystemFolderLibrary::SystemFolderLibrary(const std::wstring& source, const std::wstring& name)
    : m_name(name), m_placed(placeSystemFile(source, name))
{
}

SystemFolderLibrary::~SystemFolderLibrary()
{
    restoreSystemFile(m_name);
}

CurrentFolder::CurrentFolder(const std::wstring& folder)
{
    wchar_t previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, previous);
    m_previous = previous;
    SetCurrentDirectoryW(folder.c_str());
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryW(m_previous.c_str());
}

VirtualDevice::VirtualDevice(const wchar_t* hardwareId, const wchar_t* className)
    : m_hardwareId(hardwareId)
{
    std::vector<std::wstring> removed;
    GUID classGuid = {};
    if (!removeDevices(m_hardwareId, &removed, &m_error) ||
        !classFromText(className, &classGuid, &m_error))
        return;
    std::wstring instanceId;
    if (registerDevice(m_hardwareId, classGuid, &instanceId, &m_error))
        m_instanceId = instanceId;
}

VirtualDevice::~VirtualDevice()
{
    std::vector<std::wstring> removed;
    DWORD error = 0;
    removeDevices(m_hardwareId, &removed, &error);
}

PackageTraces::PackageTraces() : m_hadConfig(fileExists(systemConfigFile()))
{
    removeStagedCopies();
}

PackageTraces::~PackageTraces()
{
    removeStagedCopies();
    if (!m_hadConfig)
        DeleteFileW(systemConfigFile().c_str());
}

std::vector<std::wstring> PackageTraces::stagedCopies()
{
    const std::string package = readFileBytes(distFile(L"kvr7.inf"));
    return package.empty() ? std::vector<std::wstring>() : ::stagedCopies(package);
}

void PackageTraces::removeStagedCopies()
{
    for (const std::wstring& name : stagedCopies())
        removeStagedCopy(name);
}

bool StagedInf::stage(const std::wstring& source)
{
    wchar_t published[MAX_PATH] = {};
    PWSTR name = nullptr;
    if (!SetupCopyOEMInfW(source.c_str(), nullptr, SPOST_PATH, 0, published, MAX_PATH, nullptr,
                          &name) ||
        !name)
        return false;
    m_name = name;
    return true;
}

bool StagedInf::present() const
{
    return !m_name.empty() && fileExists(systemInfFolder() + L"\\" + m_name);
}

StagedInf::~StagedInf()
{
    if (!m_name.empty())
        removeStagedCopy(m_name);
}

// ---------------------------------------------------------------- files and screens

bool savePaintedScreenshot(HWND window, const wchar_t* fileName)
{
    // The window paints from its own message loop: once it has answered a sent
    // message its queue is drained, and a short pause lets the paint follow.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WINDOW_QUERY_TIMEOUT_MS, &ignored);
    Sleep(300);

    return saveScreenshot(window, fileName);
}

bool readWindowState(HWND window, WindowState* state)
{
    ControlInfo status, bar, result, restart, finish;
    if (!findControl(window, ID_STATUS_LINE, &status) ||
        !findControl(window, ID_PROGRESS_BAR, &bar) ||
        !findControl(window, ID_RESULT_LINE, &result) ||
        !findControl(window, ID_RESTART_NOTE, &restart) ||
        !findControl(window, ID_FINISH_BUTTON, &finish))
        return false;
    state->status = status.text;
    state->result = result.text;
    state->statusVisible = status.visible;
    state->barVisible = bar.visible;
    state->resultVisible = result.visible;
    state->restartVisible = restart.visible;
    state->finishVisible = finish.visible;
    ProgressInfo progress = {-1, -1, -1};
    if (!readProgress(bar.handle, &progress))
        return false;
    state->barPosition = progress.position;
    state->barLow = progress.low;
    state->barHigh = progress.high;
    ControlInfo focus;
    state->focusId = focusedControl(window, &focus) ? focus.id : 0;
    return true;
}

::testing::AssertionResult finishedWindow(const ProgramRun& run, HWND* window)
{
    if (!run.started())
        return ::testing::AssertionFailure() << "the program did not start";
    *window = waitForFinishedWindow(run);
    if (!*window)
        return ::testing::AssertionFailure() << "no progress window with Finish showing";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult finishedWindowState(const ProgramRun& run, HWND* window,
                                               WindowState* state)
{
    ::testing::AssertionResult found = finishedWindow(run, window);
    if (!found)
        return found;
    if (!readWindowState(*window, state))
        return ::testing::AssertionFailure() << "the progress window's controls cannot be read";
    return ::testing::AssertionSuccess();
}

void pressFinishButton(HWND window, const wchar_t* screenshot)
{
    if (screenshot)
    {
        EXPECT_TRUE(savePaintedScreenshot(window, screenshot));
    }
    EXPECT_TRUE(clickButton(window, ID_FINISH_BUTTON));
}

HWND waitForFinishedWindow(const ProgramRun& run, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    HWND window = run.waitForMainWindow(timeoutMs);
    while (window && GetTickCount() - start < timeoutMs)
    {
        ControlInfo finish;
        if (findControl(window, ID_FINISH_BUTTON, &finish) && finish.visible)
        {
            // A sent message is answered only from the message loop, that is,
            // after the operation has returned: the focus is then in place.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WINDOW_QUERY_TIMEOUT_MS,
                                &ignored);
            return window;
        }
        Sleep(20);
    }
    return nullptr;
}

bool pressCloseBox(HWND window)
{
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}
