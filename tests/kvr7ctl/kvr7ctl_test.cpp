// kvr7ctl_test.cpp
// kvr7ctl's commands with the system played by fakes behind its seam: the
// system INF folder is a temporary one holding a copy of the package, a foreign
// package and whatever a case adds; devices, their state, the waits and the
// removal calls answer as the case says. Each case checks the exit code, the
// failed step the report names, and that the foreign package is untouched.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/command_line.h"
#include "tests/support/fake_system.h"
#include "tests/support/temp_folder.h"

namespace {

const char PACKAGE[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                       "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\nProvider=%Mfg%\r\n"
                       "DriverVer=12/08/2026,1.0.0.0\r\n[Manufacturer]\r\n%Mfg%=KVR7,NTamd64\r\n"
                       "[Strings]\r\nMfg=\"KVR7 Devices\"\r\n";
// Same provider and class, other models: a different package of the same maker.
const char FOREIGN[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                       "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                       "Provider=\"KVR7 Devices\"\r\n[Manufacturer]\r\nKVR7=OTHER,NTamd64\r\n";

struct Script
{
    int devices = 1; // devices whose driver key names oem5.inf
    ULONG status = 0, problem = 0;
    DWORD waitAnswer = WAIT_OBJECT_0;
    BOOL admin = TRUE;
    bool hasUninstallDriver = false, uninstallDriverFails = false, restartAfterRemoval = false;
};
Script g;
TempFolder* g_folder;

// The system as the script has it. The device set is a made-up handle; the
// driver key a predefined one, whose closing succeeds and does nothing.
struct Fake
{
    static UINT WINAPI windows(LPWSTR buffer, UINT size)
    {
        return static_cast<UINT>(wcslen(wcsncpy(buffer, g_folder->path().c_str(), size)));
    }
    static HDEVINFO WINAPI devices(const GUID*, PCWSTR, HWND, DWORD) { return HDEVINFO(1); }
    static BOOL WINAPI destroy(HDEVINFO) { return TRUE; }
    static BOOL WINAPI next(HDEVINFO, DWORD index, PSP_DEVINFO_DATA device)
    {
        device->DevInst = index + 1;
        SetLastError(ERROR_NO_MORE_ITEMS);
        return index < static_cast<DWORD>(g.devices);
    }
    static BOOL WINAPI id(HDEVINFO, PSP_DEVINFO_DATA device, PWSTR id, DWORD size, PDWORD)
    {
        return swprintf(id, size, L"ROOT\\KVR7_BOARD\\%04lu", device->DevInst - 1) > 0;
    }
    static HKEY WINAPI key(HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD, DWORD, REGSAM)
    {
        return HKEY_CURRENT_CONFIG;
    }
    static LONG WINAPI infPath(HKEY, LPCWSTR, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
    {
        *type = REG_SZ;
        memcpy(data, L"oem5.inf", *size = sizeof(L"oem5.inf"));
        return ERROR_SUCCESS;
    }
    static CONFIGRET WINAPI state(PULONG status, PULONG problem, DEVINST, ULONG)
    {
        *status = g.status;
        *problem = g.problem;
        return CR_SUCCESS;
    }
    static BOOL WINAPI removeDevice(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA)
    {
        g.devices -= function == DIF_REMOVE ? 1 : 0;
        return TRUE;
    }
    static BOOL WINAPI params(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_W params)
    {
        params->Flags = g.restartAfterRemoval ? DI_NEEDREBOOT : 0;
        return TRUE;
    }
    static DWORD WINAPI wait(DWORD) { return g.waitAnswer; }
    // As Wine's: only a forced call deletes the copy.
    static BOOL WINAPI uninstallInf(PCWSTR name, DWORD flags, PVOID)
    {
        return !(flags & SUOI_FORCEDELETE) ||
               DeleteFileW((g_folder->path() + L"\\INF\\" + name).c_str());
    }
    static BOOL WINAPI uninstallDriver(HWND, LPCWSTR path, DWORD, PBOOL reboot)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        *reboot = g.restartAfterRemoval;
        g.devices = g.uninstallDriverFails ? g.devices : 0;
        return !g.uninstallDriverFails && DeleteFileW(path);
    }
    static DiUninstallDriverWFn lookUp()
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return g.hasUninstallDriver ? uninstallDriver : nullptr;
    }
    static BOOL WINAPI admin(HANDLE, PSID, PBOOL member)
    {
        *member = g.admin;
        return TRUE;
    }
};

} // namespace

TEST(Kvr7ctl, ExitCodesAndFailedSteps)
{
    // Script fields in order: devices, status, problem, wait answer, administrator,
    // DiUninstallDriverW there, it fails, restart after removal.
    const Script ONE_DEVICE, RESTART = {1, DN_NEED_RESTART},
                             OTHER_PROBLEM = {1, DN_HAS_PROBLEM, 10};
    const Script PROBLEM_RESTART = {1, DN_HAS_PROBLEM, CM_PROB_NEED_RESTART};
    const Script NO_ADMIN = {1, 0, 0, WAIT_OBJECT_0, FALSE}, BUSY = {1, 0, 0, WAIT_TIMEOUT};
    const Script REMOVAL_RESTART = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, true};
    const Script NEW_WINDOWS = {2, 0, 0, WAIT_OBJECT_0, TRUE, true, false, true};
    const Script NEW_WINDOWS_FAILS = {1, 0, 0, WAIT_OBJECT_0, TRUE, true, true};
    struct Case
    {
        const wchar_t* command; // the arguments after the program
        bool staged;            // oem5.inf, a copy of the package, in the INF folder
        Script script;
        int expectedCode;
        const wchar_t* expectedStep; // in the failedstep= line; empty for none
    } cases[] = {
        {L"status", true, ONE_DEVICE, 0, L""},
        {L"status", false, ONE_DEVICE, 1, L""},
        {L"status", true, RESTART, 3010, L""},
        {L"status", true, PROBLEM_RESTART, 3010, L""},
        {L"status", true, OTHER_PROBLEM, 0, L""},
        {L"", true, ONE_DEVICE, 87, L""},
        {L"status -force", true, ONE_DEVICE, 87, L""},
        {L"status a.inf b.inf", true, ONE_DEVICE, 87, L""},
        {L"status missing.inf", true, ONE_DEVICE, 1603, L"package INF"},
        {L"remove -force", true, NO_ADMIN, 740, L"administrator"},
        {L"remove -force", true, BUSY, 1618, L"waiting"},
        {L"remove -force", true, ONE_DEVICE, 0, L""},
        {L"remove -force", true, REMOVAL_RESTART, 3010, L""},
        {L"remove", true, ONE_DEVICE, 1603, L"still staged: oem5.inf"}, // the copy stays
        {L"remove", false, ONE_DEVICE, 0, L""},
        {L"remove", true, NEW_WINDOWS, 3010, L""},
        {L"remove", true, NEW_WINDOWS_FAILS, 1603, L"DiUninstallDriverW oem5.inf"},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        g_folder = &folder;
        g = c.script;
        folder.writeBytes(L"kvr7.inf", PACKAGE);
        folder.makeFolder(L"INF");
        folder.writeBytes(L"INF\\oem6.inf", FOREIGN);
        if (c.staged)
            folder.writeBytes(L"INF\\oem5.inf", PACKAGE);
        const std::string name = "row " + std::to_string(&c - cases) + ": " + toUtf8(c.command);

        DebugOutputCapture trace; // its guard puts the whole base seam back
        // Without IsWow64Process the platform check passes, also for the 32-bit tests.
        presentSystem(SystemAnswers());
        // The INF files and the search of the folder stay real.
        SeamGuard<Kvr7ctlApi> seam(g_kvr7ctlApi);
        seam->GetSystemWindowsDirectoryW = Fake::windows;
        seam->SetupDiGetClassDevsW = Fake::devices;
        seam->SetupDiEnumDeviceInfo = Fake::next;
        seam->SetupDiGetDeviceInstanceIdW = Fake::id;
        seam->SetupDiOpenDevRegKey = Fake::key;
        seam->RegQueryValueExW = Fake::infPath;
        seam->SetupDiCallClassInstaller = Fake::removeDevice;
        seam->SetupDiGetDeviceInstallParamsW = Fake::params;
        seam->SetupDiDestroyDeviceInfoList = Fake::destroy;
        seam->CM_Get_DevNode_Status = Fake::state;
        seam->CMP_WaitNoPendingInstallEvents = Fake::wait;
        seam->SetupUninstallOEMInfW = Fake::uninstallInf;
        seam->lookUpDiUninstallDriverW = Fake::lookUp;
        seam->CheckTokenMembership = Fake::admin;
        const int code = runKvr7ctl(
            splitArguments((std::wstring(L"kvr7ctl.exe ") + c.command).c_str()), folder.path());
        EXPECT_EQ(c.expectedCode, code) << name;
        std::wstring failedStep;
        for (const std::wstring& line : trace.lines())
            if (line.find(L"kvr7ctl: failedstep=") == 0)
                failedStep = line;
        EXPECT_NE(std::wstring::npos, failedStep.find(c.expectedStep)) << name;
        EXPECT_EQ(*c.expectedStep == L'\0', failedStep.empty()) << name;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW(folder.file(L"INF\\oem6.inf").c_str()))
            << name << ": the foreign package was touched";
        folder.adopt(L"INF\\oem5.inf");
        folder.adopt(L"INF\\oem5.pnf");
        folder.adopt(L"INF\\oem6.pnf");
    }
}

// The usage is made from the verbs' help lines and reads as it always has.
TEST(Kvr7ctl, UsageNamesEveryVerb)
{
    EXPECT_EQ(kvr7ctlUsage(),
              L"usage: kvr7ctl.exe status [INF]\n"
              L"       kvr7ctl.exe remove [-force] [INF]\n"
              L"INF is the package's INF file; by default kvr7.inf beside kvr7ctl.exe.");
}
