// install_platform.cpp
// The real entry points behind the install seam. The driver update comes from
// newdev.dll in the system folder, loaded on the first update call (see
// base/system_library.h). A newdev that cannot be loaded fails the call with
// the loader's error, which ends the run as a failed update (exit code 5).

#include "install/install_platform.h"

#include <newdev.h>

#include "base/system_library.h"

namespace {

SystemLibrary g_newdev(L"newdev.dll");
SystemEntry<decltype(&::UpdateDriverForPlugAndPlayDevicesW)>
    g_update(g_newdev, "UpdateDriverForPlugAndPlayDevicesW");

BOOL WINAPI updateDriver(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
                         PBOOL rebootRequired)
{
    const auto call = g_update.get();
    return call ? call(parent, hardwareId, fullInfPath, installFlags, rebootRequired) : FALSE;
}

} // namespace

InstallApi g_installApi = {updateDriver};
