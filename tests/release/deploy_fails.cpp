// deploy_fails.cpp
// A stand-in for kvr7ctl.exe in a Windows Installer package: it runs the real
// kvr7ctl.exe named by the environment variable KVR7_REAL_KVR7CTL with the same
// arguments and ends with its code, except that a successful `deploy` ends
// with 1603. So the custom action meets a deployment that failed after it put
// the driver on the board, and must take it off again.

#include <windows.h>

#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "console/tool_text.h"

int main()
{
    std::vector<wchar_t> real(32768);
    if (!GetEnvironmentVariableW(L"KVR7_REAL_KVR7CTL", real.data(),
                                 static_cast<DWORD>(real.size())))
        return 1603;
    // The arguments as typed: everything after this program's own name.
    const wchar_t* rest = GetCommandLineW();
    std::wstring self, verb;
    nextArgument(rest, &self);
    const wchar_t* arguments = rest;
    nextArgument(rest, &verb);
    std::wstring line = L"\"" + std::wstring(real.data()) + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 1603;
    const UniqueKernelObject ownedProcess(process.hProcess), ownedThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1603;
    GetExitCodeProcess(process.hProcess, &code);
    return verb == L"deploy" && code == 0 ? 1603 : static_cast<int>(code);
}
