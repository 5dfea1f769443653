// preinstall_e2e_test.cpp
// Pre-install mode of the real program with the stand-in driver-package
// library beside it: the sample package is staged in the system INF folder;
// without the library's folder the load failure is shown with the system's
// error number.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/tools/window_driver.h"

TEST(Preinstall, ThePackageIsStaged)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("pre-install mode");
    PackageTraces traces;
    ASSERT_TRUE(PackageTraces::stagedCopies().empty());
    InstallCopy copy;
    ProgramRun run(copy.program(), L"-preinstall");
    HWND window = nullptr;
    WindowState state;
    ASSERT_TRUE(finishedWindowState(run, &window, &state));
    EXPECT_EQ(state.status, L"Preinstalling driver... Done");
    EXPECT_EQ(state.result, L"The driver was successfully installed.");
    EXPECT_TRUE(state.resultVisible);
    EXPECT_FALSE(state.barVisible);
    EXPECT_FALSE(state.restartVisible);
    EXPECT_EQ(state.focusId, IDOK);
    pressFinishButton(window, L"e2e_preinstall_staged.bmp");
    const RunResult result = run.finish();
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    EXPECT_EQ(result.exitCode, 0u);

    const std::vector<std::wstring> staged = PackageTraces::stagedCopies();
    ASSERT_EQ(staged.size(), 1u);
    EXPECT_EQ(_wcsnicmp(staged[0].c_str(), L"oem", 3), 0) << staged[0].c_str();
}

TEST(Preinstall, WithoutTheLibraryFolderTheLoadFails)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("pre-install mode");
    InstallCopy copy(false);
    {
        ProgramRun run(copy.program(), L"-preinstall");
        HWND window = nullptr;
        WindowState state;
        ASSERT_TRUE(finishedWindowState(run, &window, &state));
        EXPECT_EQ(state.status, L"Preinstalling driver...");
        EXPECT_EQ(state.result, L"Failed to load difxapi.dll, GetLastError=126(0x7e)");
        EXPECT_TRUE(state.resultVisible);
        EXPECT_FALSE(state.barVisible);
        EXPECT_EQ(state.focusId, IDOK);
        pressFinishButton(window, L"e2e_preinstall_no_library.bmp");
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, 8u);
    }
    {
        ProgramRun run(copy.program(), L"-nopause -preinstall");
        ASSERT_TRUE(run.started());
        const RunResult result = run.finish();
        EXPECT_EQ(result.exitCode, 8u);
        EXPECT_FALSE(result.sawFinishButton);
    }
}
