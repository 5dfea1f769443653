// command_line.cpp
// kvr7ctl's command line: the platform check, the verb and its options, the
// package; then the verb runs.

#include "kvr7ctl/command_line.h"

#include "base/platform_fit.h"
#include "base/trace.h"
#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/package.h"
#include "kvr7ctl/remove.h"
#include "kvr7ctl/report.h"
#include "kvr7ctl/status.h"

namespace {

int usage()
{
    printError(TEXT_CTL_USAGE);
    return finishReport(KVR7CTL_BAD_COMMAND);
}

} // namespace

int runKvr7ctl(const std::vector<std::wstring>& args, const std::wstring& ownFolder)
{
    const PlatformFit fit = judgePlatform();
    if (fit != PLATFORM_FITS)
        return reportRefusal(
            fit == PLATFORM_WOW64 ? TEXT_CTL_WOW64 : TEXT_CTL_TOO_OLD, STEP_PLATFORM,
            fit == PLATFORM_WOW64 ? ERROR_EXE_MACHINE_TYPE_MISMATCH : ERROR_OLD_WIN_VERSION,
            KVR7CTL_FAILED);

    if (args.size() < 2)
        return usage();
    const bool removing = sameText(args[1], L"remove");
    if (!removing && !sameText(args[1], L"status"))
        return usage();
    size_t next = 2;
    const bool force = removing && next < args.size() && sameText(args[next], L"-force");
    if (force)
        ++next;
    std::wstring inf;
    if (next < args.size())
    {
        inf = args[next++];
        if (inf.empty() || inf[0] == L'-')
            return usage();
    }
    if (next != args.size())
        return usage();
    traceLine(TRACE_COMMAND, args[1].c_str(), inf.c_str(), force ? 1 : 0);

    Package package;
    const int read = readPackage(inf, ownFolder, &package);
    if (read != KVR7CTL_DONE)
        return read;
    return removing ? removePackage(package, force) : reportStatus(package);
}
