// app_platform.cpp
// The real entry points behind the application's seam. The common controls
// come from comctl32.dll in the system folder (see base/system_library.h); when
// it cannot be loaded the controls are not registered, and the window's
// progress bar is then not created, as with any control that fails.

#include "app/app_platform.h"

#include "base/system_library.h"

namespace {

SystemLibrary g_comctl32(L"comctl32.dll");
SystemEntry<decltype(&::InitCommonControlsEx)> g_initControls(g_comctl32, "InitCommonControlsEx");

BOOL WINAPI initCommonControls(const INITCOMMONCONTROLSEX* controls)
{
    const auto call = g_initControls.get();
    return call ? call(controls) : FALSE;
}

} // namespace

AppApi g_appApi = {::MessageBoxW, ::GetModuleFileNameW, ::GetFullPathNameW, initCommonControls};
