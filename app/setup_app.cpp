// setup_app.cpp
// The run of the installer from start-up to the exit code.

#include "app/setup_app.h"

#include <new>

#include "app/app_platform.h"
#include "app/command_line.h"
#include "base/exit_codes.h"
#include "base/system_library.h"
#include "ui/setup_window.h"

CSetupApp::CSetupApp() : m_exitCode(EXIT_CODE_OK)
{
}

// Here, where CSetupWnd is complete, for the owner of the window object.
CSetupApp::~CSetupApp() = default;

bool CSetupApp::startUp()
{
    // Before any library is loaded: none may come from the current folder, and
    // where Windows allows it, none from anywhere but the system folder.
    restrictLibrarySearch();

    // The program's own code throws nothing, but any allocation may. Whatever
    // was under way when memory ran out is not finished, so it must not be
    // reported as done: the program ends with "Insufficient resources", and the
    // framework destroys the window at once.
    try
    {
        return startRequestedOperation();
    }
    catch (const std::bad_alloc&)
    {
        m_exitCode = EXIT_CODE_NO_RESOURCES;
        return false;
    }
}

bool CSetupApp::startRequestedOperation()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    g_appApi.InitCommonControlsEx(&controls);
    CWinApp::startUp();

    RunRequest request;
    if (!readCommandLine(argumentString(), &m_exitCode, &request))
        return false;

    m_setupWnd.reset(new (std::nothrow) CSetupWnd(request.caption.c_str()));
    if (!m_setupWnd)
    {
        m_exitCode = EXIT_CODE_NO_RESOURCES;
        return false;
    }
    setMainWindow(m_setupWnd.get());

    const int waitForUser =
        request.preinstall ? m_setupWnd->preinstall(request.infPath, request.programFolder,
                                                    request.noPause, &m_exitCode)
                           : m_setupWnd->install(request.infPath, request.noPause, &m_exitCode);
    return waitForUser != 0;
}

int CSetupApp::cleanUp()
{
    m_setupWnd.reset();
    setMainWindow(nullptr);
    CWinApp::cleanUp();
    return m_exitCode;
}
