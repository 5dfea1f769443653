// preinstall_test.cpp
// The pre-installation through the driver-package library: where the library
// is looked for, the order of its calls, every result code with its text and
// exit code, and the library's release after the result is shown. The library
// is played by fakes behind the loader seam.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "difx_interface/difx_api.h"
#include "install/install_platform.h"
#include "tests/install/install_fixture.h"
#include "tests/support/golden_texts.h"

using namespace installtest;

namespace {

HMODULE const FAKE_LIBRARY = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x5150000));

struct LibraryScript
{
    bool loads = true;
    bool hasPreinstall = true;
    bool hasLogCallback = true;
    DWORD result = 0;
};

LibraryScript g_script;
std::vector<std::wstring> g_events; // Everything the library saw, in order.
std::wstring g_loadedPath;
DWORD g_loadFlags;
std::wstring g_resultWhenFreed;
HWND g_window;
DIFXAPILOGCALLBACK_W g_callback;
PVOID g_context;
PVOID g_contextWhenSet;

std::wstring hex(uintptr_t value)
{
    wchar_t text[32];
    swprintf(text, 32, L"%llx", static_cast<unsigned long long>(value));
    return text;
}

HMODULE WINAPI fakeLoadLibrary(LPCWSTR path, HANDLE file, DWORD flags)
{
    EXPECT_EQ(nullptr, file);
    g_loadedPath = path;
    g_loadFlags = flags;
    g_events.push_back(L"load");
    if (!g_script.loads)
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return FAKE_LIBRARY;
}

VOID WINAPI fakeSetLogCallback(DIFXAPILOGCALLBACK_W callback, PVOID context)
{
    g_callback = callback;
    g_context = context;
    if (callback)
        g_contextWhenSet = context;
    g_events.push_back(callback ? L"callback set" : L"callback cleared");
}

DWORD WINAPI fakePreinstall(PCWSTR infPath, DWORD flags)
{
    g_events.push_back(L"preinstall " + std::wstring(infPath) + L" flags " + hex(flags));
    // The library reports its steps; each report only repaints the window.
    if (g_callback)
    {
        g_callback(DIFXAPI_INFO, 0, L"staging the package", g_context);
        g_callback(DIFXAPI_ERROR, 5, nullptr, g_context);
        g_events.push_back(L"logged");
    }
    return g_script.result;
}

// The library's entry points; the loader's own lookups in kernel32 (which
// search flags it has) are the real ones.
FARPROC WINAPI fakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (module == ::GetModuleHandleW(L"kernel32.dll"))
        return ::GetProcAddress(module, name);
    EXPECT_EQ(FAKE_LIBRARY, module);
    const std::string wanted(name);
    g_events.push_back(L"lookup " + std::wstring(wanted.begin(), wanted.end()));
    if (wanted == "DriverPackagePreinstallW" && g_script.hasPreinstall)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fakePreinstall));
    if (wanted == "SetDifxLogCallbackW" && g_script.hasLogCallback)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fakeSetLogCallback));
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI fakeFreeLibrary(HMODULE module)
{
    EXPECT_EQ(FAKE_LIBRARY, module);
    g_events.push_back(L"free");
    g_resultWhenFreed = controlText(g_window, RESULT);
    return TRUE;
}

class Preinstall : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_loaderSeam->LoadLibraryExW = fakeLoadLibrary;
        m_loaderSeam->GetProcAddress = fakeGetProcAddress;
        m_loaderSeam->FreeLibrary = fakeFreeLibrary;
        g_script = LibraryScript();
        g_events.clear();
        g_loadedPath.clear();
        g_loadFlags = 0;
        g_resultWhenFreed.clear();
        g_callback = nullptr;
        g_context = nullptr;
        g_contextWhenSet = nullptr;
        g_window = hwnd();
        presentSystem(6);
    }
    int run(int noPause = 0, const wchar_t* folder = L"C:\\pkg")
    {
        return m_wnd->preinstall(CWStr(L"C:\\pkg\\kvr7.inf"), CWStr(folder), noPause, &m_exitCode);
    }
};

const std::vector<std::wstring> FULL_RUN = {
    L"load",
    L"lookup DriverPackagePreinstallW",
    L"lookup SetDifxLogCallbackW",
    L"callback set",
    L"preinstall C:\\pkg\\kvr7.inf flags 5",
    L"logged",
    L"callback cleared",
    L"free",
};

} // namespace

TEST_F(Preinstall, SuccessfulRun)
{
    EXPECT_EQ(1, run());
    EXPECT_EQ(0, m_exitCode);
    EXPECT_EQ(L"C:\\pkg\\x86_64\\difxapi.dll", g_loadedPath);
    // Wine, like Windows 8 and later, restricts a library's own dependencies to
    // its folder and the system folder.
    EXPECT_EQ(static_cast<DWORD>(LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32),
              g_loadFlags);
    EXPECT_EQ(FULL_RUN, g_events);
    EXPECT_EQ(reinterpret_cast<PVOID>(m_wnd.get()), g_contextWhenSet)
        << "the window is the log context";
    EXPECT_EQ(nullptr, g_callback) << "the callback is cleared after the call";
    EXPECT_EQ(L"Preinstalling driver... Done", text(STATUS));
    EXPECT_EQ(L"The driver was successfully installed.", text(RESULT));
    EXPECT_EQ(L"The driver was successfully installed.", g_resultWhenFreed)
        << "the library is released after the result is shown";
    EXPECT_TRUE(visible(RESULT));
    EXPECT_FALSE(visible(PROGRESS));
    EXPECT_FALSE(visible(RESTART));
    EXPECT_TRUE(visible(FINISH));
    EXPECT_TRUE(finishHasFocus(hwnd()));
}

TEST_F(Preinstall, EveryResultCode)
{
    const struct
    {
        DWORD code;
        int32_t exitCode;
        const wchar_t* text;
    } cases[] = {
        {0x00000000, 0, L"The driver was successfully installed."},
        {0x00000001, 113, L"TThe driver package is not for a PnP function driver."},
        {0x00000002, 109, L"The INF file that was specified was not found."},
        {0x00000005, 104,
         L"A caller of DriverPackagePreinstall must be a member of the Administrators group to "
         L"install a driver package."},
        {0x0000000A, 106,
         L"The current Microsoft Windows version does not support this operation. An old or "
         L"incompatible version of DIFxApp.dll or DIFxAppA.dll might be present in the system."},
        {0x0000000E, 119, L"Available system memory was insufficient to perform the operation."},
        {0x00000020, 120,
         L"A component of the driver package in the DIFx driver store is locked by a thread or "
         L"process."},
        {0x00000052, 107, L"DriverPackagePreinstall did not preinstall the driver package."},
        {0x00000057, 115, L"A supplied parameter is not valid."},
        {0x0000007B, 114, L"The specified INF file path is not valid."},
        {0x000000B7, 105,
         L"The driver package is already preinstalled and was not preinstalled again."},
        {0x000000CE, 110,
         L"The INF file path, in characters, that was specified is greater than the maximum "
         L"supported path length."},
        {0x00000103, 117,
         L"The specified driver package was not installed for matching devices because the driver "
         L"packages already installed for the matching devices are a better match for the devices "
         L"than the specified driver package."},
        {0x00000780, 108,
         L"DriverPackagePreinstall could not preinstall the driver package because the specified "
         L"INF file is in the system INF file directory."},
        {0x80092003, 103, L"The catalog file for the specified driver package was not found."},
        {0x800B0100, 122, L"The driver package is not signed."},
        {0x800B0101, 100, L"The signing certificate is expired."},
        {0x800B0109, 101,
         L"The catalog file has an Authenticode signature whose certificate chain terminates in a "
         L"root certificate that is not trusted."},
        {0x800B0110, 102,
         L"The certificate for the driver package is not valid for the requested usage."},
        {0xE000020B, 118,
         L"The driver package was not installed on any device because there are no matching "
         L"devices in the device tree."},
        {0xE0000235, 111,
         L"The 32-bit version DIFxAPI does not work on Win64 systems. A 64-bit version of DIFxAPI "
         L"is required."},
        {0xE0000244, 121,
         L"The signing certificate is not valid for the current Windows version or it is expired."},
        {0xE0000303, 116,
         L"DriverPackagePreinstall did not preinstall the driver package because files that are "
         L"referenced by the INF file could not be found. "},
        {0xE0000304, 112,
         L"The catalog file for the specified driver package is not valid or was not found."},
        {1603, 123, L"An unexpected error occurred while updating the driver. Error=1603(0x643)\n"},
        {0x80000001, 123,
         L"An unexpected error occurred while updating the driver. Error=2147483649(0x80000001)\n"},
        {0xFFFFFFFF, 123,
         L"An unexpected error occurred while updating the driver. Error=4294967295(0xffffffff)\n"},
        {3, 123, L"An unexpected error occurred while updating the driver. Error=3(0x3)\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.code);
        g_events.clear();
        g_script.result = c.code;
        EXPECT_EQ(0, run(1));
        EXPECT_EQ(c.exitCode, m_exitCode);
        EXPECT_EQ(c.text, text(RESULT));
        EXPECT_EQ(L"Preinstalling driver... Done", text(STATUS));
        EXPECT_EQ(FULL_RUN, g_events);
    }
    EXPECT_FALSE(visible(FINISH)) << "never shown with -nopause";
}

TEST_F(Preinstall, LibraryNotLoaded)
{
    g_script.loads = false;
    EXPECT_EQ(1, run());
    EXPECT_EQ(8, m_exitCode);
    EXPECT_EQ(L"Preinstalling driver...", text(STATUS));
    EXPECT_EQ(L"Failed to load difxapi.dll, GetLastError=126(0x7e)", text(RESULT));
    EXPECT_EQ((std::vector<std::wstring>{L"load"}), g_events);
    EXPECT_TRUE(visible(FINISH));
}

TEST_F(Preinstall, PreinstallEntryPointMissing)
{
    g_script.hasPreinstall = false;
    EXPECT_EQ(0, run(1));
    EXPECT_EQ(9, m_exitCode);
    EXPECT_EQ(L"Preinstalling driver...", text(STATUS));
    EXPECT_EQ(L"Failed to get DriverPackagePreinstall entry point from difxapi.dll, "
              L"GetLastError=127(0x7f)",
              text(RESULT));
    EXPECT_EQ((std::vector<std::wstring>{L"load", L"lookup DriverPackagePreinstallW", L"free"}),
              g_events);
}

TEST_F(Preinstall, LogCallbackEntryPointMissing)
{
    g_script.hasLogCallback = false;
    EXPECT_EQ(1, run());
    EXPECT_EQ(9, m_exitCode);
    EXPECT_EQ(L"Failed to get SetDifxLogCallback entry point from difxapi.dll, "
              L"GetLastError=127(0x7f)",
              text(RESULT));
    EXPECT_EQ((std::vector<std::wstring>{L"load", L"lookup DriverPackagePreinstallW",
                                         L"lookup SetDifxLogCallbackW", L"free"}),
              g_events);
    EXPECT_EQ(L"Failed to get SetDifxLogCallback entry point from difxapi.dll, "
              L"GetLastError=127(0x7f)",
              g_resultWhenFreed);
}

// An unknown program folder must not turn into the root of the current drive:
// nothing is loaded, and the failure reads as a missing library.
TEST_F(Preinstall, UnknownProgramFolderLoadsNothing)
{
    EXPECT_EQ(0, run(1, L""));
    EXPECT_EQ(8, m_exitCode);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(L"Preinstalling driver...", text(STATUS));
    EXPECT_EQ(L"Failed to load difxapi.dll, GetLastError=126(0x7e)", text(RESULT));
}

TEST_F(Preinstall, RefusedSystemLoadsNothing)
{
    presentSystem(4);
    EXPECT_EQ(1, run());
    EXPECT_EQ(1, m_exitCode);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(GOLDEN_TOO_OLD, text(STATUS));
    EXPECT_FALSE(visible(RESULT));
    EXPECT_TRUE(visible(FINISH));
}

// The real loader on the stand-in library the build places in x86_64\ beside
// the programs (one folder up from the test programs).
class PreinstallWithRealLibrary : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        presentSystem(6);
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        m_buildFolder = path;
        m_buildFolder.resize(m_buildFolder.rfind(L'\\')); // ...\tests
        m_buildFolder.resize(m_buildFolder.rfind(L'\\')); // the build folder
    }

    std::wstring m_buildFolder;
};

TEST_F(PreinstallWithRealLibrary, MissingInfIsReportedByTheLibrary)
{
    const std::wstring inf = m_buildFolder + L"\\no-such-package\\kvr7.inf";
    EXPECT_EQ(0,
              m_wnd->preinstall(CWStr(inf.c_str()), CWStr(m_buildFolder.c_str()), 1, &m_exitCode));
    EXPECT_EQ(109, m_exitCode);
    EXPECT_EQ(L"The INF file that was specified was not found.", text(RESULT));
    EXPECT_EQ(L"Preinstalling driver... Done", text(STATUS));
    EXPECT_EQ(nullptr, GetModuleHandleW((m_buildFolder + L"\\x86_64\\difxapi.dll").c_str()))
        << "the library is released";
}

TEST_F(PreinstallWithRealLibrary, FolderWithoutTheLibrary)
{
    const std::wstring folder = m_buildFolder + L"\\tests";
    EXPECT_EQ(0, m_wnd->preinstall(CWStr(L"C:\\kvr7.inf"), CWStr(folder.c_str()), 1, &m_exitCode));
    EXPECT_EQ(8, m_exitCode);
    EXPECT_EQ(L"Failed to load difxapi.dll, GetLastError=126(0x7e)", text(RESULT));
    EXPECT_EQ(L"Preinstalling driver...", text(STATUS));
}
