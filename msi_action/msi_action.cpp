// msi_action.cpp
// The entry points of the custom-action DLL of the KVR7 Windows Installer
// packages, one DLL per architecture (what each does: driver_actions.h).
// The package schedules, with the Installer's own rights:
//   InstallDriver   deferred, after the files are laid out
//   RemoveDriver    deferred, before the files are removed
//   RollBackDriver  rollback, before each of the two
//   CommitDriver    commit, once the installation or removal stands
// A DLL action, unlike an exe action, can end the installation with 3010 (a
// restart is due) as well as with 1603 (failed, rolled back). Nothing thrown
// leaves an entry point (guarded below).

#include <windows.h>

#include <msi.h>

#include <new>

#include "msi_action/driver_actions.h"

namespace {

// One entry point's work. Running out of memory fails the actions that change
// the machine; the rollback and commit actions answer success then, so that
// Windows Installer goes on with the rest of its own undo or commit.
UINT guarded(UINT (*action)(MSIHANDLE), MSIHANDLE session, UINT onNoMemory)
{
    try
    {
        return action(session);
    }
    catch (const std::bad_alloc&)
    {
        return onNoMemory;
    }
}

} // namespace

extern "C" UINT __stdcall InstallDriver(MSIHANDLE session)
{
    return guarded(installDriver, session, ERROR_INSTALL_FAILURE);
}

extern "C" UINT __stdcall RemoveDriver(MSIHANDLE session)
{
    return guarded(removeDriver, session, ERROR_INSTALL_FAILURE);
}

extern "C" UINT __stdcall RollBackDriver(MSIHANDLE session)
{
    return guarded(rollBackDriver, session, ERROR_SUCCESS);
}

extern "C" UINT __stdcall CommitDriver(MSIHANDLE session)
{
    return guarded(commitDriver, session, ERROR_SUCCESS);
}
