// msi_action_test.cpp
// The custom actions with the Installer session and kvr7ctl.exe played behind
// their seam: for each case, the action's result, the kvr7ctl commands it ran
// in order (each without a window), the step and the copy of kvr7ctl it left
// for a rollback and the restart request; and the trace reaching the log as it
// was written.

#include <gtest/gtest.h>

#include "msi_action/driver_actions.h"
#include "tests/support/fake_msi_session.h"

namespace {

const wchar_t PRODUCT[] = L"{11111111-2222-3333-4444-555555555555}";
const wchar_t NEWER[] = L"{99999999-2222-3333-4444-555555555555}";
const wchar_t DATA[] = L"|{11111111-2222-3333-4444-555555555555}|{UPGRADE}|C:\\Program Files\\K";
const wchar_t STAGE_DATA[] =
    L"1|{11111111-2222-3333-4444-555555555555}|{UPGRADE}|C:\\Program Files\\K";
const int NONE = -1; // no Step value

std::wstring joined(const std::vector<std::wstring>& parts)
{
    std::wstring text;
    for (const std::wstring& part : parts)
        text += (text.empty() ? L"" : L"; ") + part;
    return text;
}

} // namespace

TEST(MsiAction, DriverActionsAndTheirRollback)
{
    const std::wstring key = std::wstring(MSI_ROLLBACK_KEY) + PRODUCT;
    const std::set<std::wstring> copy = {L"C:\\Program Files\\K\\Rollback\\",
                                         L"C:\\Program Files\\K\\Rollback\\kvr7ctl.exe",
                                         L"C:\\Program Files\\K\\Rollback\\kvr7.inf"};
    struct Case
    {
        const char* name;
        UINT (*action)(MSIHANDLE);
        const wchar_t* data;
        int status, deploy, remove; // kvr7ctl's codes; CANNOT_START
        int stepBefore;
        bool newerInstalled;
        UINT expectedResult;
        const wchar_t* expectedCommands;
        int expectedStep;
        bool expectedReboot, expectedCopy;
    } cases[] = {
        {"installed", installDriver, DATA, 1, 0, 0, NONE, false, 0, L"status; deploy", 1, false,
         true},
        {"staged", installDriver, STAGE_DATA, 1, 0, 0, NONE, false, 0, L"status; deploy -stage", 1,
         false, true},
        {"restart", installDriver, DATA, 0, 3010, 0, NONE, false, 0, L"status; deploy", 0, true,
         false},
        {"fails, taken off", installDriver, DATA, 1, 1603, 0, NONE, false, 1603,
         L"status; deploy; remove -force", NONE, false, false},
        {"fails, staged before", installDriver, DATA, 0, 20, 0, NONE, false, 1603,
         L"status; deploy", 0, false, false},
        {"fails, cannot tell before", installDriver, DATA, 1603, 2, 0, NONE, false, 1603,
         L"status; deploy", 0, false, false},
        {"fails, not taken off", installDriver, DATA, 1, 124, 1603, NONE, false, 1603,
         L"status; deploy; remove -force", 1, false, true},
        {"status cannot start", installDriver, DATA, CANNOT_START, 0, 0, NONE, false, 1603,
         L"status", NONE, false, false},
        {"no folder", installDriver, L"|{P}|{U}|", 1, 0, 0, NONE, false, 1603, L"", NONE, false,
         false},
        {"removed", removeDriver, DATA, 0, 0, 0, NONE, false, 0, L"status; remove -force", 2, false,
         false},
        {"removed, board on another driver", removeDriver, DATA, 20, 0, 0, NONE, false, 0,
         L"status; remove -force", 3, false, false},
        {"removed, none staged", removeDriver, DATA, 1, 0, 0, NONE, false, 0,
         L"status; remove -force", 0, false, false},
        {"removed, restart", removeDriver, DATA, 0, 0, 3010, NONE, false, 0,
         L"status; remove -force", 2, true, false},
        {"removal fails", removeDriver, DATA, 0, 0, 1603, NONE, false, 1603,
         L"status; remove -force", 2, false, false},
        {"removal by the upgrade", removeDriver, DATA, 0, 0, 0, NONE, true, 0, L"", NONE, false,
         false},
        {"rollback takes off", rollBackDriver, DATA, 0, 0, 0, 1, false, 0, L"copy remove -force",
         NONE, false, false},
        {"rollback puts back", rollBackDriver, DATA, 0, 0, 0, 2, false, 0, L"deploy", NONE, false,
         false},
        {"rollback puts back staged", rollBackDriver, DATA, 0, 0, 0, 3, false, 0, L"deploy -stage",
         NONE, false, false},
        {"rollback, nothing", rollBackDriver, DATA, 0, 0, 0, 0, false, 0, L"", NONE, false, false},
        {"commit", commitDriver, DATA, 0, 0, 0, 1, false, 0, L"", NONE, false, false},
    };
    for (const Case& c : cases)
    {
        SeamGuard<MsiActionApi> seam(g_msiActionApi);
        MsiScript script;
        script.actionData = c.data;
        const wchar_t* deploy = c.data == STAGE_DATA ? L"deploy -stage" : L"deploy";
        script.exitCodes = {
            {L"status", c.status}, {deploy, c.deploy}, {L"remove -force", c.remove}};
        script.relatedProducts = {PRODUCT};
        if (c.newerInstalled)
            script.relatedProducts.push_back(NEWER);
        if (c.stepBefore != NONE)
            script.registry[key] = static_cast<DWORD>(c.stepBefore);
        if (c.stepBefore == ROLLBACK_TAKE_OFF)
            script.files = copy;
        const MsiSeen& seen = playMsiSession(seam, script);

        EXPECT_EQ(c.expectedResult, c.action(FAKE_SESSION)) << c.name;
        EXPECT_EQ(c.expectedCommands, joined(seen.commands)) << c.name;
        const auto step = playedRegistry().find(key);
        EXPECT_EQ(c.expectedStep, step == playedRegistry().end() ? NONE : int(step->second))
            << c.name;
        EXPECT_EQ(c.expectedReboot, seen.rebootAtEnd) << c.name;
        EXPECT_TRUE(seen.withoutWindow) << c.name;
        EXPECT_EQ(c.expectedCopy ? copy : std::set<std::wstring>(), seen.files) << c.name;
    }
}

// Brackets and braces reach the log as written, whatever the Installer makes of
// "[Name]" and "{...}" in a field; a failure names kvr7ctl's code and its meaning.
TEST(MsiAction, LogLines)
{
    SeamGuard<MsiActionApi> seam(g_msiActionApi);
    MsiScript script;
    script.actionData = DATA;
    script.exitCodes = {{L"status", 1}, {L"deploy", 1603}, {L"remove -force", 0}};
    const MsiSeen& seen = playMsiSession(seam, script);
    installDriver(FAKE_SESSION);
    const std::wstring log = joined(seen.log);
    EXPECT_NE(std::wstring::npos, log.find(L"trace [\\[]Manufacturer[\\]] [\\{]x[\\}]")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"kvr7ctl.exe deploy ended with exit code 1603 (failed"))
        << log;
}
