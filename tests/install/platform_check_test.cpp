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
#include "tests/support/golden_texts.h"
#include "tests/support/seam_guard.h"
#include "tools/window_driver.h"
#include "ui/control_ids.h"
#include "ui/setup_window.h"

namespace {

const wchar_t* const TOO_OLD = GOLDEN_TOO_OLD;
const wchar_t* const WOW64 = GOLDEN_WOW64;

// What the fake system answers, and what the check asked.
struct FakeSystem
{
    BOOL versionResult;
    DWORD major;
    bool hasIsWow64Process;
    BOOL wow64CallResult;
    BOOL wow64Flag;

    std::vector<std::string> calls;
    DWORD versionRecordSize;
    std::wstring moduleName;
    std::string procName;
    HMODULE procModule;
    HANDLE wow64Process;
    BOOL flagOnEntry;
};

FakeSystem g_system;
HMODULE const FAKE_KERNEL = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x7AB0000));
HANDLE const FAKE_PROCESS = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-7));

BOOL WINAPI fakeGetVersionEx(LPOSVERSIONINFOW info)
{
    g_system.calls.push_back("GetVersionExW");
    g_system.versionRecordSize = info->dwOSVersionInfoSize;
    if (!g_system.versionResult)
        return FALSE;
    info->dwMajorVersion = g_system.major;
    info->dwMinorVersion = 1;
    return TRUE;
}

HMODULE WINAPI fakeGetModuleHandle(LPCWSTR name)
{
    g_system.calls.push_back("GetModuleHandleW");
    g_system.moduleName = name ? name : L"(null)";
    return FAKE_KERNEL;
}

BOOL WINAPI fakeIsWow64Process(HANDLE process, PBOOL flag)
{
    g_system.calls.push_back("IsWow64Process");
    g_system.wow64Process = process;
    g_system.flagOnEntry = *flag;
    if (!g_system.wow64CallResult)
        return FALSE;
    *flag = g_system.wow64Flag;
    return TRUE;
}

FARPROC WINAPI fakeGetProcAddress(HMODULE module, LPCSTR name)
{
    g_system.calls.push_back("GetProcAddress");
    g_system.procModule = module;
    g_system.procName = name;
    return g_system.hasIsWow64Process
               ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fakeIsWow64Process))
               : nullptr;
}

HANDLE WINAPI fakeGetCurrentProcess()
{
    g_system.calls.push_back("GetCurrentProcess");
    return FAKE_PROCESS;
}

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

    // Serves the fake system through the seam: the version, the kernel module
    // and its IsWow64Process, the process.
    void presentFakeSystem()
    {
        m_seam->GetVersionExW = fakeGetVersionEx;
        m_seam->GetModuleHandleW = fakeGetModuleHandle;
        m_seam->GetProcAddress = fakeGetProcAddress;
        m_seam->GetCurrentProcess = fakeGetCurrentProcess;
    }

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
        g_system = FakeSystem();
        g_system.versionResult = c.versionResult;
        g_system.major = c.major;
        g_system.hasIsWow64Process = c.hasIsWow64Process;
        g_system.wow64CallResult = c.wow64CallResult;
        g_system.wow64Flag = c.wow64Flag;
        g_system.flagOnEntry = 99;
        presentFakeSystem();

        int32_t exitCode = 0;
        EXPECT_EQ(c.expectedResult, m_window->checkPlatform(&exitCode));
        EXPECT_EQ(c.expectedResult ? 0 : 1, exitCode);
        EXPECT_EQ(std::vector<std::string>(CALL_ORDER, CALL_ORDER + c.expectedCallCount),
                  g_system.calls);
        EXPECT_EQ(284u, g_system.versionRecordSize);
        if (c.expectedCallCount >= 3)
        {
            EXPECT_EQ(std::wstring(L"kernel32.dll"), g_system.moduleName);
            EXPECT_EQ(FAKE_KERNEL, g_system.procModule);
            EXPECT_EQ(std::string("IsWow64Process"), g_system.procName);
        }
        if (c.expectedCallCount == 5)
        {
            EXPECT_EQ(FAKE_PROCESS, g_system.wow64Process);
            EXPECT_EQ(FALSE, g_system.flagOnEntry);
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
    g_system = FakeSystem();
    g_system.versionResult = TRUE;
    g_system.major = 6;
    g_system.hasIsWow64Process = true;
    g_system.wow64CallResult = TRUE;
    presentFakeSystem();
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
