// app_platform.cpp
// The real entry points behind the application seam.

#include "app/app_platform.h"

AppApi g_appApi = {::MessageBoxW, ::GetModuleFileNameW};
