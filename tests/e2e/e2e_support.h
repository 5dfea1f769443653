// e2e_support.h
// Running the real installer as a user would. Each test copies the program and
// its package, as the build lays them out for an administrator, into a fresh
// temporary folder; starts the program under the debugger on a thread of its own
// (so its trace lines are captured) while the test reads and drives its windows
// from outside; and undoes what it set up around the run: a virtual device, a
// Windows version and a DLL override for one program name, a library put into
// the system folder, the files that an installation leaves in the system
// folders.
#pragma once

#include "tests/support/test_support.h"

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/screenshot.h"
#include "tests/support/temp_folder.h"
#include "debugout/debug_capture.h"

// How long one run of the program may take before it is ended by force.
const DWORD RUN_TIMEOUT_MS = 30000;
// How long a window or message box may take to appear.
const DWORD WINDOW_WAIT_MS = 15000;

// The program as this architecture's build names it: install64.exe or install.exe.
std::wstring programName();

// False for the 32-bit program on 64-bit Windows, where it refuses to work.
bool programRunsHere();

// Skips a test of `mode` (a string literal) where the program refuses to work.
#define SKIP_WHERE_THE_PROGRAM_REFUSES(mode)                                                       \
    if (!programRunsHere())                                                                        \
    GTEST_SKIP() << "the 32-bit program refuses to run on 64-bit Windows (exit code 1); " mode     \
                    " is covered by the 64-bit build"

// A user's copy of the program: the program (under `exeName`, by default its own
// name), kvr7.inf and kvr7.cfg, and unless left out the library x86_64\difxapi.dll,
// in a fresh temporary folder (or in a subfolder of that name inside it) that
// goes away with the object.
class InstallCopy
{
public:
    explicit InstallCopy(bool withLibrary = true, const std::wstring& exeName = std::wstring(),
                         const std::wstring& subfolder = std::wstring());

    // The folder that holds the program.
    const std::wstring& path() const { return m_path; }
    const std::wstring& exeName() const { return m_exeName; }
    std::wstring program() const { return file(m_exeName); }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Copies a file in beside the program.
    void copyIn(const std::wstring& source, const std::wstring& name);
    void writeBytes(const std::wstring& name, const std::string& bytes);
    // A file that the run writes beside the program; removed with the copy.
    std::wstring adopt(const std::wstring& name);

private:
    std::wstring inside(const std::wstring& name) const;

    TempFolder m_folder;
    std::wstring m_subfolder;
    std::wstring m_path;
    std::wstring m_exeName;
};

// The file where the build lays out the administrator's folder for this
// architecture, or in the folder named by the environment variable KVR7_E2E_DIST.
std::wstring distFile(const std::wstring& name);

// A file built beside the test program (such as e2e_newdev\newdev.dll).
std::wstring testBuildFile(const std::wstring& name);

// A unique program file name for a test that sets something per program name.
std::wstring uniqueExeName(const wchar_t* stem);

struct RunResult
{
    DebugCaptureOutcome outcome;
    DWORD exitCode;
    std::vector<std::wstring> trace; // the debugger output lines, in order
    bool sawMainWindow;              // the progress window was seen while waiting for the end
    bool sawFinishButton;            // ... with its Finish button visible
};

// One run of the program under the debugger, on a thread of its own. The run is
// bounded by `timeoutMs`; whatever happens in the test, the child is ended
// through its own handle when the object goes away.
class ProgramRun
{
public:
    ProgramRun(const std::wstring& program, const std::wstring& arguments,
               DWORD timeoutMs = RUN_TIMEOUT_MS);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return m_processId != 0; }
    DWORD processId() const { return m_processId; }

    HWND waitForMainWindow(DWORD timeoutMs = WINDOW_WAIT_MS) const;
    HWND waitForMessageBox(DWORD timeoutMs = WINDOW_WAIT_MS) const;

    // Waits for the program's end (watching for its progress window meanwhile)
    // and gives what the run left.
    RunResult finish();

private:
    static DWORD WINAPI debugThread(void* context);
    static void onStarted(void* context, const PROCESS_INFORMATION& process);
    static void onLine(void* context, const std::wstring& text);

    std::wstring m_commandLine;
    DWORD m_timeoutMs;
    HANDLE m_startedEvent = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_process = nullptr; // our own duplicate of the child's handle
    DWORD m_processId = 0;
    DebugCaptureResult m_capture = {};
    std::vector<std::wstring> m_trace;
};

// Settings that Wine applies to the programs of one file name only
// (HKCU\Software\Wine\AppDefaults\<name>): the Windows version reported to
// them ("nt40", "win2k", "win7", ...) and DLL load orders. A DLL override in
// the environment does not reach a child started from a Windows process, so a
// per-name override with a unique program name is how one child gets it. The
// key is removed again when the object goes away.
class ProgramSettings
{
public:
    explicit ProgramSettings(const std::wstring& exeName);
    ~ProgramSettings();
    ProgramSettings(const ProgramSettings&) = delete;
    ProgramSettings& operator=(const ProgramSettings&) = delete;

    bool setVersion(const wchar_t* version);
    // `order` as Wine writes it, such as "native,builtin".
    bool setDllOverride(const wchar_t* dll, const wchar_t* order);

private:
    bool setValue(const std::wstring& subkey, const wchar_t* name, const wchar_t* value);
    std::wstring m_key;
};

// A library of the test build put into the system folder of the prefix in
// place of the system's own file of that name (tests/tools/system_file.h),
// which is put back when the object goes away.
class SystemFolderLibrary
{
public:
    SystemFolderLibrary(const std::wstring& source, const std::wstring& name);
    ~SystemFolderLibrary();
    SystemFolderLibrary(const SystemFolderLibrary&) = delete;
    SystemFolderLibrary& operator=(const SystemFolderLibrary&) = delete;
    bool ok() const { return m_placed; }

private:
    std::wstring m_name;
    bool m_placed;
};

// Sets the current folder, which a started program inherits, and puts the old
// one back when the object goes away.
class CurrentFolder
{
public:
    explicit CurrentFolder(const std::wstring& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring m_previous;
};

// A root-enumerated virtual device with one hardware ID, registered for the
// test; every device with that ID is removed before and after.
class VirtualDevice
{
public:
    VirtualDevice(const wchar_t* hardwareId, const wchar_t* className);
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;
    bool ok() const { return !m_instanceId.empty(); }
    const std::wstring& instanceId() const { return m_instanceId; }
    DWORD error() const { return m_error; }

private:
    std::wstring m_hardwareId;
    std::wstring m_instanceId;
    DWORD m_error = 0;
};

// Keeps the system folders as they were: copies of the sample package's INF in
// the system INF folder (whatever their name) are removed before and after the
// test, and so is the package's kvr7.cfg in the system folder when the test put
// it there.
class PackageTraces
{
public:
    PackageTraces();
    ~PackageTraces();
    PackageTraces(const PackageTraces&) = delete;
    PackageTraces& operator=(const PackageTraces&) = delete;

    // The names ("oem3.inf", ...) of the INF files in the system INF folder whose
    // bytes are those of the sample package's kvr7.inf.
    static std::vector<std::wstring> stagedCopies();

private:
    static void removeStagedCopies();
    bool m_hadConfig;
};

// A copy in the system INF folder made for a test (staged with
// SetupCopyOEMInfW, or adopted by its published name): it and its compiled
// .pnf are gone after the object, whatever the test removed meanwhile.
class StagedInf
{
public:
    StagedInf() = default;
    ~StagedInf();
    StagedInf(const StagedInf&) = delete;
    StagedInf& operator=(const StagedInf&) = delete;
    bool stage(const std::wstring& source);
    void adopt(const std::wstring& name) { m_name = name; }
    const std::wstring& name() const { return m_name; }
    bool present() const;

private:
    std::wstring m_name;
};

// Writes the window's area of the screen to `fileName` in the working
// directory as a 24-bit BMP (saveScreenshot), once the window of the other
// process has painted. False when nothing could be captured or written.
bool savePaintedScreenshot(HWND window, const wchar_t* fileName);

// What the progress window shows, read from outside.
struct WindowState
{
    std::wstring status;
    std::wstring result;
    bool statusVisible = false;
    bool barVisible = false;
    bool resultVisible = false;
    bool restartVisible = false;
    bool finishVisible = false;
    int barPosition = -1;
    int barLow = -1;
    int barHigh = -1;
    int focusId = 0; // the control with the keyboard focus, 0 for none
};
bool readWindowState(HWND window, WindowState* state);

// The progress window once its Finish button is visible (the run has ended and
// waits for the user); null when that does not happen in time.
HWND waitForFinishedWindow(const ProgramRun& run, DWORD timeoutMs = WINDOW_WAIT_MS);

// The set-up of every check of a run that waits for the user: the program has
// started, its progress window shows Finish, and (second form) what the window
// shows has been read. The failure names the step that failed.
::testing::AssertionResult finishedWindow(const ProgramRun& run, HWND* window);
::testing::AssertionResult finishedWindowState(const ProgramRun& run, HWND* window,
                                               WindowState* state);

// What the user does last: the screenshot `screenshot` (none when null) is
// written and Finish is pressed. The caller then waits for the run's end.
void pressFinishButton(HWND window, const wchar_t* screenshot);

// Posts WM_SYSCOMMAND SC_CLOSE, as the close box does.
bool pressCloseBox(HWND window);
