// debugout_main.cpp
// debugout.exe: runs a program and prints what it writes to the debugger output,
// one line per debug string, as UTF-8; exits with the program's exit code.
//   debugout.exe [--timeout SECONDS] [--output FILE] [--] PROGRAM [ARGS...]
// Everything after the options is passed on exactly as typed. Exit codes of its
// own: 124 when the time ran out (the program is terminated), 125 when debugout
// itself failed (bad options, the program or the file could not be opened).

#include "debugout/debug_capture.h"
#include "console/tool_text.h"

#include "base/unique_handle.h"

namespace {

const int EXIT_TOOL_FAILED = static_cast<int>(DEBUGOUT_FAILED_EXIT_CODE);

const wchar_t USAGE[] =
    L"usage: debugout.exe [--timeout SECONDS] [--output FILE] [--] PROGRAM [ARGS...]";

struct LineTarget
{
    HANDLE handle;
    bool failed;
};

void writeLine(void* context, const std::wstring& text)
{
    LineTarget* target = static_cast<LineTarget*>(context);
    if (!writeText(target->handle, text + L"\n"))
        target->failed = true;
}

} // namespace

int main()
{
    const wchar_t* cursor = GetCommandLineW();
    std::wstring word;
    nextArgument(cursor, &word); // the program's own name

    DWORD timeoutMs = INFINITE;
    std::wstring outputPath;
    for (;;)
    {
        const wchar_t* before = cursor;
        if (!nextArgument(cursor, &word))
            break;
        if (word == L"--")
            break;
        if (word == L"--timeout" || word == L"--output")
        {
            std::wstring value;
            if (!nextArgument(cursor, &value))
            {
                printError(USAGE);
                return EXIT_TOOL_FAILED;
            }
            if (word == L"--output")
            {
                outputPath = value;
                continue;
            }
            unsigned long long seconds = 0;
            if (!parseNumber(value, &seconds) || seconds == 0 || seconds > 86400)
            {
                printError(L"debugout: bad timeout: " + value);
                return EXIT_TOOL_FAILED;
            }
            timeoutMs = static_cast<DWORD>(seconds * 1000);
            continue;
        }
        if (word.size() > 1 && word[0] == L'-' && word[1] == L'-')
        {
            printError(L"debugout: unknown option: " + word);
            printError(USAGE);
            return EXIT_TOOL_FAILED;
        }
        cursor = before; // the program's name starts here
        break;
    }
    const std::wstring commandLine = cursor;
    if (commandLine.empty())
    {
        printError(USAGE);
        return EXIT_TOOL_FAILED;
    }

    LineTarget target = {GetStdHandle(STD_OUTPUT_HANDLE), false};
    UniqueFile file;
    if (!outputPath.empty())
    {
        file.reset(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
        {
            printError(L"debugout: cannot create " + outputPath + L": error " +
                       decimal(GetLastError()));
            return EXIT_TOOL_FAILED;
        }
        target.handle = file.get();
    }

    DebugCaptureSink sink = {nullptr, writeLine, &target};
    // A console program gets no console window of its own, whoever started
    // debugout (deploy.cmd run by a fleet tool as SYSTEM); its standard output
    // then goes nowhere, and what it traces is what debugout writes.
    const DebuggeeStart windowless = {CREATE_NO_WINDOW, DEBUGGEE_SHOW_DEFAULT};
    const DebugCaptureResult result = runUnderDebugger(commandLine, timeoutMs, sink, windowless);
    file.reset();
    if (target.failed)
        printError(L"debugout: could not write every line");
    if (result.unreadable)
        printError(L"debugout: " + decimal(result.unreadable) +
                   L" debug strings could not be read and are missing");

    switch (result.outcome)
    {
    case DEBUG_CAPTURE_EXITED:
        return static_cast<int>(result.exitCode);
    case DEBUG_CAPTURE_TIMED_OUT:
        printError(L"debugout: time ran out; the program was terminated");
        return static_cast<int>(DEBUG_CAPTURE_TIMEOUT_EXIT_CODE);
    case DEBUG_CAPTURE_START_FAILED:
        if (result.error == ERROR_NOT_SUPPORTED)
        {
            printError(L"debugout: the program is 64-bit; run it with the 64-bit debugout.exe");
            return EXIT_TOOL_FAILED;
        }
        printError(cannotStartText(commandLine, result.error));
        return EXIT_TOOL_FAILED;
    default:
        printError(L"debugout: the debug loop failed: error " + decimal(result.error));
        return EXIT_TOOL_FAILED;
    }
}
