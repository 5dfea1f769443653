// fake_system.cpp
// The presented system behind the base seam, and its call log.

#include "tests/support/fake_system.h"

#include <cstring>

#include "base/base_platform.h"

HMODULE const FAKE_KERNEL = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x7AB0000));
HANDLE const FAKE_PROCESS = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-7));

namespace {

SystemAnswers g_answers;

// The log, or null when the answers turned it off.
SystemCalls* log()
{
    return g_answers.logCalls ? &systemCalls() : nullptr;
}

template <typename Function> FARPROC asProc(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

BOOL WINAPI fakeGetVersionEx(LPOSVERSIONINFOW info)
{
    if (SystemCalls* calls = log())
    {
        calls->calls.push_back("GetVersionExW");
        calls->versionRecordSize = info->dwOSVersionInfoSize;
    }
    if (!g_answers.versionResult || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))
        return FALSE;
    OSVERSIONINFOEXW* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->dwMajorVersion = g_answers.major;
    ex->dwMinorVersion = g_answers.minor;
    ex->dwBuildNumber = 7601;
    ex->dwPlatformId = VER_PLATFORM_WIN32_NT;
    ex->wProductType = g_answers.productType;
    ex->wSuiteMask = g_answers.suiteMask;
    return TRUE;
}

HMODULE WINAPI fakeGetModuleHandle(LPCWSTR name)
{
    if (SystemCalls* calls = log())
    {
        calls->calls.push_back("GetModuleHandleW");
        calls->moduleNames.push_back(name ? name : L"(null)");
    }
    return FAKE_KERNEL;
}

void WINAPI fakeNativeSystemInfo(LPSYSTEM_INFO info)
{
    ++systemCalls().nativeCalls;
    std::memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = g_answers.architecture;
}

void WINAPI fakeSystemInfo(LPSYSTEM_INFO info)
{
    ++systemCalls().systemInfoCalls;
    std::memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = g_answers.hasNativeSystemInfo ? 0x7777 : g_answers.architecture;
}

BOOL WINAPI fakeIsWow64Process(HANDLE process, PBOOL flag)
{
    if (SystemCalls* calls = log())
    {
        calls->calls.push_back("IsWow64Process");
        calls->wow64Process = process;
        calls->flagOnEntry = *flag;
    }
    if (!g_answers.wow64CallResult)
        return FALSE;
    *flag = g_answers.wow64Flag;
    return TRUE;
}

FARPROC WINAPI fakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (SystemCalls* calls = log())
    {
        calls->calls.push_back("GetProcAddress");
        calls->procModule = module;
        calls->procNames.push_back(name ? name : "(null)");
    }
    const std::string wanted = name ? name : "";
    if (module == FAKE_KERNEL && wanted == "GetNativeSystemInfo" && g_answers.hasNativeSystemInfo)
        return asProc(fakeNativeSystemInfo);
    if (module == FAKE_KERNEL && wanted == "IsWow64Process" && g_answers.hasIsWow64Process)
        return asProc(fakeIsWow64Process);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

HANDLE WINAPI fakeGetCurrentProcess()
{
    if (SystemCalls* calls = log())
        calls->calls.push_back("GetCurrentProcess");
    return FAKE_PROCESS;
}

} // namespace

void presentSystem(const SystemAnswers& answers)
{
    g_answers = answers;
    systemCalls() = SystemCalls();
    g_baseApi.GetVersionExW = fakeGetVersionEx;
    g_baseApi.GetModuleHandleW = fakeGetModuleHandle;
    g_baseApi.GetProcAddress = fakeGetProcAddress;
    g_baseApi.GetSystemInfo = fakeSystemInfo;
    g_baseApi.GetCurrentProcess = fakeGetCurrentProcess;
}

SystemCalls& systemCalls()
{
    static SystemCalls calls;
    return calls;
}

WORD realArchitecture()
{
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}
