// kvr7ctl_e2e_test.cpp
// kvr7ctl.exe as an administrator runs it, beside the package's INF: two
// versions of the package and a foreign one staged, the sample driver installed
// on a registered virtual device; status, then removal without and with force,
// then both again on the emptied system.

#include "tests/e2e/e2e_support.h"

#include <newdev.h>

#include "base/unique_handle.h"
#include "tests/support/system_folders.h"
#include "tests/tools/device_registry.h"

namespace {

const wchar_t BOARD_ID[] = L"ROOT\\KVR7_BOARD";
const char FOREIGN[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
                       "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                       "Provider=\"Other Devices\"\r\nDriverVer=01/01/2026,1.0.0.0\r\n"
                       "[Manufacturer]\r\nOther=OTHER\r\n[OTHER]\r\n"
                       "Board=Other_Install,ROOT\\KVR7_BOARD\r\n[Other_Install]\r\n"
                       "[Other_Install.Services]\r\nAddService=,2\r\n";

// Runs kvr7ctl.exe; gives its exit code and its trace in `trace`, a line feed
// before and after each line.
DWORD runTool(const std::wstring& program, const wchar_t* arguments, std::wstring* trace = nullptr)
{
    ProgramRun run(program, arguments);
    const RunResult result = run.finish();
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED) << arguments;
    for (const std::wstring& line : result.trace)
        if (trace)
            *trace += L"\n" + line + L"\n";
    return result.exitCode;
}

} // namespace

TEST(Kvr7ctl, StatusListsBothVersionsAndRemoveLeavesOnlyTheForeignPackage)
{
    TempFolder folder;
    const std::wstring tool = folder.copyIn(distFile(L"kvr7ctl.exe"), L"kvr7ctl.exe");
    std::wstring report;
    const auto says = [&report](const std::wstring& line) {
        return report.find(L"\nkvr7ctl: " + line + L"\n") != std::wstring::npos;
    };
    if (!programRunsHere())
    {
        // The 32-bit build refuses on 64-bit Windows, before it looks at anything.
        EXPECT_EQ(runTool(tool, L"status", &report), 1603u);
        EXPECT_TRUE(says(L"failedstep=checking the Windows version"));
        return;
    }
    PackageTraces traces;
    VirtualDevice device(BOARD_ID, L"System");
    ASSERT_TRUE(device.ok()) << "cannot register the device, error " << device.error();
    const std::wstring inf = folder.copyIn(distFile(L"kvr7.inf"), L"kvr7.inf");
    folder.copyIn(distFile(L"kvr7.cfg"), L"kvr7.cfg");
    folder.makeFolder(L"v2");
    std::string newer = readFileBytes(inf);
    newer.replace(newer.find("1.0.0.0"), 7, "2.0.0.0");
    StagedInf first, second, foreign;
    ASSERT_TRUE(second.stage(folder.writeBytes(L"v2\\kvr7.inf", newer)));
    ASSERT_TRUE(foreign.stage(folder.writeBytes(L"other.inf", FOREIGN)));
    BOOL reboot = FALSE;
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, BOARD_ID, inf.c_str(), 0, &reboot));
    std::vector<DeviceRecord> devices;
    DWORD error = 0;
    ASSERT_TRUE(findDevices(BOARD_ID, true, &devices, &error) && devices.size() == 1) << error;
    first.adopt(devices[0].infPath);

    EXPECT_EQ(runTool(tool, L"status", &report), 0u);
    EXPECT_TRUE(says(L"copy=" + first.name())) << "the installed version";
    EXPECT_TRUE(says(L"copy=" + second.name())) << "the newer version";
    EXPECT_TRUE(says(L"driverver=12/08/2026,2.0.0.0"));
    EXPECT_TRUE(says(L"device=" + device.instanceId()));
    EXPECT_TRUE(says(L"copies=2"));
    EXPECT_FALSE(says(L"copy=" + foreign.name()));

    // Wine's SetupUninstallOEMInfW answers TRUE without deleting anything.
    EXPECT_EQ(runTool(tool, L"remove"), 1603u);
    EXPECT_EQ(runTool(tool, L"remove -force"), 0u);
    EXPECT_FALSE(first.present());
    EXPECT_FALSE(second.present());
    EXPECT_TRUE(foreign.present());
    ASSERT_TRUE(findDevices(BOARD_ID, true, &devices, &error)) << error;
    EXPECT_TRUE(devices.empty()) << "the device is gone";
    EXPECT_EQ(runTool(tool, L"status"), 1u);
    EXPECT_EQ(runTool(tool, L"remove"), 0u) << "a second removal finds nothing to do";
}

// Neither status nor remove calls it a success when it cannot tell (a copy held
// open without sharing) or when the board runs a foreign package's driver.
TEST(Kvr7ctl, UnreadableCopiesAndForeignDriversAreNoSuccess)
{
    TempFolder folder;
    const std::wstring tool = folder.copyIn(distFile(L"kvr7ctl.exe"), L"kvr7ctl.exe");
    SKIP_WHERE_THE_PROGRAM_REFUSES("kvr7ctl");
    EXPECT_EQ(runTool(tool, L"remove /force"), 87u);
    PackageTraces traces;
    VirtualDevice device(BOARD_ID, L"System");
    ASSERT_TRUE(device.ok()) << "cannot register the device, error " << device.error();
    const std::wstring inf = folder.copyIn(distFile(L"kvr7.inf"), L"kvr7.inf");
    folder.copyIn(distFile(L"kvr7.cfg"), L"kvr7.cfg");
    BOOL reboot = FALSE;
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, BOARD_ID, inf.c_str(), 0, &reboot));
    std::vector<DeviceRecord> devices;
    DWORD error = 0;
    ASSERT_TRUE(findDevices(BOARD_ID, false, &devices, &error) && devices.size() == 1) << error;
    {
        const UniqueFile held(CreateFileW((systemInfFolder() + L"\\" + devices[0].infPath).c_str(),
                                          GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        const DWORD status = runTool(tool, L"status");
        EXPECT_TRUE(status != 0 && status != 1) << status;
        EXPECT_NE(runTool(tool, L"remove -force"), 0u);
    }
    // Wine moves the board to the foreign driver and keeps ours staged.
    const std::wstring other = folder.writeBytes(L"other.inf", FOREIGN);
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, BOARD_ID, other.c_str(), 0, &reboot));
    StagedInf foreign;
    ASSERT_TRUE(findDevices(BOARD_ID, false, &devices, &error) && devices.size() == 1) << error;
    foreign.adopt(devices[0].infPath);
    std::wstring report;
    EXPECT_EQ(runTool(tool, L"status", &report), 20u);
    EXPECT_NE(report.find(L"\nkvr7ctl: board=" + device.instanceId() + L"\n"), std::wstring::npos);
}
