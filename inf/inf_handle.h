// inf_handle.h
// UniqueInf, the owner of one open platform INF handle (see base/unique_handle.h).
// The handle is closed through the INF seam, so that tests can count the closes.
#pragma once

#include "base/unique_handle.h"
#include "inf/inf_platform.h"

inline void WINAPI closeInfThroughSeam(HINF handle)
{
    g_infApi.SetupCloseInfFile(handle);
}
typedef UniqueHandle<InfHandleTraits<HINF, closeInfThroughSeam>> UniqueInf;
