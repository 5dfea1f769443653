// platform_check.h
// The platform calls of CSetupWnd::checkPlatform, behind one seam: filled with
// the real entry points; tests replace single entries to present any system.
#pragma once

#include <windows.h>

struct PlatformCheckApi
{
    BOOL(WINAPI* GetVersionExW)(LPOSVERSIONINFOW info);
    HMODULE(WINAPI* GetModuleHandleW)(LPCWSTR moduleName);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR procName);
    HANDLE(WINAPI* GetCurrentProcess)();
};

extern PlatformCheckApi g_platformCheckApi;

// The form of IsWow64Process, looked up at run time: older systems lack it.
typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE process, PBOOL wow64Process);
