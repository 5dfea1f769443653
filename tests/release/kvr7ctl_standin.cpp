// kvr7ctl_standin.cpp
// A stand-in for kvr7ctl.exe in a Windows Installer package made for the
// tests: ends with the code that %windir%\Temp\kvr7ctl-standin.ini gives for
// its command ("[kvr7ctl]" then "status=3010"), 0 when none is given, and
// traces that.

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* verb = argc > 1 ? argv[1] : L"";
    wchar_t path[MAX_PATH + 40] = L"";
    GetWindowsDirectoryW(path, MAX_PATH);
    wcscat(path, L"\\Temp\\kvr7ctl-standin.ini");
    const int code = static_cast<int>(GetPrivateProfileIntW(L"kvr7ctl", verb, 0, path));
    wchar_t line[128];
    swprintf(line, 128, L"kvr7ctl stand-in: %ls ends with %d", verb, code);
    OutputDebugStringW(line);
    return code;
}
