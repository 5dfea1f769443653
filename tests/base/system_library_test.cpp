// system_library_test.cpp
// What each Windows version gets from the library hardening: the start-up
// narrowing of the search, the flags for libraries loaded by full path, and
// system libraries taken from the system folder by full path, with a load
// failure reported through the last error. The loader is played by fakes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_library.h"

namespace {

HMODULE const KERNEL = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7000000));
HMODULE const LOADED = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7100000));

bool g_hasSetDllDirectory;
bool g_hasSetDefaultDirectories;
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

HMODULE WINAPI fakeModuleHandle(LPCWSTR name)
{
    return _wcsicmp(name, L"kernel32.dll") == 0 ? KERNEL : nullptr;
}

template <typename Function> FARPROC asProc(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC WINAPI fakeProcAddress(HMODULE module, LPCSTR name)
{
    const std::string wanted(name);
    if (module == KERNEL && wanted == "SetDllDirectoryW" && g_hasSetDllDirectory)
        return asProc(fakeSetDllDirectory);
    if (module == KERNEL && wanted == "SetDefaultDllDirectories" && g_hasSetDefaultDirectories)
        return asProc(fakeSetDefaultDirectories);
    if (module == LOADED && wanted == "Entry")
        return asProc(fakeSetDllDirectory);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

UINT WINAPI fakeSystemDirectory(LPWSTR buffer, UINT size)
{
    lstrcpynW(buffer, L"C:\\WINNT\\system32", static_cast<int>(size));
    return 17;
}

HMODULE WINAPI fakeLoad(LPCWSTR path, HANDLE file, DWORD flags)
{
    g_calls.push_back(L"LoadLibraryExW " + std::wstring(path) + L" " + std::to_wstring(flags) +
                      (file ? L" with a file" : L""));
    SetLastError(g_loadError);
    return g_loadResult;
}

BOOL WINAPI fakeFree(HMODULE module)
{
    g_calls.push_back(module == LOADED ? L"FreeLibrary" : L"FreeLibrary of another module");
    return TRUE;
}

class SystemLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = g_libraryApi;
        g_libraryApi = {fakeModuleHandle, fakeProcAddress, fakeSystemDirectory, fakeLoad, fakeFree};
        g_calls.clear();
    }
    void TearDown() override { g_libraryApi = m_saved; }

    LibraryApi m_saved;
};

const std::wstring SEARCH_SYSTEM32 = std::to_wstring(LOAD_LIBRARY_SEARCH_SYSTEM32);
const DWORD SEARCH_FLAGS = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

} // namespace

TEST_F(SystemLibraryTest, WhatEachWindowsVersionGets)
{
    const struct
    {
        const char* windows;
        bool setDllDirectory;
        bool setDefaultDirectories;
        std::vector<std::wstring> startUpCalls;
        DWORD fullPathFlags;
    } cases[] = {
        {"2000, XP before SP1", false, false, {}, LOAD_WITH_ALTERED_SEARCH_PATH},
        {"XP SP1 to 7 without KB2533623",
         true,
         false,
         {L"SetDllDirectoryW ''"},
         LOAD_WITH_ALTERED_SEARCH_PATH},
        {"8 and later, Vista and 7 with KB2533623",
         true,
         true,
         {L"SetDllDirectoryW ''", L"SetDefaultDllDirectories " + SEARCH_SYSTEM32},
         SEARCH_FLAGS},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.windows);
        g_hasSetDllDirectory = c.setDllDirectory;
        g_hasSetDefaultDirectories = c.setDefaultDirectories;
        g_calls.clear();
        restrictLibrarySearch();
        EXPECT_EQ(c.startUpCalls, g_calls);
        EXPECT_EQ(c.fullPathFlags, fullPathLoadFlags());

        // A system library: by its full path in the system folder, with the
        // same flags, loaded once; a failed load is tried again.
        g_calls.clear();
        const std::wstring load =
            L"LoadLibraryExW C:\\WINNT\\system32\\newdev.dll " + std::to_wstring(c.fullPathFlags);
        {
            SystemLibrary library(L"newdev.dll");
            for (DWORD error : {static_cast<DWORD>(ERROR_MOD_NOT_FOUND), 0ul})
            {
                g_loadResult = nullptr;
                g_loadError = error;
                SetLastError(0);
                EXPECT_EQ(nullptr, library.entry("Entry"));
                EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError())
                    << "a failure always leaves an error";
            }
            g_loadResult = LOADED;
            g_loadError = 0;
            EXPECT_EQ(asProc(fakeSetDllDirectory), library.entry("Entry"));
            SetLastError(0);
            EXPECT_EQ(nullptr, library.entry("Missing"));
            EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
        }
        EXPECT_EQ((std::vector<std::wstring>{load, load, load, L"FreeLibrary"}), g_calls)
            << "released when the object goes";
    }
}
