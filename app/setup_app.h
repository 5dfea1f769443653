// setup_app.h
// CSetupApp, the installer's application object: reads the command line,
// creates the progress window, runs the chosen operation on it and hands the
// stored exit code to the process exit.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/framework.h"

class CSetupWnd;

class CSetupApp : public CWinApp
{
public:
    CSetupApp();
    ~CSetupApp() override;

    int32_t exitCode() const { return m_exitCode; }

protected:
    // Initialises the common controls, runs the command-line stage, creates the
    // window and runs install or pre-install on it. True when the message loop
    // is to run until the window is gone (the operation showed Finish). An
    // allocation failure anywhere in it ends the program with exit code 7.
    bool startUp() override;
    // Deletes the window object and returns the stored exit code.
    int cleanUp() override;

private:
    // The steps of startUp after the library search has been narrowed.
    bool startRequestedOperation();

    int32_t m_exitCode;
    std::unique_ptr<CSetupWnd> m_setupWnd;
};
