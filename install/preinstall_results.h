// preinstall_results.h
// What each result code of the driver-package library means to the user: its
// one result text and the installer's exit code.
#pragma once

#include <windows.h>

#include <cstdint>

struct PreinstallResult
{
    DWORD code;       // As the library returns it, compared unsigned.
    int32_t exitCode; // 0 for success, else 100 to 122.
    const wchar_t* text;
};

// The entry for `code`, or null for a code outside the table (exit code 123 and
// the formatted "unexpected error" text).
const PreinstallResult* findPreinstallResult(DWORD code);
