// setup_app_test.cpp
// The application's run when memory runs out: an allocation failure injected
// at a seam before the window exists, in an install after one device was
// updated, or in a pre-install ends the run with exit code 7, the window gone.

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "app/app_platform.h"
#include "app/platform_check.h"
#include "app/setup_app.h"
#include "install/install_platform.h"
#include "tests/support/temp_folder.h"

namespace {

int g_updates; // update calls, the failing one included
HWND g_window; // the progress window when memory ran out

void runOutOfMemory()
{
    g_window = FindWindowW(nullptr, L"KVR7 Driver Installer");
    throw std::bad_alloc();
}

DWORD WINAPI programPath(HMODULE, LPWSTR buffer, DWORD size)
{
    return static_cast<DWORD>(wcslen(lstrcpynW(buffer, L"C:\\kvr7\\install.exe", size)));
}

DWORD WINAPI programPathOutOfMemory(HMODULE, LPWSTR, DWORD)
{
    runOutOfMemory();
    return 0;
}

BOOL WINAPI updateThenOutOfMemory(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL reboot)
{
    if (g_updates++ > 0)
        runOutOfMemory();
    *reboot = FALSE;
    return TRUE;
}

HMODULE WINAPI loadOutOfMemory(LPCWSTR, HANDLE, DWORD)
{
    runOutOfMemory();
    return nullptr;
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
    g_installApi.UpdateDriverForPlugAndPlayDevicesW = updateThenOutOfMemory;
    g_installApi.LoadLibraryExW = loadOutOfMemory;
    g_platformCheckApi.GetVersionExW = windows10;
    g_platformCheckApi.GetProcAddress = noWow64;
    const struct
    {
        const char* name;
        std::wstring arguments;
        bool windowExisted;
        int updates;
    } cases[] = {
        {"command line", L"", false, 0},
        {"install, one device updated", inf, true, 2},
        {"the same with -nopause", L"-nopause " + inf, true, 2},
        {"pre-install", L"-preinstall " + inf, true, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_updates = 0;
        g_window = nullptr;
        g_appApi.GetModuleFileNameW = c.windowExisted ? programPath : programPathOutOfMemory;
        CSetupApp app;
        EXPECT_EQ(7, app.run((L"install.exe " + c.arguments).c_str()));
        EXPECT_EQ(c.windowExisted, g_window != nullptr);
        EXPECT_FALSE(IsWindow(g_window));
        EXPECT_EQ(nullptr, app.mainWindow());
        EXPECT_EQ(c.updates, g_updates);
    }
    g_appApi = savedApp;
    g_installApi = savedInstall;
    g_platformCheckApi = savedCheck;
}
