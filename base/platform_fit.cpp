// platform_fit.cpp
// judgePlatform: the version and WOW64 checks, through the base seam.

#include "base/platform_fit.h"

#include "base/base_platform.h"
#include "base/system_library.h"

namespace {

// Windows 2000 is version 5.0.
const DWORD OLDEST_MAJOR_VERSION = 5;

// The record handed to the version query is the extended one, 284 bytes.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");

} // namespace

PlatformFit judgePlatform()
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!g_baseApi.GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version)) ||
        version.dwMajorVersion < OLDEST_MAJOR_VERSION)
        return PLATFORM_TOO_OLD;

    const auto isWow64Process = kernelEntry<IsWow64ProcessFn>("IsWow64Process");
    if (!isWow64Process)
        return PLATFORM_FITS;
    // A failed call leaves the flag false: that counts as not under WOW64.
    BOOL wow64 = FALSE;
    isWow64Process(g_baseApi.GetCurrentProcess(), &wow64);
    return wow64 ? PLATFORM_WOW64 : PLATFORM_FITS;
}
