// command_line.h
// The command-line stage: cuts the argument string into words, reads the options
// and at most one INF path, shows the usage box or a command-line error, and
// works out the program folder and the INF path in full.
#pragma once

#include <cstdint>

#include "base/wstr.h"

// What the stage hands back when the program is to go on.
struct RunRequest
{
    int noPause = 0;     // 1: end once done instead of waiting for Finish.
    int preinstall = 0;  // 1: pre-install the package instead of installing for present hardware.
    CWStr infPath;       // The typed path in full (see fullInfPath), or the program folder +
                         // "\kvr7.inf"; empty when no path was typed and the folder is unknown.
    CWStr programFolder; // Without a trailing backslash; empty when unknown.
    CWStr caption;       // "KVR7 Driver Installer": message boxes and the window title.
};

// Runs the stage on `arguments` (the command line without the program name).
// Returns true with `request` filled when the program is to go on; false when
// start-up ends here, after the usage box (exit code left as it is) or an error
// box (exit code 6 written through `exitCode`).
bool readCommandLine(const wchar_t* arguments, int32_t* exitCode, RunRequest* request);

// The full path of the program's own file; empty when it cannot be had. A path
// longer than the first 512-character room is asked for again, never cut.
CWStr moduleFileName();

// A typed INF path in full, as the platform resolves it against the current
// folder ("C:name" against the current folder of drive C); empty when the
// platform cannot resolve it. A bare name is thus the current folder's file,
// never one the Setup API would find in the system's INF folder.
CWStr fullInfPath(const CWStr& path);
