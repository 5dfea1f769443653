// msi_action_test.cpp
// The custom actions with the Installer session and kvr7ctl.exe played behind
// their seam: for each case, the action's result, the kvr7ctl commands it ran
// in order (each without a window), the step and the copy of kvr7ctl it left
// for a rollback, the restart request, and the trace reaching the log as it
// was written.

#include <gtest/gtest.h>

#include "msi_action/driver_actions.h"
#include "tests/support/fake_msi_session.h"

namespace {

const wchar_t DATA[] = L"|{PRODUCT}|{UPGRADE}|C:\\K";
const wchar_t STAGE[] = L"1|{PRODUCT}|{UPGRADE}|C:\\K";
const std::set<std::wstring> COPY = {L"C:\\K\\Rollback\\", L"C:\\K\\Rollback\\kvr7ctl.exe",
                                     L"C:\\K\\Rollback\\kvr7.inf"};
const int NO = -1; // no step; kvr7ctl cannot start

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
    const auto I = installDriver, R = removeDriver, B = rollBackDriver, C = commitDriver;
    const int REBOOT = 1, COPIED = 2, NEWER = 4; // restart asked, copy left; a newer version there
    struct Case
    {
        const char* name;
        UINT (*action)(MSIHANDLE);
        const wchar_t* data;
        int status, deploy, remove, stepBefore; // kvr7ctl's codes, the step kept before
        UINT expectedResult;
        const wchar_t* expectedCommands;
        int expectedStep, flags = 0;
    } cases[] = {
        {"installed", I, DATA, 1, 0, 0, NO, 0, L"status; deploy", 1, COPIED},
        {"staged", I, STAGE, 1, 0, 0, NO, 0, L"status; deploy -stage", 1, COPIED},
        {"restart", I, DATA, 0, 3010, 0, NO, 0, L"status; deploy", 0, REBOOT},
        {"fails, taken off", I, DATA, 1, 1603, 0, NO, 1603, L"status; deploy; remove -force", NO},
        {"fails, staged before", I, DATA, 0, 20, 0, NO, 1603, L"status; deploy", 0},
        {"fails, cannot tell", I, DATA, 1603, 2, 0, NO, 1603, L"status; deploy", 0},
        {"not taken off", I, DATA, 1, 124, 1603, NO, 1603, L"status; deploy; remove -force", 1,
         COPIED},
        {"status cannot start", I, DATA, NO, 0, 0, NO, 1603, L"status", NO},
        {"removed", R, DATA, 0, 0, 0, NO, 0, L"status; remove -force", 2},
        {"removed, foreign board", R, DATA, 20, 0, 0, NO, 0, L"status; remove -force", 3},
        {"removed, none staged", R, DATA, 1, 0, 0, NO, 0, L"status; remove -force", 0},
        {"removal fails", R, DATA, 0, 0, 1603, NO, 1603, L"status; remove -force", 2},
        {"removal by the upgrade", R, DATA, 0, 0, 0, NO, 0, L"", NO, NEWER},
        {"rollback takes off", B, DATA, 0, 0, 0, 1, 0, L"copy remove -force", NO},
        {"rollback puts back", B, DATA, 0, 0, 0, 2, 0, L"deploy", NO},
        {"rollback puts back staged", B, DATA, 0, 0, 0, 3, 0, L"deploy -stage", NO},
        {"rollback, nothing", B, DATA, 0, 0, 0, 0, 0, L"", NO},
        {"commit", C, DATA, 0, 0, 0, 1, 0, L"", NO},
    };
    const std::wstring key = MSI_ROLLBACK_KEY L"{PRODUCT}";
    for (const Case& c : cases)
    {
        SeamGuard<MsiActionApi> seam(g_msiActionApi);
        PlayedMsi played;
        played.actionData = c.data;
        for (auto code : {std::make_pair(L"status", c.status),
                          {L"deploy", c.deploy},
                          {L"deploy -stage", c.deploy},
                          {L"remove -force", c.remove}})
        {
            if (code.second != NO)
                played.exitCodes[code.first] = code.second;
        }
        played.products = {L"{PRODUCT}"};
        if (c.flags & NEWER)
            played.products.push_back(L"{NEWER}");
        if (c.stepBefore != NO)
            played.registry[key] = static_cast<DWORD>(c.stepBefore);
        if (c.stepBefore == ROLLBACK_TAKE_OFF)
            played.files = COPY;
        playMsi(seam, played);

        EXPECT_EQ(c.expectedResult, c.action(FAKE_SESSION)) << c.name;
        EXPECT_EQ(c.expectedCommands, joined(played.commands)) << c.name;
        EXPECT_EQ(c.expectedStep, played.registry.count(key) ? int(played.registry[key]) : NO)
            << c.name;
        EXPECT_EQ((c.flags & REBOOT) != 0, played.reboot) << c.name;
        EXPECT_TRUE(played.windowless) << c.name;
        // Each command's trace line as it was written, whatever the Installer
        // would make of "[Name]" and "{...}" in a field.
        EXPECT_EQ(played.commands.empty() || c.status == NO,
                  joined(played.log).find(L"trace [\\[]Manufacturer[\\]] [\\{]x[\\}]") ==
                      std::wstring::npos)
            << c.name;
        EXPECT_EQ(c.flags & COPIED ? COPY : std::set<std::wstring>(), played.files) << c.name;
    }
}
