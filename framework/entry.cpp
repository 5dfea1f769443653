// entry.cpp
// The program's entry point (a Unicode Windows program: link with -municode on
// mingw-w64). Kept apart from the rest of the framework so that test programs,
// which bring their own main, can link the framework without it.

#include "framework/framework.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The argument string is cut from the full command line by the framework's
    // own rule rather than taken from the runtime's version of it.
    CWinApp* app = CWinApp::instance();
    if (!app)
        return -1;
    return app->run(GetCommandLineW());
}
