// wnd.cpp
// Windows bound to objects: the static window procedure, message map dispatch,
// window class registration and the thin forwards to the platform.

#include "framework/framework.h"

namespace {

void appendHex(std::wstring& text, ULONG_PTR value)
{
    const wchar_t digits[] = L"0123456789abcdef";
    wchar_t buffer[2 * sizeof(value) + 1];
    size_t at = sizeof(buffer) / sizeof(buffer[0]) - 1;
    buffer[at] = L'\0';
    do
    {
        buffer[--at] = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    text += &buffer[at];
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

std::wstring registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::wstring name = L"Kvr7Wnd:";
    appendHex(name, reinterpret_cast<ULONG_PTR>(instance));
    name += L':';
    appendHex(name, classStyle);
    name += L':';
    appendHex(name, reinterpret_cast<ULONG_PTR>(cursor));
    name += L':';
    appendHex(name, reinterpret_cast<ULONG_PTR>(background));
    name += L':';
    appendHex(name, reinterpret_cast<ULONG_PTR>(icon));

    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name.c_str(), &existing))
        return name;

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = CWnd::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name.c_str();
    RegisterClassExW(&windowClass);
    return name;
}
