// check.cpp
// kvr7ctl check: the package's IDs and boards, then the three questions in the
// order of their exit codes' precedence, each answered in full before the code
// is chosen, so that the report names everything that stands in the way.

#include "kvr7ctl/check.h"

#include "console/tool_text.h"
#include "inf/inf_file.h"
#include "kvr7ctl/catalog.h"
#include "kvr7ctl/device_policy.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/pending.h"
#include "kvr7ctl/report.h"
#include "kvr7ctl/status.h"

namespace {

const wchar_t* flag(bool on)
{
    return on ? L"1" : L"0";
}

const wchar_t* answer(CatalogAnswer value)
{
    return value == ANSWER_YES ? L"1" : value == ANSWER_NO ? L"0" : ANSWER_UNKNOWN_TEXT;
}

// The restrictions for the package's IDs and for each present board's own.
void reportRestrictions(const DevicePolicy& policy, const Package& package,
                        const std::vector<Board>& boards, std::vector<Restriction>* found)
{
    findRestrictions(policy,
                     {REPORT_FOR_PACKAGE, package.ids, std::wstring(), package.identity.classGuid},
                     found);
    for (const Board& board : boards)
        findRestrictions(
            policy, {board.instanceId, board.ids, board.instanceId, package.identity.classGuid},
            found);
    report(REPORT_POLICY_ORDER, policyOrderName(policy.order));
    for (const Restriction& restriction : *found)
    {
        report(REPORT_RESTRICTION, restriction.rule);
        report(REPORT_RESTRICTION_VALUE, restriction.value);
        report(REPORT_RESTRICTION_ENTRY, restriction.entry);
        report(REPORT_RESTRICTION_FOR, restriction.subject);
    }
    report(REPORT_RESTRICTIONS, decimal(static_cast<long long>(found->size())));
}

void reportPending(const PendingState& pending)
{
    report(REPORT_INSTALLS_PENDING, flag(pending.installations));
    for (const std::wstring& what : pending.restarts)
        report(REPORT_RESTART_PENDING_BY, what);
    report(REPORT_RESTART_PENDING, flag(!pending.restarts.empty()));
    report(REPORT_FILE_RENAMES, flag(pending.fileRenames));
}

// The catalog's findings; gives why the package will not install unattended.
std::wstring reportCatalog(const CatalogState& catalog)
{
    report(REPORT_CATALOG, catalog.name);
    if (!catalog.name.empty())
    {
        report(REPORT_CATALOG_ENTRY, catalog.entry);
        report(REPORT_CATALOG_PRESENT, flag(catalog.present));
    }
    if (catalog.present)
    {
        report(REPORT_COVERED, answer(catalog.covered));
        for (const std::wstring& file : catalog.notCovered)
            report(REPORT_NOT_COVERED, file);
        report(REPORT_TRUSTED, answer(catalog.trusted));
        report(REPORT_SIGNER, catalog.signer.empty() ? ANSWER_UNKNOWN_TEXT : catalog.signer);
    }
    const std::wstring problem = unattendedProblem(catalog);
    const bool unknown = catalog.covered == ANSWER_UNKNOWN || catalog.trusted == ANSWER_UNKNOWN;
    report(REPORT_UNATTENDED, !problem.empty() ? L"0" : unknown ? ANSWER_UNKNOWN_TEXT : L"1");
    if (!problem.empty())
        report(REPORT_UNATTENDED_PROBLEM, problem);
    return problem;
}

} // namespace

int reportCheck(const Package& package, bool strict, std::wstring* unattended)
{
    std::vector<StagedCopy> copies;
    std::vector<Board> boards;
    std::wstring step;
    DWORD error = 0;
    for (const std::wstring& id : package.ids)
        report(REPORT_ID, id);
    if (!findCopies(package, &copies, &step, &error) ||
        !findBoards(package, copies, &boards, &step, &error))
        return reportFailure(step, error);
    for (const Board& board : boards)
        reportBoard(board);

    DevicePolicy policy;
    if (!readDevicePolicy(&policy, &error))
        return reportFailure(STEP_POLICY, error);
    std::vector<Restriction> restrictions;
    reportRestrictions(policy, package, boards, &restrictions);

    PendingState pending;
    const wchar_t* pendingStep = nullptr;
    if (!findPending(&pending, &pendingStep, &error))
        return reportFailure(pendingStep, error);
    reportPending(pending);

    CInfFile inf;
    if (inf.open(package.infPath.c_str()) != SETUP_OK)
        return reportFailure(STEP_PACKAGE, inf.openError());
    CatalogState catalog;
    std::vector<std::wstring> files;
    readCatalogName(inf, &catalog, &files);
    const std::wstring folder(inf.dir().c_str(), static_cast<size_t>(inf.dir().length()));
    inf.close();
    if (!catalog.name.empty())
        examineCatalog(folder, files, &catalog);
    const std::wstring problem = reportCatalog(catalog);
    if (unattended)
        *unattended = problem;

    if (!restrictions.empty())
        return finishReport(KVR7CTL_BLOCKED_BY_POLICY);
    if (pending.installations || !pending.restarts.empty())
        return finishReport(KVR7CTL_BUSY);
    return finishReport(strict && !problem.empty() ? KVR7CTL_NOT_UNATTENDED : KVR7CTL_DONE);
}
