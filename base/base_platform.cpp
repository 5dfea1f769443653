// base_platform.cpp
// The real entry points behind the base and loader seams.

#include "base/base_platform.h"

// GetVersionExW is marked deprecated by the Windows SDK; the installer still
// needs what it reports, and reaches it only through the seam.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
BaseApi g_baseApi = {
    ::OutputDebugStringW, ::GetVersionExW, ::GetModuleHandleW,
    ::GetProcAddress,     ::GetSystemInfo, ::GetCurrentProcess,
};
#if defined(_MSC_VER)
#pragma warning(pop)
#endif

LoaderApi g_loaderApi = {
    ::GetModuleHandleW, ::GetProcAddress, ::GetSystemDirectoryW, ::LoadLibraryExW, ::FreeLibrary,
};
