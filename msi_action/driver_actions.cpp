// driver_actions.cpp
// The custom actions' work (driver_actions.h): CustomActionData read and
// split, kvr7ctl.exe run with its trace going into the Installer log, its
// exit codes mapped, and the rollback step kept in the registry. Every
// platform call goes through g_msiActionApi.

#include "msi_action/driver_actions.h"

#include <msiquery.h>

#include <string>

#include "base/unique_handle.h"
#include "base/wformat.h"
#include "kvr7ctl/exit_codes.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "msi_action/msi_action_platform.h"
#include "msi_action/msi_action_texts.h"

namespace {

const wchar_t KVR7CTL_PROGRAM[] = L"kvr7ctl.exe";

// kvr7ctl deploy gives the installer 30 minutes, and as long again to stage
// after it found no board; the rest is for its checks.
const DWORD RUN_TIMEOUT_MINUTES = 70;

struct MsiHandleTraits
{
    typedef MSIHANDLE Handle;
    static constexpr Handle empty() { return 0; }
    static void close(Handle handle) { ::MsiCloseHandle(handle); }
};
typedef UniqueHandle<MsiHandleTraits> UniqueMsiHandle;

// The fields of CustomActionData.
struct ActionData
{
    bool stageOnly;       // KVR7_PREINSTALL=1
    std::wstring product; // ProductCode
    std::wstring upgrade; // UpgradeCode
    std::wstring folder;  // the installation folder, with a backslash at its end
};

// A text as a field of a log record. The Installer formats fields as it
// formats templates: "[Name]" would become a property's value and "{...}"
// could vanish; "[\c]" gives the character c itself.
std::wstring escapedForLog(const std::wstring& text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text)
    {
        if (c == L'[' || c == L']' || c == L'{' || c == L'}')
        {
            escaped += L"[\\";
            escaped += c;
            escaped += L']';
        }
        else
        {
            escaped += c;
        }
    }
    return escaped;
}

// One line into the Installer log, exactly as `text` reads.
void logText(MSIHANDLE session, const std::wstring& text)
{
    UniqueMsiHandle record(MsiCreateRecord(1));
    if (!record.valid())
        return;
    MsiRecordSetStringW(record.get(), 0, L"[1]");
    MsiRecordSetStringW(record.get(), 1, escapedForLog(text).c_str());
    g_msiActionApi.MsiProcessMessage(session, INSTALLMESSAGE_INFO, record.get());
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
    logText(*static_cast<MSIHANDLE*>(context), text);
}

// kvr7ctl's meaning of one of its exit codes; deploy passes the installer's
// failures through.
const wchar_t* kvr7ctlMeaning(DWORD code)
{
    return meaningOf(KVR7CTL_CODES, code, installerCodeMeaning(code));
}

// CustomActionData split from the right: the folder, the upgrade code and the
// product code cannot hold a bar, a property value could.
bool readActionData(MSIHANDLE session, ActionData* data)
{
    std::wstring text;
    wchar_t probe[1] = L"";
    DWORD length = 0;
    if (g_msiActionApi.MsiGetPropertyW(session, L"CustomActionData", probe, &length) ==
        ERROR_MORE_DATA)
    {
        text.resize(length + 1);
        length = static_cast<DWORD>(text.size());
        if (g_msiActionApi.MsiGetPropertyW(session, L"CustomActionData", &text[0], &length) !=
            ERROR_SUCCESS)
            length = 0;
        text.resize(length);
    }
    size_t end = text.size();
    std::wstring fields[3];
    for (std::wstring& field : fields)
    {
        const size_t bar = end == 0 ? std::wstring::npos : text.rfind(L'|', end - 1);
        if (bar == std::wstring::npos)
        {
            logLine(session, MSI_TEXT_BAD_DATA, text.c_str());
            return false;
        }
        field = text.substr(bar + 1, end - bar - 1);
        end = bar;
    }
    data->folder = fields[0];
    data->upgrade = fields[1];
    data->product = fields[2];
    data->stageOnly = text.substr(0, end) == L"1";
    if (data->folder.empty() || data->product.empty())
    {
        logLine(session, MSI_TEXT_BAD_DATA, text.c_str());
        return false;
    }
    if (data->folder.back() != L'\\')
        data->folder += L'\\';
    return true;
}

// Runs `kvr7ctl.exe arguments` from `folder`, without a window, its trace
// going into the log. True with the exit code in `code` when it ended by
// itself; otherwise the log says why not.
bool runKvr7ctlIn(MSIHANDLE session, const std::wstring& folder, const wchar_t* arguments,
                  DWORD* code)
{
    const std::wstring program = folder + KVR7CTL_PROGRAM;
    const std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    logLine(session, MSI_TEXT_RUNNING, commandLine.c_str());
    DebugCaptureSink sink = {nullptr, forwardTraceLine, &session};
    const DebuggeeStart start = {CREATE_NO_WINDOW, DEBUGGEE_SHOW_DEFAULT};
    const DebugCaptureResult result =
        g_msiActionApi.runUnderDebugger(commandLine, RUN_TIMEOUT_MINUTES * 60 * 1000, sink, start);
    switch (result.outcome)
    {
    case DEBUG_CAPTURE_EXITED:
        *code = result.exitCode;
        logLine(session, MSI_TEXT_EXITED, arguments, *code, kvr7ctlMeaning(*code));
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

bool runKvr7ctl(MSIHANDLE session, const ActionData& data, const wchar_t* arguments, DWORD* code)
{
    return runKvr7ctlIn(session, data.folder, arguments, code);
}

// kvr7ctl's 0 and 3010 are success; 3010 asks the Installer for a restart
// at the end.
bool succeeded(MSIHANDLE session, DWORD code)
{
    if (code == KVR7CTL_RESTART)
    {
        logText(session, MSI_TEXT_RESTART);
        g_msiActionApi.MsiSetMode(session, MSIRUNMODE_REBOOTATEND, TRUE);
        return true;
    }
    return code == KVR7CTL_DONE;
}

std::wstring rollbackKey(const ActionData& data)
{
    return MSI_ROLLBACK_KEY + data.product;
}

bool keepRollbackStep(MSIHANDLE session, const ActionData& data, RollbackStep step)
{
    const DWORD value = step;
    const LSTATUS error =
        g_msiActionApi.RegSetKeyValueW(HKEY_LOCAL_MACHINE, rollbackKey(data).c_str(),
                                       MSI_ROLLBACK_VALUE, REG_DWORD, &value, sizeof(value));
    if (error != ERROR_SUCCESS)
        logLine(session, MSI_TEXT_STEP_NOT_KEPT, rollbackKey(data).c_str(),
                static_cast<DWORD>(error));
    return error == ERROR_SUCCESS;
}

// The step a deferred action left; nothing when there is none.
RollbackStep keptRollbackStep(MSIHANDLE session, const ActionData& data)
{
    DWORD value = ROLLBACK_NOTHING;
    DWORD size = sizeof(value);
    const LSTATUS error =
        g_msiActionApi.RegGetValueW(HKEY_LOCAL_MACHINE, rollbackKey(data).c_str(),
                                    MSI_ROLLBACK_VALUE, RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (error == ERROR_FILE_NOT_FOUND)
        return ROLLBACK_NOTHING;
    if (error != ERROR_SUCCESS || value > ROLLBACK_PUT_BACK_STAGED)
    {
        logLine(session, MSI_TEXT_STEP_UNREADABLE, rollbackKey(data).c_str(),
                static_cast<DWORD>(error));
        return ROLLBACK_NOTHING;
    }
    return static_cast<RollbackStep>(value);
}

// The files that the rollback of an installation runs (driver_actions.h).
const wchar_t* const COPIED[] = {KVR7CTL_PROGRAM, KVR7CTL_DEFAULT_INF};

std::wstring rollbackCopy(const ActionData& data)
{
    return data.folder + MSI_ROLLBACK_FOLDER;
}

bool keepRollbackCopy(MSIHANDLE session, const ActionData& data)
{
    const std::wstring copy = rollbackCopy(data);
    if (!g_msiActionApi.CreateDirectoryW(copy.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
    {
        logLine(session, MSI_TEXT_COPY_NOT_KEPT, copy.c_str(), GetLastError());
        return false;
    }
    for (const wchar_t* name : COPIED)
    {
        if (!g_msiActionApi.CopyFileW((data.folder + name).c_str(), (copy + name).c_str(), FALSE))
        {
            logLine(session, MSI_TEXT_COPY_NOT_KEPT, (data.folder + name).c_str(), GetLastError());
            return false;
        }
    }
    return true;
}

// Deletes the step and the copy, whichever are there.
void forgetRollback(MSIHANDLE session, const ActionData& data)
{
    const LSTATUS error =
        g_msiActionApi.RegDeleteKeyW(HKEY_LOCAL_MACHINE, rollbackKey(data).c_str());
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        logLine(session, MSI_TEXT_STEP_NOT_FORGOTTEN, rollbackKey(data).c_str(),
                static_cast<DWORD>(error));
    const std::wstring copy = rollbackCopy(data);
    for (const wchar_t* name : COPIED)
    {
        if (!g_msiActionApi.DeleteFileW((copy + name).c_str()) &&
            GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
            logLine(session, MSI_TEXT_COPY_NOT_DELETED, (copy + name).c_str(), GetLastError());
    }
    g_msiActionApi.RemoveDirectoryW(copy.c_str());
}

// The arguments of kvr7ctl that undo `step`; null for nothing to do.
const wchar_t* undoArguments(RollbackStep step)
{
    switch (step)
    {
    case ROLLBACK_TAKE_OFF:
        return L"remove -force";
    case ROLLBACK_PUT_BACK:
        return L"deploy";
    case ROLLBACK_PUT_BACK_STAGED:
        return L"deploy -stage";
    default:
        return nullptr;
    }
}

// Another product of the package's upgrade code (a newer version replacing
// this one) in `other`. False when the Installer cannot tell.
bool otherVersionInstalled(MSIHANDLE session, const ActionData& data, std::wstring* other)
{
    other->clear();
    if (data.upgrade.empty())
        return true;
    for (DWORD index = 0;; ++index)
    {
        wchar_t product[39] = L"";
        const UINT error =
            g_msiActionApi.MsiEnumRelatedProductsW(data.upgrade.c_str(), 0, index, product);
        if (error == ERROR_NO_MORE_ITEMS)
            return true;
        if (error != ERROR_SUCCESS)
        {
            logLine(session, MSI_TEXT_RELATED_FAILED, data.upgrade.c_str(), error);
            return false;
        }
        if (_wcsicmp(product, data.product.c_str()) != 0)
        {
            *other = product;
            return true;
        }
    }
}

// What the rollback of a removal puts back, from status before it: nothing
// where no copy was staged; staged only where a board ran another driver.
RollbackStep putBackStep(DWORD statusBefore)
{
    if (statusBefore == KVR7CTL_NOT_STAGED)
        return ROLLBACK_NOTHING;
    return statusBefore == KVR7CTL_BOARD_OTHER_DRIVER ? ROLLBACK_PUT_BACK_STAGED
                                                      : ROLLBACK_PUT_BACK;
}

bool removeDriverOf(MSIHANDLE session, const ActionData& data)
{
    std::wstring other;
    DWORD before = 0, code = 0;
    if (!otherVersionInstalled(session, data, &other))
        return false;
    if (!other.empty())
    {
        logLine(session, MSI_TEXT_OTHER_VERSION, other.c_str());
        return true;
    }
    return runKvr7ctl(session, data, L"status", &before) &&
           keepRollbackStep(session, data, putBackStep(before)) &&
           runKvr7ctl(session, data, L"remove -force", &code) && succeeded(session, code);
}

} // namespace

UINT installDriver(MSIHANDLE session)
{
    ActionData data;
    DWORD before = 0, code = 0;
    if (!readActionData(session, &data) || !runKvr7ctl(session, data, L"status", &before))
    {
        logText(session, MSI_TEXT_INSTALL_FAILED);
        return ERROR_INSTALL_FAILURE;
    }
    // Only what this installation puts on is taken off again: a copy staged
    // before stays, and so does one that may have been (status cannot tell).
    const bool stagedBefore = before != KVR7CTL_NOT_STAGED;
    logText(session, before == KVR7CTL_FAILED ? MSI_TEXT_CANNOT_TELL_BEFORE
                     : stagedBefore           ? MSI_TEXT_STAGED_BEFORE
                                              : MSI_TEXT_NOT_STAGED_BEFORE);
    if ((!stagedBefore && !keepRollbackCopy(session, data)) ||
        !keepRollbackStep(session, data, stagedBefore ? ROLLBACK_NOTHING : ROLLBACK_TAKE_OFF))
    {
        logText(session, MSI_TEXT_INSTALL_FAILED);
        return ERROR_INSTALL_FAILURE;
    }
    if (data.stageOnly)
        logText(session, MSI_TEXT_STAGE_ONLY);
    if (runKvr7ctl(session, data, data.stageOnly ? L"deploy -stage" : L"deploy", &code) &&
        succeeded(session, code))
    {
        logText(session, MSI_TEXT_DEPLOYED);
        return ERROR_SUCCESS;
    }
    if (!stagedBefore)
    {
        logText(session, MSI_TEXT_TAKING_OFF);
        if (runKvr7ctl(session, data, L"remove -force", &code) && succeeded(session, code))
            forgetRollback(session, data);
        else
            logText(session, MSI_TEXT_NOT_TAKEN_OFF);
    }
    logText(session, MSI_TEXT_INSTALL_FAILED);
    return ERROR_INSTALL_FAILURE;
}

UINT removeDriver(MSIHANDLE session)
{
    ActionData data;
    const bool removed = readActionData(session, &data) && removeDriverOf(session, data);
    logText(session, removed ? MSI_TEXT_REMOVED : MSI_TEXT_REMOVE_FAILED);
    return removed ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

UINT rollBackDriver(MSIHANDLE session)
{
    ActionData data;
    if (!readActionData(session, &data))
        return ERROR_SUCCESS;
    const RollbackStep step = keptRollbackStep(session, data);
    const wchar_t* arguments = undoArguments(step);
    DWORD code = 0;
    if (!arguments)
    {
        logText(session, MSI_TEXT_ROLLBACK_NOTHING);
    }
    else
    {
        logText(session, step == ROLLBACK_TAKE_OFF ? MSI_TEXT_ROLLBACK_TAKE_OFF
                                                   : MSI_TEXT_ROLLBACK_PUT_BACK);
        const std::wstring folder = step == ROLLBACK_TAKE_OFF ? rollbackCopy(data) : data.folder;
        if (!runKvr7ctlIn(session, folder, arguments, &code) || !succeeded(session, code))
            logText(session, MSI_TEXT_ROLLBACK_FAILED);
    }
    forgetRollback(session, data);
    // The Installer goes on with the rollback whatever a rollback action gives.
    return ERROR_SUCCESS;
}

UINT commitDriver(MSIHANDLE session)
{
    ActionData data;
    if (readActionData(session, &data))
        forgetRollback(session, data);
    return ERROR_SUCCESS;
}
