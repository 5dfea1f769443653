// window_driver.h
// Reads and drives the top-level windows and message boxes of another process
// from outside. Texts, classes, styles and rectangles are read without sending
// the target any message, so they can be read while it runs no message loop;
// the progress bar and the message-box icon are asked with bounded sends; button
// presses and close requests are posted, so a busy target never blocks the caller.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Which top-level windows with the caption count: message boxes are dialogs of
// the class "#32770"; the main window is any other class.
enum WindowKind
{
    WINDOW_MAIN,
    WINDOW_MESSAGE_BOX
};

struct ControlInfo
{
    HWND handle;
    int id;
    std::wstring className;
    std::wstring text;
    bool visible; // IsWindowVisible: the control and every parent are shown
    bool enabled;
    DWORD style;
    DWORD exStyle;
    RECT rect; // relative to the parent's client area
};

struct ProgressInfo
{
    int position;
    int low;
    int high;
};

struct MessageBoxInfo
{
    std::wstring caption;
    std::wstring text; // the static control 0xFFFF
    bool hasIcon;      // a visible SS_ICON static that holds an icon
    std::vector<ControlInfo> buttons;
};

// How long a single query message may take before the target counts as busy.
const UINT WINDOW_QUERY_TIMEOUT_MS = 5000;

// The message-box text control's ID.
const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

// The first visible top-level window of `kind` whose caption is exactly
// `caption`, owned by `processId` (0: any process); null when there is none.
HWND findWindow(const std::wstring& caption, DWORD processId, WindowKind kind);
// Looks again every 50 ms until the window appears or `timeoutMs` has passed.
HWND waitForWindow(const std::wstring& caption, DWORD processId, WindowKind kind, DWORD timeoutMs);
// True once no such window is left (also when there never was one).
bool waitForNoWindow(const std::wstring& caption, DWORD processId, WindowKind kind,
                     DWORD timeoutMs);

// A window's own text, read without a message.
std::wstring windowText(HWND window);
// Describes one child of `parent` (or a top-level window when parent is null).
ControlInfo describeWindow(HWND window, HWND parent);
// The direct children of `window`, in their order among its children.
std::vector<ControlInfo> listControls(HWND window);
// The direct child with control ID `id`; false when there is none.
bool findControl(HWND window, int id, ControlInfo* control);

// PBM_GETPOS and PBM_GETRANGE; false when the bar does not answer in time.
bool readProgress(HWND bar, ProgressInfo* progress);

// The window with the keyboard focus in the window's thread (GetGUIThreadInfo);
// false when that thread has no focus or the focus is outside `window`.
bool focusedControl(HWND window, ControlInfo* control);

// Posts BM_CLICK to the button with control ID `id`.
bool clickButton(HWND window, int id);
// Posts WM_COMMAND (BN_CLICKED from control `id`) to the window.
bool sendCommand(HWND window, int id);
// Posts WM_CLOSE to the window.
bool closeWindow(HWND window);

bool readMessageBox(HWND box, MessageBoxInfo* info);
// Posts WM_COMMAND with `id` (IDOK for OK) from that button to the box.
bool pressMessageBoxButton(HWND box, int id);
