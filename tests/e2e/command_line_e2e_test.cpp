// command_line_e2e_test.cpp
// The real program's answers to its command line: the usage box and the two
// command-line errors (text, icon, one OK button), which of several problems
// wins, the exit codes 0 and 6, and that no progress window ever appears.

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tools/window_driver.h"

namespace {

const wchar_t USAGE[] =
    L"Usage:\n"
    L"\n"
    L"install[64].exe -h|-help|-?\n"
    L"  Displays this help.\n"
    L"\n"
    L"install[64].exe [-nopause] [drive:\\path\\to\\file.inf]\n"
    L"  Installs the driver (use when hardware already present).\n"
    L"\n"
    L"install[64].exe [-nopause] -preinstall [drive:\\path\\to\\file.inf]\n"
    L"  Pre-installs the driver (use when hardware is not yet present).\n"
    L"\n"
    L"If no .inf file is specified, default is kvr7.inf in same folder.\n"
    L"The -nopause option causes this program to exit when done without waiting for user "
    L"input.\n"
    L"\n"
    L"Exit code:\n"
    L"  0 => No errors.\n"
    L"  1 => Windows version is too low, or trying to run 32-bit version in 64-bit Windows.\n"
    L"  2 => Failed to open .inf file (when not -preinstall).\n"
    L"  3 => Failed to parse .inf file (when not -preinstall).\n"
    L"  4 => No suitable hardware found (when not -preinstall).\n"
    L"  5 => An unexpected error occurred during installation (when not -preinstall).\n"
    L"  6 => Bad command-line arguments.\n"
    L"  7 => Insufficient resources, e.g. memory allocation failure.\n"
    L"  8 => Failed to load DIFxAPI.dll.\n"
    L"  9 => Failed to get an entry point in DIFxAPI.dll.\n"
    L"  100-123 => Error in pre-installation (when -preinstall). See DriverPackagePreinstall "
    L"in MSDN.\n"
    L"\n";

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
        {L"-h", USAGE, false, 0, L"e2e_usage_box.bmp"},
        {L"-HELP", USAGE, false, 0, nullptr},
        {L"-?", USAGE, false, 0, nullptr},
        {L"C:\\drivers\\other.inf -help", USAGE, false, 0, nullptr},
        {L"-x", L"Invalid option: -x", true, 6, L"e2e_invalid_option_box.bmp"},
        {L"-nopausex", L"Invalid option: -nopausex", true, 6, nullptr},
        {L"-", L"Invalid option: -", true, 6, nullptr},
        {L"a.inf b.inf", TOO_MANY, true, 6, nullptr},
        // The first problem in the line decides; nothing after it is looked at.
        {L"-h -bogus", USAGE, false, 0, nullptr},
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
        EXPECT_EQ(info.caption, L"KVR7 Driver Installer");
        EXPECT_EQ(info.text, c.text);
        EXPECT_EQ(info.hasIcon, c.icon);
        ASSERT_EQ(info.buttons.size(), 1u);
        EXPECT_EQ(info.buttons[0].id, IDOK);
        EXPECT_EQ(findWindow(L"KVR7 Driver Installer", run.processId(), WINDOW_MAIN), nullptr);

        if (c.screenshot)
        {
            EXPECT_TRUE(saveScreenshot(box, c.screenshot));
        }
        EXPECT_TRUE(pressMessageBoxButton(box, IDOK));
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_FALSE(result.sawMainWindow) << "no progress window after the box";
        EXPECT_TRUE(result.trace.empty());
    }
}
