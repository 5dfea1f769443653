// install_platform.h
// The platform calls of the two long operations, behind one seam: the device
// installation service's driver update. g_installApi is filled with the real
// entry point (install_platform.cpp; the driver update through a thin
// forwarder that loads newdev.dll from the system folder); tests replace it to
// play any answer the platform can give. The entry carries the platform's own
// signature and no logic of its own. The driver-package library is loaded,
// looked up and released, and the system the platform check judges is
// described, through the base seam (base/base_platform.h).
#pragma once

#include <windows.h>

struct InstallApi
{
    BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesW)
    (HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
     PBOOL rebootRequired);
};

extern InstallApi g_installApi;
