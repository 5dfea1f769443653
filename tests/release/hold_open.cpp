// hold_open.cpp
// What a user who may read a log folder can do: open a new log file without
// sharing the moment it appears, so that nobody can write it for a while.
//   hold_open.exe PATTERN SECONDS   (C:\folder\name-*.log; prints "waiting", then
//   "held NAME"; exit code 1 when no file came within 60 s)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const std::string pattern = argc == 3 ? argv[1] : "";
    const std::string folder = pattern.substr(0, pattern.rfind('\\') + 1);
    std::puts("waiting");
    std::fflush(stdout);
    // No sleeping: the file must be taken between two lines of a batch file.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 60000;)
    {
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        const HANDLE file = CreateFileA((folder + found.cFileName).c_str(), GENERIC_READ, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        std::printf("held %s\n", found.cFileName);
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
        return CloseHandle(file) ? 0 : 1;
    }
    return 1;
}
