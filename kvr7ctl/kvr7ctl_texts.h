// kvr7ctl_texts.h
// Every text of kvr7ctl.exe: the usage, the report's keys, the refusals and the
// trace patterns ("%s" is a wide string; each pattern ends its own line).
#pragma once

// The usage: one line per verb, its help line after the program's name, then
// the note (command_line.cpp puts it together).
#define TEXT_CTL_USAGE_FIRST L"usage: kvr7ctl.exe "
#define TEXT_CTL_USAGE_NEXT L"       kvr7ctl.exe "
#define TEXT_CTL_HELP_STATUS L"status [INF]"
#define TEXT_CTL_HELP_REMOVE L"remove [-force] [INF]"
#define TEXT_CTL_USAGE_NOTE                                                                        \
    L"INF is the package's INF file; by default kvr7.inf beside kvr7ctl.exe."

#define KVR7CTL_DEFAULT_INF L"kvr7.inf"

#define TEXT_CTL_TOO_OLD L"kvr7ctl: this Windows is older than Windows 2000"
#define TEXT_CTL_WOW64                                                                             \
    L"kvr7ctl: the 32-bit kvr7ctl.exe does not work on 64-bit Windows; use the one in x64\\"
#define TEXT_CTL_NOT_ADMIN L"kvr7ctl: remove needs administrator rights (run it elevated)"

// Report keys: one `key=value` line per fact on standard output.
#define REPORT_INF L"inf"
#define REPORT_COPY L"copy"
#define REPORT_DRIVER_VERSION L"driverver"
#define REPORT_DEVICE L"device"
#define REPORT_DEVICE_RESTART L"restart"
#define REPORT_COPIES L"copies"
#define REPORT_DEVICES L"devices"
#define REPORT_RESTART_NEEDED L"restartneeded"
#define REPORT_METHOD L"method"
#define REPORT_REMOVED_DEVICE L"removeddevice"
#define REPORT_UNINSTALLED L"uninstalled"
#define REPORT_FAILED_STEP L"failedstep"
#define REPORT_WIN32_ERROR L"error"
#define REPORT_RESULT L"result"

// The two ways of removal, as the report names them.
#define REMOVAL_UNINSTALL_DRIVER L"DiUninstallDriverW"
#define REMOVAL_REMOVE_DEVICES L"DIF_REMOVE+SetupUninstallOEMInfW"

// Steps, as a failure names them.
#define STEP_PLATFORM L"checking the Windows version"
#define STEP_ADMIN L"checking for administrator rights"
#define STEP_WAIT L"waiting for other device installations"
#define STEP_PACKAGE L"reading the package INF"
#define STEP_SEARCH L"searching the system INF folder"
#define STEP_DEVICES L"listing the devices"
#define STEP_UNINSTALL_DRIVER L"DiUninstallDriverW "
#define STEP_REMOVE_DEVICE L"DIF_REMOVE "
#define STEP_UNINSTALL_INF L"SetupUninstallOEMInfW "
#define STEP_STILL_STAGED L"checking that the copy is gone: still staged: "
#define STEP_STILL_USED L"checking that no device uses the copy: still used by "

// Trace lines.
#define TRACE_REPORT L"kvr7ctl: %s=%s\n"
#define TRACE_COMMAND L"kvr7ctl: command %s, INF %s, force %d\n"
#define TRACE_PACKAGE L"kvr7ctl: package %s: provider \"%s\", class %s, models %s\n"
#define TRACE_SEARCH L"kvr7ctl: searching %s\n"
#define TRACE_CANDIDATE L"kvr7ctl: %s: original name %s, provider \"%s\", class %s, models %s: %s\n"
#define TRACE_OURS L"ours"
#define TRACE_NOT_OURS L"not ours"
#define TRACE_UNREADABLE L"kvr7ctl: %s cannot be read (error %lu): left alone\n"
#define TRACE_DEVICE_STATE L"kvr7ctl: device %s (copy %s): status 0x%lx, problem %lu, answer %lu\n"
#define TRACE_WAIT L"kvr7ctl: waiting up to %lu ms for other device installations: %lu\n"
#define TRACE_LOOKUP L"kvr7ctl: DiUninstallDriverW %s (error %lu)\n"
#define TRACE_LOOKUP_FOUND L"found"
#define TRACE_LOOKUP_MISSING L"missing; removing devices and the copy one by one"
#define TRACE_CALL L"kvr7ctl: %s%s: %s (error %lu, restart %d)\n"
#define TRACE_CALL_DONE L"done"
#define TRACE_CALL_FAILED L"failed"
#define TRACE_VERIFY L"kvr7ctl: searching again: %lu copies left\n"
