// platform_check.cpp
// CSetupWnd::checkPlatform: refuses Windows before Windows 2000 and a 32-bit
// build running under WOW64 (base/platform_fit.h), in the status line and with
// exit code 1.

#include "base/exit_codes.h"
#include "base/platform_fit.h"
#include "install/platform_check_texts.h"
#include "ui/setup_window.h"

int CSetupWnd::checkPlatform(int32_t* exitCode)
{
    const PlatformFit fit = judgePlatform();
    if (fit == PLATFORM_FITS)
        return 1;
    setStatusLine(fit == PLATFORM_TOO_OLD ? TEXT_WINDOWS_TOO_OLD : TEXT_WINDOWS_64_BIT);
    *exitCode = EXIT_CODE_WINDOWS_INCOMPATIBLE;
    return 0;
}
