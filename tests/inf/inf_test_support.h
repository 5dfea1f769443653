// inf_test_support.h
// Shared pieces of the INF reader's tests: guards that restore the reader's two
// seams, a described system (version, product type, suite mask, native architecture)
// served through the seam, counters of opened and closed INF handles, and the
// INF fixtures' common parts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/base_platform.h"
#include "inf/inf_platform.h"
#include "tests/support/fake_system.h"
#include "tests/support/seam_guard.h"

// The seams the INF reader goes through: the INF services, and the base seam
// that describes the system. Both are put back when this goes away.
struct InfApiGuard
{
    SeamGuard<InfApi> inf{g_infApi};
    SeamGuard<BaseApi> base{g_baseApi};
};

struct SystemDescription
{
    WORD architecture;
    DWORD major;
    DWORD minor;
    BYTE productType;
    WORD suiteMask;
};

// The system of the selection's worked examples: AMD64, 6.1, workstation, 0x100.
const SystemDescription EXAMPLE_SYSTEM = {9, 6, 1, 1, 0x100};

// Serves `system` through the seam (tests/support/fake_system.h). With
// `nativeQuery` false the kernel module has no GetNativeSystemInfo and the
// architecture comes from GetSystemInfo.
void describeSystem(const SystemDescription& system, bool nativeQuery = true);

// The INF handles counted (the calls to the described system: systemCalls()).
struct SeamLog
{
    int opens;  // handles handed out by the real SetupOpenInfFileW
    int closes; // handles given to SetupCloseInfFile
};
SeamLog& seamLog();

// Counts handles through the real open and close calls.
void countHandles();

// A [Version] section in the published format.
const char INF_VERSION[] = "[Version]\r\n"
                           "Signature=\"$Windows NT$\"\r\n"
                           "Class=System\r\n"
                           "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                           "Provider=%Maker%\r\n"
                           "DriverVer=01/02/2020,1.0.0.0\r\n"
                           "\r\n";
