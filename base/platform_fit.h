// platform_fit.h
// Whether this build suits the running Windows: the one check that the installer
// and the command-line tools begin with. Windows before Windows 2000 is too old,
// and a 32-bit build does not work on 64-bit Windows (under WOW64 it would see
// the 32-bit view of the system folders and the registry). The system is
// described through the base seam, so tests can present any system.
#pragma once

#include <windows.h>

enum PlatformFit
{
    PLATFORM_FITS,
    PLATFORM_TOO_OLD, // the version query failed or reports before 5.0
    PLATFORM_WOW64,   // a 32-bit build on 64-bit Windows
};

// The form of IsWow64Process, looked up at run time: older systems lack it.
typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE process, PBOOL wow64Process);

PlatformFit judgePlatform();
