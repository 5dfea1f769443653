// winapp.cpp
// The application object: the argument string, the error mode, the order of the
// start-up and exit hooks and the message loop.

#include "framework/framework.h"

namespace {

CWinApp* g_application = nullptr;

bool isSeparator(wchar_t c)
{
    return c >= 1 && c <= 32;
}

} // namespace

CWinApp::CWinApp() : m_argumentString(L""), m_mainWindow(nullptr)
{
    // The first object registered stays the application; a second one would be
    // a program error and must not take over the run.
    if (!g_application)
        g_application = this;
}

CWinApp::~CWinApp()
{
    if (g_application == this)
        g_application = nullptr;
}

CWinApp* CWinApp::instance()
{
    return g_application;
}

const wchar_t* CWinApp::argumentStringOf(const wchar_t* commandLine)
{
    if (!commandLine)
        return L"";
    const wchar_t* p = commandLine;
    bool quoted = false;
    for (; *p; ++p)
    {
        if (*p == L'"')
            quoted = !quoted;
        else if (!quoted && isSeparator(*p))
            break;
    }
    while (isSeparator(*p))
        ++p;
    return p;
}

int CWinApp::run(const wchar_t* commandLine)
{
    m_argumentString = argumentStringOf(commandLine);
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    if (startUp())
    {
        runMessageLoop();
    }
    else if (m_mainWindow)
    {
        // No loop follows, so the window must not leave a quit message behind.
        CWnd* window = m_mainWindow;
        m_mainWindow = nullptr;
        window->destroyWindow();
    }
    return cleanUp();
}

bool CWinApp::startUp()
{
    return true;
}

int CWinApp::cleanUp()
{
    return 0;
}

void CWinApp::runMessageLoop()
{
    // With no main window left, nothing could ever post the quit message.
    if (!m_mainWindow || !IsWindow(m_mainWindow->hwnd()))
        return;
    MSG message;
    for (;;)
    {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
