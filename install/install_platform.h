// install_platform.h
// The platform call of the two long operations, behind one seam: the device
// installation service's driver update.
//
// g_installApi holds the real entry point (install_platform.cpp), a thin
// forwarder that loads newdev.dll from the system folder. Tests replace it to
// play any answer the platform can give. The entry carries the platform's own
// signature and no logic of its own.
//
// The rest goes through base/base_platform.h: the system the platform check
// judges through the base seam, and the driver-package library (loaded, looked
// up and released) through the loader seam.
#pragma once

#include <windows.h>

struct InstallApi
{
    BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesW)
    (HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
     PBOOL rebootRequired);
};

extern InstallApi g_installApi;
