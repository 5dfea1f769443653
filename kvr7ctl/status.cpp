// status.cpp
// kvr7ctl status: the staged copies of the package, the devices that use them
// and whether one of those waits for a restart.

#include "kvr7ctl/status.h"

#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"

int reportStatus(const Package& package)
{
    std::vector<StagedCopy> copies;
    UniqueDeviceSet set;
    std::vector<PackageDevice> devices;
    DWORD error = 0;
    if (!findCopies(package, &copies, &error))
        return reportFailure(STEP_SEARCH, error);
    if (!copies.empty() && !findDevices(copies, &set, &devices, &error))
        return reportFailure(STEP_DEVICES, error);

    bool restart = false;
    for (size_t copy = 0; copy < copies.size(); ++copy)
    {
        report(REPORT_COPY, copies[copy].name);
        report(REPORT_DRIVER_VERSION, copies[copy].driverVersion);
        for (const PackageDevice& device : devices)
        {
            if (device.copy != copy)
                continue;
            report(REPORT_DEVICE, device.instanceId);
            report(REPORT_DEVICE_RESTART, device.restartPending ? L"1" : L"0");
            restart = restart || device.restartPending;
        }
    }
    report(REPORT_COPIES, decimal(static_cast<long long>(copies.size())));
    report(REPORT_DEVICES, decimal(static_cast<long long>(devices.size())));
    report(REPORT_RESTART_NEEDED, restart ? L"1" : L"0");
    if (copies.empty())
        return finishReport(KVR7CTL_NOT_STAGED);
    return finishReport(restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}
