// golden_texts.h
// Texts of the program that several tests check, exactly as the user (or a
// reader of the trace) must see them. Written out here by hand, not taken from
// the program's own texts, so that a changed text fails the tests; the usage
// text has its own header (golden_usage.h).
#pragma once

#include <string>

// The window's caption, which is also the message boxes' caption.
const wchar_t GOLDEN_CAPTION[] = L"KVR7 Driver Installer";

// The platform check's refusals.
const wchar_t GOLDEN_TOO_OLD[] =
    L"This installer is incompatible with version of Windows before Windows 2000.";
const wchar_t GOLDEN_WOW64[] =
    L"This installer is incompatible with 64-bit editions of Windows. Please use install64.exe.";

// The trace line that opens the reading of an INF section, without its line end.
inline std::wstring goldenReadingSection(const std::wstring& section)
{
    return L"Reading section [" + section + L"]:";
}
