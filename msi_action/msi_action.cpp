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
// leaves an entry point: running out of memory fails the action.

#include <windows.h>

#include <msi.h>

#include <new>

#include "msi_action/driver_actions.h"

extern "C" UINT __stdcall InstallDriver(MSIHANDLE session)
{
    try
    {
        return installDriver(session);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_INSTALL_FAILURE;
    }
}

extern "C" UINT __stdcall RemoveDriver(MSIHANDLE session)
{
    try
    {
        return removeDriver(session);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_INSTALL_FAILURE;
    }
}

extern "C" UINT __stdcall RollBackDriver(MSIHANDLE session)
{
    try
    {
        return rollBackDriver(session);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_SUCCESS;
    }
}

extern "C" UINT __stdcall CommitDriver(MSIHANDLE session)
{
    try
    {
        return commitDriver(session);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_SUCCESS;
    }
}
