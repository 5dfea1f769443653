// preinstall.cpp
// CSetupWnd::preinstall: hands the INF to the driver-package library found in
// the "x86_64" folder beside the program, and turns its one result code into one
// result line and one exit code. The INF itself is not read here.

#include "app/exit_codes.h"
#include "base/system_library.h"
#include "base/wformat.h"
#include "install/difx_api.h"
#include "install/install_platform.h"
#include "install/preinstall_results.h"
#include "install/preinstall_texts.h"
#include "ui/setup_window.h"

namespace {

// Owns a loaded library; frees it through the seam, keeping the thread's last
// error as it was.
class LibraryOwner
{
public:
    explicit LibraryOwner(HMODULE module) : m_module(module) {}
    ~LibraryOwner() { reset(); }
    LibraryOwner(const LibraryOwner&) = delete;
    LibraryOwner& operator=(const LibraryOwner&) = delete;

    HMODULE get() const { return m_module; }

    void reset()
    {
        if (m_module)
        {
            const DWORD lastError = GetLastError();
            g_installApi.FreeLibrary(m_module);
            m_module = nullptr;
            SetLastError(lastError);
        }
    }

private:
    HMODULE m_module;
};

// GetProcAddress hands back a generic pointer; go through void(*)() so that
// the conversion to the entry point's real type is a plain cast.
template <typename Function> Function lookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(g_installApi.GetProcAddress(module, name)));
}

CWStr lastErrorText(const wchar_t* pattern)
{
    const unsigned long lastError = GetLastError();
    return formatText(pattern, lastError, lastError);
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
    // and the failure reads as a missing library.
    const CWStr libraryPath =
        programFolder.empty() ? CWStr() : programFolder + TEXT_DIFX_FOLDER + TEXT_DIFX_LIBRARY;
    const DWORD flags = fullPathLoadFlags();
    HMODULE module = nullptr;
    if (libraryPath.empty())
        SetLastError(ERROR_MOD_NOT_FOUND);
    else
        module = g_installApi.LoadLibraryExW(libraryPath.c_str(), nullptr, flags);
    LibraryOwner library(module);

    CWStr resultText;
    if (!library.get())
    {
        resultText = lastErrorText(TEXT_DIFX_LOAD_FAILED);
        *exitCode = EXIT_CODE_DIFX_LOAD_FAILED;
    }
    else
    {
        const auto preinstall =
            lookUp<DriverPackagePreinstallW_t>(library.get(), TEXT_DIFX_PREINSTALL_ENTRY);
        const auto setLogCallback =
            preinstall ? lookUp<SetDifxLogCallbackW_t>(library.get(), TEXT_DIFX_LOG_CALLBACK_ENTRY)
                       : nullptr;
        if (!preinstall)
        {
            resultText = lastErrorText(TEXT_DIFX_NO_PREINSTALL);
            *exitCode = EXIT_CODE_DIFX_ENTRY_POINT_MISSING;
        }
        else if (!setLogCallback)
        {
            resultText = lastErrorText(TEXT_DIFX_NO_LOG_CALLBACK);
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
