// fake_msi_session.h
// An Installer session and a kvr7ctl.exe played behind the custom actions'
// seam (msi_action/msi_action_platform.h): CustomActionData, the products of
// the upgrade code, kvr7ctl's exit code for each command, and the registry
// value a rollback reads, the files copied for it. What the actions did is
// kept in order: each kvr7ctl command, each log line, the restart request, how
// commands were started.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "msi_action/msi_action_platform.h"
#include "tests/support/seam_guard.h"

// An exit code for a command that cannot be started.
const int CANNOT_START = -1;

struct MsiScript
{
    std::wstring actionData;
    std::map<std::wstring, int> exitCodes;     // by kvr7ctl's arguments; absent: CANNOT_START
    std::vector<std::wstring> relatedProducts; // MsiEnumRelatedProductsW's list
    std::map<std::wstring, DWORD> registry;    // Step values by key below HKLM
    std::set<std::wstring> files;              // files and folders there at the start
};

struct MsiSeen
{
    // The arguments of each kvr7ctl command; "copy " before them for the copy
    // in <folder>Rollback\, "elsewhere " for any other but <folder>kvr7ctl.exe
    // (<folder>: the last field of CustomActionData).
    std::vector<std::wstring> commands;
    std::set<std::wstring> files;  // files and folders made and not deleted
    std::vector<std::wstring> log; // field 1 of each record
    bool rebootAtEnd = false;
    bool withoutWindow = true; // every command started with CREATE_NO_WINDOW
};

// Plays `script` through the seam until `seam` goes; gives what was seen.
// Each kvr7ctl command writes one trace line, "trace [Manufacturer] {x}".
MsiSeen& playMsiSession(SeamGuard<MsiActionApi>& seam, const MsiScript& script);

// The registry values as the actions left them.
const std::map<std::wstring, DWORD>& playedRegistry();

// The session handle the played calls accept.
const MSIHANDLE FAKE_SESSION = 42;
