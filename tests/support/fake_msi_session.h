// fake_msi_session.h
// An Installer session and a kvr7ctl.exe played behind the custom actions'
// seam (msi_action/msi_action_platform.h): CustomActionData, the products of
// the upgrade code, kvr7ctl's exit code for each command, the registry and the
// files; and what the actions did.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "msi_action/msi_action_platform.h"
#include "tests/support/seam_guard.h"

struct PlayedMsi
{
    std::wstring actionData;
    std::map<std::wstring, int> exitCodes;  // by kvr7ctl's arguments; absent: cannot start
    std::vector<std::wstring> products;     // MsiEnumRelatedProductsW's list
    std::map<std::wstring, DWORD> registry; // DWORD values by key below HKLM
    std::set<std::wstring> files;           // files and folders
    // Seen: each command's arguments ("copy " before them when run from
    // <folder>Rollback\, "elsewhere " when not from <folder>, the last field of
    // actionData), each log line (field 1), the restart request, and whether
    // every command was started without a window.
    std::vector<std::wstring> commands, log;
    bool reboot = false, windowless = true;
};

// Plays `played` through the seam until `seam` goes. Each command writes the
// trace line "trace [Manufacturer] {x}".
void playMsi(SeamGuard<MsiActionApi>& seam, PlayedMsi& played);

const MSIHANDLE FAKE_SESSION = 42;
