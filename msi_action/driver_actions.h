// driver_actions.h
// What the Windows Installer packages' custom actions do, each a function of
// the session handle that gives the value the DLL's entry point returns to the
// Installer. All run from the execution script with the Installer's own rights
// and read their input from CustomActionData, which the package sets just
// before each from its properties (deferred, rollback and commit actions see no
// other property):
//   "<KVR7_PREINSTALL>|<ProductCode>|<UpgradeCode>|<installation folder>"
// They run the installed kvr7ctl.exe as a debuggee, without a window, so that
// every line of its trace goes into the Installer log; kvr7ctl deploy decides
// the deployment policy and its exit code decides the outcome.
//
// What a rollback must undo is learnt by the deferred action, which keeps it in
// the registry, HKLM\SOFTWARE\KVR7\Rollback <ProductCode>, value Step
// (REG_DWORD, RollbackStep), until the rollback action or, when the
// installation or removal succeeds, the commit action deletes that key. To
// take the driver off again, the rollback of an installation runs a copy of
// kvr7ctl.exe and the package INF that the deferred action keeps in the
// folder Rollback below the installation folder: Wine removes the installed
// files before it runs rollback actions (Windows after them), and leaves
// files that the package does not list. The same two delete the copy.
#pragma once

#include <windows.h>

#include <msi.h>

// What the rollback of a driver action does.
enum RollbackStep
{
    ROLLBACK_NOTHING = 0,         // nothing of the driver was changed, or it is undone
    ROLLBACK_TAKE_OFF = 1,        // this installation put the driver on: kvr7ctl remove -force
    ROLLBACK_PUT_BACK = 2,        // this removal took it off: kvr7ctl deploy
    ROLLBACK_PUT_BACK_STAGED = 3, // as 2, where a board ran another driver: kvr7ctl deploy -stage
};

// The registry key that holds a product's RollbackStep, below HKLM.
#define MSI_ROLLBACK_KEY L"SOFTWARE\\KVR7\\Rollback "
#define MSI_ROLLBACK_VALUE L"Step"
// The folder of the copy, below the installation folder.
#define MSI_ROLLBACK_FOLDER L"Rollback\\"

// Deferred, after the files are laid out: asks kvr7ctl status whether a copy
// of the package is staged, then runs kvr7ctl deploy (-stage with
// KVR7_PREINSTALL=1). 0 is success, 3010 success with a restart at the end;
// on any other outcome the driver is taken off again (kvr7ctl remove -force)
// when no copy was staged before, and the installation fails.
UINT installDriver(MSIHANDLE session);

// Deferred, before the files are removed: kvr7ctl remove -force, unless
// another product of the upgrade code is installed (a newer version that
// replaces this one and needs the driver).
UINT removeDriver(MSIHANDLE session);

// Rollback, before each of the two: undoes the step the deferred action left.
UINT rollBackDriver(MSIHANDLE session);

// Commit: the installation or removal stands; forgets the step.
UINT commitDriver(MSIHANDLE session);
