// wnd.cpp
// Windows bound to objects: the static window procedure, message map dispatch,
// window class registration and the thin forwards to the platform.

#include "framework/framework.h"

namespace {

// Writes `value` in hexadecimal and `separator` after it at `out`, and returns
// the position after them.
wchar_t* appendHex(wchar_t* out, ULONG_PTR value, wchar_t separator)
{
    const wchar_t digits[] = L"0123456789abcdef";
    int shift = 4 * 2 * sizeof(value) - 4;
    while (shift > 0 && ((value >> shift) & 0xF) == 0)
        shift -= 4;
    for (; shift >= 0; shift -= 4)
        *out++ = digits[(value >> shift) & 0xF];
    *out++ = separator;
    return out;
}

// The object of a window bound by createEx, or null.
CWnd* objectOf(HWND window)
{
    return reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace

CWnd::CWnd() : m_hWnd(nullptr)
{
}

CWnd::~CWnd()
{
    CWinApp* app = CWinApp::instance();
    if (app && app->mainWindow() == this)
        app->setMainWindow(nullptr);
    if (m_hWnd && IsWindow(m_hWnd))
    {
        // Unbind first: the object is half gone and must see no more messages.
        if (objectOf(m_hWnd) == this)
            SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

BOOL CWnd::createEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu)
{
    m_hWnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                             menu, GetModuleHandleW(nullptr), this);
    return m_hWnd != nullptr;
}

BOOL CWnd::createControl(LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id)
{
    m_hWnd = CreateWindowExW(0, className, text, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent ? parent->hwnd() : nullptr,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}

BOOL CWnd::destroyWindow()
{
    return DestroyWindow(m_hWnd);
}

BOOL CWnd::showWindow(int command)
{
    return ShowWindow(m_hWnd, command);
}

BOOL CWnd::updateWindow()
{
    return UpdateWindow(m_hWnd);
}

BOOL CWnd::setWindowText(LPCWSTR text)
{
    return SetWindowTextW(m_hWnd, text);
}

HWND CWnd::setFocus()
{
    return SetFocus(m_hWnd);
}

LRESULT CWnd::sendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::getClientRect(RECT* rect) const
{
    return GetClientRect(m_hWnd, rect);
}

void CWnd::setFont(HFONT font, BOOL redraw)
{
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
}

const MessageMap* CWnd::messageMap() const
{
    return nullptr;
}

LRESULT CWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const MessageMap* map = messageMap();
    for (size_t i = 0; map && i < map->count; ++i)
    {
        const MessageMapEntry& entry = map->entries[i];
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND &&
            (HIWORD(wParam) != entry.notifyCode || LOWORD(wParam) != entry.controlId))
            continue;
        (this->*entry.handler)();
        return 0;
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        CWnd* self = static_cast<CWnd*>(create->lpCreateParams);
        if (self)
        {
            self->m_hWnd = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }

    CWnd* self = objectOf(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);

    const LRESULT result = self->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        // The main window's end is the message loop's end.
        CWinApp* app = CWinApp::instance();
        if (app && app->mainWindow() == self)
        {
            app->setMainWindow(nullptr);
            PostQuitMessage(0);
        }
    }
    return result;
}

LPCWSTR registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // "Kvr7Wnd:" and five values of at most 16 digits, each with its separator.
    static wchar_t name[8 + 5 * 17];
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t prefix[] = L"Kvr7Wnd:";
    wchar_t* out = name;
    for (const wchar_t* p = prefix; *p;)
        *out++ = *p++;
    out = appendHex(out, reinterpret_cast<ULONG_PTR>(instance), L':');
    out = appendHex(out, classStyle, L':');
    out = appendHex(out, reinterpret_cast<ULONG_PTR>(cursor), L':');
    out = appendHex(out, reinterpret_cast<ULONG_PTR>(background), L':');
    appendHex(out, reinterpret_cast<ULONG_PTR>(icon), L'\0');

    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name, &existing))
        return name;

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = CWnd::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
    return name;
}
