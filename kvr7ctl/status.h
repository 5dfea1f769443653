// status.h
// kvr7ctl status: reports the package's IDs, every staged copy with its
// DriverVer and the devices that use it (each with whether it waits for a
// restart), then every present board that carries one of the package's IDs:
// its driver, whether that is a copy of the package, and its state.
// Exit code, the first that applies: KVR7CTL_FAILED (cannot tell: a search
// failed or a candidate could not be read), KVR7CTL_NOT_STAGED,
// KVR7CTL_BOARD_OTHER_DRIVER, KVR7CTL_BOARD_PROBLEM, KVR7CTL_RESTART,
// KVR7CTL_DONE.
#pragma once

#include "kvr7ctl/package.h"

// What the report found, for a caller that weighs it differently than the
// exit code's order does (deploy -stage, which leaves the boards as they are).
struct StatusFindings
{
    bool staged = false;
    bool otherDriver = false; // a present board runs another driver, or none
    bool problem = false;     // a board on the package's driver reports a problem
    bool restart = false;     // a device of the package waits for a restart
};

int reportStatus(const Package& package, StatusFindings* findings = nullptr);

// One present board's lines, from board= to boardproblem= (check reports them too).
void reportBoard(const Board& board);
