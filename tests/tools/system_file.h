// system_file.h
// A file of the test build put into the system folder in place of the system's
// own file of that name, for the length of a test: the system's file is set
// aside as NAME.kvr7-saved and put back afterwards. The system folder is the
// one this architecture's programs load from (system32, or syswow64 for a
// 32-bit program under WOW64). The end-to-end suite and the release checks
// (systemfile.exe) swap files this one way.
#pragma once

#include <string>

// Sets the system's `name` aside (putting back first one that a run that died
// left set aside) and copies `source` in its place. False, with the system's
// file in place again, when either step failed.
bool placeSystemFile(const std::wstring& source, const std::wstring& name);

// Puts the system's `name` back when it is set aside; true when it is in place.
bool restoreSystemFile(const std::wstring& name);
