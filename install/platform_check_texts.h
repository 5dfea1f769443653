// platform_check_texts.h
// The refusal texts of the platform compatibility check, spelled exactly.
#pragma once

#define TEXT_WINDOWS_TOO_OLD                                                                       \
    L"This installer is incompatible with version of Windows before Windows 2000."
#define TEXT_WINDOWS_64_BIT                                                                        \
    L"This installer is incompatible with 64-bit editions of Windows. Please use install64.exe."
