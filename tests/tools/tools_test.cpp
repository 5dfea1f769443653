// tools_test.cpp
// The test tools' functions and programs against tools_fixture.exe in its own
// process: window and message-box reading and driving, and the registration,
// query and removal of virtual devices. Every child is ended through its own
// handle when a test leaves it running.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <windows.h>

#include <newdev.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "tests/support/child_process.h"
#include "tests/support/golden_texts.h"
#include "tests/support/system_folders.h"
#include "tests/tools/device_registry.h"
#include "tests/tools/window_driver.h"

namespace {

// The test tools are built beside the test program.
std::wstring toolPath(const wchar_t* name)
{
    return ownFolder() + L"\\" + name;
}

// ---------------------------------------------------------------- windows

TEST(WindowDriver, ReadsTheWindowOfAnotherProcess)
{
    ChildProcess fixture(fixtureCommand(L"window", 5));
    ASSERT_TRUE(fixture.started());
    HWND window = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id() + 4, WINDOW_MAIN), nullptr);
    EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MESSAGE_BOX), nullptr);
    EXPECT_EQ(windowText(window), GOLDEN_CAPTION);

    RECT client = {};
    GetClientRect(window, &client);
    const long r = client.right, b = client.bottom;
    struct Expected
    {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        bool visible;
        DWORD style;
        RECT rect;
    } expected[] = {
        {2, L"Static", L"Searching for hardware...", true, 0x50000000, {10, 10, r - 10, 40}},
        {3, L"msctls_progress32", L"", true, 0x50000001, {10, 50, r - 10, 70}},
        {4, L"Static", L"No hardware found", false, 0x40000000, {10, 80, r - 10, 100}},
        {1, L"Button", L"&Finish", true, 0x50000F00, {r - 90, b - 35, r - 10, b - 10}},
    };
    const std::vector<ControlInfo> controls = listControls(window);
    ASSERT_EQ(controls.size(), 4u);
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const Expected& e = expected[i];
        const ControlInfo& c = controls[i];
        EXPECT_EQ(c.id, e.id) << "child " << i;
        EXPECT_EQ(_wcsicmp(c.className.c_str(), e.className), 0) << "child " << i;
        EXPECT_EQ(c.text, e.text) << "child " << i;
        EXPECT_EQ(c.visible, e.visible) << "child " << i;
        EXPECT_TRUE(c.enabled) << "child " << i;
        EXPECT_EQ(c.style, e.style) << "child " << i;
        EXPECT_EQ(c.rect.left, e.rect.left) << "child " << i;
        EXPECT_EQ(c.rect.top, e.rect.top) << "child " << i;
        EXPECT_EQ(c.rect.right, e.rect.right) << "child " << i;
        EXPECT_EQ(c.rect.bottom, e.rect.bottom) << "child " << i;
    }

    ControlInfo control;
    ASSERT_TRUE(findControl(window, 4, &control));
    EXPECT_EQ(control.text, L"No hardware found");
    EXPECT_FALSE(control.visible);
    EXPECT_FALSE(findControl(window, 9, &control));

    ASSERT_TRUE(findControl(window, 3, &control));
    ProgressInfo progress = {-1, -1, -1};
    ASSERT_TRUE(readProgress(control.handle, &progress));
    EXPECT_EQ(progress.position, 2500);
    EXPECT_EQ(progress.low, 0);
    EXPECT_EQ(progress.high, 10000);

    ControlInfo focus;
    ASSERT_TRUE(focusedControl(window, &focus));
    EXPECT_EQ(focus.id, 1);
    EXPECT_EQ(focus.text, L"&Finish");
}

TEST(WindowDriver, ButtonCommandAndCloseEndTheProgram)
{
    struct Case
    {
        const char* name;
        bool (*press)(HWND window);
        long long exitCode; // the fixture adds 1 for a close request
    } cases[] = {
        {"BM_CLICK", [](HWND w) { return clickButton(w, 1); }, 5},
        {"WM_COMMAND", [](HWND w) { return sendCommand(w, 1); }, 5},
        {"WM_CLOSE", [](HWND w) { return closeWindow(w); }, 6},
    };
    for (const Case& c : cases)
    {
        ChildProcess fixture(fixtureCommand(L"window", 5));
        ASSERT_TRUE(fixture.started());
        HWND window = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS);
        ASSERT_NE(window, nullptr) << c.name;
        EXPECT_TRUE(c.press(window)) << c.name;
        EXPECT_TRUE(waitForNoWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS))
            << c.name;
        EXPECT_EQ(fixture.waitExit(), c.exitCode) << c.name;
    }
}

TEST(WindowDriver, MessageBoxesAreReadAndAnswered)
{
    struct Case
    {
        const wchar_t* mode;
        bool icon;
    } cases[] = {{L"errorbox", true}, {L"msgbox", false}};
    for (const Case& c : cases)
    {
        ChildProcess fixture(fixtureCommand(c.mode, 3));
        ASSERT_TRUE(fixture.started());
        HWND box = waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MESSAGE_BOX, CHILD_WAIT_MS);
        ASSERT_NE(box, nullptr) << c.mode;
        EXPECT_EQ(findWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN), nullptr) << c.mode;
        MessageBoxInfo info;
        ASSERT_TRUE(readMessageBox(box, &info)) << c.mode;
        EXPECT_EQ(info.caption, GOLDEN_CAPTION);
        EXPECT_EQ(info.text, L"Line one\nZeile zwei: Gr\u00f6\u00dfe\n\n  last") << c.mode;
        EXPECT_EQ(info.hasIcon, c.icon) << c.mode;
        ASSERT_EQ(info.buttons.size(), 1u) << c.mode;
        EXPECT_EQ(info.buttons[0].id, IDOK) << c.mode;
        EXPECT_EQ(info.buttons[0].text, L"OK") << c.mode;
        EXPECT_FALSE(pressMessageBoxButton(box, IDCANCEL)) << c.mode;
        EXPECT_TRUE(pressMessageBoxButton(box, IDOK)) << c.mode;
        EXPECT_EQ(fixture.waitExit(), 3) << c.mode;
    }
}

TEST(WindriverProgram, ReportsAsKeyValueLinesWithItsExitCodes)
{
    ChildProcess fixture(fixtureCommand(L"window", 0));
    ASSERT_TRUE(fixture.started());
    ASSERT_NE(waitForWindow(GOLDEN_CAPTION, fixture.id(), WINDOW_MAIN, CHILD_WAIT_MS), nullptr);
    const std::wstring tool =
        quoted(toolPath(L"windriver.exe")) + L" --pid " + decimal(fixture.id()) + L" ";
    struct Case
    {
        const wchar_t* arguments;
        long long exitCode;
        const char* output;
    } cases[] = {
        {L"progress \"KVR7 Driver Installer\" 3", 0, "pos=2500\nmin=0\nmax=10000\n"},
        {L"text \"KVR7 Driver Installer\" 0x4", 0,
         "id=4\nclass=Static\nvisible=0\nenabled=1\nstyle=0x40000000\nexstyle=0x0\n"
         "rect=10,80,386,100\ntext=No hardware found\n"},
        {L"text \"KVR7 Driver Installer\" 9", 2, ""},
        {L"text \"KVR7 Driver Installer\"", 3, ""},
        {L"frobnicate \"KVR7 Driver Installer\"", 3, ""},
        {L"--timeout 200 wait \"KVR7 Driver\"", 1, ""},
        {L"--timeout 200 msgbox \"KVR7 Driver Installer\"", 1, ""},
        {L"--timeout 200 gone \"KVR7 Driver Installer\"", 1, ""},
        {L"close \"KVR7 Driver Installer\"", 0, ""},
        {L"--timeout 10000 gone \"KVR7 Driver Installer\"", 0, ""},
    };
    for (const Case& c : cases)
    {
        std::string output;
        EXPECT_EQ(runTool(tool + c.arguments, &output), c.exitCode) << escapeValue(c.arguments);
        EXPECT_EQ(output, c.output) << escapeValue(c.arguments);
    }
    EXPECT_EQ(fixture.waitExit(), 1);
}

// ---------------------------------------------------------------- devices

const wchar_t TEST_HARDWARE_ID[] = L"ROOT\\KVR7TOOLSTEST";

TEST(DeviceRegistry, ClassesAndNames)
{
    struct Case
    {
        const wchar_t* text;
        bool ok;
        const wchar_t* guid;
    } cases[] = {
        {L"", true, L"{4D36E97E-E325-11CE-BFC1-08002BE10318}"},
        {L"System", true, L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
        {L"{4d36e97d-e325-11ce-bfc1-08002be10318}", true,
         L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
        {L"NoSuchClassKvr7", false, L""},
        {L"{4d36e97d", false, L""},
    };
    for (const Case& c : cases)
    {
        GUID guid = {};
        DWORD error = 0;
        ASSERT_EQ(classFromText(c.text, &guid, &error), c.ok) << c.text;
        if (!c.ok)
        {
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_CLASS)) << c.text;
            continue;
        }
        wchar_t text[64] = {};
        StringFromGUID2(guid, text, 64);
        EXPECT_STREQ(text, c.guid) << c.text;
    }

    EXPECT_EQ(deviceNameFor(L"ROOT\\KVR7VDEV"), L"KVR7VDEV");
    EXPECT_EQ(deviceNameFor(L"PCI\\VEN_1234&DEV_5678"), L"VEN_1234_DEV_5678");
    EXPECT_EQ(deviceNameFor(L"kvr7 dev"), L"kvr7_dev");
    std::wstring instance = L"sentinel";
    DWORD error = 0;
    GUID guid = {};
    classFromText(L"", &guid, &error);
    EXPECT_FALSE(registerDevice(L"ROOT\\", guid, &instance, &error));
    EXPECT_EQ(instance, L"sentinel");
}

TEST(DeviceRegistry, RegisterQueryAndRemove)
{
    DWORD error = 0;
    std::vector<std::wstring> removed;
    ASSERT_TRUE(removeDevices(TEST_HARDWARE_ID, &removed, &error)) << error;

    GUID unknown = {}, system = {};
    ASSERT_TRUE(classFromText(L"", &unknown, &error));
    ASSERT_TRUE(classFromText(L"System", &system, &error));
    std::wstring first, second;
    ASSERT_TRUE(registerDevice(TEST_HARDWARE_ID, unknown, &first, &error)) << error;
    ASSERT_TRUE(registerDevice(TEST_HARDWARE_ID, system, &second, &error)) << error;
    EXPECT_EQ(first.compare(0, 19, L"ROOT\\KVR7TOOLSTEST\\"), 0);
    EXPECT_NE(first, second);

    std::vector<DeviceRecord> devices;
    // Hardware IDs compare without regard to case.
    ASSERT_TRUE(findDevices(L"root\\kvr7toolstest", false, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 2u);
    std::vector<std::wstring> found;
    for (const DeviceRecord& device : devices)
    {
        found.push_back(device.instanceId);
        EXPECT_EQ(device.hardwareIds, TEST_HARDWARE_ID);
        EXPECT_EQ(device.driverKey, L"") << "no driver installed yet";
        EXPECT_EQ(device.infPath, L"");
        const bool isFirst = device.instanceId == first;
        EXPECT_EQ(device.classGuid, isFirst ? L"{4D36E97E-E325-11CE-BFC1-08002BE10318}"
                                            : L"{4D36E97D-E325-11CE-BFC1-08002BE10318}");
    }
    EXPECT_TRUE((found == std::vector<std::wstring>{first, second}) ||
                (found == std::vector<std::wstring>{second, first}));
    ASSERT_TRUE(findDevices(L"ROOT\\KVR7TOOLSTES", true, &devices, &error));
    EXPECT_TRUE(devices.empty()) << "a prefix of the ID is another ID";

    ASSERT_TRUE(removeDevices(TEST_HARDWARE_ID, &removed, &error)) << error;
    EXPECT_EQ(removed.size(), 2u);
    ASSERT_TRUE(findDevices(TEST_HARDWARE_ID, true, &devices, &error));
    EXPECT_TRUE(devices.empty());
}

// Removes the devices with a hardware ID when the test ends, however it ends.
class DeviceCleanup
{
public:
    explicit DeviceCleanup(const wchar_t* hardwareId) : m_hardwareId(hardwareId) {}
    ~DeviceCleanup()
    {
        std::vector<std::wstring> removed;
        DWORD error = 0;
        removeDevices(m_hardwareId, &removed, &error);
    }
    DeviceCleanup(const DeviceCleanup&) = delete;
    DeviceCleanup& operator=(const DeviceCleanup&) = delete;

private:
    const wchar_t* m_hardwareId;
};

const char DRIVER_INF[] = "[Version]\r\n"
                          "Signature=\"$Windows NT$\"\r\n"
                          "Class=System\r\n"
                          "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\n"
                          "Provider=%Prov%\r\n"
                          "DriverVer=01/02/2024,1.2.3.4\r\n"
                          "[Manufacturer]\r\n"
                          "%Mfg%=Models,NTamd64,NTx86\r\n"
                          "[Models.NTamd64]\r\n"
                          "%Desc%=Inst,ROOT\\KVR7TOOLSDRIVER\r\n"
                          "[Models.NTx86]\r\n"
                          "%Desc%=Inst,ROOT\\KVR7TOOLSDRIVER\r\n"
                          "[Inst]\r\n"
                          "AddReg=Inst.AddReg\r\n"
                          "[Inst.Services]\r\n"
                          "AddService=,2\r\n"
                          "[Inst.AddReg]\r\n"
                          "HKR,,KvrText,,\"hello there\"\r\n"
                          "HKR,,KvrNumber,0x10001,7\r\n"
                          "[Strings]\r\n"
                          "Prov=\"KVR7 Tools Test\"\r\n"
                          "Mfg=\"KVR7\"\r\n"
                          "Desc=\"KVR7 Tools Test Device\"\r\n";

TEST(DeviceRegistry, TheInstalledDriverIsReadBackFromTheDriverKey)
{
    const wchar_t hardwareId[] = L"ROOT\\KVR7TOOLSDRIVER";
    DeviceCleanup cleanup(hardwareId);
    const std::wstring inf = tempFile(L"kvr7_tools_test.inf");
    HANDLE file = CreateFileW(inf.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, DRIVER_INF, sizeof(DRIVER_INF) - 1, &written, nullptr);
    CloseHandle(file);

    DWORD error = 0;
    GUID unknown = {};
    classFromText(L"", &unknown, &error);
    std::wstring instance;
    ASSERT_TRUE(registerDevice(hardwareId, unknown, &instance, &error)) << error;
    BOOL reboot = FALSE;
    EXPECT_TRUE(UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId, inf.c_str(), 0, &reboot));
    DeleteFileW(inf.c_str());

    std::vector<DeviceRecord> devices;
    ASSERT_TRUE(findDevices(hardwareId, false, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 1u);
    const DeviceRecord& device = devices[0];
    EXPECT_EQ(device.instanceId, instance);
    EXPECT_EQ(device.className, L"System") << "the INF's class replaces the Unknown class";
    EXPECT_EQ(device.description, L"KVR7 Tools Test Device");
    EXPECT_EQ(device.driverKey.compare(0, 39, L"{4D36E97D-E325-11CE-BFC1-08002BE10318}\\"), 0);
    EXPECT_EQ(device.infSection, L"Inst");
    EXPECT_FALSE(device.infPath.empty());
    auto value = [&device](const wchar_t* name) {
        for (const auto& entry : device.driverValues)
        {
            if (entry.first == name)
                return entry.second;
        }
        return std::wstring(L"(missing)");
    };
    EXPECT_EQ(value(L"KvrText"), L"hello there");
    EXPECT_EQ(value(L"KvrNumber"), L"7");
    EXPECT_EQ(value(L"InfPath"), device.infPath);
}

TEST(AdddeviceProgram, RegisterQueryRemoveRoundTrip)
{
    const std::wstring tool = quoted(toolPath(L"adddevice.exe")) + L" ";
    const std::wstring id = L"ROOT\\KVR7TOOLSCLI";
    std::string output;
    ASSERT_EQ(runTool(tool + L"--remove " + id, &output), 0);

    ASSERT_EQ(runTool(tool + id + L" System", &output), 0);
    ASSERT_EQ(output.compare(0, 27, "instance=ROOT\\KVR7TOOLSCLI\\"), 0) << output;
    const std::string instance = output.substr(9, output.size() - 10);

    ASSERT_EQ(runTool(tool + L"--query " + id, &output), 0);
    EXPECT_EQ(output,
              "device=" + instance +
                  "\nhardwareids=ROOT\\KVR7TOOLSCLI\nclass=System\n"
                  "classguid={4D36E97D-E325-11CE-BFC1-08002BE10318}\ndescription=\ndriver=\n"
                  "infpath=\ninfsection=\ndriverdesc=\nprovider=\ndriverversion=\n"
                  "driverdate=\nmatchingdeviceid=\ncount=1\n");

    EXPECT_EQ(runTool(tool + L"--remove " + id, &output), 0);
    EXPECT_EQ(output, "removed=" + instance + "\ncount=1\n");
    EXPECT_EQ(runTool(tool + L"--query " + id, &output), 2);
    EXPECT_EQ(output, "count=0\n");

    EXPECT_EQ(runTool(tool + id + L" NoSuchClassKvr7", &output), 3);
    EXPECT_EQ(runTool(tool + L"--query", &output), 3);
}

} // namespace
