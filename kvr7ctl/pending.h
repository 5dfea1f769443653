// pending.h
// What else stands between the package and an installation right now: device
// installations that are still running, and a restart that an earlier
// installation left pending; besides, for the report only, file operations
// that wait for a restart. Every read goes through kvr7ctl's seam.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct PendingState
{
    bool installations = false;
    // What says that a restart is due: present devices (their instance IDs) and
    // the registry keys where Windows records one (their full names).
    std::vector<std::wstring> restarts;
    bool fileRenames = false; // PendingFileRenameOperations holds work
};

// Fills `state`; false with the failed step and its error when a question
// could not be answered.
bool findPending(PendingState* state, const wchar_t** failedStep, DWORD* error);
