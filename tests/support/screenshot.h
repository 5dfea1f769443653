// screenshot.h
// The one screen reader and screenshot writer of the tests.
#pragma once

#include <windows.h>

#include <vector>

// The pixels of `rect` (screen coordinates) as 0x00RRGGBB values, row by row,
// read back from the screen. Empty when the screen cannot be read.
std::vector<DWORD> capturePixels(const RECT& rect);

// Writes the window's area of the screen, as it is now, to `fileName` (relative
// to the working directory) as a 24-bit BMP. False when nothing could be
// captured or written.
bool saveScreenshot(HWND window, const wchar_t* fileName);
