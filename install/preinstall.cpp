// preinstall.cpp
// CSetupWnd::preinstall: hands the INF to the driver-package library found in
// the "x86_64" folder beside the program, and turns its one result code into one
// result line and one exit code. The INF itself is not read here.

#include "base/base_platform.h"
#include "base/exit_codes.h"
#include "base/system_library.h"
#include "base/unique_handle.h"
#include "base/wformat.h"
#include "difx_interface/difx_api.h"
#include "install/preinstall_log.h"
#include "install/preinstall_results.h"
#include "install/preinstall_texts.h"
#include "ui/setup_window.h"

namespace {

CWStr errorText(const wchar_t* pattern, DWORD error)
{
    const unsigned long code = error;
    return formatText(pattern, code, code);
}

// Steps of a pre-install run after the platform check; leaves the outcome in the
// window and in *exitCode.
void preinstallPackage(CSetupWnd& wnd, const CWStr& infPath, const CWStr& programFolder,
                       int32_t* exitCode)
{
    wnd.setStatusLine(TEXT_PREINSTALLING);
    wnd.repaint();

    // Only this full path is tried, never the system's search path, and the
    // library's own dependencies come from its folder and the system folder
    // where Windows can restrict that (fullPathLoadFlags).
    // An unknown program folder would make the path one in the root of the
    // current drive, where any user may put a library: nothing is loaded then,
    // and the failure reads as a missing library. The error is taken on the
    // line after the load, before anything else can change it.
    const CWStr libraryPath =
        programFolder.empty() ? CWStr() : programFolder + TEXT_DIFX_FOLDER + TEXT_DIFX_LIBRARY;
    const DWORD flags = fullPathLoadFlags();
    UniqueModule library;
    if (libraryPath.empty())
        SetLastError(ERROR_MOD_NOT_FOUND);
    else
        library.reset(g_loaderApi.LoadLibraryExW(libraryPath.c_str(), nullptr, flags));
    const DWORD loadError = GetLastError();

    CWStr resultText;
    if (!library.valid())
    {
        resultText = errorText(TEXT_DIFX_LOAD_FAILED, loadError);
        *exitCode = EXIT_CODE_DIFX_LOAD_FAILED;
    }
    else
    {
        const auto preinstall =
            libraryEntry<DriverPackagePreinstallW_t>(library.get(), TEXT_DIFX_PREINSTALL_ENTRY);
        const DWORD preinstallError = GetLastError();
        const auto setLogCallback =
            preinstall
                ? libraryEntry<SetDifxLogCallbackW_t>(library.get(), TEXT_DIFX_LOG_CALLBACK_ENTRY)
                : nullptr;
        const DWORD logCallbackError = GetLastError();
        if (!preinstall)
        {
            resultText = errorText(TEXT_DIFX_NO_PREINSTALL, preinstallError);
            *exitCode = EXIT_CODE_DIFX_ENTRY_POINT_MISSING;
        }
        else if (!setLogCallback)
        {
            resultText = errorText(TEXT_DIFX_NO_LOG_CALLBACK, logCallbackError);
            *exitCode = EXIT_CODE_DIFX_ENTRY_POINT_MISSING;
        }
        else
        {
            setLogCallback(difxLogCallback, &wnd);
            const DWORD result =
                preinstall(infPath.c_str(), DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_FORCE);
            setLogCallback(nullptr, nullptr);
            wnd.setStatusLine(TEXT_PREINSTALLING_DONE);

            if (const PreinstallResult* known = findPreinstallResult(result))
            {
                resultText = known->text;
                *exitCode = known->exitCode;
            }
            else
            {
                const unsigned long code = result;
                resultText = formatText(TEXT_PREINSTALL_UNEXPECTED, code, code);
                *exitCode = EXIT_CODE_PREINSTALL_LAST;
            }
        }
    }

    wnd.setResultLine(resultText.c_str());
    wnd.repaint();
    library.reset();
}

} // namespace

void __cdecl difxLogCallback(DIFXAPI_LOG, DWORD, PCWSTR, PVOID callbackContext)
{
    if (callbackContext)
        static_cast<CSetupWnd*>(callbackContext)->repaint();
}

int CSetupWnd::preinstall(const CWStr& infPath, const CWStr& programFolder, int noPause,
                          int32_t* exitCode)
{
    *exitCode = EXIT_CODE_OK;
    if (checkPlatform(exitCode))
        preinstallPackage(*this, infPath, programFolder, exitCode);

    if (noPause)
        return 0;
    showFinishButton();
    return 1;
}
