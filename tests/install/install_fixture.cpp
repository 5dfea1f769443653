// install_fixture.cpp
// The window and system shared by the install and pre-install tests.

#include "tests/install/install_fixture.h"

#include <commctrl.h>

#include "install/platform_check.h"

namespace installtest {

namespace {

DWORD g_majorVersion = 10;
PlatformCheckApi g_savedCheckApi;

BOOL WINAPI presentedVersion(LPOSVERSIONINFOW info)
{
    info->dwMajorVersion = g_majorVersion;
    info->dwMinorVersion = 0;
    return TRUE;
}

// No IsWow64Process: the check then takes the process for a native one.
FARPROC WINAPI noWow64Lookup(HMODULE, LPCSTR)
{
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

} // namespace

std::wstring controlText(HWND window, int id)
{
    wchar_t text[1024] = {};
    GetWindowTextW(GetDlgItem(window, id), text, 1024);
    return text;
}

bool controlVisible(HWND window, int id)
{
    return IsWindowVisible(GetDlgItem(window, id)) != FALSE;
}

int progressPosition(HWND window)
{
    return static_cast<int>(SendMessageW(GetDlgItem(window, PROGRESS), PBM_GETPOS, 0, 0));
}

bool finishHasFocus(HWND window)
{
    return GetFocus() == GetDlgItem(window, FINISH);
}

void WindowTest::SetUp()
{
    g_savedCheckApi = g_platformCheckApi;
    m_wnd.reset(new CSetupWnd(L"KVR7 Driver Installer"));
    ASSERT_NE(nullptr, hwnd());
}

void WindowTest::TearDown()
{
    m_wnd.reset();
    g_platformCheckApi = g_savedCheckApi;
}

HWND WindowTest::hwnd() const
{
    return m_wnd ? m_wnd->hwnd() : nullptr;
}

void WindowTest::presentSystem(DWORD major)
{
    g_majorVersion = major;
    g_platformCheckApi.GetVersionExW = presentedVersion;
    g_platformCheckApi.GetProcAddress = noWow64Lookup;
}

} // namespace installtest
