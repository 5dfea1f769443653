// window_probe.h
// Helpers for window tests: message pumping, child lookup in z-order, rectangles
// relative to the parent's client area (screen pixels and screenshots:
// tests/support/screenshot.h).
#pragma once

#include <windows.h>

#include "tests/support/screenshot.h"
#include "tests/tools/window_driver.h" // windowText

#include <string>
#include <vector>

// Dispatches this thread's pending messages for about `milliseconds`.
void pumpMessages(DWORD milliseconds);

// The window's children, first in z-order first.
std::vector<HWND> childrenInOrder(HWND parent);

// The child's window rectangle in its parent's client coordinates.
RECT rectInParent(HWND child);

std::wstring className(HWND window);
