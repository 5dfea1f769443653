// test_support.cpp
// Debugger output capture and CWStr helpers for the test programs.

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

DebugOutputCapture::DebugOutputCapture() : m_seam(g_baseApi)
{
    capturedLines().clear();
    m_seam->OutputDebugStringW = captureOutput;
}

DebugOutputCapture::~DebugOutputCapture()
{
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
