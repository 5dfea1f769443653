// base_platform.h
// The platform calls that more than one layer makes, behind one seam: the
// debugger output of the trace, the version query, the module and process
// queries with which optional entry points are looked up, and the loader that
// takes libraries by their full path (system libraries, the driver-package
// library). g_baseApi is filled
// with the real entry points (base_platform.cpp); tests replace single entries
// to capture the trace or to present any system. The entries carry the
// platform's own signatures and no logic of their own.
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
    UINT(WINAPI* GetSystemDirectoryW)(LPWSTR buffer, UINT size);
    HMODULE(WINAPI* LoadLibraryExW)(LPCWSTR fileName, HANDLE file, DWORD flags);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
};

extern BaseApi g_baseApi;

// GetProcAddress hands back a generic pointer; going through void(*)() makes the
// conversion to the entry point's real type a plain cast.
template <typename Function> Function entryPoint(FARPROC found)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}
