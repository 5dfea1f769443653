// inf_platform.h
// The platform calls of the INF reader, behind one seam: the eight INF services
// of setupapi. g_infApi is filled with the real entry points (inf_platform.cpp;
// setupapi's through thin forwarders that load it from the system folder);
// tests replace single entries to make a call fail. The entries carry the
// platform's own signatures and no logic of their own. The version and
// processor queries that describe the system are behind the base seam.
#pragma once

#include <windows.h>

#include <setupapi.h>

// The native processor query, looked up by name because older kernels lack it.
typedef void(WINAPI* GetNativeSystemInfoFn)(LPSYSTEM_INFO info);

struct InfApi
{
    HINF(WINAPI* SetupOpenInfFileW)
    (PCWSTR fileName, PCWSTR infClass, DWORD infStyle, PUINT errorLine);
    BOOL(WINAPI* SetupGetInfInformationW)
    (LPCVOID infSpec, DWORD searchControl, PSP_INF_INFORMATION returnBuffer, DWORD returnBufferSize,
     PDWORD requiredSize);
    BOOL(WINAPI* SetupQueryInfOriginalFileInformationW)
    (PSP_INF_INFORMATION infInformation, UINT infIndex, PSP_ALTPLATFORM_INFO alternatePlatform,
     PSP_ORIGINAL_FILE_INFO_W originalFileInfo);
    BOOL(WINAPI* SetupFindFirstLineW)
    (HINF infHandle, PCWSTR section, PCWSTR key, PINFCONTEXT context);
    BOOL(WINAPI* SetupFindNextLine)(PINFCONTEXT contextIn, PINFCONTEXT contextOut);
    BOOL(WINAPI* SetupGetLineTextW)
    (PINFCONTEXT context, HINF infHandle, PCWSTR section, PCWSTR key, PWSTR returnBuffer,
     DWORD returnBufferSize, PDWORD requiredSize);
    BOOL(WINAPI* SetupGetStringFieldW)
    (PINFCONTEXT context, DWORD fieldIndex, PWSTR returnBuffer, DWORD returnBufferSize,
     PDWORD requiredSize);
    void(WINAPI* SetupCloseInfFile)(HINF infHandle);
};

// Filled with the real entry points.
extern InfApi g_infApi;
