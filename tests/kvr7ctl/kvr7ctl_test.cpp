// kvr7ctl_test.cpp
// kvr7ctl's commands with the system played by fakes behind its seam: the
// system INF folder is a temporary one holding a copy of the package, a foreign
// package and whatever a case adds; devices, their state, the waits, the
// removal calls and the installer's runs answer as the case says. Each case
// checks the exit code, the failed step the report names, and that the foreign
// package is untouched; deploy's cases also what the installer was run with.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/command_line.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "tests/support/fake_system.h"
#include "tests/support/machine_registry.h"
#include "tests/support/temp_folder.h"

namespace {

// The package, and one of another maker that is the same in all else; the
// package naming a catalog (the one for this platform, kvr7.cat, first) and a
// file of its own in a subfolder.
#define PACKAGE_WITH(maker, version)                                                               \
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"                                  \
    "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\nProvider=%Mfg%\r\n" version               \
    "DriverVer=12/08/2026,1.0.0.0\r\n[Manufacturer]\r\n%Mfg%=KVR7,NTamd64\r\n"                     \
    "[KVR7.NTamd64]\r\nBoard=Install,ROOT\\KVR7_BOARD\r\n[Strings]\r\nMfg=\"" maker "\"\r\n"
#define PACKAGE_OF(maker) PACKAGE_WITH(maker, "")
const char PACKAGE[] = PACKAGE_OF("KVR7 Devices");
const char CATALOGUED[] = PACKAGE_WITH(
    "KVR7 Devices",
    "CatalogFile=other.cat\r\nCatalogFile.NTamd64=kvr7.cat\r\n") "[SourceDisksFiles]\r\nkvr7.cfg=1,"
                                                                 "sub\r\n";
const char OTHER_MAKER[] = PACKAGE_OF("Other Devices");
const char HELD[] = "the package, held open without sharing";
const char NO_INF[] = "no INF at all\r\n";
// Same provider and class, other models: a different package of the same maker.
const char FOREIGN[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                       "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                       "Provider=\"KVR7 Devices\"\r\n[Manufacturer]\r\nKVR7=OTHER,NTamd64\r\n";

// One run of the installer as the fake plays it; a run that ends with 0
// leaves oem5.inf staged when `stages`.
struct InstallerRun
{
    DebugCaptureOutcome outcome;
    DWORD code;
    bool stages;
    bool restart = false; // afterwards every device waits for a restart
};

struct Script
{
    int devices = 1; // devices whose driver key names oem5.inf
    ULONG status = 0, problem = 0;
    DWORD waitAnswer = WAIT_OBJECT_0;
    BOOL admin = TRUE;
    bool hasUninstallDriver = false, uninstallDriverFails = false, restartAfterRemoval = false;
    const wchar_t* driver = L"oem5.inf"; // every device's InfPath
    int removal = 0; // DIF_REMOVE: 0 removes the device, 1 fails, 2 answers TRUE and keeps it
    CONFIGRET stateAnswer = CR_SUCCESS;
    const wchar_t* policy = L""; // the registry as StandInMachine writes it
    DWORD build = 19045;         // of Windows 10, as RtlGetVersion answers
};
Script g;

// The catalog's part in the check's cases: what the package names, what is
// there, and what the platform answers.
enum CatalogCase
{
    NO_CATALOG, // the INF names none
    MISSING,    // it names kvr7.cat, which is not there
    UNTOLD,     // kvr7.cat is there; the platform's trust check passes anything
    NOT_LISTED, // it lists the INF but not sub\kvr7.cfg
    LISTED,     // it lists both, and its signature is trusted
};
CatalogCase g_catalog;
int g_members;                       // member look-ups so far
std::vector<InstallerRun> g_answers; // the installer's answers still to come
TempFolder* g_folder;
// The installer's runs so far: each one's arguments after the program,
// separated by `|`; a run whose window was not to be hidden says so.
std::wstring g_runs;
// A trace line of the installer as the capture hands it over (its line feed
// taken off); kvr7ctl passes it on unchanged.
const wchar_t INSTALLER_LINE[] = L"  install: [Manufacturer] {x} 100%s";

// The system as the script has it. The device set is a made-up handle; the
// driver key a predefined one, whose closing succeeds and does nothing.
struct Fake
{
    static UINT WINAPI windows(LPWSTR buffer, UINT size)
    {
        const std::wstring& path = g_folder->path();
        if (size <= path.size())
            return static_cast<UINT>(path.size() + 1);
        return static_cast<UINT>(wcslen(wcscpy(buffer, path.c_str())));
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
    // The driver key's InfPath; any other key is the registry's own.
    static LONG WINAPI infPath(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                               LPDWORD size)
    {
        if (key != HKEY_CURRENT_CONFIG)
            return RegQueryValueExW(key, name, reserved, type, data, size);
        *type = REG_SZ;
        *size = static_cast<DWORD>((wcslen(g.driver) + 1) * sizeof(wchar_t));
        if (data)
            memcpy(data, g.driver, *size);
        return ERROR_SUCCESS;
    }
    // Hardware IDs; compatible IDs never set, as Wine answers.
    static BOOL WINAPI ids(HDEVINFO, PSP_DEVINFO_DATA, DWORD property, PDWORD, PBYTE data,
                           DWORD size, PDWORD needed)
    {
        static const wchar_t IDS[] = L"ROOT\\KVR7_BOARD\0";
        const bool fits = property == SPDRP_HARDWAREID && size >= sizeof(IDS);
        SetLastError(property != SPDRP_HARDWAREID ? ERROR_INVALID_DATA : ERROR_INSUFFICIENT_BUFFER);
        *(needed ? needed : &size) = sizeof(IDS);
        return fits && memcpy(data, IDS, sizeof(IDS));
    }
    static CONFIGRET WINAPI state(PULONG status, PULONG problem, DEVINST, ULONG)
    {
        *status = g.status;
        *problem = g.problem;
        return g.stateAnswer;
    }
    static BOOL WINAPI removeDevice(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA)
    {
        g.devices -= function == DIF_REMOVE && g.removal == 0 ? 1 : 0;
        SetLastError(ERROR_ACCESS_DENIED);
        return g.removal != 1;
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
    static DebugCaptureResult run(const std::wstring& commandLine, DWORD,
                                  const DebugCaptureSink& sink, const DebuggeeStart& start)
    {
        const std::wstring program = L"\"" + g_folder->path() + L"\\" KVR7CTL_INSTALLER L"\" ";
        g_runs +=
            (g_runs.empty() ? L"" : L"|") +
            (commandLine.find(program) == 0 ? commandLine.substr(program.size()) : commandLine) +
            (start.showWindow == SW_HIDE ? L"" : L" (shown)");
        sink.line(sink.context, INSTALLER_LINE);
        const InstallerRun answer =
            g_answers.empty() ? InstallerRun{DEBUG_CAPTURE_FAILED, 0, false} : g_answers.front();
        if (!g_answers.empty())
            g_answers.erase(g_answers.begin());
        if (answer.stages)
            g_folder->writeBytes(L"INF\\oem5.inf", PACKAGE);
        g.status = answer.restart ? DN_NEED_RESTART : g.status;
        return DebugCaptureResult{answer.outcome, answer.code, ERROR_FILE_NOT_FOUND, 1, 1, 0};
    }
    static LONG WINAPI version(PRTL_OSVERSIONINFOW version)
    {
        version->dwMajorVersion = 10;
        version->dwMinorVersion = 0;
        version->dwBuildNumber = g.build;
        return 0;
    }
    // The catalog SIP's answer for a member no catalog holds, and the
    // signature's; nothing keeps state.
    static LONG WINAPI trust(HWND, GUID*, LPVOID data)
    {
        const WINTRUST_DATA* question = static_cast<WINTRUST_DATA*>(data);
        return question->dwUnionChoice == WTD_CHOICE_CATALOG && g_catalog != UNTOLD
                   ? TRUST_E_NOSIGNATURE
                   : ERROR_SUCCESS;
    }
    static HANDLE WINAPI openCatalog(LPWSTR, DWORD, HCRYPTPROV, DWORD, DWORD) { return HANDLE(1); }
    static BOOL WINAPI closeCatalog(HANDLE) { return TRUE; }
    static CRYPTCATMEMBER* WINAPI member(HANDLE, LPWSTR)
    {
        static CRYPTCATMEMBER listed;
        return g_catalog == LISTED || g_members++ == 0 ? &listed : nullptr;
    }
};

// The case's folder: the package, the system INF folder with the foreign
// package and, when `staged` is given, oem5.inf with that text; HELD is a copy
// of the package that `held` keeps open without sharing.
void layOut(TempFolder& folder, const char* staged, UniqueFile* held = nullptr)
{
    g_folder = &folder;
    folder.writeBytes(L"kvr7.inf", PACKAGE);
    folder.makeFolder(L"INF");
    folder.writeBytes(L"INF\\oem6.inf", FOREIGN);
    if (staged)
        folder.writeBytes(L"INF\\oem5.inf", staged == HELD ? PACKAGE : staged);
    if (staged == HELD && held)
        held->reset(CreateFileW(folder.file(L"INF\\oem5.inf").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

// The system as Fake plays it; the INF files and the search of the folder stay real.
void play(SeamGuard<Kvr7ctlApi>& seam)
{
    seam->GetSystemWindowsDirectoryW = Fake::windows;
    seam->SetupDiGetClassDevsW = Fake::devices;
    seam->SetupDiEnumDeviceInfo = Fake::next;
    seam->SetupDiGetDeviceInstanceIdW = Fake::id;
    seam->SetupDiGetDeviceRegistryPropertyW = Fake::ids;
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
    seam->runUnderDebugger = Fake::run;
    seam->RtlGetVersion = Fake::version;
    seam->RegOpenKeyExW = StandInMachine::open;
    seam->WinVerifyTrust = Fake::trust;
    seam->CryptCATOpen = Fake::openCatalog;
    seam->CryptCATClose = Fake::closeCatalog;
    seam->CryptCATGetMemberInfo = Fake::member;
}

// The trace's `kvr7ctl: KEY=` line with its value (the last one), and how many there were.
std::wstring reported(const DebugOutputCapture& trace, const std::wstring& key,
                      int* count = nullptr)
{
    std::wstring value;
    const std::wstring start = L"kvr7ctl: " + key + L"=";
    for (const std::wstring& line : trace.lines())
        if (line.find(start) == 0)
        {
            value = line.substr(start.size(), line.size() - start.size() - 1);
            if (count)
                ++*count;
        }
    return value;
}

// `text` with each "@" replaced by `folder`.
std::wstring inFolder(std::wstring text, const std::wstring& folder)
{
    for (size_t at = text.find(L'@'); at != std::wstring::npos;
         at = text.find(L'@', at + folder.size()))
        text.replace(at, 1, folder);
    return text;
}

} // namespace

TEST(Kvr7ctl, ExitCodesAndFailedSteps)
{
    // Script fields in order: devices, status, problem, wait answer, administrator,
    // DiUninstallDriverW there, it fails, restart after removal, driver, removal, state answer.
    const Script ONE_DEVICE, RESTART = {1, DN_NEED_RESTART},
                             OTHER_PROBLEM = {1, DN_HAS_PROBLEM, 10};
    const Script PROBLEM_RESTART = {1, DN_HAS_PROBLEM, CM_PROB_NEED_RESTART};
    const Script NO_ADMIN = {1, 0, 0, WAIT_OBJECT_0, FALSE}, BUSY = {1, 0, 0, WAIT_TIMEOUT};
    const Script REMOVAL_RESTART = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, true};
    const Script NEW_WINDOWS = {2, 0, 0, WAIT_OBJECT_0, TRUE, true, false, true};
    const Script NEW_WINDOWS_FAILS = {1, 0, 0, WAIT_OBJECT_0, TRUE, true, true};
    const Script FOREIGN_DRIVER = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, false, L"oem6.inf"};
    const Script REMOVE_FAILS = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, false, L"oem5.inf", 1};
    const Script REMOVE_KEEPS = {1, 0, 0, WAIT_OBJECT_0, TRUE, false, false, false, L"oem5.inf", 2};
    const Script NO_STATE = {1,     0,           0, WAIT_OBJECT_0,     TRUE, false, false,
                             false, L"oem5.inf", 0, CR_NO_SUCH_DEVNODE};
    struct Case
    {
        const wchar_t* command; // the arguments after the program; @ is the temporary folder
        const char* staged;     // oem5.inf: PACKAGE, OTHER_MAKER, NO_INF, HELD or none
        Script script;
        int expectedCode;
        const wchar_t* expectedLine; // in the failedstep= line, else in any report line
        DWORD expectedError;         // in the error= line; 0 for none
    } cases[] = {
        {L"status", PACKAGE, ONE_DEVICE, 0, L"boardours=1", 0},
        {L"status", nullptr, ONE_DEVICE, 1, L"", 0},
        {L"status", OTHER_MAKER, ONE_DEVICE, 1, L"", 0},
        {L"status", NO_INF, ONE_DEVICE, 1, L"", 0},
        {L"status", PACKAGE, RESTART, 3010, L"", 0},
        {L"status", PACKAGE, PROBLEM_RESTART, 3010, L"", 0},
        {L"status", PACKAGE, OTHER_PROBLEM, 21, L"boardproblem=10", 0},
        {L"status", PACKAGE, FOREIGN_DRIVER, 20, L"board=ROOT\\KVR7_BOARD\\0000", 0},
        {L"status", HELD, ONE_DEVICE, 1603, L"candidate oem5.inf", ERROR_SHARING_VIOLATION},
        {L"status", PACKAGE, NO_STATE, 1603, L"state of ROOT", ERROR_GEN_FAILURE},
        {L"", PACKAGE, ONE_DEVICE, 87, L"", 0},
        {L"status -force", PACKAGE, ONE_DEVICE, 87, L"", 0},
        {L"status a.inf b.inf", PACKAGE, ONE_DEVICE, 87, L"", 0},
        {L"remove /force", PACKAGE, ONE_DEVICE, 87, L"", 0},
        {L"status @\\INF\\oem5.inf", PACKAGE, ONE_DEVICE, 87, L"command line", 87},
        {L"status missing.inf", PACKAGE, ONE_DEVICE, 1603, L"package INF", 2},
        {L"remove -force", PACKAGE, NO_ADMIN, 740, L"administrator", 740},
        {L"remove -force", PACKAGE, BUSY, 1618, L"waiting", ERROR_INSTALL_ALREADY_RUNNING},
        {L"remove -force", PACKAGE, ONE_DEVICE, 0, L"option -force", 0},
        {L"remove -force", HELD, ONE_DEVICE, 1603, L"candidate oem5.inf", ERROR_SHARING_VIOLATION},
        {L"remove -force", PACKAGE, REMOVAL_RESTART, 3010, L"", 0},
        {L"remove -force", PACKAGE, REMOVE_FAILS, 1603, L"DIF_REMOVE ROOT", ERROR_ACCESS_DENIED},
        {L"remove -force", PACKAGE, REMOVE_KEEPS, 1603, L"used by ROOT", ERROR_DEVICE_IN_USE},
        {L"remove", PACKAGE, ONE_DEVICE, 1603, L"still staged: oem5.inf", ERROR_FILE_EXISTS},
        {L"remove", nullptr, ONE_DEVICE, 0, L"", 0},
        {L"remove", PACKAGE, NEW_WINDOWS, 3010, L"", 0},
        {L"remove", PACKAGE, NEW_WINDOWS_FAILS, 1603, L"DiUninstallDriverW oem5.inf", 5},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        g = c.script;
        UniqueFile held;
        layOut(folder, c.staged, &held);
        const std::string name = "row " + std::to_string(&c - cases) + ": " + toUtf8(c.command);

        DebugOutputCapture trace; // its guard puts the whole base seam back
        // Without IsWow64Process the platform check passes, also for the 32-bit tests.
        presentSystem(SystemAnswers());
        SeamGuard<Kvr7ctlApi> seam(g_kvr7ctlApi);
        play(seam);
        const std::wstring command = inFolder(c.command, folder.path());
        const int code =
            runKvr7ctl(splitArguments((L"kvr7ctl.exe " + command).c_str()), folder.path());
        EXPECT_EQ(c.expectedCode, code) << name;
        std::wstring failedStep, report;
        for (const std::wstring& line : trace.lines())
        {
            failedStep = line.find(L"kvr7ctl: failedstep=") == 0 ? line : failedStep;
            report += line;
        }
        EXPECT_NE(std::wstring::npos, (c.expectedError ? failedStep : report).find(c.expectedLine))
            << name;
        EXPECT_EQ(c.expectedError == 0, failedStep.empty()) << name;
        EXPECT_EQ(c.expectedError == 0,
                  report.find(L"kvr7ctl: error=" + std::to_wstring(c.expectedError) + L"\n") ==
                      std::wstring::npos)
            << name;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW(folder.file(L"INF\\oem6.inf").c_str()))
            << name << ": the foreign package was touched";
        folder.adopt(L"INF\\oem5.inf");
        folder.adopt(L"INF\\oem5.pnf");
        folder.adopt(L"INF\\oem6.pnf");
    }
}

// deploy with the installer played behind the seam: what it was run with, its
// trace passed on, and an outcome only where status confirms it. "@" in a
// command and in the runs stands for the case's folder.
TEST(Kvr7ctl, DeployEndsWithWhatTheCheckConfirms)
{
    const Script BOARD, NO_BOARD = {0}, BUSY = {1, 0, 0, WAIT_TIMEOUT};
    const Script NO_ADMIN = {1, 0, 0, WAIT_OBJECT_0, FALSE};
    Script ON_FOREIGN; // the board kept on the other maker's package
    ON_FOREIGN.driver = L"oem6.inf";
    Script blocked;
    blocked.policy = L"DenyDeviceIDs=ROOT\\KVR7_BOARD";
    const InstallerRun STAGES = {DEBUG_CAPTURE_EXITED, 0, true},
                       NOTHING = {DEBUG_CAPTURE_EXITED, 0, false};
    const InstallerRun NO_HARDWARE = {DEBUG_CAPTURE_EXITED, 4, false};
    const wchar_t INSTALL_THEN_STAGE[] = L"-nopause|-nopause -preinstall";
    struct Case
    {
        const wchar_t* command;
        Script script;
        std::vector<InstallerRun> runs; // the installer's answers, in order
        int expectedCode;
        const wchar_t* expectedRuns;    // the installer's arguments, run by run
        const wchar_t* expectedOutcome; // outcome=; empty for none
    } cases[] = {
        {L"deploy", BOARD, {STAGES}, 0, L"-nopause", L"installed"},
        {L"deploy", NO_BOARD, {NO_HARDWARE, STAGES}, 0, INSTALL_THEN_STAGE, L"staged"},
        {L"deploy",
         NO_BOARD,
         {NO_HARDWARE, {DEBUG_CAPTURE_EXITED, 105, true}},
         0,
         INSTALL_THEN_STAGE,
         L"staged"},
        {L"deploy -stage", BOARD, {STAGES}, 0, L"-nopause -preinstall", L"staged"},
        {L"deploy", BOARD, {NOTHING}, 1603, L"-nopause", L"installed"}, // reported, not staged
        {L"deploy",
         BOARD,
         {{DEBUG_CAPTURE_EXITED, 0, true, true}},
         3010,
         L"-nopause",
         L"installed"},
        {L"deploy", blocked, {}, 1625, L"", L""}, // stopped before the installer
        {L"deploy", BUSY, {}, 1618, L"", L""},
        {L"deploy", ON_FOREIGN, {STAGES}, 20, L"-nopause", L"installed"},
        {L"deploy -stage", ON_FOREIGN, {STAGES}, 0, L"-nopause -preinstall", L"staged"},
        {L"deploy", BOARD, {{DEBUG_CAPTURE_EXITED, 5, false}}, 5, L"-nopause", L""},
        {L"deploy",
         NO_BOARD,
         {NO_HARDWARE, {DEBUG_CAPTURE_EXITED, 116, false}},
         116,
         INSTALL_THEN_STAGE,
         L""},
        {L"deploy", BOARD, {{DEBUG_CAPTURE_EXITED, 0xC0000005, false}}, 1603, L"-nopause", L""},
        {L"deploy", BOARD, {{DEBUG_CAPTURE_TIMED_OUT, 124, false}}, 124, L"-nopause", L""},
        {L"deploy", BOARD, {{DEBUG_CAPTURE_START_FAILED, 0, false}}, 1603, L"-nopause", L""},
        {L"deploy", NO_ADMIN, {}, 740, L"", L""},
        {L"deploy @\\ab\\kvr7.inf", BOARD, {STAGES}, 0, L"-nopause @\\ab\\kvr7.inf", L"installed"},
        {L"deploy \"@\\a b\\kvr7.inf\"", BOARD, {}, 87, L"", L""}, // the installer splits at blanks
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        g = c.script;
        g_answers = c.runs;
        g_runs.clear();
        const StandInMachine machine(g.policy);
        layOut(folder, nullptr);
        folder.writeBytes(L"ab\\kvr7.inf", PACKAGE);
        folder.writeBytes(L"a b\\kvr7.inf", PACKAGE);
        const std::string name = "row " + std::to_string(&c - cases) + ": " + toUtf8(c.command);

        DebugOutputCapture trace;
        presentSystem(SystemAnswers());
        SeamGuard<Kvr7ctlApi> seam(g_kvr7ctlApi);
        play(seam);
        const std::wstring command = inFolder(c.command, folder.path());
        const int code =
            runKvr7ctl(splitArguments((L"kvr7ctl.exe " + command).c_str()), folder.path());
        EXPECT_EQ(c.expectedCode, code) << name;
        EXPECT_EQ(inFolder(c.expectedRuns, folder.path()), g_runs) << name;
        EXPECT_EQ(c.expectedOutcome, reported(trace, L"outcome")) << name;
        int results = 0;
        reported(trace, L"result", &results);
        EXPECT_EQ(1, results) << name << ": one result= line, deploy's";
        const bool passedOn =
            std::find(trace.lines().begin(), trace.lines().end(),
                      INSTALLER_LINE + std::wstring(L"\n")) != trace.lines().end();
        EXPECT_EQ(!c.runs.empty(), passedOn) << name << ": the installer's trace passed on";
        folder.adopt(L"INF\\oem5.inf");
        folder.adopt(L"INF\\oem5.pnf");
        folder.adopt(L"INF\\oem6.pnf");
    }
}

// check with the machine played: its policy in the stand-in registry, the
// Windows build, pending installations, a board's state and the catalog.
TEST(Kvr7ctl, CheckSaysWhatStandsInTheWay)
{
    const Script BUSY = {1, 0, 0, WAIT_TIMEOUT}, RESTART = {1, DN_NEED_RESTART};
    const auto machine = [](const wchar_t* policy, DWORD build = 19045) {
        Script script;
        script.policy = policy;
        script.build = build;
        return script;
    };
    const Script NONE = machine(L"");
    struct Case
    {
        const wchar_t* command;
        Script script;
        CatalogCase catalog;
        int expectedCode;
        const wchar_t* expectedLine; // a line of the report
    } cases[] = {
        {L"check", NONE, NO_CATALOG, 0, L"unattendedproblem=the INF names no catalog"},
        {L"check", machine(L"DenyDeviceIDs=root\\kvr7_board"), NO_CATALOG, 1625,
         L"restrictionvalue=HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall\\"
         L"Restrictions\\DenyDeviceIDs\\1"},
        {L"check", machine(L"DenyDeviceClasses={4D36E97D-E325-11CE-BFC1-08002BE10318}"), NO_CATALOG,
         1625, L"restriction=DenyDeviceClasses"},
        {L"check", machine(L"DenyUnspecified"), NO_CATALOG, 1625, L"restriction=DenyUnspecified"},
        {L"check", machine(L"DenyUnspecified;AllowDeviceIDs=ROOT\\KVR7_BOARD"), NO_CATALOG, 0,
         L"restrictions=0"},
        {L"check", machine(L"DenyInstanceIDs=ROOT\\KVR7_BOARD\\0000"), NO_CATALOG, 1625,
         L"restrictionfor=ROOT\\KVR7_BOARD\\0000"},
        {L"check", machine(L"DenyInstanceIDs=ROOT\\KVR7_BOARD\\0000", 17763), NO_CATALOG, 0,
         L"restrictions=0"}, // before Windows 10 1903
        {L"check",
         machine(L"AllowDenyLayered;DenyDeviceClasses={4d36e97d-e325-11ce-bfc1-08002be10318};"
                 L"AllowDeviceIDs=ROOT\\KVR7_BOARD"),
         NO_CATALOG, 0, L"policyorder=layered"},
        {L"check", machine(L"!"), NO_CATALOG, 1603, L"failedstep=reading the device installation"},
        {L"check", BUSY, NO_CATALOG, 1618, L"installpending=1"},
        {L"check", RESTART, NO_CATALOG, 1618, L"restartpendingby=ROOT\\KVR7_BOARD\\0000"},
        {L"check",
         machine(L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based "
                 L"Servicing\\RebootPending"),
         NO_CATALOG, 1618, L"restartpending=1"},
        {L"check -strict", NONE, NO_CATALOG, 577, L"unattendedproblem=the INF names no catalog"},
        {L"check -strict", NONE, MISSING, 577,
         L"unattendedproblem=the catalog is missing: kvr7.cat"},
        {L"check -strict", NONE, UNTOLD, 0, L"covered=unknown"},
        {L"check -strict", NONE, NOT_LISTED, 577, L"notcovered=sub\\kvr7.cfg"},
        {L"check -strict", NONE, LISTED, 0, L"unattended=1"},
    };
    for (const Case& c : cases)
    {
        TempFolder folder;
        g = c.script;
        g_catalog = c.catalog;
        g_members = 0;
        const StandInMachine registry(g.policy);
        layOut(folder, PACKAGE);
        if (c.catalog != NO_CATALOG)
            folder.writeBytes(L"kvr7.inf", CATALOGUED);
        folder.writeBytes(L"sub\\kvr7.cfg", "Channels=8\r\n");
        if (c.catalog > MISSING)
            folder.writeBytes(L"kvr7.cat", "a catalog, as far as the fakes care");
        const std::string name = "row " + std::to_string(&c - cases) + ": " + toUtf8(c.command);

        DebugOutputCapture trace;
        presentSystem(SystemAnswers());
        SeamGuard<Kvr7ctlApi> seam(g_kvr7ctlApi);
        play(seam);
        const int code = runKvr7ctl(
            splitArguments((std::wstring(L"kvr7ctl.exe ") + c.command).c_str()), folder.path());
        EXPECT_EQ(c.expectedCode, code) << name;
        const std::wstring start = L"kvr7ctl: " + std::wstring(c.expectedLine);
        EXPECT_TRUE(
            std::any_of(trace.lines().begin(), trace.lines().end(),
                        [&start](const std::wstring& line) { return line.find(start) == 0; }))
            << name << ": " << toUtf8(c.expectedLine);
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
              L"       kvr7ctl.exe deploy [-stage] [INF]\n"
              L"       kvr7ctl.exe check [-strict] [INF]\n"
              L"INF is the package's INF file; by default kvr7.inf beside kvr7ctl.exe.");
}
