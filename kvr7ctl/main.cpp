// main.cpp
// kvr7ctl.exe: the driver package's state and its removal, for administrators
// and fleet tools (kvr7ctl/command_line.h; usage in kvr7ctl/kvr7ctl_texts.h).

#include <windows.h>

#include <string>
#include <vector>

#include "base/system_library.h"
#include "kvr7ctl/command_line.h"

int wmain(int argc, wchar_t* argv[])
{
    restrictLibrarySearch();
    // The folder of the program, where the package's INF is by default; none
    // when it cannot be learned.
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), length < path.size() ? length : 0);
    const size_t slash = folder.rfind(L'\\');
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    return runKvr7ctl(std::vector<std::wstring>(argv, argv + argc), folder);
}
