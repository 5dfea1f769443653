// adddevice_main.cpp
// adddevice.exe: root-enumerated virtual devices for tests and demos.
//   adddevice.exe HARDWARE_ID [CLASS]     registers one; prints instance=ID
//   adddevice.exe --query HARDWARE_ID     present devices with the ID, one block
//                                         each, starting with device=ID and ending
//                                         with value.NAME=DATA for every value of
//                                         the driver key
//   adddevice.exe --remove HARDWARE_ID    removes them all; prints removed=ID each
//                                         and count=N
// CLASS is a class name known to the system (such as System) or a {GUID}; with
// none the device is of the Unknown class. Reports are `key=value` lines in
// UTF-8 (values escaped as windriver does). Exit codes: 0 done, 2 no device with
// the ID (query), 3 bad command line, 4 the Setup API failed (error on stderr).

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "tests/tools/device_registry.h"

namespace {

enum ExitCode
{
    EXIT_DONE = 0,
    EXIT_NOT_FOUND = 2,
    EXIT_USAGE = 3,
    EXIT_FAILED = 4
};

const wchar_t USAGE[] = L"usage: adddevice.exe HARDWARE_ID [CLASS]\n"
                        L"       adddevice.exe --query HARDWARE_ID\n"
                        L"       adddevice.exe --remove HARDWARE_ID";

int failed(const wchar_t* what, DWORD error)
{
    printError(std::wstring(L"adddevice: ") + what + L" failed: error " + decimal(error) + L" (" +
               hex(error) + L")");
    return EXIT_FAILED;
}

void printDevice(const DeviceRecord& device)
{
    printValue(L"device", device.instanceId);
    printValue(L"hardwareids", device.hardwareIds);
    printValue(L"class", device.className);
    printValue(L"classguid", device.classGuid);
    printValue(L"description", device.description);
    printValue(L"driver", device.driverKey);
    printValue(L"infpath", device.infPath);
    printValue(L"infsection", device.infSection);
    printValue(L"driverdesc", device.driverDesc);
    printValue(L"provider", device.providerName);
    printValue(L"driverversion", device.driverVersion);
    printValue(L"driverdate", device.driverDate);
    printValue(L"matchingdeviceid", device.matchingDeviceId);
    for (const auto& value : device.driverValues)
        printValue((L"value." + value.first).c_str(), value.second);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    const std::vector<std::wstring> args(argv, argv + argc);
    DWORD error = 0;
    if (args.size() == 3 && args[1] == L"--query")
    {
        std::vector<DeviceRecord> devices;
        if (!findDevices(args[2], false, &devices, &error))
            return failed(L"listing the devices", error);
        for (const DeviceRecord& device : devices)
            printDevice(device);
        printValue(L"count", decimal(static_cast<long long>(devices.size())));
        return devices.empty() ? EXIT_NOT_FOUND : EXIT_DONE;
    }
    if (args.size() == 3 && args[1] == L"--remove")
    {
        std::vector<std::wstring> removed;
        const bool ok = removeDevices(args[2], &removed, &error);
        for (const std::wstring& id : removed)
            printValue(L"removed", id);
        printValue(L"count", decimal(static_cast<long long>(removed.size())));
        return ok ? EXIT_DONE : failed(L"removing a device", error);
    }
    if ((args.size() == 2 || args.size() == 3) && !args[1].empty() && args[1][0] != L'-')
    {
        GUID classGuid = {};
        if (!classFromText(args.size() == 3 ? args[2] : std::wstring(), &classGuid, &error))
        {
            printError(L"adddevice: unknown device class: " + args[2]);
            return EXIT_USAGE;
        }
        std::wstring instanceId;
        if (!registerDevice(args[1], classGuid, &instanceId, &error))
            return failed(L"registering the device", error);
        printValue(L"instance", instanceId);
        return EXIT_DONE;
    }
    printError(USAGE);
    return EXIT_USAGE;
}
