// inf_test_support.cpp
// The described system and the handle counters behind the INF seam.

#include "tests/inf/inf_test_support.h"

namespace {

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
    SystemAnswers answers;
    answers.major = system.major;
    answers.minor = system.minor;
    answers.productType = system.productType;
    answers.suiteMask = system.suiteMask;
    answers.architecture = system.architecture;
    answers.hasNativeSystemInfo = nativeQuery;
    presentSystem(answers);
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
