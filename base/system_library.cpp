// system_library.cpp
// The start-up narrowing of the library search and the loading of system
// libraries by their full path.

#include "base/system_library.h"

#include <cwchar>

#include "base/base_platform.h"

namespace {

typedef BOOL(WINAPI* SetDllDirectoryWFn)(LPCWSTR pathName);
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD directoryFlags);

// kernel32's entry `name` as the given module query and lookup answer; kernel32
// is always loaded, and its handle is borrowed, not owned.
FARPROC lookUpKernel(HMODULE(WINAPI* moduleHandle)(LPCWSTR),
                     FARPROC(WINAPI* procAddress)(HMODULE, LPCSTR), const char* name)
{
    HMODULE kernel = moduleHandle(L"kernel32.dll");
    return kernel ? procAddress(kernel, name) : nullptr;
}

// The loader's own questions to kernel32 go through the loader seam.
template <typename Function> Function loaderKernelEntry(const char* name)
{
    return entryPoint<Function>(
        lookUpKernel(g_loaderApi.GetModuleHandleW, g_loaderApi.GetProcAddress, name));
}

// Whether LoadLibraryExW knows the LOAD_LIBRARY_SEARCH_* flags: they came with
// SetDefaultDllDirectories, which is how Windows says to find out.
bool searchFlagsSupported()
{
    return loaderKernelEntry<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories") != nullptr;
}

// The system folder, a backslash and `fileName` into `path`; false when it
// does not fit (the room is that of the longest classic path).
bool systemPath(const wchar_t* fileName, wchar_t (&path)[MAX_PATH])
{
    const UINT length = g_loaderApi.GetSystemDirectoryW(path, MAX_PATH);
    const size_t nameLength = wcslen(fileName);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH)
        return false;
    path[length] = L'\\';
    wmemcpy(path + length + 1, fileName, nameLength + 1);
    return true;
}

void keepFailure(DWORD fallback)
{
    if (GetLastError() == ERROR_SUCCESS)
        SetLastError(fallback);
}

} // namespace

FARPROC findKernelEntry(const char* name)
{
    return lookUpKernel(g_baseApi.GetModuleHandleW, g_baseApi.GetProcAddress, name);
}

FARPROC findLibraryEntry(HMODULE module, const char* name)
{
    return g_loaderApi.GetProcAddress(module, name);
}

void restrictLibrarySearch()
{
    if (const auto setDllDirectory = loaderKernelEntry<SetDllDirectoryWFn>("SetDllDirectoryW"))
        setDllDirectory(L"");
    if (const auto setDefault =
            loaderKernelEntry<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

DWORD fullPathLoadFlags()
{
    return searchFlagsSupported() ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                  : LOAD_WITH_ALTERED_SEARCH_PATH;
}

FARPROC SystemLibrary::entry(const char* name)
{
    if (!m_module.valid())
    {
        wchar_t path[MAX_PATH];
        const DWORD flags = fullPathLoadFlags();
        if (!systemPath(m_fileName, path))
        {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return nullptr;
        }
        m_module.reset(g_loaderApi.LoadLibraryExW(path, nullptr, flags));
        if (!m_module.valid())
        {
            keepFailure(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
    }
    const FARPROC found = g_loaderApi.GetProcAddress(m_module.get(), name);
    if (!found)
        keepFailure(ERROR_PROC_NOT_FOUND);
    return found;
}
