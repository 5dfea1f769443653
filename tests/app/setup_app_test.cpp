// setup_app_test.cpp
// The application's run from start-up to the exit code when memory runs out:
// an allocation failure, injected at a seam before the window exists, in the
// middle of an install after one device was updated, and in a pre-install,
// ends the run with exit code 7 and no window left behind.

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "app/app_platform.h"
#include "app/platform_check.h"
#include "app/setup_app.h"
#include "install/install_platform.h"
#include "tests/support/temp_folder.h"

namespace {

const wchar_t CAPTION[] = L"KVR7 Driver Installer";

int g_calls;   // seam calls before the failure
HWND g_window; // the progress window when the failure struck, if any
DWORD WINAPI moduleFileName(HMODULE, LPWSTR buffer, DWORD size)
{
    return static_cast<DWORD>(wcslen(lstrcpynW(buffer, L"C:\\kvr7\\install.exe", size)));
}

void failAllocation()
{
    g_window = FindWindowW(nullptr, CAPTION);
    throw std::bad_alloc();
}

DWORD WINAPI moduleFileNameOutOfMemory(HMODULE, LPWSTR, DWORD)
{
    failAllocation();
    return 0;
}

// The first ID is updated; memory runs out during the second.
BOOL WINAPI updateThenOutOfMemory(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL reboot)
{
    if (g_calls++ == 0)
    {
        *reboot = FALSE;
        return TRUE;
    }
    failAllocation();
    return FALSE;
}

HMODULE WINAPI loadOutOfMemory(LPCWSTR, HANDLE, DWORD)
{
    failAllocation();
    return nullptr;
}

int WINAPI noMessageBox(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    ADD_FAILURE() << "unexpected message box";
    (void)text;
    return IDOK;
}

BOOL WINAPI windows10(LPOSVERSIONINFOW info)
{
    info->dwMajorVersion = 10;
    return TRUE;
}

FARPROC WINAPI noWow64(HMODULE, LPCSTR)
{
    return nullptr;
}

class TestApp : public CSetupApp
{
};

} // namespace

TEST(SetupApp, AnAllocationFailureEndsWithExitCode7)
{
    TempFolder folder;
    const std::wstring inf = folder.writeBytes(
        L"kvr7.inf", "[Version]\nSignature=\"$Windows NT$\"\n[Manufacturer]\nM=Models\n"
                     "[Models]\nBoard=Install,ROOT\\KVR7_BOARD,KVR7\\COMPAT_BOARD\n");

    const AppApi savedApp = g_appApi;
    const InstallApi savedInstall = g_installApi;
    const PlatformCheckApi savedCheck = g_platformCheckApi;
    g_appApi.MessageBoxW = noMessageBox;
    g_appApi.GetModuleFileNameW = moduleFileName;
    g_installApi.UpdateDriverForPlugAndPlayDevicesW = updateThenOutOfMemory;
    g_installApi.LoadLibraryExW = loadOutOfMemory;
    g_platformCheckApi.GetVersionExW = windows10;
    g_platformCheckApi.GetProcAddress = noWow64;

    const struct
    {
        const char* name;
        std::wstring commandLine;
        bool failsInCommandLine;
        bool windowExisted;
        int updateCalls;
    } cases[] = {
        {"command line", L"install.exe", true, false, 0},
        {"install, after one device was updated", L"install.exe " + inf, false, true, 2},
        {"the same with -nopause", L"install.exe -nopause " + inf, false, true, 2},
        {"pre-install", L"install.exe -preinstall " + inf, false, true, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_calls = 0;
        g_window = nullptr;
        g_appApi.GetModuleFileNameW =
            c.failsInCommandLine ? moduleFileNameOutOfMemory : moduleFileName;
        TestApp app;
        EXPECT_EQ(7, app.run(c.commandLine.c_str()));
        EXPECT_EQ(c.windowExisted, g_window != nullptr);
        EXPECT_FALSE(IsWindow(g_window)) << "the window is destroyed";
        EXPECT_EQ(nullptr, app.mainWindow());
        EXPECT_EQ(c.updateCalls, g_calls);
    }

    g_appApi = savedApp;
    g_installApi = savedInstall;
    g_platformCheckApi = savedCheck;
}
