// system_library_test.cpp
// What each Windows version gets from the library hardening: the start-up
// narrowing of the search, the flags for libraries loaded by full path, and a
// system library loaded by its full path in the system folder, with every
// failure leaving an error. The loader is played by fakes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/base_platform.h"
#include "base/system_library.h"
#include "tests/support/seam_guard.h"

namespace {

HMODULE const KERNEL = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7000000));
HMODULE const LOADED = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7100000));

std::vector<std::string> g_exports; // what the presented kernel32 has
HMODULE g_loadResult;
DWORD g_loadError;
std::vector<std::wstring> g_calls;

BOOL WINAPI fakeSetDllDirectory(LPCWSTR path)
{
    g_calls.push_back(L"SetDllDirectoryW '" + std::wstring(path) + L"'");
    return TRUE;
}

BOOL WINAPI fakeSetDefaultDirectories(DWORD flags)
{
    g_calls.push_back(L"SetDefaultDllDirectories " + std::to_wstring(flags));
    return TRUE;
}

template <typename Function> FARPROC asProc(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC WINAPI fakeProcAddress(HMODULE module, LPCSTR name)
{
    const std::string wanted(name);
    for (const std::string& present : g_exports)
        if (module == KERNEL && wanted == present)
            return wanted == "SetDllDirectoryW" ? asProc(fakeSetDllDirectory)
                                                : asProc(fakeSetDefaultDirectories);
    if (module == LOADED && wanted == "Entry")
        return asProc(fakeSetDllDirectory);
    SetLastError(0); // the error must come from the caller
    return nullptr;
}

HMODULE WINAPI fakeModuleHandle(LPCWSTR name)
{
    return _wcsicmp(name, L"kernel32.dll") == 0 ? KERNEL : nullptr;
}

UINT WINAPI fakeSystemDirectory(LPWSTR buffer, UINT size)
{
    lstrcpynW(buffer, L"C:\\WINNT\\system32", static_cast<int>(size));
    return 17;
}

HMODULE WINAPI fakeLoad(LPCWSTR path, HANDLE, DWORD flags)
{
    g_calls.push_back(std::wstring(path) + L" " + std::to_wstring(flags));
    SetLastError(g_loadError);
    return g_loadResult;
}

BOOL WINAPI fakeFree(HMODULE module)
{
    g_calls.push_back(module == LOADED ? L"freed" : L"freed another module");
    return TRUE;
}

} // namespace

TEST(SystemLibrary, WhatEachWindowsVersionGets)
{
    SeamGuard<LoaderApi> seam(g_loaderApi);
    seam->GetModuleHandleW = fakeModuleHandle;
    seam->GetProcAddress = fakeProcAddress;
    seam->GetSystemDirectoryW = fakeSystemDirectory;
    seam->LoadLibraryExW = fakeLoad;
    seam->FreeLibrary = fakeFree;
    const std::wstring setDll = L"SetDllDirectoryW ''";
    const std::wstring setDefault =
        L"SetDefaultDllDirectories " + std::to_wstring(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const struct
    {
        const char* windows;
        std::vector<std::string> exports;
        std::vector<std::wstring> startUp;
        DWORD flags;
    } cases[] = {
        {"2000, XP before SP1", {}, {}, LOAD_WITH_ALTERED_SEARCH_PATH},
        {"XP SP1 to 7 without KB2533623",
         {"SetDllDirectoryW"},
         {setDll},
         LOAD_WITH_ALTERED_SEARCH_PATH},
        {"8 and later, Vista and 7 with KB2533623",
         {"SetDllDirectoryW", "SetDefaultDllDirectories"},
         {setDll, setDefault},
         LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.windows);
        g_exports = c.exports;
        g_calls.clear();
        restrictLibrarySearch();
        EXPECT_EQ(c.startUp, g_calls);
        EXPECT_EQ(c.flags, fullPathLoadFlags());

        // Failed loads (with an error, or none said) are tried again; the
        // loaded library is kept and released when its object goes.
        g_calls.clear();
        const std::wstring load = L"C:\\WINNT\\system32\\newdev.dll " + std::to_wstring(c.flags);
        {
            SystemLibrary library(L"newdev.dll");
            for (DWORD error : {static_cast<DWORD>(ERROR_ACCESS_DENIED), 0ul})
            {
                g_loadResult = nullptr;
                g_loadError = error;
                EXPECT_EQ(nullptr, library.entry("Entry"));
                EXPECT_EQ(error ? error : ERROR_MOD_NOT_FOUND, GetLastError());
            }
            g_loadResult = LOADED;
            EXPECT_EQ(asProc(fakeSetDllDirectory), library.entry("Entry"));
            EXPECT_EQ(nullptr, library.entry("Missing"));
            EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
        }
        EXPECT_EQ((std::vector<std::wstring>{load, load, load, L"freed"}), g_calls);
    }
}
