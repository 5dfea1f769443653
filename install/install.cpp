// install.cpp
// CSetupWnd::install: installs the driver from the INF on the present devices
// that carry any hardware or compatible ID of the models sections chosen for
// this system, one ID at a time, with the progress bar and one result line.

#include "base/exit_codes.h"
#include "base/wformat.h"
#include "inf/inf_file.h"
#include "install/install_platform.h"
#include "install/install_texts.h"
#include "ui/setup_window.h"

#include <newdev.h>

#include <new>

namespace {

// A failed update call that leaves these behind found nothing to update for its
// ID (no device, or a present device whose driver was not replaced): the run
// goes on. Any other value ends it.
bool isNothingToUpdate(DWORD lastError)
{
    return lastError == ERROR_SUCCESS || lastError == ERROR_NO_SUCH_DEVINST ||
           lastError == ERROR_NO_MORE_ITEMS;
}

// Memory that ran out inside the INF reader ends the run as an allocation
// failure anywhere does (exit code 7, see CSetupApp::startUp): an INF read in
// part must not lead to "cannot open", "no hardware" or an install of some IDs.
SetupStatus unlessOutOfMemory(SetupStatus status)
{
    if (status == SETUP_OUT_OF_MEMORY)
        throw std::bad_alloc();
    return status;
}

// done * PROGRESS_RANGE / total, computed wide enough that no list length can
// overflow it.
int progressAfter(uint64_t done, uint64_t total)
{
    return static_cast<int>(done * CSetupWnd::PROGRESS_RANGE / total);
}

// Steps of an install run after the platform check; leaves the outcome in the
// window and in *exitCode. The caller owns and releases `inf` and `hardwareIds`.
void updateDrivers(CSetupWnd& wnd, CInfFile& inf, const CWStr& infPath, CWStrArray& hardwareIds,
                   int32_t* exitCode)
{
    wnd.setStatusLine(TEXT_SEARCHING);
    wnd.repaint();

    // An empty path names no file (the program folder was unknown); the Setup
    // API would look for it in the system's INF folder.
    if (infPath.empty() || unlessOutOfMemory(inf.open(infPath.c_str())) != SETUP_OK)
    {
        wnd.setStatusLine(formatText(TEXT_OPEN_FAILED, infPath.c_str()).c_str());
        *exitCode = EXIT_CODE_INF_OPEN_FAILED;
        return;
    }

    {
        CWStrArray modelsSections;
        if (unlessOutOfMemory(inf.findModelsSections(modelsSections)) != SETUP_OK)
        {
            wnd.setStatusLine(formatText(TEXT_PARSE_FAILED, infPath.c_str()).c_str());
            *exitCode = EXIT_CODE_INF_PARSE_FAILED;
            return;
        }
        // A missing or empty models section only adds no IDs.
        for (uint64_t i = 0; i < modelsSections.count(); ++i)
            unlessOutOfMemory(inf.findHardwareIds(modelsSections[i], hardwareIds));
    }

    wnd.showProgressBar();
    wnd.repaint();

    bool updated = false;
    bool failed = false;
    BOOL restart = FALSE;
    const uint64_t count = hardwareIds.count();
    for (uint64_t i = 0; i < count; ++i)
    {
        const wchar_t* hardwareId = hardwareIds[i].c_str();
        inf.trace(TRACE_INSTALLING, hardwareId);

        BOOL rebootRequired = FALSE;
        if (g_installApi.UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId, inf.path().c_str(),
                                                            INSTALLFLAG_FORCE, &rebootRequired))
        {
            inf.trace(TRACE_INSTALLED, hardwareId);
            updated = true;
            restart |= rebootRequired;
        }
        else if (!isNothingToUpdate(GetLastError()))
        {
            failed = true;
            break;
        }

        wnd.setProgress(progressAfter(i + 1, count));
        wnd.repaint();
    }

    wnd.setStatusLine(TEXT_SEARCHING_DONE);
    if (failed)
    {
        wnd.setResultLine(TEXT_UPDATE_ERROR);
        *exitCode = EXIT_CODE_INSTALL_FAILED;
    }
    else if (!updated)
    {
        wnd.setResultLine(TEXT_NO_HARDWARE);
        *exitCode = EXIT_CODE_NO_HARDWARE;
    }
    else
    {
        wnd.setResultLine(TEXT_UPDATED);
    }
    if (restart)
        wnd.showRestartNote();
    wnd.repaint();
}

} // namespace

int CSetupWnd::install(const CWStr& infPath, int noPause, int32_t* exitCode)
{
    CInfFile inf;
    CWStrArray hardwareIds;

    *exitCode = EXIT_CODE_OK;
    if (checkPlatform(exitCode))
        updateDrivers(*this, inf, infPath, hardwareIds, exitCode);

    inf.close();
    if (noPause)
        return 0;
    showFinishButton();
    return 1;
}
