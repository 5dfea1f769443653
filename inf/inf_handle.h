// inf_handle.h
// CInfHandle, the owner of one open platform INF handle (see base/unique_handle.h).
// INVALID_HANDLE_VALUE means that nothing is owned; the handle is closed through
// the INF seam, so that tests can count the closes.
#pragma once

#include "base/unique_handle.h"
#include "inf/inf_platform.h"

struct InfHandleTraits
{
    typedef HINF Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { g_infApi.SetupCloseInfFile(handle); }
};
typedef UniqueHandle<InfHandleTraits> CInfHandle;
