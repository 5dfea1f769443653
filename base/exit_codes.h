// exit_codes.h
// The process exit codes: the installer's whole report to the scripts that run it.
// The usage text lists them in the same words.
#pragma once

#include <cstdint>

enum ExitCode : int32_t
{
    EXIT_CODE_OK = 0,                       // No errors (also after the usage box).
    EXIT_CODE_WINDOWS_INCOMPATIBLE = 1,     // Windows too old, or 32-bit build on 64-bit Windows.
    EXIT_CODE_INF_OPEN_FAILED = 2,          // Failed to open the .inf file (install mode).
    EXIT_CODE_INF_PARSE_FAILED = 3,         // Failed to parse the .inf file (install mode).
    EXIT_CODE_NO_HARDWARE = 4,              // No suitable hardware found (install mode).
    EXIT_CODE_INSTALL_FAILED = 5,           // Unexpected error during installation (install mode).
    EXIT_CODE_BAD_ARGUMENTS = 6,            // Bad command-line arguments.
    EXIT_CODE_NO_RESOURCES = 7,             // Insufficient resources (the window cannot be had).
    EXIT_CODE_DIFX_LOAD_FAILED = 8,         // Failed to load difxapi.dll.
    EXIT_CODE_DIFX_ENTRY_POINT_MISSING = 9, // Failed to get an entry point in difxapi.dll.
    EXIT_CODE_PREINSTALL_FIRST = 100,       // 100 to 123: the pre-installation's own result.
    EXIT_CODE_PREINSTALL_LAST = 123,
};
