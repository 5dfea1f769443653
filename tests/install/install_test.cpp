// install_test.cpp
// The driver update for present hardware, run in a real window on real INF
// files, with the platform's update call played by a script: every outcome, the
// progress bar, the restart note, the trace and the exit codes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_platform.h"
#include "tests/install/install_fixture.h"
#include "tests/support/golden_texts.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

using namespace installtest;

namespace {

// One scripted answer of the update call.
struct Answer
{
    BOOL result;
    DWORD lastError; // Left behind when result is FALSE.
    BOOL reboot;     // Written to the caller's flag in either case.
};

struct Call
{
    HWND parent;
    std::wstring hardwareId;
    std::wstring infPath;
    DWORD flags;
};

std::vector<Answer> g_answers;
std::vector<Call> g_calls;

BOOL WINAPI scriptedUpdate(HWND parent, LPCWSTR hardwareId, LPCWSTR infPath, DWORD flags,
                           PBOOL reboot)
{
    g_calls.push_back({parent, hardwareId, infPath, flags});
    if (g_calls.size() > g_answers.size())
    {
        ADD_FAILURE() << "update call " << g_calls.size() << " was not expected";
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    const Answer& answer = g_answers[g_calls.size() - 1];
    // A failing call may scribble on the flag; only successes may count.
    *reboot = answer.reboot;
    SetLastError(answer.lastError);
    return answer.result;
}

const Answer UPDATED = {TRUE, 0, FALSE};
const Answer UPDATED_REBOOT = {TRUE, 0, TRUE};
const Answer NO_DEVICE = {FALSE, 0xE000020B, FALSE};
const Answer NOT_REPLACED = {FALSE, ERROR_NO_MORE_ITEMS, TRUE};
const Answer NOTHING_SAID = {FALSE, 0, TRUE};
const Answer IN_WOW64 = {FALSE, 0xE0000235, FALSE};
const Answer NO_DRIVER = {FALSE, 0xE0000203, FALSE};
const Answer FILE_MISSING = {FALSE, ERROR_FILE_NOT_FOUND, FALSE};

const wchar_t SUCCESS_TEXT[] = L"The driver was successfully updated for at least one device.\n";
const wchar_t NO_HARDWARE_TEXT[] = L"No suitable hardware was found.\n";
const wchar_t ERROR_TEXT[] = L"An error occurred while updating the driver.\n";
const wchar_t DONE_TEXT[] = L"Searching for hardware... Done";

// A package whose models section lists `lines` (description = section, IDs...).
std::string packageWith(const std::string& lines)
{
    return "[Version]\n"
           "Signature=\"$Windows NT$\"\n"
           "Class=System\n"
           "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\n"
           "Provider=%Mfg%\n"
           "\n"
           "[Manufacturer]\n"
           "%Mfg%=Models\n"
           "\n"
           "[Models]\n" +
           lines +
           "\n"
           "[KVR7_Install]\n"
           "\n"
           "[Strings]\n"
           "Mfg=\"KVR7 Devices\"\n"
           "Desc=\"KVR7 virtual board\"\n";
}

class Install : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_installSeam->UpdateDriverForPlugAndPlayDevicesW = scriptedUpdate;
        g_answers.clear();
        g_calls.clear();
        presentSystem(10);
    }
    // Installs from a package listing `lines`; returns the operation's result.
    int run(const std::string& lines, std::vector<Answer> answers, int noPause = 0)
    {
        m_infPath = m_folder.writeBytes(L"kvr7.inf", packageWith(lines));
        g_answers = std::move(answers);
        return m_wnd->install(CWStr(m_infPath.c_str()), noPause, &m_exitCode);
    }

    std::vector<std::wstring> triedIds() const
    {
        std::vector<std::wstring> ids;
        for (const Call& call : g_calls)
            ids.push_back(call.hardwareId);
        return ids;
    }

    void expectFinished(const wchar_t* result, int32_t exitCode, int barPosition, bool restart)
    {
        EXPECT_EQ(exitCode, m_exitCode);
        EXPECT_EQ(DONE_TEXT, text(STATUS));
        EXPECT_TRUE(visible(STATUS));
        EXPECT_EQ(result, text(RESULT));
        EXPECT_TRUE(visible(RESULT));
        EXPECT_TRUE(visible(PROGRESS));
        EXPECT_EQ(barPosition, position());
        EXPECT_EQ(restart, visible(RESTART));
    }

    TempFolder m_folder;
    std::wstring m_infPath;
};

} // namespace

TEST_F(Install, OneIdUpdated)
{
    EXPECT_EQ(1, run("%Desc%=KVR7_Install,ROOT\\KVR7\n", {UPDATED}));
    expectFinished(SUCCESS_TEXT, 0, 10000, false);
    EXPECT_TRUE(visible(FINISH));
    EXPECT_TRUE(finishHasFocus(hwnd()));

    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(nullptr, g_calls[0].parent);
    EXPECT_EQ(L"ROOT\\KVR7", g_calls[0].hardwareId);
    EXPECT_EQ(m_infPath, g_calls[0].infPath);
    EXPECT_EQ(1u, g_calls[0].flags);
}

TEST_F(Install, FailureAfterAnUpdateThatAskedForARestart)
{
    EXPECT_EQ(1, run("%Desc%=KVR7_Install,ID\\ONE,ID\\TWO,ID\\THREE,ID\\FOUR\n",
                     {UPDATED_REBOOT, IN_WOW64}));
    expectFinished(ERROR_TEXT, 5, 2500, true);
    EXPECT_EQ((std::vector<std::wstring>{L"ID\\ONE", L"ID\\TWO"}), triedIds());
}

TEST_F(Install, EveryOtherLastErrorEndsTheRun)
{
    for (const Answer& failure : {NO_DRIVER, FILE_MISSING, Answer{FALSE, ERROR_ACCESS_DENIED, 0}})
    {
        SCOPED_TRACE(failure.lastError);
        TearDown();
        SetUp();
        run("%Desc%=KVR7_Install,A,B\n", {failure});
        expectFinished(ERROR_TEXT, 5, 0, false);
        EXPECT_EQ(1u, g_calls.size());
    }
}

TEST_F(Install, NoIdsListed)
{
    // A line without a hardware ID ends its section before anything is added.
    EXPECT_EQ(1, run("%Desc%=KVR7_Install\n", {}));
    expectFinished(NO_HARDWARE_TEXT, 4, 0, false);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Install, NoMatchingDevicePresent)
{
    run("%Desc%=KVR7_Install,A,B,C\n", {NO_DEVICE, NOTHING_SAID, NO_DEVICE});
    // Failed calls never count towards the restart note, whatever they wrote.
    expectFinished(NO_HARDWARE_TEXT, 4, 10000, false);
    EXPECT_EQ(3u, g_calls.size());
}

TEST_F(Install, DriverNotReplacedBesideASuccess)
{
    run("%Desc%=KVR7_Install,A,B\n", {UPDATED, NOT_REPLACED});
    expectFinished(SUCCESS_TEXT, 0, 10000, false);
}

TEST_F(Install, RestartNoteAfterSuccess)
{
    run("%Desc%=KVR7_Install,A,B,C\n", {NO_DEVICE, UPDATED_REBOOT, UPDATED});
    expectFinished(SUCCESS_TEXT, 0, 10000, true);
}

TEST_F(Install, ProgressOfThreeIdsStopsAtTheFailingOne)
{
    run("%Desc%=KVR7_Install,A,B,C\n", {UPDATED, UPDATED, FILE_MISSING});
    // 2 * 10000 / 3, the remainder dropped.
    expectFinished(ERROR_TEXT, 5, 6666, false);
}

TEST_F(Install, IdsInFileOrderDuplicatesKeptAndTraced)
{
    DebugOutputCapture capture;
    run("%Desc%=KVR7_Install,HW\\A,,CID\\X\n"
        "%Desc%=KVR7_Install,HW\\A\n",
        {UPDATED, NO_DEVICE, UPDATED});
    EXPECT_EQ((std::vector<std::wstring>{L"HW\\A", L"CID\\X", L"HW\\A"}), triedIds());

    std::vector<std::wstring> installLines;
    for (const std::wstring& line : capture.lines())
    {
        if (line.rfind(L"Installing", 0) == 0 || line.rfind(L"  Installed", 0) == 0)
            installLines.push_back(line);
    }
    EXPECT_EQ((std::vector<std::wstring>{
                  L"Installing driver for hardware ID HW\\A:\n",
                  L"  Installed driver for 'HW\\A'.\n",
                  L"Installing driver for hardware ID CID\\X:\n",
                  L"Installing driver for hardware ID HW\\A:\n",
                  L"  Installed driver for 'HW\\A'.\n",
              }),
              installLines);
}

TEST_F(Install, NoPauseLeavesFinishHidden)
{
    EXPECT_EQ(0, run("%Desc%=KVR7_Install,A\n", {UPDATED_REBOOT}, 1));
    expectFinished(SUCCESS_TEXT, 0, 10000, true);
    EXPECT_FALSE(visible(FINISH));
}

TEST_F(Install, InfThatCannotBeOpened)
{
    const std::wstring missing = m_folder.path() + L"\\absent.inf";
    EXPECT_EQ(1, m_wnd->install(CWStr(missing.c_str()), 0, &m_exitCode));
    EXPECT_EQ(2, m_exitCode);
    EXPECT_EQ(L"Failed to open '" + missing + L"'", text(STATUS));
    EXPECT_FALSE(visible(PROGRESS));
    EXPECT_FALSE(visible(RESULT));
    EXPECT_FALSE(visible(RESTART));
    EXPECT_TRUE(visible(FINISH));
    EXPECT_TRUE(g_calls.empty());

    // A relative path is shown exactly as it was given.
    EXPECT_EQ(0, m_wnd->install(CWStr(L"no\\such.inf"), 1, &m_exitCode));
    EXPECT_EQ(2, m_exitCode);
    EXPECT_EQ(L"Failed to open 'no\\such.inf'", text(STATUS));
}

TEST_F(Install, InfWithoutManufacturer)
{
    m_infPath = m_folder.writeBytes(L"other.inf",
                                    "[Version]\nSignature=\"$Windows NT$\"\n\n[Models]\nx=y,ID\n");
    EXPECT_EQ(0, m_wnd->install(CWStr(m_infPath.c_str()), 1, &m_exitCode));
    EXPECT_EQ(3, m_exitCode);
    EXPECT_EQ(L"Failed to parse '" + m_infPath + L"'", text(STATUS));
    EXPECT_FALSE(visible(PROGRESS));
    EXPECT_FALSE(visible(RESULT));
    EXPECT_FALSE(visible(FINISH));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Install, RefusedSystemNeverOpensTheInf)
{
    presentSystem(4);
    DebugOutputCapture capture;
    EXPECT_EQ(1, m_wnd->install(CWStr(L"C:\\absent\\kvr7.inf"), 0, &m_exitCode));
    EXPECT_EQ(1, m_exitCode);
    EXPECT_EQ(GOLDEN_TOO_OLD, text(STATUS));
    EXPECT_FALSE(visible(PROGRESS));
    EXPECT_FALSE(visible(RESULT));
    EXPECT_TRUE(visible(FINISH));
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(Install, RepeatedRunsStartFromExitCodeZero)
{
    run("%Desc%=KVR7_Install,A\n", {FILE_MISSING});
    EXPECT_EQ(5, m_exitCode);
    g_calls.clear();
    run("%Desc%=KVR7_Install,A\n", {UPDATED});
    EXPECT_EQ(0, m_exitCode);
}

TEST_F(Install, InfPathsThatCannotBeOpened)
{
    const struct
    {
        const wchar_t* name;
        std::wstring path;
    } cases[] = {
        {L"32,000 characters", L"C:\\" + std::wstring(31990, L'd') + L"\\kvr7.inf"},
        {L"a folder", m_folder.path()},
        {L"not ASCII, absent", m_folder.path() + L"\\\u00dcbersicht \u03a9 \u6a21\u578b.inf"},
        // The default INF when the program folder is unknown: never looked for.
        {L"none", L""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DebugOutputCapture capture;
        EXPECT_EQ(0, m_wnd->install(CWStr(c.path.c_str()), 1, &m_exitCode));
        EXPECT_EQ(2, m_exitCode);
        EXPECT_EQ(L"Failed to open '" + c.path + L"'", text(STATUS));
        EXPECT_TRUE(g_calls.empty());
        for (const std::wstring& line : capture.lines())
            EXPECT_LE(line.size(), 255u);
        EXPECT_EQ(c.path.empty(), capture.lines().empty()) << "the INF layer was asked";
    }
}

TEST_F(Install, NonAsciiInfPath)
{
    const std::wstring path = m_folder.writeBytes(L"\u00dcbersicht \u03a9 \u6a21\u578b.inf",
                                                  packageWith("%Desc%=KVR7_Install,A\n"));
    g_answers = {UPDATED};
    EXPECT_EQ(0, m_wnd->install(CWStr(path.c_str()), 1, &m_exitCode));
    EXPECT_EQ(0, m_exitCode);
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ(path, g_calls[0].infPath);
}

// What the process holds: open handles, and the busy blocks and bytes of every
// heap (the allocation operator's and the C heap's among them).
struct Holdings
{
    DWORD handles;
    size_t blocks;
    size_t bytes;
};

Holdings holdings()
{
    Holdings held = {0, 0, 0};
    EXPECT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &held.handles));
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    EXPECT_GT(count, 0u);
    EXPECT_LE(count, 64u);
    for (DWORD i = 0; i < count && i < 64; ++i)
    {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
        {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            {
                ++held.blocks;
                held.bytes += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return held;
}

TEST_F(Install, RepeatedRunsHoldNoMoreHandlesOrMemory)
{
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "%Desc%=KVR7_Install,PCI\\VEN_1AF4&DEV_" + std::to_string(i) + ",COMPAT_" +
                 std::to_string(i) + "\n";
    m_infPath = m_folder.writeBytes(L"kvr7.inf", packageWith(lines));
    const std::vector<Answer> answers(80, NO_DEVICE);
    g_calls.reserve(80);
    // Runs until the platform's own caches are filled, then counts.
    auto runs = [&](int n) {
        for (int i = 0; i < n; ++i)
        {
            g_calls.clear();
            g_answers = answers;
            m_wnd->install(CWStr(m_infPath.c_str()), 1, &m_exitCode);
            ASSERT_EQ(4, m_exitCode);
            ASSERT_EQ(80u, g_calls.size());
        }
    };
    runs(5);
    const Holdings before = holdings();
    runs(30);
    const Holdings after = holdings();
    EXPECT_EQ(before.handles, after.handles);
    // One string kept per run would show as 30 blocks.
    EXPECT_LE(after.blocks, before.blocks + 5) << before.bytes << " -> " << after.bytes;
    EXPECT_LE(after.bytes, before.bytes + 1024) << before.blocks << " -> " << after.blocks;
}
