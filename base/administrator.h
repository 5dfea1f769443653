// administrator.h
// The one check of whether the caller runs with administrator rights: whether
// its token holds the Administrators group, enabled (a filtered token under
// User Account Control holds it for deny only, and so is no administrator).
#pragma once

#include <windows.h>

typedef BOOL(WINAPI* CheckTokenMembershipFn)(HANDLE token, PSID sid, PBOOL isMember);

// Asks `checkTokenMembership` (the caller's seam entry, so that tests can play
// any answer) about BUILTIN\Administrators for the calling thread's token. The
// group's SID is built with AllocateAndInitializeSid, which Windows 2000 has
// (CreateWellKnownSid came with XP). False, with the platform's error as the
// last error, when it cannot be told; else true with `*administrator` set.
bool checkAdministrator(CheckTokenMembershipFn checkTokenMembership, bool* administrator);
