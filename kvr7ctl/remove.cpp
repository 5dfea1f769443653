// remove.cpp
// kvr7ctl remove: takes every staged copy of the package off the system, with
// DiUninstallDriverW where newdev.dll has it and device by device otherwise, and
// searches again afterwards: only that search tells that nothing is left.

#include "kvr7ctl/remove.h"

#include "base/trace.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"

namespace {

void traceCall(const wchar_t* step, const std::wstring& what, BOOL done, DWORD error, bool restart)
{
    traceLine(TRACE_CALL, step, what.c_str(), done ? TRACE_CALL_DONE : TRACE_CALL_FAILED,
              done ? 0UL : error, restart ? 1 : 0);
}

// Where DiUninstallDriverW is missing: each device that uses a copy goes, then
// the copy itself (forced only when asked: the Setup API then deletes a copy
// that other devices still name).
int removeOneByOne(const std::vector<StagedCopy>& copies, bool force, bool* restart)
{
    report(REPORT_METHOD, REMOVAL_REMOVE_DEVICES);
    UniqueDeviceSet set;
    std::vector<PackageDevice> devices;
    DWORD error = 0;
    if (!findDevices(copies, &set, &devices, &error))
        return reportFailure(STEP_DEVICES, error);
    for (PackageDevice& device : devices)
    {
        const BOOL removed =
            g_kvr7ctlApi.SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device.data);
        error = GetLastError();
        SP_DEVINSTALL_PARAMS_W params = {};
        params.cbSize = sizeof(params);
        const bool due =
            removed &&
            g_kvr7ctlApi.SetupDiGetDeviceInstallParamsW(set.get(), &device.data, &params) &&
            (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0;
        traceCall(STEP_REMOVE_DEVICE, device.instanceId, removed, error, due);
        if (!removed)
            return reportFailure(STEP_REMOVE_DEVICE + device.instanceId, error);
        *restart = *restart || due;
        report(REPORT_REMOVED_DEVICE, device.instanceId);
    }
    for (const StagedCopy& copy : copies)
    {
        const BOOL removed = g_kvr7ctlApi.SetupUninstallOEMInfW(
            copy.name.c_str(), force ? SUOI_FORCEDELETE : 0, nullptr);
        error = GetLastError();
        traceCall(STEP_UNINSTALL_INF, copy.name, removed, error, false);
        if (!removed)
            return reportFailure(STEP_UNINSTALL_INF + copy.name, error);
        report(REPORT_UNINSTALLED, copy.name);
    }
    return KVR7CTL_DONE;
}

int uninstallEach(DiUninstallDriverWFn uninstall, const std::vector<StagedCopy>& copies,
                  bool* restart)
{
    report(REPORT_METHOD, REMOVAL_UNINSTALL_DRIVER);
    for (const StagedCopy& copy : copies)
    {
        BOOL due = FALSE;
        const BOOL removed = uninstall(nullptr, copy.path.c_str(), 0, &due);
        const DWORD error = GetLastError();
        traceCall(STEP_UNINSTALL_DRIVER, copy.name, removed, error, due != FALSE);
        if (!removed)
            return reportFailure(STEP_UNINSTALL_DRIVER + copy.name, error);
        *restart = *restart || due;
        report(REPORT_UNINSTALLED, copy.name);
    }
    return KVR7CTL_DONE;
}

} // namespace

int removePackage(const Package& package, bool force)
{
    const int rights = refuseUnlessAdministrator(TEXT_CTL_NOT_ADMIN);
    if (rights != KVR7CTL_DONE)
        return rights;

    const DWORD waited = g_kvr7ctlApi.CMP_WaitNoPendingInstallEvents(PENDING_INSTALLS_WAIT_MS);
    const DWORD waitError = GetLastError();
    traceLine(TRACE_WAIT, PENDING_INSTALLS_WAIT_MS, waited);
    if (waited == WAIT_TIMEOUT)
        return reportFailure(STEP_WAIT, ERROR_INSTALL_ALREADY_RUNNING, KVR7CTL_BUSY);
    if (waited != WAIT_OBJECT_0)
        return reportFailure(STEP_WAIT, waitError);

    std::vector<StagedCopy> copies;
    std::wstring step;
    DWORD error = 0;
    if (!findCopies(package, &copies, &step, &error))
        return reportFailure(step, error);
    for (const StagedCopy& copy : copies)
    {
        report(REPORT_COPY, copy.name);
        report(REPORT_DRIVER_VERSION, copy.driverVersion);
    }
    bool restart = false;
    if (!copies.empty())
    {
        const DiUninstallDriverWFn uninstall = g_kvr7ctlApi.lookUpDiUninstallDriverW();
        traceLine(TRACE_LOOKUP, uninstall ? TRACE_LOOKUP_FOUND : TRACE_LOOKUP_MISSING,
                  uninstall ? 0UL : GetLastError());
        const int result = uninstall ? uninstallEach(uninstall, copies, &restart)
                                     : removeOneByOne(copies, force, &restart);
        if (result != KVR7CTL_DONE)
            return result;
    }

    // Every call may have answered TRUE and still left a copy (Wine's
    // SetupUninstallOEMInfW without SUOI_FORCEDELETE deletes nothing): only a
    // second search tells.
    std::vector<StagedCopy> left;
    if (!findCopies(package, &left, &step, &error))
        return reportFailure(step, error);
    traceLine(TRACE_VERIFY, static_cast<unsigned long>(left.size()));
    if (!left.empty())
        return reportFailure(STEP_STILL_STAGED + left.front().name, ERROR_FILE_EXISTS);
    if (!copies.empty())
    {
        UniqueDeviceSet set;
        std::vector<PackageDevice> devices;
        if (!findDevices(copies, &set, &devices, &error))
            return reportFailure(STEP_DEVICES, error);
        if (!devices.empty())
            return reportFailure(STEP_STILL_USED + devices.front().instanceId, ERROR_DEVICE_IN_USE);
    }
    report(REPORT_RESTART_NEEDED, restart ? L"1" : L"0");
    return finishReport(restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}
