// framework.h
// A small application framework on plain Win32: the part of a classic C++
// Windows framework that this program stands on, and nothing more. CWinApp is
// the one application object with its start-up and exit hooks and the message
// loop; CWnd is a window with a static window procedure and a message map;
// CStatic, CButton and CProgressCtrl are child controls of the system classes;
// CBrush holds a system colour brush.
//
// What it guarantees: one global application object, found by the entry point,
// runs start-up, the message loop and clean-up in that order, and clean-up's
// result is the exit code; the loop ends when the registered main window is
// destroyed; a window's messages reach its object through a message map of
// {message, notification, control} entries, and never once the object is gone;
// controls are created into a parent with an ID and die with it. Each class
// and call below states its part.
//
// Left out on purpose: documents and views, dialogs and dialog data exchange,
// command routing, idle processing, keyboard translation through accelerators or
// IsDialogMessage, subclassing of control windows, a handle map, threads other
// than the one user-interface thread, and exceptions.
#pragma once

#include <windows.h>

#include <cstddef>

class CWnd;

// ---------------------------------------------------------------------------
// Application object.

class CWinApp
{
public:
    // Registers this object as the process's application object; the program
    // defines exactly one, as a global, so it exists before the entry point.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The registered application object, or null when there is none.
    static CWinApp* instance();

    // The whole run after process start-up, as the entry point calls it:
    //  1. the argument string is cut from `commandLine` (argumentStringOf) and kept;
    //  2. the error mode becomes the current one plus SEM_FAILCRITICALERRORS and
    //     SEM_NOOPENFILEERRORBOX;
    //  3. startUp runs;
    //  4. on false, a registered main window is destroyed; on true, the message
    //     loop runs until the main window is destroyed (not at all if there is
    //     none left by then);
    //  5. cleanUp runs, on both outcomes, and its result is returned as the
    //     process exit code.
    // `commandLine` must outlive the application object's use of argumentString().
    int run(const wchar_t* commandLine);

    // The command line without the program name and the blanks after it: a double
    // quote switches quoting on and off, and outside quotes the name ends at the
    // first character with a code from 1 to 32. Never null; a null line gives "".
    static const wchar_t* argumentStringOf(const wchar_t* commandLine);

    // The argument string kept by run(); "" before it.
    const wchar_t* argumentString() const { return m_argumentString; }

    // The main window: its destruction ends the message loop. The application
    // does not own the object; registering null clears the registration.
    void setMainWindow(CWnd* window) { m_mainWindow = window; }
    CWnd* mainWindow() const { return m_mainWindow; }

protected:
    // Start-up hook, called once by run(): true to run the message loop until the
    // main window is gone, false to end now. The base does nothing and says true.
    virtual bool startUp();
    // Exit hook, called exactly once by run(): returns the process exit code. The
    // base does nothing and returns 0.
    virtual int cleanUp();

private:
    void runMessageLoop();

    const wchar_t* m_argumentString;
    CWnd* m_mainWindow;
};

// ---------------------------------------------------------------------------
// Windows.

// One entry of a message map. For WM_COMMAND the entry matches when both the
// notification code (high word of wParam) and the control ID (low word) match;
// for any other message the message alone decides. The handler takes nothing and
// the message counts as handled (result 0).
struct MessageMapEntry
{
    UINT message;
    UINT notifyCode;
    UINT controlId;
    void (CWnd::*handler)();
};

struct MessageMap
{
    const MessageMapEntry* entries;
    size_t count;
};

class CWnd
{
public:
    CWnd();
    // A window still alive when its object goes is destroyed with it (children
    // with their parent as usual); a window whose object is gone never reaches
    // the object again.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window handle; null before creation, after a failed creation and once
    // the window has been destroyed (for windows of a class registered by
    // registerWindowClass; a control keeps its handle until its object goes).
    HWND hwnd() const { return m_hWnd; }

    // The name of the object's own class, for diagnostics and run-time checks.
    virtual const char* runtimeClassName() const { return "CWnd"; }

    // Creates a window of a class registered by registerWindowClass, bound to
    // this object: its messages go through the message map. Returns FALSE when
    // the window cannot be created.
    BOOL createEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu);

    // Thin forwards to the platform calls of the same names.
    BOOL destroyWindow();
    BOOL showWindow(int command);
    BOOL updateWindow();
    BOOL setWindowText(LPCWSTR text);
    HWND setFocus();
    LRESULT sendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL getClientRect(RECT* rect) const;
    void setFont(HFONT font, BOOL redraw = TRUE);

    // The window procedure of every class that registerWindowClass registers: the
    // object comes from the creation parameter and is kept with the window.
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The object's message map; the base has none. Messages that no entry takes
    // get the platform's default handling.
    virtual const MessageMap* messageMap() const;

    // Creates a child window of a system class (controls) with the given ID.
    BOOL createControl(LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent,
                       UINT id);

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd;
};

// Registers, or finds already registered, a window class with these settings
// whose procedure is CWnd::windowProc, and returns its generated name. The name
// stays valid until the next call, which reuses its buffer (classes are
// registered from the program's one window thread).
LPCWSTR registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

// ---------------------------------------------------------------------------
// Controls. Each object owns its child window, which also dies with its parent.

class CStatic : public CWnd
{
public:
    const char* runtimeClassName() const override { return "CStatic"; }
    BOOL create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
};

class CButton : public CWnd
{
public:
    const char* runtimeClassName() const override { return "CButton"; }
    BOOL create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
};

// The progress bar of the common controls, which must be initialised first
// (InitCommonControlsEx with ICC_PROGRESS_CLASS or a wider set).
class CProgressCtrl : public CWnd
{
public:
    const char* runtimeClassName() const override { return "CProgressCtrl"; }
    BOOL create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void setRange32(int lower, int upper);
    int setPos(int position);
};

// ---------------------------------------------------------------------------
// GDI objects.

// Holds a system colour brush. System brushes belong to the system and are
// never deleted, so the object releases nothing.
class CBrush
{
public:
    CBrush() : m_brush(nullptr) {}
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    BOOL createSysColorBrush(int colorIndex);
    HBRUSH handle() const { return m_brush; }

private:
    HBRUSH m_brush;
};
