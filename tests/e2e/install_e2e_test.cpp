// install_e2e_test.cpp
// Install mode of the real program on the sample package. With Wine's own
// device installer and the sample's virtual device registered, the device ends
// with the sample's driver. A scripted newdev.dll in the system folder (loaded
// instead of Wine's own by a DLL override for that program name only) plays the
// outcomes that Wine's installer never gives: no device, failures and restart
// requests. Libraries of system names planted beside the program are never
// loaded, and a bare INF name means the file in the current folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/golden_texts.h"
#include "tests/tools/device_registry.h"
#include "tests/tools/window_driver.h"
#include "ui/control_ids.h"

namespace {

const wchar_t BOARD_ID[] = L"ROOT\\KVR7_BOARD";
const wchar_t UPDATED[] = L"The driver was successfully updated for at least one device.\n";
const wchar_t NO_HARDWARE[] = L"No suitable hardware was found.\n";
const wchar_t UPDATE_ERROR[] = L"An error occurred while updating the driver.\n";
const wchar_t DONE[] = L"Searching for hardware... Done";

// The trace of opening the sample INF in `folder` and choosing its models
// section on Windows 7 (as these tests pin it), up to the first update call.
// Wine 8 reports its "win7" setting with product type 3 and suite mask 0x100.
std::vector<std::wstring> selectionTrace(const std::wstring& folder)
{
    std::vector<std::wstring> lines = {
        L"CInfFile::open: dir='" + folder + L"' filename='kvr7.inf' path='" + folder +
            L"\\kvr7.inf'",
#ifdef _WIN64
        L"CInfFile::open: opened .INF file. Architecture=9 OS=6.1 ProductType=3 SuiteMask=0x100",
#else
        L"CInfFile::open: opened .INF file. Architecture=0 OS=6.1 ProductType=3 SuiteMask=0x100",
#endif
        L"CInfFile::open: orignal filename=kvr7.inf",
        goldenReadingSection(L"Manufacturer"),
        L"  Examining line 'KVR7,NTx86,NTamd64,NTamd64.10.0':",
        L"    Examining models section decoration 'NTx86':",
#ifdef _WIN64
        L"      Decoration doesn't match this system's CPU architecture",
        L"    Examining models section decoration 'NTamd64':",
        L"      Decoration is the best match so far.",
        L"    Examining models section decoration 'NTamd64.10.0':",
        L"  Adding 'KVR7.NTamd64' to models section reference list.",
        goldenReadingSection(L"KVR7.NTamd64"),
#else
        L"      Decoration is the best match so far.",
        L"    Examining models section decoration 'NTamd64':",
        L"      Decoration doesn't match this system's CPU architecture",
        L"    Examining models section decoration 'NTamd64.10.0':",
        L"      Decoration doesn't match this system's CPU architecture",
        L"  Adding 'KVR7.NTx86' to models section reference list.",
        goldenReadingSection(L"KVR7.NTx86"),
#endif
        L"  Found Hardware ID 'ROOT\\KVR7_BOARD'.",
        L"  Found Compatible ID 'KVR7\\COMPAT_BOARD'.",
    };
    return lines;
}

void addUpdateTrace(std::vector<std::wstring>* lines, const wchar_t* id, bool installed)
{
    lines->push_back(std::wstring(L"Installing driver for hardware ID ") + id + L":");
    if (installed)
        lines->push_back(std::wstring(L"  Installed driver for '") + id + L"'.");
}

std::wstring driverValue(const DeviceRecord& device, const wchar_t* name)
{
    for (const auto& value : device.driverValues)
        if (value.first == name)
            return value.second;
    return L"(missing)";
}

} // namespace

TEST(Install, TheVirtualDeviceGetsTheSampleDriver)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("install mode");
    PackageTraces traces;
    VirtualDevice device(BOARD_ID, L"System");
    ASSERT_TRUE(device.ok()) << "cannot register the device, error " << device.error();
    InstallCopy copy(true, uniqueExeName(L"install_device"));
    ProgramSettings settings(copy.exeName());
    ASSERT_TRUE(settings.setVersion(L"win7"));

    ProgramRun run(copy.program(), L"");
    HWND window = nullptr;
    WindowState state;
    ASSERT_TRUE(finishedWindowState(run, &window, &state));
    EXPECT_EQ(state.status, DONE);
    EXPECT_TRUE(state.barVisible);
    EXPECT_EQ(state.barPosition, 10000);
    EXPECT_EQ(state.barLow, 0);
    EXPECT_EQ(state.barHigh, 10000);
    EXPECT_EQ(state.result, UPDATED);
    EXPECT_TRUE(state.resultVisible);
    EXPECT_FALSE(state.restartVisible) << "Wine's installer never asks for a restart";
    EXPECT_EQ(state.focusId, ID_FINISH_BUTTON);
    pressFinishButton(window, L"e2e_install_device_updated.bmp");
    const RunResult result = run.finish();
    EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
    EXPECT_EQ(result.exitCode, 0u);

    std::vector<std::wstring> expected = selectionTrace(copy.path());
    addUpdateTrace(&expected, L"ROOT\\KVR7_BOARD", true);
    addUpdateTrace(&expected, L"KVR7\\COMPAT_BOARD", true); // Wine answers TRUE without a device
    EXPECT_EQ(result.trace, expected);

    std::vector<DeviceRecord> devices;
    DWORD error = 0;
    ASSERT_TRUE(findDevices(BOARD_ID, false, &devices, &error)) << error;
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].instanceId, device.instanceId());
    EXPECT_NE(devices[0].driverKey, L"") << "the device has a driver";
    EXPECT_EQ(devices[0].infSection, L"KVR7_Install");
    EXPECT_EQ(driverValue(devices[0], L"BoardModel"), L"KVR7");
    EXPECT_EQ(driverValue(devices[0], L"ChannelCount"), L"8");
}

namespace {

struct ScriptedCase
{
    const char* name;
    const char* script; // newdev_script.txt
    bool noPause;
    DWORD exitCode;
    const wchar_t* result;
    int barPosition;
    bool restart;
    int calls;         // update calls made, in the INF's ID order
    bool installed[2]; // which calls answered TRUE
    const wchar_t* screenshot;
};

const wchar_t* const SAMPLE_IDS[] = {L"ROOT\\KVR7_BOARD", L"KVR7\\COMPAT_BOARD"};

} // namespace

TEST(Install, OutcomesOfTheUpdateCall)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("install mode");
    const ScriptedCase cases[] = {
        {"no device for either ID",
         "",
         false,
         4,
         NO_HARDWARE,
         10000,
         false,
         2,
         {false, false},
         L"e2e_install_no_hardware.bmp"},
        {"restart requested, then a failure",
         "ROOT\\KVR7_BOARD 1 0 1\nKVR7\\COMPAT_BOARD 0 0xE0000235 0\n",
         false,
         5,
         UPDATE_ERROR,
         5000,
         true,
         2,
         {true, false},
         L"e2e_install_failed_after_restart_request.bmp"},
        {"the same with -nopause",
         "ROOT\\KVR7_BOARD 1 0 1\nKVR7\\COMPAT_BOARD 0 0xE0000235 0\n",
         true,
         5,
         nullptr,
         0,
         false,
         2,
         {true, false},
         nullptr},
        {"the first ID fails: the second is not tried",
         "ROOT\\KVR7_BOARD 0 2 1\n",
         false,
         5,
         UPDATE_ERROR,
         0,
         false,
         1,
         {false, false},
         nullptr},
        {"updated with a restart, then a driver not replaced",
         "ROOT\\KVR7_BOARD 1 0 1\nKVR7\\COMPAT_BOARD 0 0x103 0\n",
         false,
         0,
         UPDATED,
         10000,
         true,
         2,
         {true, false},
         L"e2e_install_updated_restart.bmp"},
        {"last error 0 counts as no device",
         "ROOT\\KVR7_BOARD 0 0 0\nKVR7\\COMPAT_BOARD 1 0 0\n",
         false,
         0,
         UPDATED,
         10000,
         false,
         2,
         {false, true},
         nullptr},
    };
    for (const ScriptedCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        InstallCopy copy(true, uniqueExeName(L"install_scripted"));
        ProgramSettings settings(copy.exeName());
        ASSERT_TRUE(settings.setVersion(L"win7"));
        ASSERT_TRUE(settings.setDllOverride(L"newdev", L"native,builtin"));
        SystemFolderLibrary newdev(testBuildFile(L"e2e_newdev\\newdev.dll"), L"newdev.dll");
        ASSERT_TRUE(newdev.ok());
        copy.writeBytes(L"newdev_script.txt", c.script);
        const std::wstring callLog = copy.adopt(L"newdev_calls.txt");

        ProgramRun run(copy.program(), c.noPause ? L"-nopause" : L"");
        ASSERT_TRUE(run.started());
        if (!c.noPause)
        {
            HWND window = nullptr;
            WindowState state;
            ASSERT_TRUE(finishedWindowState(run, &window, &state));
            EXPECT_EQ(state.status, DONE);
            EXPECT_TRUE(state.barVisible);
            EXPECT_EQ(state.barPosition, c.barPosition);
            EXPECT_EQ(state.result, c.result);
            EXPECT_TRUE(state.resultVisible);
            EXPECT_EQ(state.restartVisible, c.restart);
            EXPECT_EQ(state.focusId, ID_FINISH_BUTTON);
            pressFinishButton(window, c.screenshot);
        }
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, c.exitCode);
        if (c.noPause)
        {
            EXPECT_FALSE(result.sawFinishButton);
        }

        std::vector<std::wstring> expected = selectionTrace(copy.path());
        std::string calls;
        for (int i = 0; i < c.calls; ++i)
        {
            addUpdateTrace(&expected, SAMPLE_IDS[i], c.installed[i]);
            // The INF path as it was opened, INSTALLFLAG_FORCE, no owner window.
            std::string path(copy.path().begin(), copy.path().end());
            std::string id(SAMPLE_IDS[i], SAMPLE_IDS[i] + wcslen(SAMPLE_IDS[i]));
            calls += id + "|" + path + "\\kvr7.inf|1|0\n";
        }
        EXPECT_EQ(result.trace, expected);
        EXPECT_EQ(readFileBytes(callLog), calls) << "the scripted library was not the one loaded?";
    }
}

TEST(Install, EarlyEndings)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("install mode");
    struct Case
    {
        const char* name;
        const char* inf; // written as given.inf, or nothing
        const wchar_t* status;
        DWORD exitCode;
        const wchar_t* screenshot;
    } cases[] = {
        {"no such INF", nullptr, L"Failed to open '%s'", 2, nullptr},
        {"no [Manufacturer]", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nA=\"b\"\r\n",
         L"Failed to parse '%s'", 3, L"e2e_install_parse_failed.bmp"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        InstallCopy copy;
        if (c.inf)
            copy.writeBytes(L"given.inf", c.inf);
        const std::wstring inf = copy.file(L"given.inf");
        ProgramRun run(copy.program(), inf);
        HWND window = nullptr;
        WindowState state;
        ASSERT_TRUE(finishedWindowState(run, &window, &state));
        std::wstring status = c.status;
        status.replace(status.find(L"%s"), 2, inf);
        EXPECT_EQ(state.status, status);
        EXPECT_FALSE(state.barVisible);
        EXPECT_FALSE(state.resultVisible);
        EXPECT_FALSE(state.restartVisible);
        EXPECT_EQ(state.focusId, ID_FINISH_BUTTON);
        pressFinishButton(window, c.screenshot);
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, c.exitCode);
    }
}

// Programs are often copied under a folder such as "Program Files": the blank
// in the program's own path must not reach the command line's arguments, and
// the default INF and the library are found beside the program all the same.
TEST(Install, AProgramFolderWithABlankInItsName)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES("install mode");
    PackageTraces traces;
    InstallCopy copy(true, uniqueExeName(L"install_blank"), L"KVR7 Driver Kit");
    ProgramSettings settings(copy.exeName());
    ASSERT_TRUE(settings.setVersion(L"win7"));
    ASSERT_TRUE(settings.setDllOverride(L"newdev", L"native,builtin"));
    SystemFolderLibrary newdev(testBuildFile(L"e2e_newdev\\newdev.dll"), L"newdev.dll");
    ASSERT_TRUE(newdev.ok());
    copy.writeBytes(L"newdev_script.txt", "ROOT\\KVR7_BOARD 1 0 0\n");
    const std::wstring callLog = copy.adopt(L"newdev_calls.txt");
    {
        ProgramRun run(copy.program(), L"-nopause");
        ASSERT_TRUE(run.started());
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, 0u);
        std::vector<std::wstring> expected = selectionTrace(copy.path());
        addUpdateTrace(&expected, SAMPLE_IDS[0], true);
        addUpdateTrace(&expected, SAMPLE_IDS[1], false);
        EXPECT_EQ(result.trace, expected);
        const std::string path(copy.path().begin(), copy.path().end());
        EXPECT_EQ(readFileBytes(callLog), "ROOT\\KVR7_BOARD|" + path + "\\kvr7.inf|1|0\n" +
                                              "KVR7\\COMPAT_BOARD|" + path + "\\kvr7.inf|1|0\n");
    }
    {
        ProgramRun run(copy.program(), L"-nopause -preinstall");
        ASSERT_TRUE(run.started());
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(PackageTraces::stagedCopies().size(), 1u);
    }
}

// A library of a system name left beside the program (native first, as Windows
// orders such names) must never run inside it: the program takes its system
// libraries from the system folder, and installs with the real one.
TEST(Install, LibrariesPlantedBesideTheProgramAreNotLoaded)
{
    PackageTraces traces;
    for (const wchar_t* name : {L"newdev", L"comctl32", L"setupapi"})
    {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        InstallCopy copy(true, uniqueExeName(L"install_planted"));
        ProgramSettings settings(copy.exeName());
        ASSERT_TRUE(settings.setVersion(L"win7"));
        ASSERT_TRUE(settings.setDllOverride(name, L"native,builtin"));
        const std::wstring library = std::wstring(name) + L".dll";
        copy.copyIn(testBuildFile(L"e2e_planted\\planted.dll"), library);
        const std::wstring marker = copy.adopt(library + L".loaded");

        ProgramRun run(copy.program(), L"-nopause");
        ASSERT_TRUE(run.started());
        const RunResult result = run.finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        // The 32-bit program starts up and then refuses 64-bit Windows.
        EXPECT_EQ(result.exitCode, programRunsHere() ? 0u : 1u);
        EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES)
            << "the planted library ran in the program";
    }
}

// A bare INF name means the file in the current folder, not one of that name
// in the system's INF folder (where the Setup API looks for bare names).
TEST(Install, BareInfNames)
{
    SKIP_WHERE_THE_PROGRAM_REFUSES();
    // An INF that only the system INF folder holds: a copy of the sample, which
    // PackageTraces removes again.
    PackageTraces traces;
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring systemName = L"kvr7sys" + std::to_wstring(GetCurrentProcessId()) + L".inf";
    const std::wstring systemCopy = std::wstring(windows) + L"\\inf\\" + systemName;
    ASSERT_TRUE(CopyFileW(distFile(L"kvr7.inf").c_str(), systemCopy.c_str(), FALSE));

    const struct
    {
        std::wstring typed;
        DWORD exitCode;
    } cases[] = {
        {L"kvr7.inf", 0}, // in the package folder, the current one
        {systemName, 2},  // only in the system INF folder
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()));
        InstallCopy copy(true, uniqueExeName(L"install_bare"));
        ProgramSettings settings(copy.exeName());
        ASSERT_TRUE(settings.setVersion(L"win7"));
        std::unique_ptr<ProgramRun> run;
        {
            CurrentFolder current(copy.path());
            run.reset(new ProgramRun(copy.program(), L"-nopause " + c.typed));
        }
        ASSERT_TRUE(run->started());
        const RunResult result = run->finish();
        EXPECT_EQ(result.outcome, DEBUG_CAPTURE_EXITED);
        EXPECT_EQ(result.exitCode, c.exitCode);
        ASSERT_FALSE(result.trace.empty());
        EXPECT_EQ(result.trace[0], L"CInfFile::open: dir='" + copy.path() + L"' filename='" +
                                       c.typed + L"' path='" + copy.file(c.typed) + L"'");
    }
}
