// install_platform.h
// The platform calls of the two long operations, behind one seam: the device
// installation service's driver update, and the loading of the driver-package
// library. Filled with the real entry points (the driver update through a thin
// forwarder that loads newdev.dll from the system folder); tests replace single
// entries to play any answer the platform can give.
#pragma once

#include <windows.h>

struct InstallApi
{
    BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesW)
    (HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
     PBOOL rebootRequired);
    HMODULE(WINAPI* LoadLibraryExW)(LPCWSTR fileName, HANDLE file, DWORD flags);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR procName);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
};

extern InstallApi g_installApi;
