// remove.h
// kvr7ctl remove: takes the package off every device and every staged copy of it
// off the system, then checks that nothing of it is left. Needs administrator
// rights and waits for other device installations to finish first. `force`
// lets the Setup API delete a copy that it would otherwise keep.
// Exit code: KVR7CTL_DONE, KVR7CTL_RESTART (done, a restart is due),
// KVR7CTL_NOT_ADMIN, KVR7CTL_BUSY, KVR7CTL_FAILED.
#pragma once

#include "kvr7ctl/package.h"

// How long remove waits for other device installations to finish.
const unsigned long PENDING_INSTALLS_WAIT_MS = 60000;

int removePackage(const Package& package, bool force);
