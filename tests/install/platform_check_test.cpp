// platform_check_test.cpp
// CSetupWnd::checkPlatform: every case through the seam (calls, their order and
// arguments, texts, exit code), and the real check on the system under test.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/base_platform.h"
#include "tests/support/fake_system.h"
#include "tests/support/golden_texts.h"
#include "tests/support/seam_guard.h"
#include "tests/tools/window_driver.h"
#include "ui/control_ids.h"
#include "ui/setup_window.h"

namespace {

const wchar_t* const TOO_OLD = GOLDEN_TOO_OLD;
const wchar_t* const WOW64 = GOLDEN_WOW64;

class PlatformCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        m_window.reset(new CSetupWnd(GOLDEN_CAPTION));
    }

    void TearDown() override { m_window.reset(); }

    HWND statusLine() const { return GetDlgItem(m_window->hwnd(), ID_STATUS_LINE); }

    std::wstring statusText() const { return windowText(statusLine()); }

    SeamGuard<BaseApi> m_seam{g_baseApi};
    std::unique_ptr<CSetupWnd> m_window;
};

struct CheckCase
{
    const char* name;
    BOOL versionResult;
    DWORD major;
    bool hasIsWow64Process;
    BOOL wow64CallResult;
    BOOL wow64Flag;
    int expectedResult;
    const wchar_t* expectedText; // null: status line untouched
    size_t expectedCallCount;    // how far along the documented call order it goes
};

const char* const CALL_ORDER[] = {"GetVersionExW", "GetModuleHandleW", "GetProcAddress",
                                  "GetCurrentProcess", "IsWow64Process"};

TEST_F(PlatformCheckTest, RefusesOldWindowsAndWow64AndPassesTheRest)
{
    const CheckCase cases[] = {
        {"Windows NT 4", TRUE, 4, true, TRUE, FALSE, 0, TOO_OLD, 1},
        {"Windows NT 3", TRUE, 3, true, TRUE, TRUE, 0, TOO_OLD, 1},
        {"version query fails (on a WOW64 system)", FALSE, 10, true, TRUE, TRUE, 0, TOO_OLD, 1},
        {"Windows 2000", TRUE, 5, true, TRUE, FALSE, 1, nullptr, 5},
        {"Windows 10", TRUE, 10, true, TRUE, FALSE, 1, nullptr, 5},
        {"Windows 10 under WOW64", TRUE, 10, true, TRUE, TRUE, 0, WOW64, 5},
        {"Windows 2000 under WOW64", TRUE, 5, true, TRUE, TRUE, 0, WOW64, 5},
        {"IsWow64Process fails", TRUE, 6, true, FALSE, TRUE, 1, nullptr, 5},
        {"IsWow64Process missing", TRUE, 5, false, TRUE, TRUE, 1, nullptr, 3},
    };
    for (const CheckCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        SystemAnswers system;
        system.versionResult = c.versionResult;
        system.major = c.major;
        system.minor = 1;
        system.hasIsWow64Process = c.hasIsWow64Process;
        system.wow64CallResult = c.wow64CallResult;
        system.wow64Flag = c.wow64Flag;
        presentSystem(system);
        const SystemCalls& seen = systemCalls();

        int32_t exitCode = 0;
        EXPECT_EQ(c.expectedResult, m_window->checkPlatform(&exitCode));
        EXPECT_EQ(c.expectedResult ? 0 : 1, exitCode);
        EXPECT_EQ(std::vector<std::string>(CALL_ORDER, CALL_ORDER + c.expectedCallCount),
                  seen.calls);
        EXPECT_EQ(284u, seen.versionRecordSize);
        if (c.expectedCallCount >= 3)
        {
            EXPECT_EQ(std::wstring(L"kernel32.dll"), seen.moduleNames.at(0));
            EXPECT_EQ(FAKE_KERNEL, seen.procModule);
            EXPECT_EQ(std::string("IsWow64Process"), seen.procNames.at(0));
        }
        if (c.expectedCallCount == 5)
        {
            EXPECT_EQ(FAKE_PROCESS, seen.wow64Process);
            EXPECT_EQ(FALSE, seen.flagOnEntry);
        }
        if (c.expectedText)
        {
            EXPECT_EQ(std::wstring(c.expectedText), statusText());
            EXPECT_TRUE(IsWindowVisible(statusLine()));
        }
        else
        {
            EXPECT_EQ(std::wstring(), statusText());
            EXPECT_FALSE(IsWindowVisible(statusLine()));
        }
        // The check shows nothing but the status line.
        for (int id : {ID_FINISH_BUTTON, ID_PROGRESS_BAR, ID_RESULT_LINE, ID_RESTART_NOTE})
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_window->hwnd(), id))) << "control " << id;
    }
}

TEST_F(PlatformCheckTest, LeavesTheExitCodeAsItWasWhenItPasses)
{
    SystemAnswers system;
    system.major = 6;
    system.hasIsWow64Process = true;
    presentSystem(system);
    int32_t exitCode = 42;
    EXPECT_EQ(1, m_window->checkPlatform(&exitCode));
    EXPECT_EQ(42, exitCode);
}

// The real platform. The test prefix is 64-bit Windows: the 32-bit build runs
// under WOW64 there and must send the user to install64.exe.
TEST_F(PlatformCheckTest, RealSystem)
{
    int32_t exitCode = 0;
    const int result = m_window->checkPlatform(&exitCode);
#ifdef _WIN64
    EXPECT_EQ(1, result);
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(IsWindowVisible(statusLine()));
#else
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    ASSERT_TRUE(wow64) << "the 32-bit tests expect a 64-bit Wine prefix";
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, exitCode);
    EXPECT_EQ(std::wstring(WOW64), statusText());
    EXPECT_TRUE(IsWindowVisible(statusLine()));
#endif
}

} // namespace
