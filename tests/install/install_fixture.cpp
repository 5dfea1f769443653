// install_fixture.cpp
// The window and system shared by the install and pre-install tests.

#include "tests/install/install_fixture.h"
#include "tests/support/golden_texts.h"

#include <commctrl.h>

#include <string>

#include "tools/window_driver.h"

namespace installtest {

namespace {

DWORD g_majorVersion = 10;

// Stands for kernel32 in the presented system.
HMODULE const PRESENTED_KERNEL = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x4b320000));

BOOL WINAPI presentedVersion(LPOSVERSIONINFOW info)
{
    info->dwMajorVersion = g_majorVersion;
    info->dwMinorVersion = 0;
    return TRUE;
}

HMODULE WINAPI presentedModule(LPCWSTR)
{
    return PRESENTED_KERNEL;
}

// The presented kernel has no IsWow64Process (the check then takes the process
// for a native one) and otherwise the real kernel's entry points.
FARPROC WINAPI presentedLookup(HMODULE, LPCSTR name)
{
    if (std::string(name) == "IsWow64Process")
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
}

} // namespace

std::wstring controlText(HWND window, int id)
{
    return windowText(GetDlgItem(window, id));
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
    m_wnd.reset(new CSetupWnd(GOLDEN_CAPTION));
    ASSERT_NE(nullptr, hwnd());
}

void WindowTest::TearDown()
{
    m_wnd.reset();
}

HWND WindowTest::hwnd() const
{
    return m_wnd ? m_wnd->hwnd() : nullptr;
}

void WindowTest::presentSystem(DWORD major)
{
    g_majorVersion = major;
    m_baseSeam->GetVersionExW = presentedVersion;
    m_baseSeam->GetModuleHandleW = presentedModule;
    m_baseSeam->GetProcAddress = presentedLookup;
}

} // namespace installtest
