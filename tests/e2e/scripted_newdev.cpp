// scripted_newdev.cpp
// A scripted "newdev.dll" for the end-to-end tests. Placed in the system folder
// in place of the platform's library (and loaded instead of Wine's own by a
// native-first DLL override for the program under test only), its
// UpdateDriverForPlugAndPlayDevicesW answers each hardware ID as the file
// newdev_script.txt beside the program says, and appends every call to
// newdev_calls.txt there. This plays the outcomes that Wine's own library never
// gives: no matching device, failures and restart requests.
//
// Script lines: HARDWARE_ID RESULT LAST_ERROR REBOOT, separated by blanks;
// RESULT is 1 (TRUE) or 0 (FALSE), LAST_ERROR and REBOOT are numbers (decimal
// or 0x hexadecimal). An ID without a line, or a missing script, gets FALSE with
// ERROR_NO_SUCH_DEVINST (no such device present). The reboot value is written
// only when the answer is TRUE, as the platform does.
// Call lines: HARDWARE_ID|INF_PATH|INSTALL_FLAGS(hex)|PARENT(0 or 1), UTF-8.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/file_bytes.h"

namespace {

const DWORD NO_SUCH_DEVINST = 0xE000020B;

// The folder of the program that loaded the library.
std::wstring programFolder()
{
    wchar_t path[1024] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    std::wstring text(path, length);
    const size_t slash = text.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : text.substr(0, slash);
}

std::string utf8(const wchar_t* text)
{
    if (!text)
        return "(null)";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size - 1));
    return bytes;
}

std::string readScript()
{
    return readFileBytes(programFolder() + L"\\newdev_script.txt");
}

void recordCall(const std::string& line)
{
    const std::wstring path = programFolder() + L"\\newdev_calls.txt";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

struct Answer
{
    BOOL result;
    DWORD lastError;
    BOOL reboot;
};

// The script's answer for the ID (IDs compare without regard to ASCII case).
Answer answerFor(const std::string& hardwareId)
{
    Answer answer = {FALSE, NO_SUCH_DEVINST, FALSE};
    const std::string script = readScript();
    size_t start = 0;
    while (start < script.size())
    {
        size_t end = script.find('\n', start);
        if (end == std::string::npos)
            end = script.size();
        std::string line = script.substr(start, end - start);
        start = end + 1;
        const size_t blank = line.find(' ');
        if (blank == std::string::npos || blank != hardwareId.size() ||
            _strnicmp(line.c_str(), hardwareId.c_str(), blank) != 0)
            continue;
        char* cursor = &line[blank];
        answer.result = std::strtoul(cursor, &cursor, 0) != 0 ? TRUE : FALSE;
        answer.lastError = static_cast<DWORD>(std::strtoul(cursor, &cursor, 0));
        answer.reboot = std::strtoul(cursor, &cursor, 0) != 0 ? TRUE : FALSE;
        break;
    }
    return answer;
}

} // namespace

extern "C" BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND hwndParent, LPCWSTR HardwareId,
                                                          LPCWSTR FullInfPath, DWORD InstallFlags,
                                                          PBOOL bRebootRequired)
{
    const std::string id = utf8(HardwareId);
    char flags[16];
    wsprintfA(flags, "%lx", InstallFlags);
    recordCall(id + "|" + utf8(FullInfPath) + "|" + flags + "|" + (hwndParent ? "1" : "0") + "\n");

    const Answer answer = answerFor(id);
    if (answer.result && bRebootRequired)
        *bRebootRequired = answer.reboot;
    SetLastError(answer.lastError);
    return answer.result;
}
