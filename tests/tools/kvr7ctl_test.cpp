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

#include "tests/support/temp_folder.h"
#include "tools/kvr7ctl_platform.h"
#include "tools/package_control.h"

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
    bool oemUninstallDeletes = true; // only with SUOI_FORCEDELETE, as Wine
    bool wow64 = false;
};
Script g;
TempFolder* g_folder;

std::wstring infFolder() { return g_folder->path() + L"\\INF"; }

UINT WINAPI fakeWindows(LPWSTR buffer, UINT size)
{
    return static_cast<UINT>(wcslen(wcsncpy(buffer, g_folder->path().c_str(), size)));
}
HDEVINFO WINAPI fakeDevices(const GUID*, PCWSTR, HWND, DWORD) { return reinterpret_cast<HDEVINFO>(1); }
BOOL WINAPI fakeEnum(HDEVINFO, DWORD index, PSP_DEVINFO_DATA device)
{
    device->DevInst = index + 1;
    SetLastError(ERROR_NO_MORE_ITEMS);
    return index < static_cast<DWORD>(g.devices);
}
HKEY WINAPI fakeOpenKey(HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD, DWORD, REGSAM)
{
    return reinterpret_cast<HKEY>(2);
}
LONG WINAPI fakeQuery(HKEY, LPCWSTR, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    *type = REG_SZ;
    *size = sizeof(L"oem5.inf");
    memcpy(data, L"oem5.inf", *size);
    return ERROR_SUCCESS;
}
LONG WINAPI fakeClose(HKEY) { return ERROR_SUCCESS; }
BOOL WINAPI fakeId(HDEVINFO, PSP_DEVINFO_DATA device, PWSTR id, DWORD size, PDWORD)
{
    swprintf(id, size, L"ROOT\\KVR7_BOARD\\%04lu", device->DevInst - 1);
    return TRUE;
}
CONFIGRET WINAPI fakeState(PULONG status, PULONG problem, DEVINST, ULONG)
{
    *status = g.status;
    *problem = g.problem;
    return CR_SUCCESS;
}
BOOL WINAPI fakeRemoveDevice(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA)
{
    g.devices -= function == DIF_REMOVE ? 1 : 0;
    return TRUE;
}
BOOL WINAPI fakeParams(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_W params)
{
    params->Flags = g.restartAfterRemoval ? DI_NEEDREBOOT : 0;
    return TRUE;
}
BOOL WINAPI fakeDestroy(HDEVINFO) { return TRUE; }
DWORD WINAPI fakeWait(DWORD) { return g.waitAnswer; }
BOOL WINAPI fakeUninstallInf(PCWSTR name, DWORD flags, PVOID)
{
    if (g.oemUninstallDeletes && (flags & SUOI_FORCEDELETE))
        DeleteFileW((infFolder() + L"\\" + name).c_str());
    return TRUE;
}
BOOL WINAPI fakeUninstallDriver(HWND, LPCWSTR path, DWORD, PBOOL reboot)
{
    SetLastError(ERROR_ACCESS_DENIED);
    if (g.uninstallDriverFails)
        return FALSE;
    g.devices = 0;
    *reboot = g.restartAfterRemoval;
    return DeleteFileW(path);
}
DiUninstallDriverWFn fakeLookUp()
{
    SetLastError(ERROR_PROC_NOT_FOUND);
    return g.hasUninstallDriver ? fakeUninstallDriver : nullptr;
}
BOOL WINAPI fakeAdmin(HANDLE, PSID, PBOOL member)
{
    *member = g.admin;
    return TRUE;
}
BOOL WINAPI fakeWow64(HANDLE, PBOOL wow64)
{
    *wow64 = g.wow64;
    return TRUE;
}
FARPROC WINAPI fakeProcAddress(HMODULE, LPCSTR)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fakeWow64));
}

// Standard output and error go nowhere while a case runs: the trace has it all.
class QuietOutput
{
public:
    QuietOutput() : m_out(GetStdHandle(STD_OUTPUT_HANDLE)), m_err(GetStdHandle(STD_ERROR_HANDLE))
    {
        SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
        SetStdHandle(STD_ERROR_HANDLE, nullptr);
    }
    ~QuietOutput()
    {
        SetStdHandle(STD_OUTPUT_HANDLE, m_out);
        SetStdHandle(STD_ERROR_HANDLE, m_err);
    }

private:
    HANDLE m_out, m_err;
};

} // namespace

TEST(Kvr7ctl, ExitCodesAndFailedSteps)
{
    const Script REMOVABLE = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, false, true, false};
    struct Case
    {
        const char* name;
        std::vector<std::wstring> args; // after the program
        bool staged;                    // oem5.inf, a copy of the package, in the INF folder
        Script script;
        int expectedCode;
        const wchar_t* expectedStep; // in the failedstep= line; null for none
    } cases[] = {
        {"status: one copy, one device", {L"status"}, true, REMOVABLE, 0, nullptr},
        {"status: nothing staged", {L"status"}, false, REMOVABLE, 1, nullptr},
        {"status: restart requested",
         {L"status"}, true, {1, DN_NEED_RESTART, 0, 0, TRUE}, 3010, nullptr},
        {"status: problem 'needs restart'",
         {L"status"}, true, {1, DN_HAS_PROBLEM, CM_PROB_NEED_RESTART, 0, TRUE}, 3010, nullptr},
        {"status: another problem", {L"status"}, true, {1, DN_HAS_PROBLEM, 10, 0, TRUE}, 0, nullptr},
        {"32-bit build on 64-bit Windows", {L"status"}, true,
         {1, 0, 0, 0, TRUE, false, false, false, false, true}, 1603, L"Windows version"},
        {"no command", {}, true, REMOVABLE, 87, nullptr},
        {"unknown command", {L"list"}, true, REMOVABLE, 87, nullptr},
        {"-force for status", {L"status", L"-force"}, true, REMOVABLE, 87, nullptr},
        {"two INF files", {L"status", L"a.inf", L"b.inf"}, true, REMOVABLE, 87, nullptr},
        {"missing package INF", {L"status", L"missing.inf"}, true, REMOVABLE, 1603, L"package INF"},
        {"remove: not elevated", {L"remove", L"-force"}, true,
         {1, 0, 0, WAIT_OBJECT_0, FALSE, false, false, false, true}, 740, L"administrator"},
        {"remove: installs pending", {L"remove", L"-force"}, true,
         {1, 0, 0, WAIT_TIMEOUT, TRUE, false, false, false, true}, 1618, L"waiting"},
        {"remove: forced, one by one", {L"remove", L"-force"}, true, REMOVABLE, 0, nullptr},
        {"remove: restart after DIF_REMOVE", {L"remove", L"-force"}, true,
         {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, true, true}, 3010, nullptr},
        {"remove: copy does not go away", {L"remove"}, true, REMOVABLE, 1603, L"still staged: oem5.inf"},
        {"remove: nothing staged", {L"remove"}, false, REMOVABLE, 0, nullptr},
        {"remove: DiUninstallDriverW, restart", {L"remove"}, true,
         {2, 0, 0, WAIT_OBJECT_0, TRUE, true, false, true, false}, 3010, nullptr},
        {"remove: DiUninstallDriverW fails", {L"remove"}, true,
         {1, 0, 0, WAIT_OBJECT_0, TRUE, true, true, false, false}, 1603, L"DiUninstallDriverW oem5.inf"},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        g_folder = &folder;
        g = c.script;
        const std::wstring package = folder.writeBytes(L"kvr7.inf", PACKAGE);
        folder.makeFolder(L"INF");
        folder.writeBytes(L"INF\\oem6.inf", FOREIGN);
        if (c.staged)
            folder.writeBytes(L"INF\\oem5.inf", PACKAGE);
        std::vector<std::wstring> args = {L"kvr7ctl.exe"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (!c.args.empty() && c.args.back() == L"missing.inf")
            args.back() = folder.file(L"missing.inf");

        DebugOutputCapture trace;
        g_baseApi.GetProcAddress = fakeProcAddress;
        SeamGuard<Kvr7ctlApi> seam(g_kvr7ctlApi);
        seam->GetSystemWindowsDirectoryW = fakeWindows;
        seam->SetupDiGetClassDevsW = fakeDevices;
        seam->SetupDiEnumDeviceInfo = fakeEnum;
        seam->SetupDiOpenDevRegKey = fakeOpenKey;
        seam->RegQueryValueExW = fakeQuery;
        seam->RegCloseKey = fakeClose;
        seam->SetupDiGetDeviceInstanceIdW = fakeId;
        seam->CM_Get_DevNode_Status = fakeState;
        seam->SetupDiCallClassInstaller = fakeRemoveDevice;
        seam->SetupDiGetDeviceInstallParamsW = fakeParams;
        seam->SetupDiDestroyDeviceInfoList = fakeDestroy;
        seam->CMP_WaitNoPendingInstallEvents = fakeWait;
        seam->SetupUninstallOEMInfW = fakeUninstallInf;
        seam->lookUpDiUninstallDriverW = fakeLookUp;
        seam->CheckTokenMembership = fakeAdmin;
        int code;
        {
            QuietOutput quiet;
            code = runKvr7ctl(args, folder.path());
        }
        EXPECT_EQ(c.expectedCode, code) << c.name;
        std::wstring failedStep;
        for (const std::wstring& line : trace.lines())
            if (line.find(L"kvr7ctl: failedstep=") == 0)
                failedStep = line;
        if (c.expectedStep)
            EXPECT_NE(std::wstring::npos, failedStep.find(c.expectedStep)) << c.name;
        else
            EXPECT_EQ(L"", failedStep) << c.name;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.file(L"INF\\oem6.inf").c_str()))
            << c.name << ": the foreign package was touched";
        folder.adopt(L"INF\\oem5.inf");
        folder.adopt(L"INF\\oem5.pnf");
        folder.adopt(L"INF\\oem6.pnf");
    }
}
