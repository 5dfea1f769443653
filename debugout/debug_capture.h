// debug_capture.h
// Runs a program as a debuggee and hands over, in order, every text it writes
// to the debugger output, then its exit code. The loop runs on the calling
// thread (the platform delivers debug events only to the thread that started
// the debuggee) and ends when the debuggee has ended; to drive the debuggee's
// window meanwhile, call the window driver (which keeps no state) from another
// thread.
#pragma once

#include <windows.h>

#include <string>

struct DebugCaptureSink
{
    // Called once, right after the debuggee has been created; may be null.
    void (*started)(void* context, const PROCESS_INFORMATION& process);
    // Called once per debug string, with at most one line feed (and a carriage
    // return before it) taken off its end; every other character is kept.
    void (*line)(void* context, const std::wstring& text);
    void* context;
};

enum DebugCaptureOutcome
{
    DEBUG_CAPTURE_EXITED,       // the debuggee ended by itself; exitCode is its code
    DEBUG_CAPTURE_TIMED_OUT,    // the time ran out; the debuggee was terminated
    DEBUG_CAPTURE_START_FAILED, // the program could not be started (or, with
                                // ERROR_NOT_SUPPORTED, is 64-bit while this
                                // process is 32-bit); error holds why
    DEBUG_CAPTURE_FAILED        // the debug loop broke down; the debuggee was terminated
};

struct DebugCaptureResult
{
    DebugCaptureOutcome outcome;
    DWORD exitCode;
    DWORD error;
    DWORD processId;
    unsigned long lines;
    unsigned long unreadable; // debug strings whose text could not be read
};

// How the debuggee is started, besides DEBUG_ONLY_THIS_PROCESS: more creation
// flags (CREATE_NO_WINDOW, so that a console program started by a process
// without a console opens no console window), and the show state its first
// window takes (passed as STARTUPINFO's wShowWindow with STARTF_USESHOWWINDOW;
// SW_HIDE keeps the window hidden). DEBUGGEE_SHOW_DEFAULT passes no show state.
struct DebuggeeStart
{
    DWORD creationFlags;
    int showWindow;
};
const int DEBUGGEE_SHOW_DEFAULT = -1;
const DebuggeeStart DEBUGGEE_AS_IS = {0, DEBUGGEE_SHOW_DEFAULT};

// Exit code given to a debuggee that is terminated because time ran out.
const DWORD DEBUG_CAPTURE_TIMEOUT_EXIT_CODE = 124;

// debugout.exe's exit code when it failed itself (bad options, the program could
// not be started, the output file could not be made).
const DWORD DEBUGOUT_FAILED_EXIT_CODE = 125;

// debugout.exe's report when the program cannot be started. Deployment scripts
// look for ": error 740" in it: Windows refuses to start a program that requires
// elevation from a process without administrator rights.
std::wstring cannotStartText(const std::wstring& commandLine, DWORD error);

// Text of one OUTPUT_DEBUG_STRING_EVENT: Unicode as it is, ANSI through the
// ANSI code page, cut at its first NUL. False when the text cannot be read.
bool readDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info, std::wstring* text);

// Strips one trailing "\n" or "\r\n".
std::wstring withoutLineEnd(const std::wstring& text);

// Starts `commandLine` (program and arguments, as CreateProcessW takes them)
// with DEBUG_ONLY_THIS_PROCESS and `start`, and runs the debug loop.
// `timeoutMs` bounds the whole run (INFINITE for no bound).
DebugCaptureResult runUnderDebugger(const std::wstring& commandLine, DWORD timeoutMs,
                                    const DebugCaptureSink& sink,
                                    const DebuggeeStart& start = DEBUGGEE_AS_IS);
