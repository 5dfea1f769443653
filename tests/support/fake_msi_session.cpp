// fake_msi_session.cpp
// The played session and kvr7ctl.exe (fake_msi_session.h). Log records are
// real ones (MsiCreateRecord needs no session): their field 1 is read back.

#include "tests/support/fake_msi_session.h"

#include <msiquery.h>

namespace {

PlayedMsi* g;

DebugCaptureResult run(const std::wstring& line, DWORD, const DebugCaptureSink& sink,
                       const DebuggeeStart& start)
{
    const size_t end = line.find(L"\" ");
    const std::wstring program = line.substr(1, end - 1), arguments = line.substr(end + 2);
    const std::wstring folder = g->actionData.substr(g->actionData.rfind(L'|') + 1);
    g->commands.push_back((program == folder + L"\\kvr7ctl.exe"             ? L""
                           : program == folder + L"\\Rollback\\kvr7ctl.exe" ? L"copy "
                                                                            : L"elsewhere ") +
                          arguments);
    g->windowless &= (start.creationFlags & CREATE_NO_WINDOW) != 0;
    const auto code = g->exitCodes.find(arguments);
    if (code == g->exitCodes.end())
        return {DEBUG_CAPTURE_START_FAILED, 0, ERROR_FILE_NOT_FOUND, 0, 0, 0};
    sink.line(sink.context, L"trace [Manufacturer] {x}");
    return {DEBUG_CAPTURE_EXITED, static_cast<DWORD>(code->second), 0, 0, 1, 0};
}

int WINAPI message(MSIHANDLE, INSTALLMESSAGE, MSIHANDLE record)
{
    wchar_t text[1024] = L"";
    DWORD size = 1024;
    MsiRecordGetStringW(record, 1, text, &size);
    g->log.push_back(text);
    return IDOK;
}

UINT WINAPI setMode(MSIHANDLE, MSIRUNMODE mode, BOOL on)
{
    g->reboot |= mode == MSIRUNMODE_REBOOTATEND && on;
    return ERROR_SUCCESS;
}

UINT WINAPI property(MSIHANDLE, LPCWSTR, LPWSTR value, LPDWORD size)
{
    const DWORD room = *size;
    *size = static_cast<DWORD>(g->actionData.size());
    return room > *size ? (wcscpy(value, g->actionData.c_str()), ERROR_SUCCESS) : ERROR_MORE_DATA;
}

UINT WINAPI related(LPCWSTR, DWORD, DWORD index, LPWSTR product)
{
    if (index >= g->products.size())
        return ERROR_NO_MORE_ITEMS;
    wcscpy(product, g->products[index].c_str());
    return ERROR_SUCCESS;
}

LSTATUS WINAPI setValue(HKEY root, LPCWSTR key, LPCWSTR, DWORD, LPCVOID data, DWORD)
{
    if (root == HKEY_LOCAL_MACHINE)
        g->registry[key] = *static_cast<const DWORD*>(data);
    return root == HKEY_LOCAL_MACHINE ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS WINAPI getValue(HKEY, LPCWSTR key, LPCWSTR, DWORD, LPDWORD, PVOID data, LPDWORD)
{
    const auto found = g->registry.find(key);
    if (found == g->registry.end())
        return ERROR_FILE_NOT_FOUND;
    *static_cast<DWORD*>(data) = found->second;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI deleteKey(HKEY, LPCWSTR key)
{
    return g->registry.erase(key) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

BOOL WINAPI makeFolder(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    SetLastError(ERROR_ALREADY_EXISTS);
    return g->files.insert(path).second;
}

BOOL WINAPI copy(LPCWSTR, LPCWSTR to, BOOL)
{
    g->files.insert(to);
    return TRUE;
}

BOOL WINAPI remove(LPCWSTR path)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return g->files.erase(path) > 0;
}

} // namespace

void playMsi(SeamGuard<MsiActionApi>& seam, PlayedMsi& played)
{
    g = &played;
    seam.install({run, message, setMode, property, related, setValue, getValue, deleteKey,
                  makeFolder, copy, remove, remove});
}
