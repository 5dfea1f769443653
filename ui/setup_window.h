// setup_window.h
// CSetupWnd, the installer's one window: a fixed-size top-level window with a
// status line, a progress bar, a result line, a restart note and a Finish
// button, all hidden until an operation shows them. The installation logic
// reaches the window only through the window operations declared here.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/wstr.h"
#include "framework/framework.h"

class CSetupWnd : public CWnd
{
public:
    // The progress bar's full position.
    static const int PROGRESS_RANGE = 10000;

    // Builds the window with `caption` as its title, creates the five hidden
    // controls, then shows and paints the window. Reports nothing: a window or
    // control that cannot be created leaves its handle null, and every window
    // operation then does nothing visible.
    explicit CSetupWnd(const wchar_t* caption);
    ~CSetupWnd() override;

    const char* runtimeClassName() const override { return "CSetupWnd"; }

    // Window operations. None hides a control again; none reports anything.
    void setStatusLine(const wchar_t* text); // sets the status line's text and shows it
    void setResultLine(const wchar_t* text); // sets the result line's text and shows it
    void showRestartNote();                  // shows the note; its text never changes
    void showProgressBar();                  // shows the bar at its current position
    void setProgress(int position);          // 0 (empty) to PROGRESS_RANGE (full)
    void repaint();                          // carries out pending painting now
    void showFinishButton();                 // shows Finish and gives it the focus

    // Finish and close requests: destroys the window, which ends the
    // application's message loop when this is its main window.
    void onFinish();

    // Platform compatibility check: 1 when the program may go on (exit code
    // untouched); 0 after putting the refusal in the status line and setting the
    // exit code to 1. Defined with its callers, the two long operations.
    int checkPlatform(int32_t* exitCode);

    // The two long operations: install for present hardware and pre-install.
    // Each sets the exit code, and returns 1 when it has shown Finish and the
    // window waits for the user, 0 when `noPause` is 1. Memory that runs out,
    // also inside the INF reader, throws std::bad_alloc (see CSetupApp).
    int install(const CWStr& infPath, int noPause, int32_t* exitCode);
    int preinstall(const CWStr& infPath, const CWStr& programFolder, int noPause,
                   int32_t* exitCode);

protected:
    const MessageMap* messageMap() const override;

private:
    CBrush m_backgroundBrush;
    CStatic m_statusLine;
    CStatic m_resultLine;
    CStatic m_restartNote;
    CProgressCtrl m_progressBar;
    CButton m_finishButton;
};
