// kvr7ctl_texts.h
// Every text of kvr7ctl.exe: the usage, the report's keys, the refusals and the
// trace patterns ("%s" is a wide string; each pattern ends its own line); and
// the meanings of the installer's exit codes and of kvr7ctl's own, one table
// each, which the Windows Installer packages' custom action reads too.
#pragma once

#include <cstddef>

// The usage: one line per verb, its help line after the program's name, then
// the note (command_line.cpp puts it together).
#define TEXT_CTL_USAGE_FIRST L"usage: kvr7ctl.exe "
#define TEXT_CTL_USAGE_NEXT L"       kvr7ctl.exe "
#define TEXT_CTL_HELP_STATUS L"status [INF]"
#define TEXT_CTL_HELP_REMOVE L"remove [-force] [INF]"
#define TEXT_CTL_HELP_DEPLOY L"deploy [-stage] [INF]"
#define TEXT_CTL_HELP_CHECK L"check [-strict] [INF]"
#define TEXT_CTL_USAGE_NOTE                                                                        \
    L"INF is the package's INF file; by default kvr7.inf beside kvr7ctl.exe."

#define KVR7CTL_DEFAULT_INF L"kvr7.inf"

#define TEXT_CTL_TOO_OLD L"kvr7ctl: this Windows is older than Windows 2000"
#define TEXT_CTL_WOW64                                                                             \
    L"kvr7ctl: the 32-bit kvr7ctl.exe does not work on 64-bit Windows; use the one in x64\\"
#define TEXT_CTL_NOT_ADMIN L"kvr7ctl: remove needs administrator rights (run it elevated)"
#define TEXT_CTL_DEPLOY_NOT_ADMIN L"kvr7ctl: deploy needs administrator rights (run it elevated)"

// The installer that deploy runs, beside kvr7ctl.exe, built for the same
// architecture; its arguments for installing and for staging.
#ifdef _WIN64
#define KVR7CTL_INSTALLER L"install64.exe"
#else
#define KVR7CTL_INSTALLER L"install.exe"
#endif
#define INSTALLER_INSTALL L"-nopause"
#define INSTALLER_STAGE L"-nopause -preinstall"
#define TEXT_CTL_STAGED_INF                                                                        \
    L"kvr7ctl: the INF is a staged copy in the system INF folder; give the package's own INF "     \
    L"(by default kvr7.inf beside kvr7ctl.exe)"

// Report keys: one `key=value` line per fact on standard output.
#define REPORT_INF L"inf"
#define REPORT_COPY L"copy"
#define REPORT_DRIVER_VERSION L"driverver"
#define REPORT_DEVICE L"device"
#define REPORT_DEVICE_RESTART L"restart"
#define REPORT_ID L"id"
#define REPORT_BOARD L"board"
#define REPORT_BOARD_ID L"boardid"
#define REPORT_BOARD_DRIVER L"boarddriver"
#define REPORT_BOARD_PROVIDER L"boardprovider"
#define REPORT_BOARD_DRIVER_VERSION L"boarddriverver"
#define REPORT_BOARD_OURS L"boardours"
#define REPORT_BOARD_STATUS L"boardstatus"
#define REPORT_BOARD_PROBLEM L"boardproblem"
#define REPORT_COPIES L"copies"
#define REPORT_DEVICES L"devices"
#define REPORT_BOARDS L"boards"
#define REPORT_RESTART_NEEDED L"restartneeded"
#define REPORT_METHOD L"method"
#define REPORT_REMOVED_DEVICE L"removeddevice"
#define REPORT_UNINSTALLED L"uninstalled"
#define REPORT_FAILED_STEP L"failedstep"
#define REPORT_WIN32_ERROR L"error"
#define REPORT_RESULT L"result"
#define REPORT_RUN L"run"
#define REPORT_INSTALLER_CODE L"installercode"
#define REPORT_MEANING L"meaning"
#define REPORT_OUTCOME L"outcome"
// The last line of a report run inside another verb's (deploy's check).
#define REPORT_STATUS_RESULT L"statusresult"

// What deploy did, as `outcome=` names it.
#define OUTCOME_INSTALLED L"installed"
#define OUTCOME_STAGED L"staged"

// The two ways of removal, as the report names them.
#define REMOVAL_UNINSTALL_DRIVER L"DiUninstallDriverW"
#define REMOVAL_REMOVE_DEVICES L"DIF_REMOVE+SetupUninstallOEMInfW"

// Steps, as a failure names them.
#define STEP_PLATFORM L"checking the Windows version"
#define STEP_COMMAND L"reading the command line"
#define STEP_ADMIN L"checking for administrator rights"
#define STEP_WAIT L"waiting for other device installations"
#define STEP_PACKAGE L"reading the package INF"
#define STEP_SEARCH L"searching the system INF folder"
#define STEP_UNREADABLE L"reading the staged candidate "
#define STEP_DEVICES L"listing the devices"
#define STEP_BOARDS L"listing the boards"
#define STEP_BOARD_IDS L"reading the IDs of "
#define STEP_BOARD_STATE L"reading the state of "
#define STEP_UNINSTALL_DRIVER L"DiUninstallDriverW "
#define STEP_REMOVE_DEVICE L"DIF_REMOVE "
#define STEP_UNINSTALL_INF L"SetupUninstallOEMInfW "
#define STEP_STILL_STAGED L"checking that the copy is gone: still staged: "
#define STEP_STILL_USED L"checking that no device uses the copy: still used by "
#define STEP_INF_BLANK L"passing the package INF to the installer: its path holds a blank"
#define STEP_START_INSTALLER L"starting the installer"
#define STEP_CAPTURE_FAILED L"running the installer: the debugger capture failed; it was stopped"
#define STEP_TIMED_OUT L"waiting for the installer: it did not end in time and was stopped"
#define STEP_INSTALLER_FAILED L"running the installer: it reported a failure"
#define STEP_INSTALLER_UNKNOWN L"running the installer: it ended with a code it does not have"
#define STEP_NOT_STAGED L"checking the outcome: no copy of the package is staged"

// Trace lines.
#define TRACE_REPORT L"kvr7ctl: %s=%s\n"
#define TRACE_COMMAND L"kvr7ctl: command %s, INF %s, option %s\n"
#define TRACE_PACKAGE L"kvr7ctl: package %s: provider \"%s\", class %s, models %s\n"
#define TRACE_SEARCH L"kvr7ctl: searching %s\n"
#define TRACE_CANDIDATE L"kvr7ctl: %s: original name %s, provider \"%s\", class %s, models %s: %s\n"
#define TRACE_OURS L"ours"
#define TRACE_NOT_OURS L"not ours"
#define TRACE_UNREADABLE L"kvr7ctl: %s cannot be read (error %lu): cannot tell whether it is ours\n"
#define TRACE_NO_INF L"kvr7ctl: %s is gone or no INF file (error %lu): not ours\n"
#define TRACE_DEVICE_STATE L"kvr7ctl: device %s (copy %s): status 0x%lx, problem %lu, answer %lu\n"
#define TRACE_BOARD L"kvr7ctl: board %s (ID %s, driver %s): status 0x%lx, problem %lu, answer %lu\n"
#define TRACE_WAIT L"kvr7ctl: waiting up to %lu ms for other device installations: %lu\n"
#define TRACE_LOOKUP L"kvr7ctl: DiUninstallDriverW %s (error %lu)\n"
#define TRACE_LOOKUP_FOUND L"found"
#define TRACE_LOOKUP_MISSING L"missing; removing devices and the copy one by one"
#define TRACE_CALL L"kvr7ctl: %s%s: %s (error %lu, restart %d)\n"
#define TRACE_CALL_DONE L"done"
#define TRACE_CALL_FAILED L"failed"
#define TRACE_VERIFY L"kvr7ctl: searching again: %lu copies left\n"
#define TRACE_RUN L"kvr7ctl: running %s (window hidden, at most %lu minutes)\n"
#define TRACE_RUN_ENDED L"kvr7ctl: the installer ended with %lu: %s\n"
#define TRACE_STAGE_INSTEAD                                                                        \
    L"kvr7ctl: no board present: staging the driver for a board plugged in later\n"

// A program's exit code and what it means.
struct ExitCodeMeaning
{
    unsigned long code;
    const wchar_t* text;
};

// The installer's exit codes (install64.exe and install.exe). 100 to 123 but
// 105 are failures of the pre-installation, which its trace names.
inline constexpr ExitCodeMeaning INSTALLER_CODES[] = {
    {0, L"no errors"},
    {1, L"Windows version too low, or the 32-bit program on 64-bit Windows"},
    {2, L"failed to open the .inf file"},
    {3, L"failed to parse the .inf file: no [Manufacturer] section"},
    {4, L"no suitable hardware found"},
    {5, L"an unexpected error occurred during installation"},
    {6, L"bad command-line arguments"},
    {7, L"insufficient resources"},
    {8, L"failed to load x86_64\\difxapi.dll"},
    {9, L"failed to get an entry point in difxapi.dll"},
    {105, L"already pre-installed"},
};
#define TEXT_INSTALLER_PREINSTALL L"error in pre-installation (the trace above names it)"

// kvr7ctl's exit codes (kvr7ctl/exit_codes.h), for those who run it.
inline constexpr ExitCodeMeaning KVR7CTL_CODES[] = {
    {0,
     L"done: the driver package is staged (and on every present board), or nothing of it is left"},
    {1, L"no copy of the driver package is staged"},
    {20, L"a present board runs another driver, or none"},
    {21, L"a board on the package's driver reports a problem"},
    {87, L"bad command line"},
    {124, L"the installer did not end within 30 minutes and was stopped"},
    {577, L"the package will not install unattended (the check names why)"},
    {740, L"administrator rights are needed"},
    {1603, L"failed (the trace above names the step)"},
    {1618, L"another device installation is still under way, or a restart is pending"},
    {1625, L"a device installation restriction of the system policy applies to the package"},
    {3010, L"a restart is needed"},
};

#define TEXT_UNKNOWN_CODE L"a code this package does not know"

// The meaning of `code` in `table`, or `otherwise` where the table lacks it.
template <size_t N>
const wchar_t* meaningOf(const ExitCodeMeaning (&table)[N], unsigned long code,
                         const wchar_t* otherwise)
{
    for (const ExitCodeMeaning& entry : table)
        if (entry.code == code)
            return entry.text;
    return otherwise;
}

inline const wchar_t* installerCodeMeaning(unsigned long code)
{
    return meaningOf(INSTALLER_CODES, code,
                     code >= 100 && code <= 123 ? TEXT_INSTALLER_PREINSTALL : TEXT_UNKNOWN_CODE);
}

inline const wchar_t* kvr7ctlCodeMeaning(unsigned long code)
{
    return meaningOf(KVR7CTL_CODES, code, TEXT_UNKNOWN_CODE);
}

// The check's report keys and the values it names.
#define REPORT_POLICY_ORDER L"policyorder"
#define REPORT_RESTRICTION L"restriction"
#define REPORT_RESTRICTION_VALUE L"restrictionvalue"
#define REPORT_RESTRICTION_ENTRY L"restrictionentry"
#define REPORT_RESTRICTION_FOR L"restrictionfor"
#define REPORT_RESTRICTIONS L"restrictions"
#define REPORT_INSTALLS_PENDING L"installpending"
#define REPORT_RESTART_PENDING_BY L"restartpendingby"
#define REPORT_RESTART_PENDING L"restartpending"
#define REPORT_FILE_RENAMES L"filerenamespending"
#define REPORT_CATALOG L"catalog"
#define REPORT_CATALOG_ENTRY L"catalogentry"
#define REPORT_CATALOG_PRESENT L"catalogpresent"
#define REPORT_COVERED L"covered"
#define REPORT_NOT_COVERED L"notcovered"
#define REPORT_TRUSTED L"trusted"
#define REPORT_SIGNER L"signer"
#define REPORT_UNATTENDED L"unattended"
#define REPORT_UNATTENDED_PROBLEM L"unattendedproblem"
// The last line of the check run inside deploy, and deploy's warning after it.
#define REPORT_CHECK_RESULT L"checkresult"
#define REPORT_WARNING L"warning"
#define TEXT_NOT_UNATTENDED L"the package will not install unattended: "
#define TEXT_STAGED_BOARDS_LEFT                                                                    \
    L"staged only: a present board runs another driver, or none (its board= lines say which)"
// A restriction judged against the package's own IDs, not a present board's.
#define REPORT_FOR_PACKAGE L"package"
// What the check says where the platform cannot tell.
#define ANSWER_UNKNOWN_TEXT L"unknown"

// The check before an installation: the registry keys it reads.
#define POLICY_KEY L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall\\Restrictions"
#define POLICY_KEY_SHOWN L"HKLM\\" POLICY_KEY
#define SESSION_MANAGER_KEY L"SYSTEM\\CurrentControlSet\\Control\\Session Manager"
// The orders in which Windows judges the restrictions, as the report names them.
#define POLICY_ORDER_NONE L"none"
#define POLICY_ORDER_CLASSIC L"classic"
#define POLICY_ORDER_LAYERED L"layered"
// Why a package will not install unattended.
#define UNATTENDED_NO_CATALOG L"the INF names no catalog (CatalogFile)"
#define UNATTENDED_CATALOG_MISSING L"the catalog is missing: "
#define UNATTENDED_NOT_COVERED L"the catalog does not list "
#define UNATTENDED_NOT_TRUSTED L"the catalog's signature is not trusted here: "

#define STEP_PENDING L"asking whether device installations are pending"
#define STEP_RESTART_RECORDS L"reading the records of a pending restart"
#define STEP_POLICY L"reading the device installation policy"

#define TRACE_POLICY L"kvr7ctl: device installation policy of Windows %lu.%lu.%lu: %s\n"
#define TRACE_DEVICE_WAITS L"kvr7ctl: device %s waits for a restart: status 0x%lx, problem %lu\n"
#define TRACE_CATALOG L"kvr7ctl: catalog named by %s: %s, present %lu\n"
#define TRACE_CATALOG_PROBE                                                                        \
    L"kvr7ctl: %s: the platform's answer for a member no catalog holds: 0x%lx\n"
#define TRACE_DEPLOY_STOPPED L"kvr7ctl: deploy stopped before the installer ran: %s\n"
#define TRACE_CATALOG_FILE L"kvr7ctl: %s: tag %s: 0x%lx\n"
