// status.h
// kvr7ctl status: reports every staged copy of the package with its DriverVer
// and the devices that use it, each with whether it waits for a restart.
// Exit code: KVR7CTL_DONE, KVR7CTL_NOT_STAGED when no copy is staged,
// KVR7CTL_RESTART when a device waits for a restart, KVR7CTL_FAILED.
#pragma once

#include "kvr7ctl/package.h"

int reportStatus(const Package& package);
