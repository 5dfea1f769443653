// difxapi_platform.h
// The platform call of the stand-in library that tests must be able to answer,
// behind one seam: whether the caller is an administrator. g_difxApi is filled
// with the real entry point (difxapi_platform.cpp); the entry carries the
// platform's own signature and no logic of its own.
#pragma once

#include <windows.h>

struct DifxApi
{
    BOOL(WINAPI* CheckTokenMembership)(HANDLE token, PSID sid, PBOOL isMember);
};

extern DifxApi g_difxApi;
