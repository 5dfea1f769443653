// command_line_test.cpp
// The command-line stage: options, INF path, message boxes, exit codes, the
// program folder and the default INF path. Message boxes and the program's path
// come from fakes, so every box that would be shown is checked, not shown.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_platform.h"
#include "app/command_line.h"
#include "tests/support/golden_texts.h"
#include "tests/support/golden_usage.h"
#include "tests/support/seam_guard.h"
#include "tests/support/test_support.h"

namespace {

struct ShownBox
{
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

std::vector<ShownBox> g_boxes;
std::wstring g_modulePath;
int g_moduleCalls;
bool g_moduleOverreports;

int WINAPI fakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    g_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

// Behaves as the platform does: copies what fits and returns the size when cut.
DWORD WINAPI fakeModuleFileName(HMODULE module, LPWSTR buffer, DWORD size)
{
    ++g_moduleCalls;
    if (module != nullptr || g_modulePath.empty())
        return 0;
    DWORD count = static_cast<DWORD>(g_modulePath.size());
    if (count >= size)
    {
        g_modulePath.copy(buffer, size);
        buffer[size - 1] = L'\0';
        return g_moduleOverreports ? count : size;
    }
    g_modulePath.copy(buffer, count);
    buffer[count] = L'\0';
    return count;
}

#define HERE L"C:\\windows\\system32"

DWORD WINAPI unresolvable(LPCWSTR, DWORD, LPWSTR, LPWSTR*)
{
    return 0;
}

class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_seam->MessageBoxW = fakeMessageBox;
        m_seam->GetModuleFileNameW = fakeModuleFileName;
        g_boxes.clear();
        g_modulePath = L"C:\\Program Files\\KVR7\\install64.exe";
        g_moduleCalls = 0;
        g_moduleOverreports = false;
        // Typed paths are resolved against a known current folder.
        GetCurrentDirectoryW(MAX_PATH, m_previousFolder);
        ASSERT_TRUE(SetCurrentDirectoryW(HERE));
    }
    void TearDown() override { SetCurrentDirectoryW(m_previousFolder); }

    // Runs the stage; the exit code starts at `initialExitCode`.
    bool run(const std::wstring& arguments, int32_t initialExitCode = 0)
    {
        m_exitCode = initialExitCode;
        m_request = RunRequest();
        return readCommandLine(arguments.c_str(), &m_exitCode, &m_request);
    }

    void expectGoesOn(const std::wstring& arguments, int noPause, int preinstall,
                      const std::wstring& infPath)
    {
        SCOPED_TRACE(L"arguments '" + arguments + L"'");
        g_boxes.clear();
        ASSERT_TRUE(run(arguments));
        EXPECT_TRUE(g_boxes.empty());
        EXPECT_EQ(0, m_exitCode);
        EXPECT_EQ(noPause, m_request.noPause);
        EXPECT_EQ(preinstall, m_request.preinstall);
        EXPECT_EQ(infPath, str(m_request.infPath));
        EXPECT_EQ(L"C:\\Program Files\\KVR7", str(m_request.programFolder));
        EXPECT_EQ(GOLDEN_CAPTION, str(m_request.caption));
    }

    // The stage ends start-up after exactly one box.
    void expectEnds(const std::wstring& arguments, int32_t exitCode, const std::wstring& text,
                    UINT type)
    {
        SCOPED_TRACE(L"arguments '" + arguments.substr(0, 200) + L"'");
        g_boxes.clear();
        g_moduleCalls = 0;
        ASSERT_FALSE(run(arguments));
        EXPECT_EQ(exitCode, m_exitCode);
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(text, g_boxes[0].text);
        EXPECT_EQ(GOLDEN_CAPTION, g_boxes[0].caption);
        EXPECT_EQ(type, g_boxes[0].type);
        EXPECT_EQ(nullptr, g_boxes[0].owner);
        EXPECT_EQ(0, g_moduleCalls) << "the program folder is not worked out when start-up ends";
    }

    SeamGuard<AppApi> m_seam{g_appApi};
    wchar_t m_previousFolder[MAX_PATH] = {};
    int32_t m_exitCode = 0;
    RunRequest m_request;
};

const std::wstring DEFAULT_INF = L"C:\\Program Files\\KVR7\\kvr7.inf";

} // namespace

TEST_F(CommandLine, NoArgumentsInstallsFromTheDefaultInf)
{
    expectGoesOn(L"", 0, 0, DEFAULT_INF);
    expectGoesOn(L"     ", 0, 0, DEFAULT_INF);
}

TEST_F(CommandLine, OptionsInAnyCaseAndOrder)
{
    expectGoesOn(L"-nopause", 1, 0, DEFAULT_INF);
    expectGoesOn(L"-NOPAUSE", 1, 0, DEFAULT_INF);
    expectGoesOn(L"-NoPause", 1, 0, DEFAULT_INF);
    expectGoesOn(L"-preinstall", 0, 1, DEFAULT_INF);
    expectGoesOn(L"-PREinstall -nopause", 1, 1, DEFAULT_INF);
    expectGoesOn(L"-nopause -preinstall D:\\drv\\kvr7.inf", 1, 1, L"D:\\drv\\kvr7.inf");
    expectGoesOn(L"D:\\drv\\kvr7.inf -preinstall -nopause", 1, 1, L"D:\\drv\\kvr7.inf");
    expectGoesOn(L"-nopause D:\\drv\\kvr7.inf -nopause", 1, 0, L"D:\\drv\\kvr7.inf");
    expectGoesOn(L"  -nopause    x.inf   ", 1, 0, HERE L"\\x.inf");
}

// Every typed path is handed on in full, resolved as the platform resolves it:
// a bare name is the current folder's file, never one of that name in the
// system's INF folder; "C:name" is in drive C's current folder.
TEST_F(CommandLine, InfPathInFull)
{
    const struct
    {
        const wchar_t* typed;
        const wchar_t* handedOn;
    } cases[] = {
        {L"..\\pkg\\kvr7.inf", L"C:\\windows\\pkg\\kvr7.inf"},
        {L"C:\\d\u00e9p\u00f4t\\\u6f22.inf", L"C:\\d\u00e9p\u00f4t\\\u6f22.inf"},
        // Quotes are no part of the syntax: a quoted path is a relative name.
        {L"\"C:\\pkg\\kvr7.inf\"", HERE L"\\\"C:\\pkg\\kvr7.inf\""},
        {L"\\\\server\\share\\kvr7.inf", L"\\\\server\\share\\kvr7.inf"},
        {L".\\kvr7.inf", HERE L"\\kvr7.inf"},
        {L"kvr7.inf", HERE L"\\kvr7.inf"},
        {L"\"kvr7.inf\"", HERE L"\\\"kvr7.inf\""},
        {L"C:kvr7.inf", HERE L"\\kvr7.inf"},
        {L"C:.\\kvr7.inf", HERE L"\\kvr7.inf"},
        // Only blanks separate: a tab stays inside the word.
        {L"a\tb.inf", HERE L"\\a\tb.inf"},
    };
    for (const auto& c : cases)
    {
        expectGoesOn(c.typed, 0, 0, c.handedOn);
        expectGoesOn(std::wstring(L"-preinstall ") + c.typed, 0, 1, c.handedOn);
    }
    m_seam->GetFullPathNameW = unresolvable;
    expectEnds(L"-preinstall kvr7.inf", 6,
               L"The full path of the .inf file cannot be worked out: kvr7.inf", MB_ICONERROR);
}

TEST_F(CommandLine, HelpShowsTheUsageTextAndKeepsTheExitCode)
{
    for (const wchar_t* help : {L"-h", L"-H", L"-help", L"-HELP", L"-HeLp", L"-?"})
        expectEnds(help, 0, GOLDEN_USAGE, MB_OK);
    // The usage names kvr7.inf even after a path, and ignores what follows.
    expectEnds(L"C:\\other\\x.inf -h", 0, GOLDEN_USAGE, MB_OK);
    expectEnds(L"-h -bad", 0, GOLDEN_USAGE, MB_OK);
    expectEnds(L"-nopause -? x.inf y.inf", 0, GOLDEN_USAGE, MB_OK);

    // The stage does not write the exit code on the help path.
    g_boxes.clear();
    EXPECT_FALSE(run(L"-help", 42));
    EXPECT_EQ(42, m_exitCode);
}

TEST_F(CommandLine, InvalidOptions)
{
    for (const wchar_t* bad : {L"-", L"-x", L"-nopausex", L"-hh", L"-help2", L"--nopause", L"-pre",
                               L"-preinstall-", L"-\u00c9", L"-nopause\tC:\\x.inf"})
    {
        expectEnds(bad, 6, std::wstring(L"Invalid option: ") + bad, MB_ICONERROR);
    }
    // Only A to Z fold: a dotless capital I is not "i".
    expectEnds(L"-PREİNSTALL", 6, L"Invalid option: -PREİNSTALL", MB_ICONERROR);
    // The first piece that ends start-up decides.
    expectEnds(L"-bad -h", 6, L"Invalid option: -bad", MB_ICONERROR);
    expectEnds(L"x.inf -bad y.inf", 6, L"Invalid option: -bad", MB_ICONERROR);
}

TEST_F(CommandLine, SecondInfPath)
{
    const std::wstring text = L"Specify at most one .inf file.";
    expectEnds(L"a.inf b.inf", 6, text, MB_ICONERROR);
    expectEnds(L"a.inf b.inf -h", 6, text, MB_ICONERROR);
    expectEnds(L"a.inf b.inf -bad", 6, text, MB_ICONERROR);
    // A quoted path with a blank in it is two words.
    expectEnds(L"\"C:\\Program Files\\kvr7.inf\"", 6, text, MB_ICONERROR);
}

TEST_F(CommandLine, ProgramFolderFromTheModulePath)
{
    const struct
    {
        const wchar_t* module;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\KVR7\\install.exe", L"C:\\KVR7"},
        {L"C:\\install.exe", L"C:"},
        {L"\\\\server\\share\\pkg\\install.exe", L"\\\\server\\share\\pkg"},
        {L"\\install.exe", L""},
        {L"install.exe", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
    {
        g_modulePath = c.module;
        ASSERT_TRUE(run(L"-preinstall")) << c.module;
        EXPECT_EQ(c.folder, str(m_request.programFolder)) << c.module;
        // An unknown folder gives no default INF, never one in the drive root.
        EXPECT_EQ(*c.folder ? std::wstring(c.folder) + L"\\kvr7.inf" : L"", str(m_request.infPath))
            << c.module;
        // The folder is handed on also when a path was given.
        ASSERT_TRUE(run(L"D:\\x.inf")) << c.module;
        EXPECT_EQ(c.folder, str(m_request.programFolder)) << c.module;
        EXPECT_EQ(L"D:\\x.inf", str(m_request.infPath));
    }
}

// A path cut at the 512-character room would name another folder (here the
// parent C:\pkg), from which the default INF and the driver-package library
// would be taken; the whole path is asked for instead.
TEST_F(CommandLine, ProgramFolderLongerThanTheRoom)
{
    const std::wstring folder = L"C:\\pkg\\" + std::wstring(600, L'p');
    for (bool overreports : {false, true})
    {
        g_moduleOverreports = overreports;
        g_modulePath = folder + L"\\install.exe";
        g_moduleCalls = 0;
        EXPECT_EQ(g_modulePath, str(moduleFileName())) << overreports;
        EXPECT_EQ(2, g_moduleCalls) << overreports;

        ASSERT_TRUE(run(L"-preinstall")) << overreports;
        EXPECT_EQ(folder, str(m_request.programFolder)) << overreports;
        EXPECT_EQ(folder + L"\\kvr7.inf", str(m_request.infPath)) << overreports;
    }

    // 511 characters fit the room with their NUL; 512 do not.
    g_moduleOverreports = false;
    g_modulePath = L"C:\\" + std::wstring(508, L'q');
    g_moduleCalls = 0;
    EXPECT_EQ(g_modulePath, str(moduleFileName()));
    EXPECT_EQ(1, g_moduleCalls);
    g_modulePath += L'r';
    g_moduleCalls = 0;
    EXPECT_EQ(g_modulePath, str(moduleFileName()));
    EXPECT_EQ(2, g_moduleCalls);

    // Longer than any path the platform has: cannot be had, so no folder.
    g_modulePath = L"C:\\" + std::wstring(40000, L'z') + L"\\install.exe";
    EXPECT_EQ(L"", str(moduleFileName()));
    ASSERT_TRUE(run(L""));
    EXPECT_EQ(L"", str(m_request.programFolder));

    g_modulePath = L"C:\\pkg\\install.exe";
    EXPECT_EQ(L"C:\\pkg\\install.exe", str(moduleFileName()));
    g_modulePath.clear();
    EXPECT_EQ(L"", str(moduleFileName()));
}

TEST_F(CommandLine, RealModuleFileNameNamesThisProgram)
{
    m_seam->GetModuleFileNameW = m_seam.saved().GetModuleFileNameW;
    std::wstring path = str(moduleFileName());
    ASSERT_GT(path.size(), 14u);
    EXPECT_EQ(L"app_tests.exe", path.substr(path.size() - 13));
}

TEST_F(CommandLine, LongArgumentStrings)
{
    const std::wstring longPath = L"C:\\" + std::wstring(100000, L'x') + L".inf";
    expectGoesOn(longPath, 0, 0, longPath);
    expectGoesOn(std::wstring(10000, L' '), 0, 0, DEFAULT_INF);

    std::wstring manyOptions;
    for (int i = 0; i < 5000; ++i)
        manyOptions += i % 2 ? L"-nopause " : L"-PREINSTALL ";
    expectGoesOn(manyOptions, 1, 1, DEFAULT_INF);
    expectEnds(manyOptions + L"-late", 6, L"Invalid option: -late", MB_ICONERROR);

    std::wstring manyWords;
    for (int i = 0; i < 50000; ++i)
        manyWords += L"a ";
    expectEnds(manyWords, 6, L"Specify at most one .inf file.", MB_ICONERROR);

    // 32,000 characters, near the most that Windows passes to a program.
    const std::wstring path32k = L"D:\\" + std::wstring(32000 - 9 - 3 - 4, L'y') + L".inf";
    ASSERT_EQ(32000u, (L"-nopause " + path32k).size());
    expectGoesOn(L"-nopause " + path32k, 1, 0, path32k);
    const std::wstring option32k = L"-" + std::wstring(31999, L'o');
    expectEnds(option32k, 6, L"Invalid option: " + option32k, MB_ICONERROR);

    const std::wstring longOption = L"-" + std::wstring(100000, L'z');
    expectEnds(longOption, 6, L"Invalid option: " + longOption, MB_ICONERROR);
}
