// window_driver.cpp
// Window lookup by caption and process, control description and the posted
// button, command and close requests.

#include "tests/tools/window_driver.h"

#include <commctrl.h>

namespace {

const DWORD POLL_MS = 50;
const wchar_t DIALOG_CLASS[] = L"#32770";

struct WindowSearch
{
    const std::wstring* caption;
    DWORD processId;
    WindowKind kind;
    HWND found;
};

std::wstring className(HWND window)
{
    wchar_t buffer[256] = {};
    int length = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CALLBACK matchWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->processId)
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId)
            return TRUE;
    }
    if (windowText(window) != *search->caption)
        return TRUE;
    const bool isDialog = className(window) == DIALOG_CLASS;
    if (isDialog != (search->kind == WINDOW_MESSAGE_BOX))
        return TRUE;
    search->found = window;
    return FALSE;
}

bool sendQuery(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer)
{
    *answer = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               WINDOW_QUERY_TIMEOUT_MS, answer) != 0;
}

} // namespace

HWND findWindow(const std::wstring& caption, DWORD processId, WindowKind kind)
{
    WindowSearch search = {&caption, processId, kind, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const std::wstring& caption, DWORD processId, WindowKind kind, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        HWND window = findWindow(caption, processId, kind);
        if (window || GetTickCount() - start >= timeoutMs)
            return window;
        Sleep(POLL_MS);
    }
}

bool waitForNoWindow(const std::wstring& caption, DWORD processId, WindowKind kind, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (!findWindow(caption, processId, kind))
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(POLL_MS);
    }
}

std::wstring windowText(HWND window)
{
    // InternalGetWindowText reads the text the window keeps for itself, with no
    // message to the target: the installer runs no message loop while it works.
    std::wstring text(1024, L'\0');
    for (;;)
    {
        int length = InternalGetWindowText(window, &text[0], static_cast<int>(text.size()));
        if (length < 0)
            length = 0;
        if (static_cast<size_t>(length) + 1 < text.size() || text.size() >= 0x100000)
        {
            text.resize(static_cast<size_t>(length));
            return text;
        }
        text.assign(text.size() * 4, L'\0');
    }
}

ControlInfo describeWindow(HWND window, HWND parent)
{
    ControlInfo info = {};
    info.handle = window;
    info.id = parent ? GetDlgCtrlID(window) : 0;
    info.className = className(window);
    info.text = windowText(window);
    info.visible = IsWindowVisible(window) != FALSE;
    info.enabled = IsWindowEnabled(window) != FALSE;
    info.style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    info.exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    GetWindowRect(window, &info.rect);
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    return info;
}

std::vector<ControlInfo> listControls(HWND window)
{
    std::vector<ControlInfo> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(describeWindow(child, window));
    return controls;
}

bool findControl(HWND window, int id, ControlInfo* control)
{
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (GetDlgCtrlID(child) == id)
        {
            *control = describeWindow(child, window);
            return true;
        }
    }
    return false;
}

bool readProgress(HWND bar, ProgressInfo* progress)
{
    DWORD_PTR position = 0, low = 0, high = 0;
    // With no PBRANGE to fill (it could not cross the process boundary),
    // PBM_GETRANGE answers the low end for TRUE and the high end for FALSE.
    if (!sendQuery(bar, PBM_GETPOS, 0, 0, &position) ||
        !sendQuery(bar, PBM_GETRANGE, TRUE, 0, &low) ||
        !sendQuery(bar, PBM_GETRANGE, FALSE, 0, &high))
        return false;
    progress->position = static_cast<int>(position);
    progress->low = static_cast<int>(low);
    progress->high = static_cast<int>(high);
    return true;
}

bool focusedControl(HWND window, ControlInfo* control)
{
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!thread || !GetGUIThreadInfo(thread, &info) || !info.hwndFocus)
        return false;
    if (info.hwndFocus == window)
    {
        *control = describeWindow(window, nullptr);
        return true;
    }
    if (!IsChild(window, info.hwndFocus))
        return false;
    *control = describeWindow(info.hwndFocus, GetParent(info.hwndFocus));
    return true;
}

bool clickButton(HWND window, int id)
{
    HWND button = GetDlgItem(window, id);
    return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool sendCommand(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control)) != FALSE;
}

bool closeWindow(HWND window)
{
    return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE;
}

bool readMessageBox(HWND box, MessageBoxInfo* info)
{
    if (!IsWindow(box))
        return false;
    MessageBoxInfo result;
    result.caption = windowText(box);
    result.hasIcon = false;
    for (const ControlInfo& control : listControls(box))
    {
        if (_wcsicmp(control.className.c_str(), L"Button") == 0)
        {
            result.buttons.push_back(control);
            continue;
        }
        if (_wcsicmp(control.className.c_str(), L"Static") != 0)
            continue;
        if ((control.style & SS_TYPEMASK) == SS_ICON)
        {
            DWORD_PTR icon = 0;
            if (control.visible && sendQuery(control.handle, STM_GETICON, 0, 0, &icon) && icon)
                result.hasIcon = true;
        }
        else if (control.id == MESSAGE_BOX_TEXT_ID)
        {
            result.text = control.text;
        }
    }
    *info = result;
    return true;
}

bool pressMessageBoxButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    if (!button)
        return false;
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}
