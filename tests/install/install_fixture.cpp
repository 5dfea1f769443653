// install_fixture.cpp
// The window and system shared by the install and pre-install tests.

#include "tests/install/install_fixture.h"

#include <commctrl.h>

#include <string>

#include "tests/support/fake_system.h"
#include "tests/support/golden_texts.h"
#include "tests/tools/window_driver.h"

namespace installtest {

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
    SystemAnswers system;
    system.major = major;
    system.productType = 0;
    system.architecture = realArchitecture();
    system.logCalls = false;
    ::presentSystem(system);
}

} // namespace installtest
