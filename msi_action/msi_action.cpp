// msi_action.cpp
// The custom actions of the KVR7 Windows Installer packages, one DLL per
// architecture. InstallDriver runs after the files are laid out, RemoveDriver
// before they are removed; both are deferred and not impersonated, so they run
// with the Installer's own rights, and read their input from CustomActionData,
// which the package sets from its properties just before (deferred actions see
// no other property):
//   InstallDriver: "<KVR7_PREINSTALL>|<installation folder>"
//   RemoveDriver:  "|<installation folder>"
// They run the installed programs as debuggees, so that each line of their
// trace goes into the Installer log, and write no file of their own. A DLL
// action, unlike an exe action, can end the installation with 3010 (a restart
// is due) as well as with 1603 (failed, rolled back).

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "base/unique_handle.h"
#include "base/wformat.h"
#include "msi_action/msi_action_texts.h"
#include "debugout/debug_capture.h"
#include "kvr7ctl/exit_codes.h"
#include "kvr7ctl/kvr7ctl_texts.h"

namespace {

#ifdef _WIN64
const wchar_t PROGRAM_NAME[] = L"install64.exe";
#else
const wchar_t PROGRAM_NAME[] = L"install.exe";
#endif
const wchar_t KVR7CTL_PROGRAM_NAME[] = L"kvr7ctl.exe";

// As deploy.cmd allows: the driver update can wait on Windows Update.
const DWORD RUN_TIMEOUT_MINUTES = 30;

const DWORD PROGRAM_NO_HARDWARE = 4;
const DWORD PROGRAM_ALREADY_STAGED = 105;

struct MsiHandleTraits
{
    typedef MSIHANDLE Handle;
    static constexpr Handle empty() { return 0; }
    static void close(Handle handle) { ::MsiCloseHandle(handle); }
};
typedef UniqueHandle<MsiHandleTraits> UniqueMsiHandle;

// One line into the Installer log. The text goes in as a field, not as the
// record's template, so that brackets in a trace line ("[Manufacturer]") are
// not taken for properties.
void logText(MSIHANDLE session, const wchar_t* text)
{
    UniqueMsiHandle record(MsiCreateRecord(1));
    if (!record.valid())
        return;
    MsiRecordSetStringW(record.get(), 0, L"[1]");
    MsiRecordSetStringW(record.get(), 1, text);
    MsiProcessMessage(session, INSTALLMESSAGE_INFO, record.get());
}

void logLine(MSIHANDLE session, const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    const CWStr text = formatTextV(pattern, args);
    va_end(args);
    logText(session, text.c_str());
}

void forwardTraceLine(void* context, const std::wstring& text)
{
    logText(*static_cast<MSIHANDLE*>(context), text.c_str());
}

// Runs `folder\name arguments` with its trace going into the log. True with
// the exit code in `code` when the program ended by itself; otherwise the log
// says why not.
bool runTraced(MSIHANDLE session, const std::wstring& folder, const wchar_t* name,
               const wchar_t* arguments, DWORD* code)
{
    const std::wstring program = folder + name;
    const std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    logLine(session, MSI_TEXT_RUNNING, commandLine.c_str());
    DebugCaptureSink sink = {nullptr, forwardTraceLine, &session};
    const DebugCaptureResult result =
        runUnderDebugger(commandLine, RUN_TIMEOUT_MINUTES * 60 * 1000, sink);
    switch (result.outcome)
    {
    case DEBUG_CAPTURE_EXITED:
        *code = result.exitCode;
        return true;
    case DEBUG_CAPTURE_TIMED_OUT:
        logLine(session, MSI_TEXT_TIMED_OUT, program.c_str(), RUN_TIMEOUT_MINUTES);
        return false;
    case DEBUG_CAPTURE_START_FAILED:
        logLine(session, MSI_TEXT_CANNOT_START, program.c_str(), result.error);
        return false;
    default:
        logLine(session, MSI_TEXT_CAPTURE_FAILED, program.c_str(), result.error);
        return false;
    }
}

void logExit(MSIHANDLE session, const wchar_t* name, DWORD code, const wchar_t* meaning)
{
    logLine(session, MSI_TEXT_EXITED, name, code, meaning);
}

// The installation folder, with a backslash at its end, and the
// KVR7_PREINSTALL setting, from "<preinstall>|<folder>".
bool readActionData(MSIHANDLE session, std::wstring* folder, bool* stageOnly)
{
    std::wstring data;
    wchar_t probe[1] = L"";
    DWORD length = 0;
    if (MsiGetPropertyW(session, L"CustomActionData", probe, &length) == ERROR_MORE_DATA)
    {
        data.resize(length + 1);
        length = static_cast<DWORD>(data.size());
        if (MsiGetPropertyW(session, L"CustomActionData", &data[0], &length) != ERROR_SUCCESS)
            length = 0;
        data.resize(length);
    }
    // The last bar: a folder cannot hold one, a property value could.
    const size_t bar = data.rfind(L'|');
    if (bar == std::wstring::npos || bar + 1 == data.size())
    {
        logLine(session, MSI_TEXT_BAD_DATA, data.c_str());
        return false;
    }
    *stageOnly = data.compare(0, bar, L"1") == 0;
    *folder = data.substr(bar + 1);
    if (folder->back() != L'\\')
        *folder += L'\\';
    return true;
}

// Stages the driver package; a copy already in the store (an upgrade that
// kept the driver) counts as staged.
bool stage(MSIHANDLE session, const std::wstring& folder)
{
    DWORD code = 0;
    if (!runTraced(session, folder, PROGRAM_NAME, L"-nopause -preinstall", &code))
        return false;
    logExit(session, PROGRAM_NAME, code, installerCodeMeaning(code));
    if (code != 0 && code != PROGRAM_ALREADY_STAGED)
        return false;
    logText(session, MSI_TEXT_STAGED);
    return true;
}

// The driver on the present boards, or staged when none is present (or when
// staging alone is asked for), as deploy.cmd does.
bool installDriver(MSIHANDLE session, const std::wstring& folder, bool stageOnly)
{
    if (stageOnly)
    {
        logText(session, MSI_TEXT_STAGE_ONLY);
        return stage(session, folder);
    }
    DWORD code = 0;
    if (!runTraced(session, folder, PROGRAM_NAME, L"-nopause", &code))
        return false;
    logExit(session, PROGRAM_NAME, code, installerCodeMeaning(code));
    if (code == PROGRAM_NO_HARDWARE)
    {
        logText(session, MSI_TEXT_NO_BOARD);
        return stage(session, folder);
    }
    if (code != 0)
        return false;
    logText(session, MSI_TEXT_INSTALLED);
    return true;
}

// Runs kvr7ctl.exe with `arguments`; 3010 asks the Installer for a restart at
// the end. True when the code is 0, 3010 or one of `alsoFine`.
bool runKvr7ctlProgram(MSIHANDLE session, const std::wstring& folder, const wchar_t* arguments,
                       DWORD alsoFine)
{
    DWORD code = 0;
    if (!runTraced(session, folder, KVR7CTL_PROGRAM_NAME, arguments, &code))
        return false;
    logExit(session, KVR7CTL_PROGRAM_NAME, code, kvr7ctlCodeMeaning(code));
    if (code == KVR7CTL_RESTART)
    {
        logText(session, MSI_TEXT_RESTART);
        MsiSetMode(session, MSIRUNMODE_REBOOTATEND, TRUE);
        return true;
    }
    return code == 0 || code == alsoFine;
}

} // namespace

// Installs (or stages) the driver, then asks kvr7ctl whether a device of the
// package waits for a restart.
extern "C" UINT __stdcall InstallDriver(MSIHANDLE session)
{
    UINT result = ERROR_INSTALL_FAILURE;
    std::wstring folder;
    bool stageOnly = false;
    if (readActionData(session, &folder, &stageOnly) && installDriver(session, folder, stageOnly) &&
        runKvr7ctlProgram(session, folder, L"status", KVR7CTL_NOT_STAGED))
        result = ERROR_SUCCESS;
    if (result != ERROR_SUCCESS)
        logText(session, MSI_TEXT_INSTALL_FAILED);
    return result;
}

// Takes the driver off its devices and the package out of the driver store.
// -force lets the store's copy go where the platform keeps it otherwise
// without a word (older Windows, Wine); kvr7ctl has taken the package's
// devices off it first, and it checks that nothing is left.
extern "C" UINT __stdcall RemoveDriver(MSIHANDLE session)
{
    UINT result = ERROR_INSTALL_FAILURE;
    std::wstring folder;
    bool unused = false;
    if (readActionData(session, &folder, &unused) &&
        runKvr7ctlProgram(session, folder, L"remove -force", KVR7CTL_DONE))
        result = ERROR_SUCCESS;
    logText(session, result == ERROR_SUCCESS ? MSI_TEXT_REMOVED : MSI_TEXT_REMOVE_FAILED);
    return result;
}
