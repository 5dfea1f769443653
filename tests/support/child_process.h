// child_process.h
// Programs that tests start: a child process owned by the test, a tool run with
// its standard output in a file, the stand-in program the tools are tried on
// (tools_fixture.exe, built beside the test programs), and a count of this
// process's open handles for tests that must leave none behind.
#pragma once

#include <windows.h>

#include <string>

// How long a test waits for a child to end (and for its windows to come and go).
const DWORD CHILD_WAIT_MS = 20000;

// `path` in double quotes, for a command line.
std::wstring quoted(const std::wstring& path);

// tools_fixture.exe's command line for `mode` (tests/tools/tools_fixture.cpp) and `exitCode`.
std::wstring fixtureCommand(const wchar_t* mode, int exitCode);

// `name` in the system's temporary folder.
std::wstring tempFile(const wchar_t* name);

// A child process owned by the test: terminated through its handle if it is
// still running when the owner goes away. Standard output may go to a file
// (standard error then goes nowhere, so tools' complaints stay out of the log).
class ChildProcess
{
public:
    explicit ChildProcess(const std::wstring& commandLine, const std::wstring& outputFile = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_started; }
    DWORD id() const { return m_process.dwProcessId; }

    // The exit code, or -1 when the child has not ended within CHILD_WAIT_MS.
    long long waitExit();

private:
    bool m_started = false;
    PROCESS_INFORMATION m_process = {};
};

// Runs a tool with its output in a file; gives its exit code and output.
long long runTool(const std::wstring& commandLine, std::string* output);

// Open handles of this process among the first handle values. Counted one by
// one because Wine's GetProcessHandleCount always answers 0.
unsigned openHandles();
