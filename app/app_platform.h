// app_platform.h
// The platform calls of the command-line stage, behind one seam: filled with the
// real entry points; tests replace single entries to see what would be shown and
// to present any program path.
#pragma once

#include <windows.h>

struct AppApi
{
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    DWORD(WINAPI* GetModuleFileNameW)(HMODULE module, LPWSTR buffer, DWORD size);
};

extern AppApi g_appApi;
