// deploy.cpp
// kvr7ctl deploy: the check before anything runs, the installer's runs and what
// their exit codes lead to, then the check of the outcome with status's own
// report.

#include "kvr7ctl/deploy.h"

#include "base/base_platform.h"
#include "base/exit_codes.h"
#include "base/trace.h"
#include "console/tool_text.h"
#include "kvr7ctl/check.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"
#include "kvr7ctl/status.h"

namespace {

// The pre-installation's answer when the same package is in the driver store
// already: what staging is for, so it counts as staged.
const DWORD INSTALLER_ALREADY_STAGED = 105;

// Each trace line of the installer, passed on whole to this program's own
// debugger output, so that whoever captures kvr7ctl's trace gets both.
void passOn(void*, const std::wstring& text)
{
    g_baseApi.OutputDebugStringW((text + L"\n").c_str());
}

// Runs the installer with `arguments`, its window hidden. KVR7CTL_DONE with its
// exit code in `code` when it ended by itself; otherwise the report is ended
// and its exit code given.
int runInstaller(const Package& package, const wchar_t* arguments, DWORD* code)
{
    std::wstring commandLine =
        L"\"" + package.programFolder + L"\\" KVR7CTL_INSTALLER L"\" " + arguments;
    // The installer reads the kvr7.inf beside it by default, and it splits its
    // arguments at every blank, quotes or not: another INF can be passed only
    // when its path holds none.
    if (!sameText(package.infPath, package.programFolder + L"\\" KVR7CTL_DEFAULT_INF))
    {
        if (package.infPath.find(L' ') != std::wstring::npos)
            return reportFailure(STEP_INF_BLANK, ERROR_BAD_PATHNAME, KVR7CTL_BAD_COMMAND);
        commandLine += L" " + package.infPath;
    }
    report(REPORT_RUN, commandLine);
    traceLine(TRACE_RUN, commandLine.c_str(), INSTALLER_TIMEOUT_MINUTES);
    const DebugCaptureSink sink = {nullptr, passOn, nullptr};
    const DebuggeeStart hidden = {0, SW_HIDE};
    const DebugCaptureResult result = g_kvr7ctlApi.runUnderDebugger(
        commandLine, INSTALLER_TIMEOUT_MINUTES * 60 * 1000, sink, hidden);
    switch (result.outcome)
    {
    case DEBUG_CAPTURE_EXITED:
        *code = result.exitCode;
        traceLine(TRACE_RUN_ENDED, *code, installerCodeMeaning(*code));
        report(REPORT_INSTALLER_CODE, decimal(*code));
        report(REPORT_MEANING, installerCodeMeaning(*code));
        return KVR7CTL_DONE;
    case DEBUG_CAPTURE_TIMED_OUT:
        return reportFailure(STEP_TIMED_OUT, ERROR_TIMEOUT, KVR7CTL_TIMED_OUT);
    case DEBUG_CAPTURE_START_FAILED:
        // Windows refuses to start a program that requires elevation from a
        // process without administrator rights with 740, which is our code.
        return reportFailure(STEP_START_INSTALLER, result.error,
                             result.error == KVR7CTL_NOT_ADMIN ? KVR7CTL_NOT_ADMIN
                                                               : KVR7CTL_FAILED);
    default:
        return reportFailure(STEP_CAPTURE_FAILED, result.error);
    }
}

// The end after the installer failed: its own code where it is one of its
// failures, which fleet tools look up in its table; 1603 for any other code
// (a crash, or a code it does not have), which nobody could look up.
int installerFailed(DWORD code)
{
    const bool ownFailure =
        code <= EXIT_CODE_DIFX_ENTRY_POINT_MISSING ||
        (code >= EXIT_CODE_PREINSTALL_FIRST && code <= EXIT_CODE_PREINSTALL_LAST);
    return reportFailure(ownFailure ? STEP_INSTALLER_FAILED : STEP_INSTALLER_UNKNOWN,
                         ERROR_INSTALL_FAILURE,
                         ownFailure ? static_cast<int>(code) : KVR7CTL_FAILED);
}

// Whatever the installer answered, only status tells what the machine holds
// now: a copy staged, and each present board on it. Staging on request leaves
// the present boards as they are, so then only the copy (and a restart due)
// decides; a board on another driver is said in a warning= line.
int checkOutcome(const Package& package, bool stageOnly)
{
    int status = KVR7CTL_FAILED;
    StatusFindings findings;
    {
        const InnerReport inner(REPORT_STATUS_RESULT);
        status = reportStatus(package, &findings);
    }
    if (status == KVR7CTL_NOT_STAGED)
        return reportFailure(STEP_NOT_STAGED, ERROR_FILE_NOT_FOUND);
    // A failed check has named its step already; its codes for the boards and
    // for a restart due are deploy's as they are.
    if (!stageOnly || status == KVR7CTL_FAILED)
        return finishReport(status);
    if (findings.otherDriver)
        report(REPORT_WARNING, TEXT_STAGED_BOARDS_LEFT);
    return finishReport(findings.restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}

} // namespace

int deployPackage(const Package& package, bool stageOnly)
{
    const int rights = refuseUnlessAdministrator(TEXT_CTL_DEPLOY_NOT_ADMIN);
    if (rights != KVR7CTL_DONE)
        return rights;

    // Before anything runs, the check of `kvr7ctl check`: a device installation
    // restriction that applies to the package ends the deployment with 1625,
    // pending installations or a restart with 1618, a check that cannot tell
    // with 1603; a package that will not install unattended is only a warning
    // (Windows may still ask about its publisher; the sample package has no
    // catalog at all).
    std::wstring unattended;
    int checked = KVR7CTL_FAILED;
    {
        const InnerReport inner(REPORT_CHECK_RESULT);
        checked = reportCheck(package, false, &unattended);
    }
    if (checked != KVR7CTL_DONE)
    {
        traceLine(TRACE_DEPLOY_STOPPED, kvr7ctlCodeMeaning(static_cast<unsigned long>(checked)));
        return finishReport(checked);
    }
    if (!unattended.empty())
        report(REPORT_WARNING, TEXT_NOT_UNATTENDED + unattended);

    bool staging = stageOnly;
    DWORD code = 0;
    if (!stageOnly)
    {
        const int run = runInstaller(package, INSTALLER_INSTALL, &code);
        if (run != KVR7CTL_DONE)
            return run;
        if (code == EXIT_CODE_NO_HARDWARE)
        {
            traceLine(TRACE_STAGE_INSTEAD);
            staging = true;
        }
        else if (code != EXIT_CODE_OK)
        {
            return installerFailed(code);
        }
    }
    if (staging)
    {
        const int run = runInstaller(package, INSTALLER_STAGE, &code);
        if (run != KVR7CTL_DONE)
            return run;
        if (code != EXIT_CODE_OK && code != INSTALLER_ALREADY_STAGED)
            return installerFailed(code);
    }
    report(REPORT_OUTCOME, staging ? OUTCOME_STAGED : OUTCOME_INSTALLED);
    return checkOutcome(package, stageOnly);
}
