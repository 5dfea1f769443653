// base_platform.h
// The platform calls that more than one layer makes, behind two seams.
//
// g_baseApi is the system as the program sees it: the debugger output of the
// trace, the version and architecture queries, the process, and the kernel32
// queries with which optional entry points are looked up (kernelEntry in
// system_library.h). Tests replace its entries to present any system.
//
// g_loaderApi is the loader: the system folder, libraries loaded by their full
// path (system libraries and the driver-package library) and their entry
// points, and the loader's own questions to kernel32 (which search flags it
// has). It is apart so that a test presenting another system never sees how
// libraries get loaded, and a test of the loader fakes only the loader.
//
// Both are filled with the real entry points (base_platform.cpp); the entries
// carry the platform's own signatures and no logic of their own.
#pragma once

#include <windows.h>

struct BaseApi
{
    void(WINAPI* OutputDebugStringW)(LPCWSTR text);
    BOOL(WINAPI* GetVersionExW)(LPOSVERSIONINFOW versionInfo);
    HMODULE(WINAPI* GetModuleHandleW)(LPCWSTR moduleName);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR procName);
    void(WINAPI* GetSystemInfo)(LPSYSTEM_INFO info);
    HANDLE(WINAPI* GetCurrentProcess)();
};

extern BaseApi g_baseApi;

struct LoaderApi
{
    HMODULE(WINAPI* GetModuleHandleW)(LPCWSTR moduleName);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR procName);
    UINT(WINAPI* GetSystemDirectoryW)(LPWSTR buffer, UINT size);
    HMODULE(WINAPI* LoadLibraryExW)(LPCWSTR fileName, HANDLE file, DWORD flags);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
};

extern LoaderApi g_loaderApi;
