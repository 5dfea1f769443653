// unique_handle.h
// UniqueHandle, the one shape of owner for a platform handle: it closes what it
// owns exactly once, in reset() or its destructor, and offers get, reset and
// release; it moves and never copies. Its closer keeps the thread's last error,
// so that closing on a failure path never hides the error being reported.
//
// Each kind of handle is one alias over a traits type that names the handle, the
// value that means "nothing owned" and the closer:
//   struct Traits { typedef HANDLE Handle; static Handle empty(); static void close(Handle); };
#pragma once

#include <windows.h>

#include "base/base_platform.h"

template <typename Traits> class UniqueHandle
{
public:
    typedef typename Traits::Handle Handle;

    constexpr UniqueHandle() : m_handle(Traits::empty()) {}
    constexpr explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return m_handle; }
    bool valid() const { return m_handle != Traits::empty(); }

    // Closes what is owned (once) and takes `handle` instead; safe to repeat.
    void reset(Handle handle = Traits::empty())
    {
        if (handle == m_handle)
            return;
        const Handle old = m_handle;
        m_handle = handle;
        if (old != Traits::empty())
        {
            const DWORD savedError = ::GetLastError();
            Traits::close(old);
            ::SetLastError(savedError);
        }
    }

    // Gives up ownership without closing.
    Handle release()
    {
        const Handle handle = m_handle;
        m_handle = Traits::empty();
        return handle;
    }

private:
    Handle m_handle;
};

// Kernel objects that CreateProcessW and its kin hand over (processes, threads),
// for which null means none.
struct KernelObjectTraits
{
    typedef HANDLE Handle;
    static constexpr Handle empty() { return nullptr; }
    static void close(Handle handle) { ::CloseHandle(handle); }
};
typedef UniqueHandle<KernelObjectTraits> UniqueKernelObject;

// Files opened with CreateFileW.
struct FileHandleTraits
{
    typedef HANDLE Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { ::CloseHandle(handle); }
};
typedef UniqueHandle<FileHandleTraits> UniqueFile;

// Searches begun with FindFirstFileW.
struct FindHandleTraits
{
    typedef HANDLE Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { ::FindClose(handle); }
};
typedef UniqueHandle<FindHandleTraits> UniqueFind;

// An open INF file (HINF), closed by `Close`: the Setup API's SetupCloseInfFile,
// or a forward through a seam. INVALID_HANDLE_VALUE means that nothing is owned.
// Base does not include setupapi.h, so the handle type comes from the user.
template <typename InfHandle, void(WINAPI* Close)(InfHandle)> struct InfHandleTraits
{
    typedef InfHandle Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { Close(handle); }
};

// Registry keys, closed with RegCloseKey (advapi32: linked by those who use
// this owner). Null means that nothing is owned; a call that reports failure
// with INVALID_HANDLE_VALUE (SetupDiOpenDevRegKey) is mapped to null where it is
// made, so that no owner ever holds that value.
struct RegistryKeyTraits
{
    typedef HKEY Handle;
    static constexpr Handle empty() { return nullptr; }
    static void close(Handle key) { ::RegCloseKey(key); }
};
typedef UniqueHandle<RegistryKeyTraits> UniqueRegistryKey;

// Libraries loaded by full path, freed through the loader seam.
struct ModuleTraits
{
    typedef HMODULE Handle;
    static constexpr Handle empty() { return nullptr; }
    static void close(Handle module) { g_loaderApi.FreeLibrary(module); }
};
typedef UniqueHandle<ModuleTraits> UniqueModule;
