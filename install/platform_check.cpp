// platform_check.cpp
// CSetupWnd::checkPlatform: refuses Windows before Windows 2000 and a 32-bit
// build running under WOW64, in the status line and with exit code 1.

#include "base/base_platform.h"
#include "base/exit_codes.h"
#include "base/system_library.h"
#include "install/install_platform.h"
#include "install/platform_check_texts.h"
#include "ui/setup_window.h"

namespace {

// Windows 2000 is version 5.0.
const DWORD OLDEST_MAJOR_VERSION = 5;

// The record handed to the version query is the extended one, 284 bytes.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record");

} // namespace

int CSetupWnd::checkPlatform(int32_t* exitCode)
{
    const wchar_t* refusal = nullptr;

    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!g_baseApi.GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version)) ||
        version.dwMajorVersion < OLDEST_MAJOR_VERSION)
    {
        refusal = TEXT_WINDOWS_TOO_OLD;
    }
    else
    {
        const auto isWow64Process = kernelEntry<IsWow64ProcessFn>("IsWow64Process");
        if (!isWow64Process)
            return 1;
        // A failed call leaves the flag false: that counts as not under WOW64.
        BOOL wow64 = FALSE;
        isWow64Process(g_baseApi.GetCurrentProcess(), &wow64);
        if (!wow64)
            return 1;
        refusal = TEXT_WINDOWS_64_BIT;
    }

    setStatusLine(refusal);
    *exitCode = EXIT_CODE_WINDOWS_INCOMPATIBLE;
    return 0;
}
