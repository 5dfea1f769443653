// test_support.cpp
// Debugger output capture, CWStr helpers and file reading for the test programs.

#include "tests/support/test_support.h"

#include <cwchar>

namespace {

std::vector<std::wstring>& capturedLines()
{
    static std::vector<std::wstring> lines;
    return lines;
}

void WINAPI captureOutput(LPCWSTR text)
{
    capturedLines().push_back(text ? text : L"(null)");
}

} // namespace

DebugOutputCapture::DebugOutputCapture() : m_saved(g_traceApi)
{
    capturedLines().clear();
    g_traceApi.OutputDebugStringW = captureOutput;
}

DebugOutputCapture::~DebugOutputCapture()
{
    g_traceApi = m_saved;
}

const std::vector<std::wstring>& DebugOutputCapture::lines() const
{
    return capturedLines();
}

void DebugOutputCapture::clear()
{
    capturedLines().clear();
}

std::wstring win32Unavailable()
{
    const wchar_t name[] = L"KVR7_NO_WIN32_REASON";
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring reason(size, L'\0');
    reason.resize(GetEnvironmentVariableW(name, &reason[0], size));
    return reason;
}

std::vector<std::wstring> items(const CWStrArray& array)
{
    std::vector<std::wstring> result;
    for (uint64_t i = 0; i < array.count(); ++i)
        result.push_back(str(array[i]));
    return result;
}

::testing::AssertionResult wellFormed(const CWStr& value)
{
    if (!value.c_str())
        return ::testing::AssertionFailure() << "null data";
    if (value.c_str()[value.length()] != L'\0')
        return ::testing::AssertionFailure() << "no NUL at position " << value.length();
    if (std::wcslen(value.c_str()) != value.length())
        return ::testing::AssertionFailure() << "NUL before position " << value.length();
    return ::testing::AssertionSuccess();
}

std::string readFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}
