// fake_msi_session.cpp
// The played session and kvr7ctl.exe (fake_msi_session.h). Log records are
// real ones (MsiCreateRecord needs no session): their field 1 is read back.

#include "tests/support/fake_msi_session.h"

#include <msiquery.h>

namespace {

MsiScript g_script;
MsiSeen g_seen;

DebugCaptureResult run(const std::wstring& commandLine, DWORD, const DebugCaptureSink& sink,
                       const DebuggeeStart& start)
{
    g_seen.withoutWindow &= (start.creationFlags & CREATE_NO_WINDOW) != 0;
    DebugCaptureResult result = {DEBUG_CAPTURE_START_FAILED, 0, ERROR_FILE_NOT_FOUND, 0, 0, 0};
    const size_t end = commandLine.find(L"\" ", 1);
    if (end == std::wstring::npos)
        return result;
    const std::wstring arguments = commandLine.substr(end + 2);
    const std::wstring program = commandLine.substr(1, end - 1);
    const std::wstring folder = g_script.actionData.substr(g_script.actionData.rfind(L'|') + 1);
    g_seen.commands.push_back((program == folder + L"\\kvr7ctl.exe"             ? L""
                               : program == folder + L"\\Rollback\\kvr7ctl.exe" ? L"copy "
                                                                                : L"elsewhere ") +
                              arguments);
    const auto code = g_script.exitCodes.find(arguments);
    if (code == g_script.exitCodes.end() || code->second == CANNOT_START)
        return result;
    sink.line(sink.context, L"trace [Manufacturer] {x}");
    result.outcome = DEBUG_CAPTURE_EXITED;
    result.exitCode = static_cast<DWORD>(code->second);
    return result;
}

int WINAPI message(MSIHANDLE session, INSTALLMESSAGE, MSIHANDLE record)
{
    wchar_t text[1024] = L"";
    DWORD size = 1024;
    if (session == FAKE_SESSION && MsiRecordGetStringW(record, 1, text, &size) == ERROR_SUCCESS)
        g_seen.log.push_back(text);
    return IDOK;
}

UINT WINAPI setMode(MSIHANDLE, MSIRUNMODE mode, BOOL state)
{
    g_seen.rebootAtEnd |= mode == MSIRUNMODE_REBOOTATEND && state;
    return ERROR_SUCCESS;
}

UINT WINAPI property(MSIHANDLE, LPCWSTR name, LPWSTR value, LPDWORD size)
{
    const std::wstring text = wcscmp(name, L"CustomActionData") == 0 ? g_script.actionData : L"";
    const DWORD room = *size;
    *size = static_cast<DWORD>(text.size());
    if (room <= text.size())
        return ERROR_MORE_DATA;
    wcscpy(value, text.c_str());
    return ERROR_SUCCESS;
}

UINT WINAPI related(LPCWSTR, DWORD, DWORD index, LPWSTR product)
{
    if (index >= g_script.relatedProducts.size())
        return ERROR_NO_MORE_ITEMS;
    wcscpy(product, g_script.relatedProducts[index].c_str());
    return ERROR_SUCCESS;
}

LSTATUS WINAPI setValue(HKEY root, LPCWSTR key, LPCWSTR, DWORD, LPCVOID data, DWORD)
{
    if (root != HKEY_LOCAL_MACHINE)
        return ERROR_ACCESS_DENIED;
    g_script.registry[key] = *static_cast<const DWORD*>(data);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI getValue(HKEY root, LPCWSTR key, LPCWSTR, DWORD, LPDWORD, PVOID data, LPDWORD)
{
    const auto found = g_script.registry.find(key);
    if (root != HKEY_LOCAL_MACHINE || found == g_script.registry.end())
        return ERROR_FILE_NOT_FOUND;
    *static_cast<DWORD*>(data) = found->second;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI deleteKey(HKEY root, LPCWSTR key)
{
    return root == HKEY_LOCAL_MACHINE && g_script.registry.erase(key) ? ERROR_SUCCESS
                                                                      : ERROR_FILE_NOT_FOUND;
}

BOOL WINAPI makeFolder(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    SetLastError(ERROR_ALREADY_EXISTS);
    return g_seen.files.insert(path).second;
}

BOOL WINAPI copy(LPCWSTR, LPCWSTR to, BOOL)
{
    g_seen.files.insert(to);
    return TRUE;
}

BOOL WINAPI remove(LPCWSTR path)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return g_seen.files.erase(path) > 0;
}

} // namespace

MsiSeen& playMsiSession(SeamGuard<MsiActionApi>& seam, const MsiScript& script)
{
    g_script = script;
    g_seen = MsiSeen();
    g_seen.files = script.files;
    seam.install({run, message, setMode, property, related, setValue, getValue, deleteKey,
                  makeFolder, copy, remove, remove});
    return g_seen;
}

const std::map<std::wstring, DWORD>& playedRegistry()
{
    return g_script.registry;
}
