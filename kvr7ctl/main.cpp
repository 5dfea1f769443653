// main.cpp
// kvr7ctl.exe: the driver package's state and its removal, for administrators
// and fleet tools (kvr7ctl/command_line.h; usage in kvr7ctl/kvr7ctl_texts.h).

#include <windows.h>

#include <string>
#include <vector>

#include "base/path.h"
#include "base/system_library.h"
#include "kvr7ctl/command_line.h"

int wmain(int argc, wchar_t* argv[])
{
    restrictLibrarySearch();
    // The folder of the program, where the package's INF is by default; none
    // when it cannot be learned.
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    const uint64_t whole = length < path.size() ? length : 0;
    const uint64_t start = fileNameStart(path.data(), whole);
    const std::wstring folder(path.data(), start > 0 ? static_cast<size_t>(start - 1) : 0);
    return runKvr7ctl(std::vector<std::wstring>(argv, argv + argc), folder);
}
