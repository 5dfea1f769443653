// command_line_e2e_test.cpp
// The real program's answers to its command line: the usage box and the two
// command-line errors (text, icon, one OK button), which of several problems
// wins, the exit codes 0 and 6, and that no progress window ever appears.

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/support/golden_texts.h"
#include "tests/support/golden_usage.h"
#include "tests/tools/window_driver.h"

namespace {

const wchar_t TOO_MANY[] = L"Specify at most one .inf file.";

struct BoxCase
{
    const wchar_t* arguments;
    std::wstring text;
    bool icon;
    DWORD exitCode;
    const wchar_t* screenshot;
};

} // namespace

TEST(CommandLine, MessageBoxesExitCodesAndNoProgressWindow)
{
    const BoxCase cases[] = {
        {L"-h", GOLDEN_USAGE, false, 0, L"e2e_usage_box.bmp"},
        {L"-HELP", GOLDEN_USAGE, false, 0, nullptr},
        {L"-?", GOLDEN_USAGE, false, 0, nullptr},
        {L"C:\\drivers\\other.inf -help", GOLDEN_USAGE, false, 0, nullptr},
        {L"-x", L"Invalid option: -x", true, 6, L"e2e_invalid_option_box.bmp"},
        {L"-nopausex", L"Invalid option: -nopausex", true, 6, nullptr},
        {L"-", L"Invalid option: -", true, 6, nullptr},
        {L"a.inf b.inf", TOO_MANY, true, 6, nullptr},
        // The first problem in the line decides; nothing after it is looked at.
        {L"-h -bogus", GOLDEN_USAGE, false, 0, nullptr},
        {L"-bogus -h", L"Invalid option: -bogus", true, 6, nullptr},
        {L"a.inf b.inf -h", TOO_MANY, true, 6, nullptr},
        {L"a.inf -Bad b.inf", L"Invalid option: -Bad", true, 6, nullptr},
        {L"-nopause -preinstall a.inf b.inf", TOO_MANY, true, 6, nullptr},
    };
    InstallCopy copy;
    for (const BoxCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "arguments: " << c.arguments);
        ProgramRun run(copy.program(), c.arguments);
        ASSERT_TRUE(run.started());
        HWND box = run.waitForMessageBox();
        ASSERT_NE(box, nullptr);
        MessageBoxInfo info;
        ASSERT_TRUE(readMessageBox(box, &info));
        EXPECT_EQ(info.caption, GOLDEN_CAPTION);
        EXPECT_EQ(info.text, c.text);
        EXPECT_EQ(info.hasIcon, c.icon);
        ASSERT_EQ(info.buttons.size(), 1u);
        EXPECT_EQ(info.buttons[0].id, IDOK);
        EXPECT_EQ(findWindow(GOLDEN_CAPTION, run.processId(), WINDOW_MAIN), nullptr);

        if (c.screenshot)
        {
            EXPECT_TRUE(savePaintedScreenshot(box, c.screenshot));
        }
        EXPECT_TRUE(pressMessageBoxButton(box, IDOK));
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_FALSE(result.sawMainWindow) << "no progress window after the box";
        EXPECT_TRUE(result.trace.empty());
    }
}
