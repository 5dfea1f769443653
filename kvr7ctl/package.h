// package.h
// What kvr7ctl.exe does: finds the staged copies of the driver package in the
// system INF folder and the devices whose driver comes from them, tells whether
// one of those waits for a restart, and takes the package back off the system,
// checking afterwards that nothing of it is left. Every fact goes to standard
// output as a `key=value` line and to the debugger output; every platform call
// goes through g_kvr7ctlApi (kvr7ctl/kvr7ctl_platform.h).
#pragma once

#include <string>
#include <vector>

// The exit codes, Windows Installer's numbers where one fits, so that fleet
// tools read them as they read an installer's.
enum Kvr7ctlExitCode
{
    KVR7CTL_DONE = 0,         // status: at least one copy staged; remove: nothing left
    KVR7CTL_NOT_STAGED = 1,   // status: no copy staged
    KVR7CTL_BAD_COMMAND = 87, // the command line is wrong
    KVR7CTL_NOT_ADMIN = 740,  // remove without administrator rights
    KVR7CTL_FAILED = 1603,    // a step failed (the report names it and its error)
    KVR7CTL_BUSY = 1618,      // remove: other device installations did not finish in time
    KVR7CTL_RESTART = 3010,   // status: a device waits for a restart; remove: done, restart due
};

// How long remove waits for other device installations to finish.
const unsigned long PENDING_INSTALLS_WAIT_MS = 60000;

// Runs one command line (`args[0]` is the program); without an INF argument the
// package is KVR7CTL_DEFAULT_INF in `ownFolder` (none when that is empty).
// Gives the exit code.
int runKvr7ctl(const std::vector<std::wstring>& args, const std::wstring& ownFolder);
