// system_file.cpp
// The swap of a system file: a move aside, a copy in, and the move back.

#include "tests/tools/system_file.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring systemPath(const std::wstring& name)
{
    std::vector<wchar_t> folder(MAX_PATH + 1);
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    return std::wstring(folder.data(), length < folder.size() ? length : 0) + L"\\" + name;
}

} // namespace

bool placeSystemFile(const std::wstring& source, const std::wstring& name)
{
    const std::wstring path = systemPath(name);
    if (!restoreSystemFile(name) || !MoveFileExW(path.c_str(), (path + L".kvr7-saved").c_str(), 0))
        return false;
    if (CopyFileW(source.c_str(), path.c_str(), TRUE))
        return true;
    const DWORD error = GetLastError();
    restoreSystemFile(name);
    SetLastError(error);
    return false;
}

bool restoreSystemFile(const std::wstring& name)
{
    const std::wstring path = systemPath(name);
    const std::wstring saved = path + L".kvr7-saved";
    if (GetFileAttributesW(saved.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    return MoveFileExW(saved.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
