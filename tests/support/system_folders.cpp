// system_folders.cpp
// The test programs' view of their own folder and the system INF folder.

#include "tests/support/system_folders.h"

#include <windows.h>

#include "base/unique_handle.h"
#include "tests/support/file_bytes.h"

std::wstring ownFolder()
{
    wchar_t path[1024] = {};
    GetModuleFileNameW(nullptr, path, 1024);
    const std::wstring text = path;
    return text.substr(0, text.rfind(L'\\'));
}

std::wstring systemInfFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return std::wstring(folder) + L"\\inf";
}

std::vector<std::wstring> stagedCopies(const std::string& content)
{
    std::vector<std::wstring> names;
    const std::wstring folder = systemInfFolder();
    WIN32_FIND_DATAW found = {};
    const UniqueFind search(FindFirstFileW((folder + L"\\*.inf").c_str(), &found));
    if (!search.valid())
        return names;
    do
    {
        if (readFileBytes(folder + L"\\" + found.cFileName) == content)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}
