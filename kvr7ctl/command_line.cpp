// command_line.cpp
// kvr7ctl's command line: the platform check, the verb and its option, the
// package; then the verb runs. Every verb is one row of VERBS. Any other
// argument that begins with - or / is a bad command line.

#include "kvr7ctl/command_line.h"

#include "base/platform_fit.h"
#include "base/trace.h"
#include "console/tool_text.h"
#include "kvr7ctl/check.h"
#include "kvr7ctl/deploy.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/package.h"
#include "kvr7ctl/remove.h"
#include "kvr7ctl/report.h"
#include "kvr7ctl/status.h"

namespace {

// One verb: its name and its one option (null for none), both compared without
// regard to case; what runs it, given the package and whether the option came
// right after the verb; and its help line in the usage.
struct Verb
{
    const wchar_t* name;
    const wchar_t* option;
    int (*run)(const Package& package, bool option);
    const wchar_t* help;
};

int runStatus(const Package& package, bool)
{
    return reportStatus(package);
}

int runCheck(const Package& package, bool strict)
{
    return reportCheck(package, strict);
}

const Verb VERBS[] = {
    {L"status", nullptr, runStatus, TEXT_CTL_HELP_STATUS},
    {L"remove", L"-force", removePackage, TEXT_CTL_HELP_REMOVE},
    {L"deploy", L"-stage", deployPackage, TEXT_CTL_HELP_DEPLOY},
    {L"check", L"-strict", runCheck, TEXT_CTL_HELP_CHECK},
};

int usage()
{
    printError(kvr7ctlUsage());
    return finishReport(KVR7CTL_BAD_COMMAND);
}

} // namespace

std::wstring kvr7ctlUsage()
{
    std::wstring text;
    for (const Verb& verb : VERBS)
        text += (text.empty() ? TEXT_CTL_USAGE_FIRST : TEXT_CTL_USAGE_NEXT) +
                std::wstring(verb.help) + L"\n";
    return text + TEXT_CTL_USAGE_NOTE;
}

int runKvr7ctl(const std::vector<std::wstring>& args, const std::wstring& ownFolder)
{
    const PlatformFit fit = judgePlatform();
    if (fit != PLATFORM_FITS)
        return reportRefusal(
            fit == PLATFORM_WOW64 ? TEXT_CTL_WOW64 : TEXT_CTL_TOO_OLD, STEP_PLATFORM,
            fit == PLATFORM_WOW64 ? ERROR_EXE_MACHINE_TYPE_MISMATCH : ERROR_OLD_WIN_VERSION,
            KVR7CTL_FAILED);

    const Verb* verb = nullptr;
    for (const Verb& candidate : VERBS)
    {
        if (args.size() >= 2 && sameText(args[1], candidate.name))
            verb = &candidate;
    }
    if (!verb)
        return usage();
    size_t next = 2;
    const bool option = verb->option && next < args.size() && sameText(args[next], verb->option);
    if (option)
        ++next;
    // Whatever looks like an option and is not the verb's own is refused, never
    // taken for the INF's path.
    std::wstring inf;
    if (next < args.size())
    {
        inf = args[next++];
        if (inf.empty() || inf[0] == L'-' || inf[0] == L'/')
            return usage();
    }
    if (next != args.size())
        return usage();
    traceLine(TRACE_COMMAND, args[1].c_str(), inf.c_str(), option ? verb->option : L"none");

    Package package;
    const int read = readPackage(inf, ownFolder, &package);
    if (read != KVR7CTL_DONE)
        return read;
    return verb->run(package, option);
}
