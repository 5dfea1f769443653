// elevation_refused.cpp
// A stand-in for debugout.exe in a copy of the release package: it reports and
// ends as debugout does when Windows refuses to start the program because it
// requires elevation and the caller has no administrator rights (error 740).
// Wine starts such programs elevated, so this is how deploy.cmd's answer to the
// refusal is tried there.

#include "console/tool_text.h"
#include "debugout/debug_capture.h"

namespace {

// ERROR_ELEVATION_REQUIRED, which not every Windows header version declares.
const DWORD ELEVATION_REQUIRED = 740;

} // namespace

int main()
{
    const wchar_t* cursor = GetCommandLineW();
    std::wstring word;
    nextArgument(cursor, &word); // the stand-in's own name
    // debugout's options as deploy.cmd passes them: --timeout SECONDS.
    const wchar_t* program = cursor;
    if (nextArgument(cursor, &word) && word == L"--timeout" && nextArgument(cursor, &word))
        program = cursor;
    printError(cannotStartText(program, ELEVATION_REQUIRED));
    return static_cast<int>(DEBUGOUT_FAILED_EXIT_CODE);
}
