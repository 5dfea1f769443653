// app_platform.h
// The platform calls of the application's start-up and its command-line stage,
// behind one seam: g_appApi is filled with the real entry points
// (app_platform.cpp; the common controls' through a thin forwarder that loads
// comctl32.dll from the system folder); tests replace single entries to see
// what would be shown, to present any program path and to make a path
// unresolvable. The entries carry the
// platform's own signatures and no logic of their own.
#pragma once

#include <windows.h>

#include <commctrl.h>

struct AppApi
{
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    DWORD(WINAPI* GetModuleFileNameW)(HMODULE module, LPWSTR buffer, DWORD size);
    DWORD(WINAPI* GetFullPathNameW)(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart);
    BOOL(WINAPI* InitCommonControlsEx)(const INITCOMMONCONTROLSEX* controls);
};

extern AppApi g_appApi;
