// command_line.h
// What kvr7ctl.exe does with its command line: checks the platform, reads the
// verb and its options and the package's INF, and runs the verb (status.h,
// remove.h, deploy.h). Every fact goes to standard output as a `key=value` line and to the
// debugger output (report.h); the exit codes are in exit_codes.h.
#pragma once

#include <string>
#include <vector>

// The usage text, one line per verb.
std::wstring kvr7ctlUsage();

// Runs one command line (`args[0]` is the program); without an INF argument the
// package is KVR7CTL_DEFAULT_INF in `ownFolder` (none when that is empty).
// Gives the exit code.
int runKvr7ctl(const std::vector<std::wstring>& args, const std::wstring& ownFolder);
