// setup_window.cpp
// Construction and layout of the setup window and its window operations.

#include "ui/setup_window.h"

#include <commctrl.h>

#include "res/resource_ids.h"
#include "ui/control_ids.h"
#include "ui/setup_window_texts.h"

namespace {

// Outer size of the window, frame and title bar included.
const int WINDOW_WIDTH = 400;
const int WINDOW_HEIGHT = 210;
// An overlapped window with a title bar and close box only: not sizable, no
// minimize or maximize box.
const DWORD WINDOW_STYLE = WS_OVERLAPPED | WS_SYSMENU;
const DWORD WINDOW_EX_STYLE = WS_EX_STATICEDGE;

static_assert(ID_FINISH_BUTTON == IDOK, "Finish is the window's default button");

const DWORD STATIC_STYLE = WS_CHILD | SS_LEFT;
// The status and result lines carry paths and other values that may hold "&":
// they are shown as typed, not read as mnemonic prefixes.
const DWORD VALUE_LINE_STYLE = STATIC_STYLE | SS_NOPREFIX;
const DWORD PROGRESS_STYLE = WS_CHILD | PBS_SMOOTH;
const DWORD BUTTON_STYLE = WS_CHILD | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;

RECT makeRect(LONG left, LONG top, LONG right, LONG bottom)
{
    RECT rect = {left, top, right, bottom};
    return rect;
}

const MessageMapEntry SETUP_WINDOW_MESSAGES[] = {
    {WM_COMMAND, BN_CLICKED, ID_FINISH_BUTTON, static_cast<void (CWnd::*)()>(&CSetupWnd::onFinish)},
    {WM_CLOSE, 0, 0, static_cast<void (CWnd::*)()>(&CSetupWnd::onFinish)},
};

const MessageMap SETUP_WINDOW_MESSAGE_MAP = {
    SETUP_WINDOW_MESSAGES, sizeof(SETUP_WINDOW_MESSAGES) / sizeof(SETUP_WINDOW_MESSAGES[0])};

} // namespace

CSetupWnd::CSetupWnd(const wchar_t* caption)
{
    m_backgroundBrush.createSysColorBrush(COLOR_BTNFACE);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // Icon 102 of the program file itself (the module of the process).
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_WINDOW));
    const LPCWSTR className =
        registerWindowClass(0, LoadCursorW(nullptr, IDC_ARROW), m_backgroundBrush.handle(), icon);

    const int x = (GetSystemMetrics(SM_CXMAXIMIZED) - WINDOW_WIDTH) / 2;
    const int y = (GetSystemMetrics(SM_CYMAXIMIZED) - WINDOW_HEIGHT) / 2;
    createEx(WINDOW_EX_STYLE, className, caption, WINDOW_STYLE, x, y, WINDOW_WIDTH, WINDOW_HEIGHT,
             nullptr, nullptr);

    RECT client = {};
    getClientRect(&client);
    const LONG l = client.left;
    const LONG t = client.top;
    const LONG r = client.right;
    const LONG b = client.bottom;

    m_statusLine.create(L"", VALUE_LINE_STYLE, makeRect(l + 10, t + 10, r - 10, t + 40), this,
                        ID_STATUS_LINE);
    m_statusLine.setFont(font, TRUE);

    m_progressBar.create(PROGRESS_STYLE, makeRect(l + 10, t + 50, r - 10, t + 70), this,
                         ID_PROGRESS_BAR);
    m_progressBar.setRange32(0, PROGRESS_RANGE);

    m_resultLine.create(TEXT_RESULT_LINE_INITIAL, VALUE_LINE_STYLE,
                        makeRect(l + 10, t + 80, r - 10, t + 100), this, ID_RESULT_LINE);
    m_resultLine.setFont(font, TRUE);

    m_restartNote.create(TEXT_RESTART_NOTE, STATIC_STYLE,
                         makeRect(l + 10, t + 110, r - 10, t + 160), this, ID_RESTART_NOTE);
    m_restartNote.setFont(font, TRUE);

    m_finishButton.create(TEXT_FINISH_BUTTON, BUTTON_STYLE,
                          makeRect(r - 90, b - 35, r - 10, b - 10), this, ID_FINISH_BUTTON);
    m_finishButton.setFont(font, TRUE);

    showWindow(SW_SHOW);
    updateWindow();
}

CSetupWnd::~CSetupWnd()
{
}

const MessageMap* CSetupWnd::messageMap() const
{
    return &SETUP_WINDOW_MESSAGE_MAP;
}

void CSetupWnd::setStatusLine(const wchar_t* text)
{
    m_statusLine.setWindowText(text);
    m_statusLine.showWindow(SW_SHOW);
}

void CSetupWnd::setResultLine(const wchar_t* text)
{
    m_resultLine.setWindowText(text);
    m_resultLine.showWindow(SW_SHOW);
}

void CSetupWnd::showRestartNote()
{
    m_restartNote.showWindow(SW_SHOW);
}

void CSetupWnd::showProgressBar()
{
    m_progressBar.showWindow(SW_SHOW);
}

void CSetupWnd::setProgress(int position)
{
    m_progressBar.setPos(position);
}

void CSetupWnd::repaint()
{
    updateWindow();
}

void CSetupWnd::showFinishButton()
{
    m_finishButton.showWindow(SW_SHOW);
    m_finishButton.setFocus();
}

void CSetupWnd::onFinish()
{
    destroyWindow();
}
