// controls.cpp
// The child controls of the system classes and the system colour brush.

#include "framework/framework.h"

#include <commctrl.h>

BOOL CStatic::create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return createControl(L"STATIC", text, style, rect, parent, id);
}

BOOL CButton::create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return createControl(L"BUTTON", text, style, rect, parent, id);
}

BOOL CProgressCtrl::create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return createControl(PROGRESS_CLASSW, nullptr, style, rect, parent, id);
}

void CProgressCtrl::setRange32(int lower, int upper)
{
    sendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

int CProgressCtrl::setPos(int position)
{
    return static_cast<int>(sendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0));
}

BOOL CBrush::createSysColorBrush(int colorIndex)
{
    m_brush = GetSysColorBrush(colorIndex);
    return m_brush != nullptr;
}
