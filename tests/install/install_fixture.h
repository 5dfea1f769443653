// install_fixture.h
// What the install and pre-install tests share: a real CSetupWnd whose state is
// read back with Win32 queries, and a platform check that passes whatever the
// system running the tests is.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/base_platform.h"
#include "install/install_platform.h"
#include "tests/support/seam_guard.h"
#include "ui/control_ids.h"
#include "ui/setup_window.h"

namespace installtest {

// Control IDs of the window, as a user's tools see them.
enum : int
{
    FINISH = ID_FINISH_BUTTON,
    STATUS = ID_STATUS_LINE,
    PROGRESS = ID_PROGRESS_BAR,
    RESULT = ID_RESULT_LINE,
    RESTART = ID_RESTART_NOTE,
};

std::wstring controlText(HWND window, int id);
bool controlVisible(HWND window, int id);
int progressPosition(HWND window);
bool finishHasFocus(HWND window);

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    HWND hwnd() const;
    std::wstring text(int id) const { return controlText(hwnd(), id); }
    bool visible(int id) const { return controlVisible(hwnd(), id); }
    int position() const { return progressPosition(hwnd()); }

    // Makes the platform check see Windows of `major` version, not under WOW64.
    void presentSystem(DWORD major);

    // The seams of the operations, put back after each test.
    SeamGuard<BaseApi> m_baseSeam{g_baseApi};
    SeamGuard<LoaderApi> m_loaderSeam{g_loaderApi};
    SeamGuard<InstallApi> m_installSeam{g_installApi};
    std::unique_ptr<CSetupWnd> m_wnd;
    int32_t m_exitCode = -1;
};

} // namespace installtest
