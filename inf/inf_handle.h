// inf_handle.h
// CInfHandle, the owner of one open platform INF handle. INVALID_HANDLE_VALUE
// means that nothing is owned. The handle is closed through the INF seam, and the
// closer keeps the thread's last error, so that closing on a failure path never
// hides the error being reported.
#pragma once

#include "inf/inf_platform.h"

class CInfHandle
{
public:
    CInfHandle() : m_handle(INVALID_HANDLE_VALUE) {}
    explicit CInfHandle(HINF handle) : m_handle(handle) {}
    ~CInfHandle() { reset(); }

    CInfHandle(const CInfHandle&) = delete;
    CInfHandle& operator=(const CInfHandle&) = delete;

    HINF get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

    // Closes what is owned (once) and takes `handle` instead; safe to repeat.
    void reset(HINF handle = INVALID_HANDLE_VALUE)
    {
        if (handle == m_handle)
            return;
        HINF old = m_handle;
        m_handle = handle;
        if (old != INVALID_HANDLE_VALUE)
        {
            const DWORD savedError = ::GetLastError();
            g_infApi.SetupCloseInfFile(old);
            ::SetLastError(savedError);
        }
    }

    // Gives up ownership without closing.
    HINF release()
    {
        HINF handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HINF m_handle;
};
