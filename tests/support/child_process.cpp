// child_process.cpp
// The command lines, temporary files and tool runs of child_process.h.

#include "tests/support/child_process.h"

#include <vector>

#include "console/tool_text.h"
#include "tests/support/file_bytes.h"
#include "tests/support/system_folders.h"

std::wstring quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::wstring fixtureCommand(const wchar_t* mode, int exitCode)
{
    return quoted(ownFolder() + L"\\tools_fixture.exe") + L" " + mode + L" " + decimal(exitCode);
}

std::wstring tempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + name;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& outputFile)
{
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    HANDLE output = INVALID_HANDLE_VALUE;
    HANDLE errors = INVALID_HANDLE_VALUE;
    if (!outputFile.empty())
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        errors = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
        startup.hStdError = errors;
    }
    m_started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, 0,
                       nullptr, nullptr, &startup, &m_process) != FALSE;
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    if (errors != INVALID_HANDLE_VALUE)
        CloseHandle(errors);
}

ChildProcess::~ChildProcess()
{
    if (!m_started)
        return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

long long ChildProcess::waitExit()
{
    DWORD code = 0;
    if (WaitForSingleObject(m_process.hProcess, CHILD_WAIT_MS) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process.hProcess, &code))
        return -1;
    return code;
}

long long runTool(const std::wstring& commandLine, std::string* output)
{
    const std::wstring file = tempFile(L"kvr7_tools_test_output.txt");
    long long code;
    {
        ChildProcess tool(commandLine, file);
        if (!tool.started())
            return -2;
        code = tool.waitExit();
    }
    *output = readFileBytes(file);
    DeleteFileW(file.c_str());
    return code;
}

unsigned openHandles()
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
    {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}
