// setup_window_test.cpp
// The setup window built for real and read back through Win32 queries: frame,
// class settings, the five controls, the window operations, the two ways to
// close it, the log callback, and screenshots of the working and finished states
// (written to the working directory).

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/preinstall_log.h"
#include "tests/support/golden_texts.h"
#include "tests/ui/window_probe.h"
#include "ui/control_ids.h"
#include "ui/setup_window.h"

namespace {

class SetupWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        m_window.reset(new CSetupWnd(GOLDEN_CAPTION));
        m_hwnd = m_window->hwnd();
        ASSERT_TRUE(IsWindow(m_hwnd));
    }

    void TearDown() override
    {
        m_window.reset();
        pumpMessages(0);
    }

    HWND control(int id) const { return GetDlgItem(m_hwnd, id); }

    std::unique_ptr<CSetupWnd> m_window;
    HWND m_hwnd = nullptr;
};

TEST_F(SetupWindowTest, FrameAndClassAsLaidOut)
{
    RECT rect = {};
    GetWindowRect(m_hwnd, &rect);
    EXPECT_EQ(400, rect.right - rect.left);
    EXPECT_EQ(210, rect.bottom - rect.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXMAXIMIZED) - 400) / 2, rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYMAXIMIZED) - 210) / 2, rect.top);

    const LONG style = GetWindowLongW(m_hwnd, GWL_STYLE);
    EXPECT_EQ(WS_SYSMENU | WS_CAPTION, style & (WS_SYSMENU | WS_CAPTION));
    EXPECT_EQ(0, style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP |
                          WS_HSCROLL | WS_VSCROLL | WS_DISABLED));
    EXPECT_TRUE(IsWindowVisible(m_hwnd));
    EXPECT_NE(0, GetWindowLongW(m_hwnd, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_EQ(0, GetWindowLongW(m_hwnd, GWL_EXSTYLE) &
                     (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CLIENTEDGE));

    EXPECT_EQ(std::wstring(GOLDEN_CAPTION), windowText(m_hwnd));
    EXPECT_EQ(nullptr, GetParent(m_hwnd));
    EXPECT_EQ(nullptr, GetMenu(m_hwnd));
    EXPECT_STREQ("CSetupWnd", m_window->runtimeClassName());

    EXPECT_EQ(0u, GetClassLongPtrW(m_hwnd, GCL_STYLE));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))),
              GetClassLongPtrW(m_hwnd, GCLP_HCURSOR));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)),
              GetClassLongPtrW(m_hwnd, GCLP_HBRBACKGROUND));
    // Icons loaded from a module are shared: the same resource gives the same handle.
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(icon), GetClassLongPtrW(m_hwnd, GCLP_HICON));
}

TEST_F(SetupWindowTest, FiveHiddenControlsInCreationOrder)
{
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    const LONG l = client.left, t = client.top, r = client.right, b = client.bottom;
    struct Row
    {
        const wchar_t* className;
        int id;
        LONG style;
        const wchar_t* text;
        RECT rect;
        bool hasFont;
    };
    const Row rows[] = {
        // The value lines add SS_NOPREFIX (0x80) so that an "&" in a path shows as typed.
        {L"Static", 2, 0x40000080, L"", {l + 10, t + 10, r - 10, t + 40}, true},
        {L"msctls_progress32", 3, 0x40000001, nullptr, {l + 10, t + 50, r - 10, t + 70}, false},
        {L"Static", 4, 0x40000080, L"No hardware found", {l + 10, t + 80, r - 10, t + 100}, true},
        {L"Static",
         5,
         0x40000000,
         L"NOTE: The driver will not be fully updated until you restart your computer.",
         {l + 10, t + 110, r - 10, t + 160},
         true},
        {L"Button", 1, 0x40000F00, L"&Finish", {r - 90, b - 35, r - 10, b - 10}, true},
    };
    const HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    const std::vector<HWND> children = childrenInOrder(m_hwnd);
    ASSERT_EQ(5u, children.size());
    for (size_t i = 0; i < children.size(); ++i)
    {
        const Row& row = rows[i];
        const HWND child = children[i];
        SCOPED_TRACE(testing::Message() << "child " << i + 1 << ", ID " << row.id);
        EXPECT_EQ(0, _wcsicmp(row.className, className(child).c_str()));
        EXPECT_EQ(row.id, GetDlgCtrlID(child));
        EXPECT_EQ(row.style, GetWindowLongW(child, GWL_STYLE));
        EXPECT_EQ(0, GetWindowLongW(child, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
        if (row.text)
        {
            EXPECT_EQ(std::wstring(row.text), windowText(child));
        }
        const RECT rect = rectInParent(child);
        EXPECT_EQ(row.rect.left, rect.left);
        EXPECT_EQ(row.rect.top, rect.top);
        EXPECT_EQ(row.rect.right, rect.right);
        EXPECT_EQ(row.rect.bottom, rect.bottom);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        EXPECT_EQ(row.hasFont ? guiFont : nullptr, font);
        EXPECT_FALSE(IsWindowVisible(child));
    }

    PBRANGE range = {-1, -1};
    SendMessageW(control(ID_PROGRESS_BAR), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(10000, range.iHigh);
    EXPECT_EQ(0, SendMessageW(control(ID_PROGRESS_BAR), PBM_GETPOS, 0, 0));
}

TEST_F(SetupWindowTest, OperationsShowTheirControlAndNoOtherAndNeverHideOne)
{
    struct Step
    {
        const char* name;
        std::function<void(CSetupWnd&)> operation;
        int shownId; // the control that becomes visible, 0 for none
    };
    const Step steps[] = {
        {"setProgress while hidden", [](CSetupWnd& w) { w.setProgress(1234); }, 0},
        {"repaint", [](CSetupWnd& w) { w.repaint(); }, 0},
        {"setStatusLine", [](CSetupWnd& w) { w.setStatusLine(L"Searching for hardware..."); }, ID_STATUS_LINE},
        {"showProgressBar", [](CSetupWnd& w) { w.showProgressBar(); }, ID_PROGRESS_BAR},
        {"setResultLine", [](CSetupWnd& w) { w.setResultLine(L"Driver installed."); }, ID_RESULT_LINE},
        {"showRestartNote", [](CSetupWnd& w) { w.showRestartNote(); }, ID_RESTART_NOTE},
        {"setStatusLine again", [](CSetupWnd& w) { w.setStatusLine(L"Second"); }, 0},
        {"showFinishButton", [](CSetupWnd& w) { w.showFinishButton(); }, ID_FINISH_BUTTON},
    };
    const int ids[] = {ID_FINISH_BUTTON, ID_STATUS_LINE, ID_PROGRESS_BAR, ID_RESULT_LINE,
                       ID_RESTART_NOTE};
    std::vector<int> visible;
    for (const Step& step : steps)
    {
        step.operation(*m_window);
        if (step.shownId)
            visible.push_back(step.shownId);
        for (int id : ids)
        {
            const bool expected = std::find(visible.begin(), visible.end(), id) != visible.end();
            EXPECT_EQ(expected, IsWindowVisible(control(id)) != FALSE)
                << "after " << step.name << ", control " << id;
        }
    }
    EXPECT_EQ(std::wstring(L"Second"), windowText(control(ID_STATUS_LINE)));
    EXPECT_EQ(std::wstring(L"Driver installed."), windowText(control(ID_RESULT_LINE)));
    EXPECT_EQ(std::wstring(L"NOTE: The driver will not be fully updated until you restart your "
                           L"computer."),
              windowText(control(ID_RESTART_NOTE)));
    EXPECT_EQ(std::wstring(L"&Finish"), windowText(control(ID_FINISH_BUTTON)));
    EXPECT_EQ(std::wstring(GOLDEN_CAPTION), windowText(m_hwnd));
    EXPECT_EQ(1234, SendMessageW(control(ID_PROGRESS_BAR), PBM_GETPOS, 0, 0));
    EXPECT_EQ(control(ID_FINISH_BUTTON), GetFocus());
}

TEST_F(SetupWindowTest, SetProgressMovesTheBar)
{
    m_window->showProgressBar();
    for (int position : {0, 1, 2500, 9999, 10000, 3})
    {
        m_window->setProgress(position);
        EXPECT_EQ(position, SendMessageW(control(ID_PROGRESS_BAR), PBM_GETPOS, 0, 0));
    }
}

TEST_F(SetupWindowTest, RepaintAndLogCallbackPaintPendingAreasNow)
{
    // Each way of repainting must leave no invalid area behind.
    const struct
    {
        const char* name;
        std::function<void()> paint;
    } cases[] = {
        {"repaint", [this] { m_window->repaint(); }},
        {"difxLogCallback",
         [this] { difxLogCallback(DIFXAPI_ERROR, 0xE0000203, L"event", m_window.get()); }},
    };
    for (const auto& c : cases)
    {
        InvalidateRect(m_hwnd, nullptr, TRUE);
        ASSERT_TRUE(GetUpdateRect(m_hwnd, nullptr, FALSE)) << c.name;
        c.paint();
        EXPECT_FALSE(GetUpdateRect(m_hwnd, nullptr, FALSE)) << c.name;
    }
    // The callback takes its window from the context only; no context, no work.
    InvalidateRect(m_hwnd, nullptr, TRUE);
    difxLogCallback(DIFXAPI_SUCCESS, 0, nullptr, nullptr);
    EXPECT_TRUE(GetUpdateRect(m_hwnd, nullptr, FALSE));
}

// Messages that must end the window, and look-alikes that must not.
TEST(SetupWindowClose, FinishAndCloseRequestsDestroyTheWindowAndNothingElseDoes)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    struct Case
    {
        const char* name;
        std::function<void(HWND window)> send;
        bool destroys;
    };
    const Case cases[] = {
        {"WM_CLOSE", [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }, true},
        {"Alt+F4 (SC_CLOSE)", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"click on Finish", [](HWND w) { SendMessageW(GetDlgItem(w, ID_FINISH_BUTTON), BM_CLICK, 0, 0); }, true},
        {"BN_CLICKED from ID 1",
         [](HWND w) {
             SendMessageW(w, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(w, ID_FINISH_BUTTON)));
         },
         true},
        {"BN_CLICKED from ID 2",
         [](HWND w) {
             SendMessageW(w, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(w, ID_STATUS_LINE)));
         },
         false},
        {"BN_DOUBLECLICKED from ID 1",
         [](HWND w) {
             SendMessageW(w, WM_COMMAND, MAKEWPARAM(1, BN_DOUBLECLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(w, ID_FINISH_BUTTON)));
         },
         false},
        {"WM_QUERYENDSESSION", [](HWND w) { SendMessageW(w, WM_QUERYENDSESSION, 0, 0); }, false},
    };
    for (const Case& c : cases)
    {
        CSetupWnd window(GOLDEN_CAPTION);
        window.showFinishButton();
        const HWND hwnd = window.hwnd();
        c.send(hwnd);
        EXPECT_EQ(!c.destroys, IsWindow(hwnd) != FALSE) << c.name;
        EXPECT_EQ(c.destroys ? nullptr : hwnd, window.hwnd()) << c.name;
    }
}

// Working and finished states, captured from the screen as BMP files.
TEST_F(SetupWindowTest, ScreenshotsOfTheWorkingAndFinishedStates)
{
    pumpMessages(300);
    // Before any operation: plain button-face colour under the caption.
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const std::vector<DWORD> pixels = capturePixels(client);
    ASSERT_FALSE(pixels.empty());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const DWORD faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    size_t other = 0;
    for (DWORD p : pixels)
        other += (p != faceRgb);
    EXPECT_EQ(0u, other) << "pixels of another colour than COLOR_BTNFACE";
    EXPECT_TRUE(saveScreenshot(m_hwnd, L"setup_window_created.bmp"));

    m_window->setStatusLine(L"Failed to open 'C:\\R&D\\kvr7.inf'");
    m_window->showProgressBar();
    m_window->setProgress(4000);
    m_window->repaint();
    pumpMessages(300);
    EXPECT_TRUE(saveScreenshot(m_hwnd, L"setup_window_working.bmp"));

    m_window->setProgress(10000);
    m_window->setResultLine(L"Driver installed on 2 devices.");
    m_window->showRestartNote();
    m_window->showFinishButton();
    m_window->repaint();
    pumpMessages(300);
    EXPECT_TRUE(saveScreenshot(m_hwnd, L"setup_window_finished.bmp"));
}

// The window as the application's main window: a click on Finish ends the loop.
class FinishApp : public CWinApp
{
public:
    bool windowObjectAtCleanUp = false;

protected:
    bool startUp() override
    {
        m_window = new CSetupWnd(GOLDEN_CAPTION);
        setMainWindow(m_window);
        m_window->setStatusLine(L"Done");
        m_window->showFinishButton();
        PostMessageW(GetDlgItem(m_window->hwnd(), ID_FINISH_BUTTON), BM_CLICK, 0, 0);
        return true;
    }

    int cleanUp() override
    {
        windowObjectAtCleanUp = m_window && m_window->hwnd() == nullptr;
        delete m_window;
        m_window = nullptr;
        return 5;
    }

private:
    CSetupWnd* m_window = nullptr;
};

TEST(SetupWindowApplication, FinishEndsTheMessageLoop)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    FinishApp app;
    EXPECT_EQ(5, app.run(L"install.exe"));
    EXPECT_TRUE(app.windowObjectAtCleanUp);
}

} // namespace
