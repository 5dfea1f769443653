// app_platform.h
// The platform calls of the command-line stage, behind one seam: g_appApi is
// filled with the real entry points (app_platform.cpp); tests replace single
// entries to see what would be shown and to present any program path. The
// entries carry the platform's own signatures and no logic of their own.
#pragma once

#include <windows.h>

struct AppApi
{
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    DWORD(WINAPI* GetModuleFileNameW)(HMODULE module, LPWSTR buffer, DWORD size);
};

extern AppApi g_appApi;
