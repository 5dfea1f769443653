// status.cpp
// kvr7ctl status: the package's IDs, its staged copies, the devices that use
// them, and every present board the package is meant for, whatever it runs.

#include "kvr7ctl/status.h"

#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"

namespace {

// A problem other than the wait for a restart, which counts as that wait.
bool hasProblem(const Board& board)
{
    return (board.status & DN_HAS_PROBLEM) && board.problem != CM_PROB_NEED_RESTART;
}

} // namespace

void reportBoard(const Board& board)
{
    report(REPORT_BOARD, board.instanceId);
    report(REPORT_BOARD_ID, board.matchedId);
    report(REPORT_BOARD_DRIVER, board.driver);
    report(REPORT_BOARD_PROVIDER, board.provider);
    report(REPORT_BOARD_DRIVER_VERSION, board.driverVersion);
    report(REPORT_BOARD_OURS, board.ours ? L"1" : L"0");
    report(REPORT_BOARD_STATUS, hex(board.status));
    report(REPORT_BOARD_PROBLEM, decimal(board.problem));
}

int reportStatus(const Package& package, StatusFindings* findings)
{
    for (const std::wstring& id : package.ids)
        report(REPORT_ID, id);
    std::vector<StagedCopy> copies;
    UniqueDeviceSet set;
    std::vector<PackageDevice> devices;
    std::vector<Board> boards;
    std::wstring step;
    DWORD error = 0;
    if (!findCopies(package, &copies, &step, &error))
        return reportFailure(step, error);
    if (!copies.empty() && !findDevices(copies, &set, &devices, &error))
        return reportFailure(STEP_DEVICES, error);
    if (!findBoards(package, copies, &boards, &step, &error))
        return reportFailure(step, error);

    bool restart = false;
    for (size_t copy = 0; copy < copies.size(); ++copy)
    {
        report(REPORT_COPY, copies[copy].name);
        report(REPORT_DRIVER_VERSION, copies[copy].driverVersion);
        for (const PackageDevice& device : devices)
        {
            if (device.copy != copy)
                continue;
            report(REPORT_DEVICE, device.instanceId);
            report(REPORT_DEVICE_RESTART, device.restartPending ? L"1" : L"0");
            restart = restart || device.restartPending;
        }
    }
    bool otherDriver = false;
    bool problem = false;
    for (const Board& board : boards)
    {
        reportBoard(board);
        otherDriver = otherDriver || !board.ours;
        problem = problem || (board.ours && hasProblem(board));
        restart = restart || (board.ours && waitsForRestart(board.status, board.problem));
    }
    report(REPORT_COPIES, decimal(static_cast<long long>(copies.size())));
    report(REPORT_DEVICES, decimal(static_cast<long long>(devices.size())));
    report(REPORT_BOARDS, decimal(static_cast<long long>(boards.size())));
    report(REPORT_RESTART_NEEDED, restart ? L"1" : L"0");
    if (findings)
        *findings = {!copies.empty(), otherDriver, problem, restart};
    if (copies.empty())
        return finishReport(KVR7CTL_NOT_STAGED);
    if (otherDriver)
        return finishReport(KVR7CTL_BOARD_OTHER_DRIVER);
    if (problem)
        return finishReport(KVR7CTL_BOARD_PROBLEM);
    return finishReport(restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}
