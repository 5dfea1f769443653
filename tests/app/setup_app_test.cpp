// setup_app_test.cpp
// The application's run when memory runs out: an allocation failure injected
// at a seam before the window exists, in an install after one device was
// updated, while reading a models section, or in a pre-install ends the run with
// exit code 7, the window gone.

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "app/app_platform.h"
#include "app/setup_app.h"
#include "base/base_platform.h"
#include "inf/inf_platform.h"
#include "install/install_platform.h"
#include "tests/support/fake_system.h"
#include "tests/support/golden_texts.h"
#include "tests/support/seam_guard.h"
#include "tests/support/temp_folder.h"

namespace {

int g_updates; // update calls, the failing one included
HWND g_window; // the progress window when memory ran out

void runOutOfMemory()
{
    g_window = FindWindowW(nullptr, GOLDEN_CAPTION);
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

InfApi g_realInf;

// Reading a hardware ID that is there runs out of memory: the reader reports it
// as a status, not as an exception.
BOOL WINAPI idReadOutOfMemory(PINFCONTEXT context, DWORD index, PWSTR buffer, DWORD size,
                              PDWORD required)
{
    const BOOL read = g_realInf.SetupGetStringFieldW(context, index, buffer, size, required);
    if (!read || index != 2)
        return read;
    g_window = FindWindowW(nullptr, GOLDEN_CAPTION);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

BOOL WINAPI updateThenOutOfMemory(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL reboot)
{
    if (g_updates++ > 0)
        runOutOfMemory();
    *reboot = FALSE;
    return TRUE;
}

// Loading the driver-package library runs out of memory; system libraries load.
HMODULE WINAPI loadOutOfMemory(LPCWSTR path, HANDLE file, DWORD flags)
{
    if (!wcsstr(path, L"difxapi.dll"))
        return ::LoadLibraryExW(path, file, flags);
    runOutOfMemory();
    return nullptr;
}

} // namespace

TEST(SetupApp, AnAllocationFailureEndsWithExitCode7)
{
    TempFolder folder;
    const std::wstring inf = folder.writeBytes(
        L"kvr7.inf", "[Version]\nSignature=\"$Windows NT$\"\n[Manufacturer]\nM=Models\n"
                     "[Models]\nBoard=Install,ROOT\\KVR7_BOARD,KVR7\\COMPAT_BOARD\n");
    SeamGuard<AppApi> appSeam(g_appApi);
    SeamGuard<InstallApi> installSeam(g_installApi);
    SeamGuard<BaseApi> baseSeam(g_baseApi);
    SeamGuard<LoaderApi> loaderSeam(g_loaderApi);
    SeamGuard<InfApi> infSeam(g_infApi);
    g_realInf = infSeam.saved();
    installSeam->UpdateDriverForPlugAndPlayDevicesW = updateThenOutOfMemory;
    loaderSeam->LoadLibraryExW = loadOutOfMemory;
    // Windows 10 without IsWow64Process, on this machine's architecture.
    SystemAnswers system;
    system.productType = 0;
    system.architecture = realArchitecture();
    presentSystem(system);
    const struct
    {
        const char* name;
        std::wstring arguments;
        bool windowExisted;
        int updates;
        bool idReadRunsOut;
    } cases[] = {
        {"command line", L"", false, 0, false},
        {"install, one device updated", inf, true, 2, false},
        {"the same with -nopause", L"-nopause " + inf, true, 2, false},
        {"reading a models section", L"-nopause " + inf, true, 0, true},
        {"pre-install", L"-preinstall " + inf, true, 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        g_updates = 0;
        g_window = nullptr;
        g_appApi.GetModuleFileNameW = c.windowExisted ? programPath : programPathOutOfMemory;
        g_infApi.SetupGetStringFieldW =
            c.idReadRunsOut ? idReadOutOfMemory : g_realInf.SetupGetStringFieldW;
        CSetupApp app;
        EXPECT_EQ(7, app.run((L"install.exe " + c.arguments).c_str()));
        EXPECT_EQ(c.windowExisted, g_window != nullptr);
        EXPECT_FALSE(IsWindow(g_window));
        EXPECT_EQ(nullptr, app.mainWindow());
        EXPECT_EQ(c.updates, g_updates);
    }
}
