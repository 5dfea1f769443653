// deploy.h
// kvr7ctl deploy: the one deployment policy, which deploy.cmd and the Windows
// Installer packages' custom action both run. It first runs the check
// (check.h) and stops, before anything is changed, when a device installation
// restriction applies or installations are pending. It runs the installer beside
// kvr7ctl.exe unattended, with its window hidden and each of its trace lines
// passed on to this program's own debugger output; stages the driver instead
// when no board is present (or when only staging is asked for); then checks
// the outcome with status. Only an outcome that the check confirms ends with
// KVR7CTL_DONE.
// Exit code: KVR7CTL_DONE, KVR7CTL_RESTART (done, a restart is due),
// KVR7CTL_NOT_ADMIN, KVR7CTL_BLOCKED_BY_POLICY, KVR7CTL_BUSY (from the check), KVR7CTL_TIMED_OUT,
// KVR7CTL_BAD_COMMAND, KVR7CTL_FAILED, status's codes for the boards, or the installer's own code
// when it failed.
#pragma once

#include "kvr7ctl/package.h"

// How long one run of the installer may take: the driver update can wait on
// Windows Update.
const unsigned long INSTALLER_TIMEOUT_MINUTES = 30;

// `stageOnly`: stage the driver without installing it on the present boards.
int deployPackage(const Package& package, bool stageOnly);
