// difxapi_platform.h
// The platform calls of the stand-in library that tests must be able to answer,
// behind one seam: whether the caller is an administrator, and the staging of
// the INF. g_difxApi is filled with the real entry points (difxapi_platform.cpp);
// the entries carry the platform's own signatures and no logic of their own.
#pragma once

#include <windows.h>

#include <setupapi.h>

struct DifxApi
{
    BOOL(WINAPI* CheckTokenMembership)(HANDLE token, PSID sid, PBOOL isMember);
    BOOL(WINAPI* SetupCopyOEMInfW)
    (PCWSTR sourceInfFileName, PCWSTR oemSourceMediaLocation, DWORD oemSourceMediaType,
     DWORD copyStyle, PWSTR destinationInfFileName, DWORD destinationInfFileNameSize,
     PDWORD requiredSize, PWSTR* destinationInfFileNameComponent);
};

extern DifxApi g_difxApi;
