// msi_action_platform.h
// The platform calls of the custom actions, behind one seam: running a program
// under the debugger capture, the Installer session's calls (a line into the
// log, the restart request, a property, the products of an upgrade code), and
// what a deferred action leaves for its rollback: a registry value and a copy
// of two files.
// g_msiActionApi is filled with the real entry points (msi_action_platform.cpp);
// tests replace entries to play any answer. The entries carry the platform's
// own signatures (runUnderDebugger: debugout/debug_capture.h) and no logic.
#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "debugout/debug_capture.h"

struct MsiActionApi
{
    DebugCaptureResult (*runUnderDebugger)(const std::wstring& commandLine, DWORD timeoutMs,
                                           const DebugCaptureSink& sink,
                                           const DebuggeeStart& start);

    int(WINAPI* MsiProcessMessage)(MSIHANDLE session, INSTALLMESSAGE kind, MSIHANDLE record);
    UINT(WINAPI* MsiSetMode)(MSIHANDLE session, MSIRUNMODE mode, BOOL state);
    UINT(WINAPI* MsiGetPropertyW)(MSIHANDLE session, LPCWSTR name, LPWSTR value, LPDWORD size);
    UINT(WINAPI* MsiEnumRelatedProductsW)
    (LPCWSTR upgradeCode, DWORD reserved, DWORD index, LPWSTR productCode);

    LSTATUS(WINAPI* RegSetKeyValueW)
    (HKEY key, LPCWSTR subKey, LPCWSTR name, DWORD type, LPCVOID data, DWORD size);
    LSTATUS(WINAPI* RegGetValueW)
    (HKEY key, LPCWSTR subKey, LPCWSTR name, DWORD flags, LPDWORD type, PVOID data, LPDWORD size);
    LSTATUS(WINAPI* RegDeleteKeyW)(HKEY key, LPCWSTR subKey);

    BOOL(WINAPI* CreateDirectoryW)(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
    BOOL(WINAPI* CopyFileW)(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
    BOOL(WINAPI* DeleteFileW)(LPCWSTR path);
    BOOL(WINAPI* RemoveDirectoryW)(LPCWSTR path);
};

extern MsiActionApi g_msiActionApi;
