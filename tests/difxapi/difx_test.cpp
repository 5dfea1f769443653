// difx_test.cpp
// The stand-in driver-package library, loaded as the installer loads it: by the
// full path of the built "x86_64\difxapi.dll". Packages are written to a
// temporary folder at test time; every staged oem*.inf that a test leaves is
// removed with SetupUninstallOEMInfW, before and after each test, so the suite
// can be run again. The administrator check is reached through the library's
// seam, with the pre-installation linked in directly.

#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

#include "difx_interface/difx_api.h"
#include "difxapi/difxapi_platform.h"
#include "difxapi/preinstall.h"
#include "tests/support/file_bytes.h"
#include "tests/support/seam_guard.h"
#include "tests/support/system_folders.h"
#include "tests/support/temp_folder.h"

namespace {

// ---- fixtures --------------------------------------------------------------

std::wstring widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

std::wstring libraryPath()
{
    std::wstring relative = widen(KVR7_DIFXAPI_FROM_TESTS);
    for (wchar_t& c : relative)
        if (c == L'/')
            c = L'\\';
    const std::wstring joined = ownFolder() + L"\\" + relative;
    wchar_t full[MAX_PATH];
    GetFullPathNameW(joined.c_str(), MAX_PATH, full, nullptr);
    return full;
}

void writeBytes(const std::wstring& path, const std::string& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << narrow(path);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(content.size(), written);
}

// Removes every staged copy of `content`, and the precompiled file that Wine's
// SetupUninstallOEMInfW leaves behind.
void unstage(const std::string& content)
{
    for (const std::wstring& name : stagedCopies(content))
    {
        EXPECT_TRUE(SetupUninstallOEMInfW(name.c_str(), SUOI_FORCEDELETE, nullptr))
            << narrow(name) << " error " << GetLastError();
        const std::wstring pnf = name.substr(0, name.size() - 4) + L".pnf";
        DeleteFileW((systemInfFolder() + L"\\" + pnf).c_str());
    }
}

struct LogEvent
{
    DIFXAPI_LOG kind;
    DWORD error;
    std::wstring text;
    PVOID context;
};

std::vector<LogEvent> g_events;

VOID __cdecl recordEvent(DIFXAPI_LOG kind, DWORD error, PCWSTR text, PVOID context)
{
    g_events.push_back({kind, error, text ? text : L"(null)", context});
}

// The library as the installer loads it, released at the end of the test.
class DifxLibrary
{
public:
    DifxLibrary() : m_module(LoadLibraryW(libraryPath().c_str()))
    {
        if (!m_module)
            return;
        preinstall = reinterpret_cast<DriverPackagePreinstallW_t>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "DriverPackagePreinstallW")));
        setLogCallback = reinterpret_cast<SetDifxLogCallbackW_t>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "SetDifxLogCallbackW")));
    }
    ~DifxLibrary()
    {
        if (m_module)
        {
            if (setLogCallback)
                setLogCallback(nullptr, nullptr);
            FreeLibrary(m_module);
        }
    }
    DifxLibrary(const DifxLibrary&) = delete;
    DifxLibrary& operator=(const DifxLibrary&) = delete;

    HMODULE module() const { return m_module; }

    DriverPackagePreinstallW_t preinstall = nullptr;
    SetDifxLogCallbackW_t setLogCallback = nullptr;

private:
    HMODULE m_module;
};

// ---- packages --------------------------------------------------------------

// A plug-and-play package for both architectures whose one driver file lies
// beside the INF. `tag` makes each package's content its own, so that one test's
// staged copy is never taken for another's. `version` adds lines to [Version],
// `install` to the device install section, `sections` whole sections.
std::string package(const std::string& tag, const std::string& version = "",
                    const std::string& install = "", const std::string& sections = "")
{
    return "; " + tag +
           "\r\n"
           "[Version]\r\n"
           "Signature=\"$Windows NT$\"\r\n"
           "Class=Sample\r\n"
           "ClassGuid={78A1C341-4539-11d3-B88D-00C04FAD5171}\r\n"
           "Provider=%Maker%\r\n"
           "DriverVer=01/01/2024,1.0.0.0\r\n" +
           version +
           "\r\n[Manufacturer]\r\n"
           "%Maker%=Models,NTx86,NTamd64\r\n"
           "\r\n[Models.NTx86]\r\n%Device%=Kvr7Install,ROOT\\KVR7TEST\r\n"
           "\r\n[Models.NTamd64]\r\n%Device%=Kvr7Install,ROOT\\KVR7TEST\r\n"
           "\r\n[Kvr7Install.NT]\r\nCopyFiles=Kvr7Files\r\n" +
           install +
           "\r\n[Kvr7Files]\r\nkvr7test.sys\r\n"
           "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n"
           "\r\n[SourceDisksNames]\r\n1=%Disk%,,,\r\n2=%Disk%,,,\\disk2\r\n"
           "\r\n[SourceDisksFiles]\r\nkvr7test.sys=1\r\n" +
           sections +
           "\r\n[Strings]\r\nMaker=\"KVR7 test maker\"\r\nDevice=\"KVR7 test device\"\r\n"
           "Disk=\"KVR7 test disk\"\r\n";
}

const char DRIVER_FILE[] = "MZ not really a driver";

class DifxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_events.clear();
        ASSERT_NE(nullptr, library.module()) << "error " << GetLastError();
        ASSERT_NE(nullptr, library.preinstall);
        ASSERT_NE(nullptr, library.setLogCallback);
        // Wine's built-in difxapi.dll, which it prefers unless the prefix puts
        // native first, has more entry points than ours.
        ASSERT_EQ(nullptr, reinterpret_cast<void*>(
                               GetProcAddress(library.module(), "DriverPackageInstallW")))
            << "Wine's built-in difxapi.dll was loaded instead of " << narrow(libraryPath());
    }

    void TearDown() override
    {
        for (const std::string& content : m_packages)
            unstage(content);
    }

    // Removes any staged copy of `inf` now (left by an earlier run) and after the test.
    void forget(const std::string& inf)
    {
        m_packages.push_back(inf);
        unstage(inf);
    }

    // Writes the INF (and the driver file beside it unless told otherwise) into
    // the test's folder.
    std::wstring writePackage(const std::string& inf, bool withDriverFile = true)
    {
        forget(inf);
        if (withDriverFile)
            folder.writeBytes(L"kvr7test.sys", DRIVER_FILE);
        return folder.writeBytes(L"kvr7test.inf", inf);
    }

    DifxLibrary library;
    TempFolder folder;

private:
    std::vector<std::string> m_packages;
};

// ---- result codes ----------------------------------------------------------

TEST_F(DifxTest, PathChecks)
{
    const std::wstring longFolder = L"C:\\" + std::wstring(240, L'd') + L"\\";
    const struct
    {
        const char* name;
        std::wstring path;
        DWORD expected;
    } cases[] = {
        {"missing file", folder.file(L"absent.inf"), ERROR_FILE_NOT_FOUND},
        {"missing folder", folder.file(L"absent\\kvr7.inf"), ERROR_FILE_NOT_FOUND},
        {"a folder, not a file", folder.path(), ERROR_FILE_NOT_FOUND},
        {"relative", L"kvr7.inf", ERROR_INVALID_NAME},
        {"drive-relative", L"C:kvr7.inf", ERROR_INVALID_NAME},
        {"empty", L"", ERROR_INVALID_NAME},
        {"forbidden character", folder.file(L"kvr7|test.inf"), ERROR_INVALID_NAME},
        {"empty component", folder.path() + L"\\\\kvr7.inf", ERROR_INVALID_NAME},
        {"trailing backslash", folder.path() + L"\\", ERROR_INVALID_NAME},
        {"device path", L"\\\\?\\C:\\kvr7.inf", ERROR_INVALID_NAME},
        {"share without file", L"\\\\server\\share", ERROR_INVALID_NAME},
        // 259 characters are the most a path may have; 260 are too many.
        {"259 characters", longFolder + std::wstring(259 - longFolder.size(), L'f'),
         ERROR_FILE_NOT_FOUND},
        {"260 characters", longFolder + std::wstring(260 - longFolder.size(), L'f'),
         ERROR_FILENAME_EXCED_RANGE},
        {"very long and invalid", std::wstring(1000, L'|'), ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected,
                  library.preinstall(c.path.c_str(), DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_FORCE))
            << c.name;
}

TEST_F(DifxTest, InvalidParameters)
{
    const std::wstring inf = writePackage(package("InvalidParameters"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), library.preinstall(nullptr, 5));
    const DWORD foreignFlags[] = {DRIVER_PACKAGE_ONLY_IF_DEVICE_PRESENT,
                                  DRIVER_PACKAGE_DELETE_FILES, 0x80000000};
    for (DWORD flag : foreignFlags)
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
                  library.preinstall(inf.c_str(), DRIVER_PACKAGE_REPAIR | flag))
            << "flag 0x" << std::hex << flag;
    EXPECT_TRUE(stagedCopies(package("InvalidParameters")).empty());
}

TEST_F(DifxTest, InfInsideTheSystemInfFolder)
{
    const std::string inf = package("InsideInfFolder");
    const std::wstring inside = systemInfFolder() + L"\\kvr7difxtest.inf";
    writeBytes(inside, inf);
    const std::wstring spellings[] = {
        inside,
        systemInfFolder() + L"\\..\\INF\\kvr7difxtest.inf",
    };
    for (const std::wstring& path : spellings)
        EXPECT_EQ(static_cast<DWORD>(ERROR_CANT_ACCESS_FILE), library.preinstall(path.c_str(), 5))
            << narrow(path);
    DeleteFileW(inside.c_str());
    EXPECT_TRUE(stagedCopies(inf).empty());
}

TEST_F(DifxTest, NotAPlugAndPlayFunctionDriverPackage)
{
    const std::string models = "\r\n[Manufacturer]\r\n%M%=Models\r\n"
                               "\r\n[Models]\r\n%D%=Install,ROOT\\KVR7TEST\r\n";
    const std::string tail = "\r\n[Strings]\r\nM=\"m\"\r\nD=\"d\"\r\n";
    const struct
    {
        const char* name;
        std::string inf;
    } cases[] = {
        {"no class", "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + models +
                         "\r\n[Install]\r\nAddReg=R\r\n[R]\r\n" + tail},
        {"legacy driver class",
         "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=LegacyDriver\r\n" + models +
             "\r\n[Install]\r\nAddReg=R\r\n[R]\r\n" + tail},
        {"legacy driver class GUID", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                     "ClassGUID={8ECC055D-047F-11D1-A537-0000F8753ED1}\r\n" +
                                         models + "\r\n[Install]\r\nAddReg=R\r\n[R]\r\n" + tail},
        {"no [Manufacturer]", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
                              "\r\n[DefaultInstall]\r\nAddReg=R\r\n[R]\r\n" +
                                  tail},
        {"models section missing",
         "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
         "\r\n[Manufacturer]\r\n%M%=Models\r\n\r\n[Install]\r\nAddReg=R\r\n[R]\r\n" +
             tail},
        {"install section missing",
         "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n" + models + tail},
        {"models only for another architecture",
         "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
         "\r\n[Manufacturer]\r\n%M%=Models,NTia64\r\n"
         "\r\n[Models.NTia64]\r\n%D%=Install,ROOT\\KVR7TEST\r\n"
         "\r\n[Install]\r\nAddReg=R\r\n[R]\r\n" +
             tail},
    };
    for (const auto& c : cases)
    {
        const std::wstring inf = writePackage(c.inf);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), library.preinstall(inf.c_str(), 5))
            << c.name;
        EXPECT_TRUE(stagedCopies(c.inf).empty()) << c.name;
    }
}

// The Setup API's own reason is passed on for a file it does not take as an INF.
TEST_F(DifxTest, NotAnInfFile)
{
    const std::wstring inf = writePackage("MZ binary\r\n");
    EXPECT_EQ(static_cast<DWORD>(ERROR_EXPECTED_SECTION_NAME), library.preinstall(inf.c_str(), 5));
}

TEST_F(DifxTest, MissingFilesAndCatalogs)
{
    const std::string bothArchitectures = "\r\n[SourceDisksFiles.x86]\r\nextra.dll=1\r\n"
                                          "\r\n[SourceDisksFiles.amd64]\r\nextra.dll=1\r\n";
    const std::string onDisk2 = "\r\n[Kvr7Moved]\r\nmoved.sys\r\n"
                                "\r\n[SourceDisksFiles.x86]\r\nmoved.sys=2,sub\r\n"
                                "\r\n[SourceDisksFiles.amd64]\r\nmoved.sys=2,sub\r\n";
    const std::string archCatalogs = "CatalogFile=kvr7test.cat\r\nCatalogFile.NTx86=kvr7x86.cat\r\n"
                                     "CatalogFile.NTamd64=kvr7amd64.cat\r\n";
    const std::vector<std::wstring> driver = {L"kvr7test.sys"};
    const DWORD normal = DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_FORCE;
    const DWORD legacy = normal | DRIVER_PACKAGE_LEGACY_MODE;
    const struct
    {
        const char* name;
        std::string inf;
        std::vector<std::wstring> files;
        DWORD flags;
        DWORD expected;
    } cases[] = {
        {"all present", package("f1"), driver, normal, ERROR_SUCCESS},
        {"driver file missing", package("f2"), {}, normal, ERROR_MISSING_FILE},
        {"listed in SourceDisksFiles only", package("f3", "", "", bothArchitectures), driver,
         normal, ERROR_MISSING_FILE},
        {"listed file present",
         package("f4", "", "", bothArchitectures),
         {L"kvr7test.sys", L"extra.dll"},
         normal,
         ERROR_SUCCESS},
        {"copied with @, missing", package("f5", "", "CopyFiles=@direct.sys\r\n"), driver, normal,
         ERROR_MISSING_FILE},
        {"copied with @, present",
         package("f6", "", "CopyFiles=@direct.sys\r\n"),
         {L"kvr7test.sys", L"direct.sys"},
         normal,
         ERROR_SUCCESS},
        {"renamed on copy: source missing",
         package("f7", "", "CopyFiles=Kvr7Renamed\r\n", "\r\n[Kvr7Renamed]\r\nnew.sys,old.sys\r\n"),
         {L"kvr7test.sys", L"new.sys"},
         normal,
         ERROR_MISSING_FILE},
        {"renamed on copy: source present",
         package("f8", "", "CopyFiles=Kvr7Renamed\r\n", "\r\n[Kvr7Renamed]\r\nnew.sys,old.sys\r\n"),
         {L"kvr7test.sys", L"old.sys"},
         normal,
         ERROR_SUCCESS},
        {"disk folder: file beside the INF",
         package("f9", "", "CopyFiles=Kvr7Moved\r\n", onDisk2),
         {L"kvr7test.sys", L"moved.sys"},
         normal,
         ERROR_MISSING_FILE},
        {"disk folder: file in place",
         package("f10", "", "CopyFiles=Kvr7Moved\r\n", onDisk2),
         {L"kvr7test.sys", L"disk2\\sub\\moved.sys"},
         normal,
         ERROR_SUCCESS},
        {"catalog missing", package("f11", "CatalogFile=kvr7test.cat\r\n"), driver, normal,
         static_cast<DWORD>(CRYPT_E_FILE_ERROR)},
        {"catalog present",
         package("f12", "CatalogFile=kvr7test.cat\r\n"),
         {L"kvr7test.sys", L"kvr7test.cat"},
         normal,
         ERROR_SUCCESS},
        {"architecture's catalog missing",
         package("f13", archCatalogs),
         {L"kvr7test.sys", L"kvr7test.cat"},
         normal,
         static_cast<DWORD>(CRYPT_E_FILE_ERROR)},
        {"architecture's catalog present",
         package("f14", archCatalogs),
         {L"kvr7test.sys", L"kvr7test.cat", L"kvr7x86.cat", L"kvr7amd64.cat"},
         normal,
         ERROR_SUCCESS},
        {"legacy mode: files missing",
         package("f15", "CatalogFile=kvr7test.cat\r\n"),
         {L"kvr7test.cat"},
         legacy,
         ERROR_SUCCESS},
        {"legacy mode: catalog missing",
         package("f16", "CatalogFile=kvr7test.cat\r\n"),
         {},
         legacy,
         static_cast<DWORD>(CRYPT_E_FILE_ERROR)},
    };
    for (const auto& c : cases)
    {
        TempFolder own;
        const std::wstring inf = own.writeBytes(L"kvr7test.inf", c.inf);
        forget(c.inf);
        for (const std::wstring& file : c.files)
            own.writeBytes(file, "file");
        EXPECT_EQ(c.expected, library.preinstall(inf.c_str(), c.flags)) << c.name;
        EXPECT_EQ(c.expected == ERROR_SUCCESS ? 1u : 0u, stagedCopies(c.inf).size()) << c.name;
    }
}

TEST_F(DifxTest, AlreadyStagedUnlessRepairAsked)
{
    const std::string content = package("AlreadyStaged");
    const std::wstring inf = writePackage(content);
    EXPECT_EQ(0u, library.preinstall(inf.c_str(), 0));
    const std::vector<std::wstring> first = stagedCopies(content);
    ASSERT_EQ(1u, first.size());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), library.preinstall(inf.c_str(), 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS),
              library.preinstall(inf.c_str(), DRIVER_PACKAGE_FORCE));
    // A copy of the package elsewhere is the same package.
    TempFolder other;
    other.writeBytes(L"kvr7test.sys", DRIVER_FILE);
    const std::wstring copy = other.writeBytes(L"renamed.inf", content);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), library.preinstall(copy.c_str(), 0));
    // Repair stages it again, and still as one file.
    EXPECT_EQ(0u, library.preinstall(inf.c_str(), DRIVER_PACKAGE_REPAIR));
    EXPECT_EQ(0u, library.preinstall(inf.c_str(), DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_FORCE));
    EXPECT_EQ(first, stagedCopies(content));
    // Once removed, it is staged anew.
    unstage(content);
    EXPECT_EQ(0u, library.preinstall(inf.c_str(), 0));
    EXPECT_EQ(1u, stagedCopies(content).size());
}

TEST_F(DifxTest, SuccessStagesThePackageAsAnOemInf)
{
    const std::string content = package("Success");
    const std::wstring inf = writePackage(content);
    int context = 0;
    library.setLogCallback(recordEvent, &context);
    EXPECT_EQ(0u, library.preinstall(inf.c_str(), DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_FORCE));
    library.setLogCallback(nullptr, nullptr);

    const std::vector<std::wstring> staged = stagedCopies(content);
    ASSERT_EQ(1u, staged.size());
    const std::wstring& name = staged[0];
    EXPECT_EQ(0, _wcsnicmp(name.c_str(), L"oem", 3)) << narrow(name);
    EXPECT_EQ(0, _wcsicmp(name.c_str() + name.size() - 4, L".inf")) << narrow(name);

    const std::wstring inStore = systemInfFolder() + L"\\" + name;
    const std::vector<std::pair<DIFXAPI_LOG, std::wstring>> expected = {
        {DIFXAPI_INFO, L"Preinstalling driver package '" + inf + L"' (flags 0x5)."},
        {DIFXAPI_INFO, L"Checking driver package '" + inf + L"'."},
        {DIFXAPI_INFO, L"All 1 files referenced by the INF file are present."},
        {DIFXAPI_INFO, L"Staging '" + inf + L"' into the system INF folder."},
        {DIFXAPI_SUCCESS, L"Driver package '" + inf + L"' was preinstalled as '"},
    };
    ASSERT_EQ(expected.size(), g_events.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(expected[i].first, g_events[i].kind) << "event " << i;
        EXPECT_EQ(0u, g_events[i].error) << "event " << i;
        EXPECT_EQ(&context, g_events[i].context) << "event " << i;
        if (i + 1 < expected.size())
        {
            EXPECT_EQ(narrow(expected[i].second), narrow(g_events[i].text)) << "event " << i;
        }
    }
    // The last event names the staged file; compare the folder without regard to case.
    const std::wstring& last = g_events.back().text;
    const std::wstring head = expected.back().second;
    ASSERT_GT(last.size(), head.size());
    EXPECT_EQ(narrow(head), narrow(last.substr(0, head.size())));
    EXPECT_EQ(0, _wcsicmp((inStore + L"'.").c_str(), last.c_str() + head.size())) << narrow(last);
}

// ---- log callback ----------------------------------------------------------

TEST_F(DifxTest, FailuresEndWithAnErrorEventCarryingTheCode)
{
    const std::wstring missing = folder.file(L"absent.inf");
    const std::wstring relative = L"kvr7.inf";
    const std::wstring noDriver = writePackage(package("LogFailure"), false);
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'x');
    const struct
    {
        const wchar_t* path;
        DWORD flags;
        DWORD code;
        std::wstring text;
    } cases[] = {
        {missing.c_str(), 5, ERROR_FILE_NOT_FOUND,
         L"The INF file '" + missing + L"' was not found."},
        {relative.c_str(), 5, ERROR_INVALID_NAME,
         L"'kvr7.inf' is not a valid fully qualified INF file path."},
        {tooLong.c_str(), 5, ERROR_FILENAME_EXCED_RANGE,
         L"The INF path has 303 characters; at most 259 are supported."},
        {noDriver.c_str(), 5, ERROR_MISSING_FILE,
         L"The file 'kvr7test.sys' referenced by the INF file was not found."},
        {nullptr, 5, ERROR_INVALID_PARAMETER, L"Invalid parameter: INF path (null), flags 0x5."},
        {missing.c_str(), 0x28, ERROR_INVALID_PARAMETER,
         L"Invalid parameter: INF path " + missing + L", flags 0x28."},
    };
    for (const auto& c : cases)
    {
        g_events.clear();
        int context = 0;
        library.setLogCallback(recordEvent, &context);
        EXPECT_EQ(c.code, library.preinstall(c.path, c.flags)) << narrow(c.text);
        ASSERT_LE(2u, g_events.size()) << narrow(c.text);
        EXPECT_EQ(DIFXAPI_INFO, g_events.front().kind);
        EXPECT_EQ(DIFXAPI_ERROR, g_events.back().kind) << narrow(c.text);
        EXPECT_EQ(c.code, g_events.back().error) << narrow(c.text);
        EXPECT_EQ(narrow(c.text), narrow(g_events.back().text));
        EXPECT_EQ(&context, g_events.back().context);
    }
}

TEST_F(DifxTest, CallbackIsReplacedAndCleared)
{
    const std::wstring missing = folder.file(L"absent.inf");
    int first = 1;
    int second = 2;
    library.setLogCallback(recordEvent, &first);
    library.setLogCallback(recordEvent, &second);
    library.preinstall(missing.c_str(), 5);
    ASSERT_FALSE(g_events.empty());
    for (const LogEvent& event : g_events)
        EXPECT_EQ(&second, event.context);

    g_events.clear();
    library.setLogCallback(nullptr, nullptr);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), library.preinstall(missing.c_str(), 5));
    EXPECT_TRUE(g_events.empty());
}

// ---- administrator check (through the seam) --------------------------------

BOOL g_isMember;
BOOL g_membershipResult;
int g_membershipCalls;

BOOL WINAPI fakeCheckTokenMembership(HANDLE token, PSID sid, PBOOL isMember)
{
    ++g_membershipCalls;
    EXPECT_EQ(nullptr, token);
    EXPECT_TRUE(IsValidSid(sid));
    *isMember = g_isMember;
    return g_membershipResult;
}

TEST(DifxAdministrator, OnlyAdministratorsMayPreinstall)
{
    TempFolder folder;
    folder.writeBytes(L"kvr7test.sys", DRIVER_FILE);
    const std::string content = package("Administrator");
    const std::wstring inf = folder.writeBytes(L"kvr7test.inf", content);
    unstage(content);
    // Put back when the cases end, or when one of them fails an ASSERT.
    std::optional<SeamGuard<DifxApi>> seam(std::in_place, g_difxApi);
    g_difxApi.CheckTokenMembership = fakeCheckTokenMembership;
    const struct
    {
        const char* name;
        BOOL member;
        BOOL result;
    } cases[] = {
        {"not a member", FALSE, TRUE},
        {"check failed", TRUE, FALSE},
    };
    for (const auto& c : cases)
    {
        g_isMember = c.member;
        g_membershipResult = c.result;
        g_membershipCalls = 0;
        g_events.clear();
        setDifxLogCallback(recordEvent, nullptr);
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), preinstallDriverPackage(inf.c_str(), 5))
            << c.name;
        setDifxLogCallback(nullptr, nullptr);
        EXPECT_EQ(1, g_membershipCalls) << c.name;
        ASSERT_FALSE(g_events.empty());
        EXPECT_EQ(narrow(L"The caller is not a member of the Administrators group."),
                  narrow(g_events.back().text));
        EXPECT_TRUE(stagedCopies(content).empty()) << c.name;
    }
    seam.reset();
    // The real answer under test: the caller is an administrator.
    EXPECT_EQ(0u, preinstallDriverPackage(inf.c_str(), 5));
    EXPECT_EQ(1u, stagedCopies(content).size());
    unstage(content);
}

// ---- staging -----------------------------------------------------------------

enum CopyOutcome
{
    COPIED,
    COPY_FAILED,
    PROCESS_DIES,
};

CopyOutcome g_copyOutcome;
std::wstring g_copyLocation;
bool g_placeholderDuringCopy;
const wchar_t ROOT_INF[] = L"C:\\kvr7root.inf";
const wchar_t ROOT_DRIVER[] = L"C:\\kvr7test.sys";

std::wstring placeholder()
{
    return systemInfFolder() + L"\\kvr7root.inf";
}

BOOL WINAPI fakeCopyOemInf(PCWSTR, PCWSTR location, DWORD, DWORD, PWSTR, DWORD, PDWORD, PWSTR*)
{
    g_copyLocation = location;
    g_placeholderDuringCopy = GetFileAttributesW(placeholder().c_str()) != INVALID_FILE_ATTRIBUTES;
    if (g_copyOutcome == PROCESS_DIES)
        TerminateProcess(GetCurrentProcess(), 3);
    SetLastError(ERROR_DISK_FULL);
    return g_copyOutcome == COPIED;
}

// The system closes the handles of a process that died right after it ends.
bool placeholderGone()
{
    for (int i = 0; i < 100 && GetFileAttributesW(placeholder().c_str()) != INVALID_FILE_ATTRIBUTES;
         ++i)
        Sleep(20);
    return GetFileAttributesW(placeholder().c_str()) == INVALID_FILE_ATTRIBUTES;
}

// An INF in a drive root is staged from the root itself ("C:\\"), and the
// placeholder that reserves its name in the system INF folder is there during
// the copy and gone after it, whether it succeeded, failed, or the process died
// in it. The package has the same names in every process, so that the parent
// removes what a test process that died left.
TEST(DifxStaging, SourceLocationAndNothingLeftBehind)
{
    writeBytes(ROOT_DRIVER, DRIVER_FILE);
    writeBytes(ROOT_INF, package("Root"));
    DeleteFileW(placeholder().c_str()); // left by a build that did leave it
    std::optional<SeamGuard<DifxApi>> seam(std::in_place, g_difxApi);
    g_difxApi.SetupCopyOEMInfW = fakeCopyOemInf;
    for (CopyOutcome outcome : {COPIED, COPY_FAILED})
    {
        g_copyOutcome = outcome;
        g_placeholderDuringCopy = false;
        EXPECT_EQ(outcome == COPIED ? 0u : ERROR_DISK_FULL, preinstallDriverPackage(ROOT_INF, 5));
        EXPECT_EQ(L"C:\\", g_copyLocation);
        EXPECT_TRUE(g_placeholderDuringCopy);
        EXPECT_TRUE(placeholderGone()) << outcome;
    }
    g_copyOutcome = PROCESS_DIES;
    EXPECT_EXIT(preinstallDriverPackage(ROOT_INF, 5), ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(placeholderGone()) << "left behind by the process that died";
    seam.reset();
    DeleteFileW(ROOT_INF);
    DeleteFileW(ROOT_DRIVER);
}

} // namespace
