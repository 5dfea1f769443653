// install_platform.h
// The platform calls of the two long operations, behind one seam: the device
// installation service's driver update, and the loading and release of the
// driver-package library. g_installApi is filled with the real entry points
// (install_platform.cpp); tests replace single entries to play any answer the
// platform can give. The entries carry the platform's own signatures and no
// logic of their own. Entry points are looked up, and the system the platform
// check judges is described, through the base seam (base/base_platform.h).
#pragma once

#include <windows.h>

struct InstallApi
{
    BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesW)
    (HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
     PBOOL rebootRequired);
    HMODULE(WINAPI* LoadLibraryW)(LPCWSTR fileName);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
};

extern InstallApi g_installApi;

// The form of IsWow64Process, looked up at run time: older systems lack it.
typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE process, PBOOL wow64Process);
