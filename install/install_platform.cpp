// install_platform.cpp
// The real entry points behind the install seam. The driver update comes from
// newdev.dll, linked when the program is built.

#include "install/install_platform.h"

#include <newdev.h>

InstallApi g_installApi = {
    ::UpdateDriverForPlugAndPlayDevicesW,
    ::LoadLibraryW,
    ::FreeLibrary,
};
