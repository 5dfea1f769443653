// pending.cpp
// The pending installations and restarts. Which registry records are read, and
// why:
// - Component Based Servicing\RebootPending (a key; Vista and later): the
//   servicing stack, which installs Windows' updates and the driver packages
//   that come with them, finishes an installation only at the next restart.
// - WindowsUpdate\Auto Update\RebootRequired (a key): Windows Update installed
//   something, drivers included, that takes effect only at the next restart.
// Both are Windows' own record of its installations and count as a restart
// left pending. PendingFileRenameOperations (Session Manager) is left by many
// unrelated programs and by any installer that replaced a file in use: it is
// reported, never counted.
// A present device waits for a restart when its state says so (DN_NEED_RESTART,
// or the problem CM_PROB_NEED_RESTART): a device installation, ours or
// another's, is finished only after it.

#include "kvr7ctl/pending.h"

#include "base/trace.h"
#include "base/unique_handle.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/package.h"

namespace {

const wchar_t* const RESTART_KEYS[] = {
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending",
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired",
};

// Whether HKLM\`path` is there.
bool keyThere(const wchar_t* path, bool* there, DWORD* error)
{
    HKEY opened = nullptr;
    const LONG answer =
        g_kvr7ctlApi.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &opened);
    UniqueRegistryKey key(answer == ERROR_SUCCESS ? opened : nullptr);
    *there = answer == ERROR_SUCCESS;
    *error = static_cast<DWORD>(answer);
    return answer == ERROR_SUCCESS || answer == ERROR_FILE_NOT_FOUND;
}

// Whether PendingFileRenameOperations holds more than an empty list; only
// reported, so a value that cannot be read is none.
bool fileRenamesPending()
{
    HKEY opened = nullptr;
    if (g_kvr7ctlApi.RegOpenKeyExW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, 0, KEY_QUERY_VALUE,
                                   &opened) != ERROR_SUCCESS)
        return false;
    UniqueRegistryKey key(opened);
    DWORD type = 0, size = 0;
    return g_kvr7ctlApi.RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, &type,
                                         nullptr, &size) == ERROR_SUCCESS &&
           size > 2 * sizeof(wchar_t);
}

// The present devices that wait for a restart. A device that went away since
// the list was made has no state: it waits for nothing.
bool devicesWaiting(std::vector<std::wstring>* waiting, DWORD* error)
{
    return forEachPresentDevice(
        [waiting](HDEVINFO set, SP_DEVINFO_DATA* device) {
            ULONG status = 0, problem = 0;
            if (g_kvr7ctlApi.CM_Get_DevNode_Status(&status, &problem, device->DevInst, 0) ==
                    CR_SUCCESS &&
                waitsForRestart(status, problem))
            {
                waiting->push_back(instanceIdOf(set, device));
                traceLine(TRACE_DEVICE_WAITS, waiting->back().c_str(), status, problem);
            }
            return true;
        },
        error);
}

} // namespace

bool findPending(PendingState* state, const wchar_t** failedStep, DWORD* error)
{
    *state = PendingState();
    // A zero wait asks whether installations are running without waiting for them.
    const DWORD wait = g_kvr7ctlApi.CMP_WaitNoPendingInstallEvents(0);
    *error = GetLastError();
    traceLine(TRACE_WAIT, 0UL, wait);
    if (wait == WAIT_FAILED)
    {
        *failedStep = STEP_PENDING;
        return false;
    }
    state->installations = wait != WAIT_OBJECT_0;

    *failedStep = STEP_DEVICES;
    if (!devicesWaiting(&state->restarts, error))
        return false;
    *failedStep = STEP_RESTART_RECORDS;
    for (const wchar_t* path : RESTART_KEYS)
    {
        bool there = false;
        if (!keyThere(path, &there, error))
            return false;
        if (there)
            state->restarts.push_back(std::wstring(L"HKLM\\") + path);
    }
    state->fileRenames = fileRenamesPending();
    return true;
}
