// inf_test_support.cpp
// The described system and the handle counters behind the INF seam.

#include "tests/inf/inf_test_support.h"

#include <cstring>

namespace {

SystemDescription g_system;
bool g_nativeQuery;
HMODULE const FAKE_KERNEL = reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x4b000000));

BOOL WINAPI fakeGetVersionEx(LPOSVERSIONINFOW info)
{
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))
        return FALSE;
    OSVERSIONINFOEXW* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->dwMajorVersion = g_system.major;
    ex->dwMinorVersion = g_system.minor;
    ex->dwBuildNumber = 7601;
    ex->dwPlatformId = VER_PLATFORM_WIN32_NT;
    ex->wProductType = g_system.productType;
    ex->wSuiteMask = g_system.suiteMask;
    return TRUE;
}

void WINAPI fakeNativeSystemInfo(LPSYSTEM_INFO info)
{
    ++seamLog().nativeCalls;
    std::memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = g_system.architecture;
}

// What a 32-bit program sees under WOW64: never the native architecture.
void WINAPI fakeSystemInfo(LPSYSTEM_INFO info)
{
    ++seamLog().systemInfoCalls;
    std::memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = g_nativeQuery ? 0x7777 : g_system.architecture;
}

HMODULE WINAPI fakeModuleHandle(LPCWSTR name)
{
    seamLog().moduleNames.push_back(name ? name : L"(null)");
    return FAKE_KERNEL;
}

// Lookups in the described kernel are logged and answered here.
FARPROC WINAPI fakeProcAddress(HMODULE module, LPCSTR name)
{
    seamLog().procNames.push_back(name ? name : "(null)");
    if (module != FAKE_KERNEL || !g_nativeQuery || std::strcmp(name, "GetNativeSystemInfo") != 0)
        return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fakeNativeSystemInfo));
}

HINF(WINAPI* g_realOpen)(PCWSTR, PCWSTR, DWORD, PUINT);
void(WINAPI* g_realClose)(HINF);

HINF WINAPI countingOpen(PCWSTR name, PCWSTR infClass, DWORD style, PUINT errorLine)
{
    HINF handle = g_realOpen(name, infClass, style, errorLine);
    if (handle != INVALID_HANDLE_VALUE)
        ++seamLog().opens;
    return handle;
}

void WINAPI countingClose(HINF handle)
{
    ++seamLog().closes;
    g_realClose(handle);
}

} // namespace

SeamLog& seamLog()
{
    static SeamLog log;
    return log;
}

void describeSystem(const SystemDescription& system, bool nativeQuery)
{
    g_system = system;
    g_nativeQuery = nativeQuery;
    g_baseApi.GetVersionExW = fakeGetVersionEx;
    g_baseApi.GetModuleHandleW = fakeModuleHandle;
    g_baseApi.GetProcAddress = fakeProcAddress;
    g_baseApi.GetSystemInfo = fakeSystemInfo;
    seamLog() = SeamLog();
}

void countHandles()
{
    g_realOpen = ::SetupOpenInfFileW;
    g_realClose = ::SetupCloseInfFile;
    g_infApi.SetupOpenInfFileW = countingOpen;
    g_infApi.SetupCloseInfFile = countingClose;
    seamLog().opens = 0;
    seamLog().closes = 0;
}
