// fake_system.h
// One made-up system, presented through the base seam: the version record, the
// machine's architecture, and which optional kernel32 entries it has
// (GetNativeSystemInfo, IsWow64Process, with the latter's answer). Every call
// the program makes to it is logged, in order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SystemAnswers
{
    BOOL versionResult = TRUE; // GetVersionExW's result (the record is filled only on TRUE)
    DWORD major = 10;
    DWORD minor = 0;
    BYTE productType = VER_NT_WORKSTATION;
    WORD suiteMask = 0;
    WORD architecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool hasNativeSystemInfo = true;
    bool hasIsWow64Process = false;
    BOOL wow64CallResult = TRUE; // IsWow64Process's result (the flag is set only on TRUE)
    BOOL wow64Flag = FALSE;
    // The call log grows with every call; tests that count the heap turn it off.
    bool logCalls = true;
};

// What the program asked of the presented system.
struct SystemCalls
{
    std::vector<std::string> calls; // "GetVersionExW", "GetModuleHandleW", ... in order
    DWORD versionRecordSize = 0;
    std::vector<std::wstring> moduleNames;
    std::vector<std::string> procNames;
    HMODULE procModule = nullptr;
    HANDLE wow64Process = nullptr;
    BOOL flagOnEntry = 99; // IsWow64Process's flag as the program passed it in
    int nativeCalls = 0;
    int systemInfoCalls = 0;
};

// The presented kernel32 and current process.
extern HMODULE const FAKE_KERNEL;
extern HANDLE const FAKE_PROCESS;

// Presents `answers` through g_baseApi from now on and clears the log. The
// caller holds a SeamGuard on g_baseApi, which puts the real system back.
// Without GetNativeSystemInfo, GetSystemInfo gives the architecture; with it,
// GetSystemInfo gives a value no test expects (as a 32-bit program under WOW64
// would see).
void presentSystem(const SystemAnswers& answers);
SystemCalls& systemCalls();

// The architecture of the machine running the tests, for a presented system
// that should match it.
WORD realArchitecture();
