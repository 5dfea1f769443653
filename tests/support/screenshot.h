// screenshot.h
// The one screenshot writer of the tests.
#pragma once

#include <windows.h>

// Writes the window's area of the screen, as it is now, to `fileName` (relative
// to the working directory) as a 24-bit BMP. False when nothing could be
// captured or written.
bool saveScreenshot(HWND window, const wchar_t* fileName);
