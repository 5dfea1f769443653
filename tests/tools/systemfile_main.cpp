// systemfile_main.cpp
// systemfile.exe: a file of the test build in the system folder for the
// release checks, in place of the system's own (tests/tools/system_file.h).
//   systemfile.exe place SOURCE NAME    sets the system's NAME aside, copies SOURCE in
//   systemfile.exe restore NAME         puts the system's NAME back
// Exit codes: 0 done, 3 bad command line, 4 the file could not be swapped
// (the error on standard error).

#include <string>

#include "console/tool_text.h"
#include "tests/tools/system_file.h"

int wmain(int argc, wchar_t* argv[])
{
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    bool done = false;
    if (verb == L"place" && argc == 4)
        done = placeSystemFile(argv[2], argv[3]);
    else if (verb == L"restore" && argc == 3)
        done = restoreSystemFile(argv[2]);
    else
    {
        printError(L"usage: systemfile.exe place SOURCE NAME | restore NAME");
        return 3;
    }
    if (!done)
        printError(L"systemfile: " + verb + L" failed: error " + decimal(GetLastError()));
    return done ? 0 : 4;
}
