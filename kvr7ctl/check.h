// check.h
// kvr7ctl check: what would stop the package from installing on this machine
// now, said before anything is changed, with no administrator rights needed.
// It reports the IDs the package would install for and each present board as
// status does, every device installation restriction that applies to them
// (device_policy.h), whether device installations or a restart are pending
// (pending.h), and whether the package's catalog lets it install unattended
// (catalog.h). deploy runs the same check before the installer.
// Exit code, the first that applies: KVR7CTL_FAILED (the INF or a search could
// not be read), KVR7CTL_BLOCKED_BY_POLICY, KVR7CTL_BUSY, with `strict` only
// KVR7CTL_NOT_UNATTENDED, then KVR7CTL_DONE.
#pragma once

#include <string>

#include "kvr7ctl/package.h"

// Reports the findings and ends the report with the exit code. Where the
// package will not install unattended, `unattended` (when given) receives why.
int reportCheck(const Package& package, bool strict, std::wstring* unattended = nullptr);
