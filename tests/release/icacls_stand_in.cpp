// icacls_stand_in.cpp
// A stand-in for the system's icacls.exe, put in its place by the release
// checks (Wine's icacls does nothing and answers 0, so there the command's
// arguments are all there is to check): appends its command line after its
// own name as one line to icacls_calls.txt beside itself, and ends with the
// number in the environment variable KVR7_ICACLS_EXIT (0 without it).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring calls = self;
    calls = calls.substr(0, calls.rfind(L'\\') + 1) + L"icacls_calls.txt";

    // What follows the program's own name, as typed (its name may be quoted).
    const wchar_t* rest = GetCommandLineW();
    const wchar_t end = *rest == L'"' ? L'"' : L' ';
    rest += *rest == L'"' ? 1 : 0;
    while (*rest && *rest != end)
        ++rest;
    rest += *rest == L'"' ? 1 : 0;
    while (*rest == L' ')
        ++rest;

    FILE* file = _wfopen(calls.c_str(), L"ab");
    if (file)
    {
        std::fprintf(file, "%ls\r\n", rest);
        std::fclose(file);
    }
    const char* code = std::getenv("KVR7_ICACLS_EXIT");
    return code ? std::atoi(code) : 0;
}
