// base_platform.cpp
// The real entry points behind the base seam.

#include "base/base_platform.h"

// GetVersionExW is marked deprecated by the Windows SDK; the installer still
// needs what it reports, and reaches it only through the seam.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
BaseApi g_baseApi = {
    ::OutputDebugStringW,  ::GetVersionExW,  ::GetModuleHandleW,
    ::GetProcAddress,      ::GetSystemInfo,  ::GetCurrentProcess,
    ::GetSystemDirectoryW, ::LoadLibraryExW, ::FreeLibrary,
};
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
