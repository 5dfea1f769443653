// inf_file_test.cpp
// Opening an INF, the system description, the original file name, reading lines
// and fields, closing, the path split and the trace switch. Fixtures are real INF
// files parsed by the platform; failures the platform will not produce on demand
// come from fakes in the INF seam.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/wformat.h"
#include "base/path.h"
#include "inf/inf_file.h"
#include "tests/inf/inf_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

const char SIMPLE_INF_BODY[] = "[Manufacturer]\r\n"
                               "%Maker%=Models,NTamd64\r\n"
                               "\r\n"
                               "[Models.NTamd64]\r\n"
                               "; the one device\r\n"
                               "%Device%=Install,\"ROOT\\KVR7\",,PCI\\VEN_1234\r\n"
                               "\r\n"
                               "[Strings]\r\n"
                               "Maker=\"Example Maker\"\r\n"
                               "Device=\"KVR7 Device, rev. 2\"\r\n";

std::string simpleInf()
{
    return std::string(INF_VERSION) + SIMPLE_INF_BODY;
}

std::vector<std::wstring> openLines(const std::wstring& dir, const std::wstring& name,
                                    const std::wstring& systemLine)
{
    return {L"CInfFile::open: dir='" + dir + L"' filename='" + name + L"' path='" + dir + L"\\" +
                name + L"'\n",
            systemLine};
}

const wchar_t EXAMPLE_SYSTEM_LINE[] =
    L"CInfFile::open: opened .INF file. Architecture=9 OS=6.1 ProductType=1 SuiteMask=0x100\n";

class InfFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        describeSystem(EXAMPLE_SYSTEM);
        countHandles();
        m_path = m_folder.writeBytes(L"kvr7.inf", simpleInf());
    }

    InfApiGuard m_guard;
    TempFolder m_folder;
    std::wstring m_path;
};

// ---- opening ------------------------------------------------------------

TEST_F(InfFileTest, OpenTracesPathsSystemAndOriginalName)
{
    DebugOutputCapture capture;
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    std::vector<std::wstring> expected =
        openLines(m_folder.path(), L"kvr7.inf", EXAMPLE_SYSTEM_LINE);
    expected.push_back(L"CInfFile::open: orignal filename=kvr7.inf\n");
    EXPECT_EQ(expected, capture.lines());
    EXPECT_EQ(m_path, str(inf.path()));
    EXPECT_EQ(m_folder.path(), str(inf.dir()));
    EXPECT_EQ(L"kvr7.inf", str(inf.filename()));
    EXPECT_EQ(L"kvr7.inf", str(inf.originalName()));
    EXPECT_EQ(1u, inf.traceOn());
    EXPECT_NE(INVALID_HANDLE_VALUE, inf.handle());

    // The native query is looked up in the kernel module by its name.
    ASSERT_EQ(1u, systemCalls().moduleNames.size());
    EXPECT_EQ(L"kernel32.dll", systemCalls().moduleNames[0]);
    ASSERT_EQ(1u, systemCalls().procNames.size());
    EXPECT_EQ("GetNativeSystemInfo", systemCalls().procNames[0]);
    EXPECT_EQ(1, systemCalls().nativeCalls);
    EXPECT_EQ(0, systemCalls().systemInfoCalls);
}

TEST_F(InfFileTest, SystemLineCarriesAnyDescription)
{
    const struct
    {
        SystemDescription system;
        bool nativeQuery;
        const wchar_t* line;
    } cases[] = {
        {{0, 5, 0, 1, 0},
         true,
         L"CInfFile::open: opened .INF file. Architecture=0 OS=5.0 ProductType=1 SuiteMask=0x0\n"},
        {{6, 5, 2, 3, 0x112},
         true,
         L"CInfFile::open: opened .INF file. Architecture=6 OS=5.2 ProductType=3 "
         L"SuiteMask=0x112\n"},
        {{9, 10, 0, 2, 0xffff},
         true,
         L"CInfFile::open: opened .INF file. Architecture=9 OS=10.0 ProductType=2 "
         L"SuiteMask=0xffff\n"},
        {{0xffff, 4294967295u, 4294967295u, 255, 0x8000},
         true,
         L"CInfFile::open: opened .INF file. Architecture=65535 OS=4294967295.4294967295 "
         L"ProductType=255 SuiteMask=0x8000\n"},
        // Without GetNativeSystemInfo the architecture comes from GetSystemInfo.
        {{6, 6, 0, 1, 0x100},
         false,
         L"CInfFile::open: opened .INF file. Architecture=6 OS=6.0 ProductType=1 "
         L"SuiteMask=0x100\n"},
    };
    for (const auto& c : cases)
    {
        describeSystem(c.system, c.nativeQuery);
        DebugOutputCapture capture;
        CInfFile inf;
        ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str())) << std::wstring(c.line);
        ASSERT_EQ(3u, capture.lines().size());
        EXPECT_EQ(c.line, capture.lines()[1]);
        EXPECT_EQ(c.nativeQuery ? 1 : 0, systemCalls().nativeCalls) << c.line;
        EXPECT_EQ(c.nativeQuery ? 0 : 1, systemCalls().systemInfoCalls) << c.line;
    }
}

TEST(InfFileRealSystem, SystemLineShowsWhatThePlatformReports)
{
    TempFolder folder;
    const std::wstring path = folder.writeBytes(L"kvr7.inf", simpleInf());
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(::GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version)));
    SYSTEM_INFO native = {};
    ::GetNativeSystemInfo(&native);

    DebugOutputCapture capture;
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(path.c_str()));
    ASSERT_EQ(3u, capture.lines().size());
    EXPECT_EQ(L"CInfFile::open: opened .INF file. Architecture=" +
                  std::to_wstring(native.wProcessorArchitecture) + L" OS=" +
                  std::to_wstring(version.dwMajorVersion) + L"." +
                  std::to_wstring(version.dwMinorVersion) + L" ProductType=" +
                  std::to_wstring(version.wProductType) + L" SuiteMask=0x" +
                  str(formatText(L"%lx", static_cast<unsigned long>(version.wSuiteMask))) + L"\n",
              capture.lines()[1]);
}

// ---- open failures ------------------------------------------------------

DWORD g_openError;
HINF WINAPI failingOpen(PCWSTR, PCWSTR, DWORD, PUINT)
{
    ::SetLastError(g_openError);
    return INVALID_HANDLE_VALUE;
}

TEST_F(InfFileTest, OpenFailureReasonsMapToCodes)
{
    const struct
    {
        DWORD error;
        SetupStatus expected;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, 1}, {ERROR_PATH_NOT_FOUND, 2}, {ERROR_NOT_ENOUGH_MEMORY, 5},
        {ERROR_ACCESS_DENIED, 6},  {ERROR_OUTOFMEMORY, 6},    {ERROR_SUCCESS, 6},
        {ERROR_GENERAL_SYNTAX, 6},
    };
    g_infApi.SetupOpenInfFileW = failingOpen;
    for (const auto& c : cases)
    {
        g_openError = c.error;
        DebugOutputCapture capture;
        CInfFile inf;
        EXPECT_EQ(c.expected, inf.open(L"C:\\drivers\\kvr7.inf")) << "error " << c.error;
        EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle()) << "error " << c.error;
        EXPECT_EQ(c.error ? c.error : DWORD(ERROR_INVALID_DATA), inf.openError()) << c.error;
        // Only the first line is written: nothing about the system or the name.
        EXPECT_EQ(std::vector<std::wstring>{L"CInfFile::open: dir='C:\\drivers' "
                                            L"filename='kvr7.inf' path='C:\\drivers\\kvr7.inf'\n"},
                  capture.lines())
            << "error " << c.error;
    }
}

TEST_F(InfFileTest, MissingFileAndFolderOnTheRealPlatform)
{
    DebugOutputCapture capture;
    CInfFile inf;
    EXPECT_EQ(SETUP_INF_FILE_NOT_FOUND, inf.open(m_folder.file(L"absent.inf").c_str()));
    EXPECT_EQ(1u, capture.lines().size());
    EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle());
    EXPECT_EQ(0, seamLog().opens);

    const SetupStatus status = inf.open(m_folder.file(L"absent\\kvr7.inf").c_str());
    EXPECT_TRUE(status == SETUP_INF_PATH_NOT_FOUND || status == SETUP_INF_FILE_NOT_FOUND) << status;
    EXPECT_EQ(2u, capture.lines().size());
}

BOOL WINAPI failingVersion(LPOSVERSIONINFOW)
{
    return FALSE;
}

TEST_F(InfFileTest, VersionQueryFailureEndsOpenSilently)
{
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    g_baseApi.GetVersionExW = failingVersion;
    DebugOutputCapture capture;
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.open(m_folder.file(L"other.inf").c_str()));
    EXPECT_TRUE(capture.lines().empty());
    // The path members keep the earlier file's; its handle is not kept.
    EXPECT_EQ(m_path, str(inf.path()));
    EXPECT_EQ(L"kvr7.inf", str(inf.filename()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle());
    EXPECT_EQ(seamLog().opens, seamLog().closes);
}

// The original-name query, failing at each of its steps.
int g_infoCalls;
int g_failInfoCall;
DWORD g_fakeInfoSize;
BOOL WINAPI scriptedInfo(LPCVOID spec, DWORD control, PSP_INF_INFORMATION buffer, DWORD size,
                         PDWORD required)
{
    ++g_infoCalls;
    if (g_infoCalls == g_failInfoCall)
        return FALSE;
    if (g_fakeInfoSize && !buffer)
    {
        *required = g_fakeInfoSize;
        return TRUE;
    }
    return ::SetupGetInfInformationW(spec, control, buffer, size, required);
}

BOOL WINAPI failingOriginal(PSP_INF_INFORMATION, UINT, PSP_ALTPLATFORM_INFO,
                            PSP_ORIGINAL_FILE_INFO_W)
{
    return FALSE;
}

TEST_F(InfFileTest, OriginalNameFailuresCloseTheFile)
{
    const struct
    {
        const char* name;
        int failInfoCall;
        DWORD fakeSize;
        bool failOriginal;
        SetupStatus expected;
        const wchar_t* line;
    } cases[] = {
        {"size query fails", 1, 0, false, 6,
         L"*** Failed to get original filename, error=Unexpected error\n"},
        {"information fetch fails", 2, 0, false, 6,
         L"*** Failed to get original filename, error=Unexpected error\n"},
        {"original-name query fails", 0, 0, true, 6,
         L"*** Failed to get original filename, error=Unexpected error\n"},
        {"size too small for the record", 0, 1, false, 6,
         L"*** Failed to get original filename, error=Unexpected error\n"},
    };
    for (const auto& c : cases)
    {
        g_infoCalls = 0;
        g_failInfoCall = c.failInfoCall;
        g_fakeInfoSize = c.fakeSize;
        g_infApi.SetupGetInfInformationW = scriptedInfo;
        g_infApi.SetupQueryInfOriginalFileInformationW =
            c.failOriginal ? failingOriginal : ::SetupQueryInfOriginalFileInformationW;
        seamLog().opens = seamLog().closes = 0;

        DebugOutputCapture capture;
        CInfFile inf;
        EXPECT_EQ(c.expected, inf.open(m_path.c_str())) << c.name;
        std::vector<std::wstring> expected =
            openLines(m_folder.path(), L"kvr7.inf", EXAMPLE_SYSTEM_LINE);
        expected.push_back(c.line);
        EXPECT_EQ(expected, capture.lines()) << c.name;
        EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle()) << c.name;
        EXPECT_EQ(1, seamLog().opens) << c.name;
        EXPECT_EQ(1, seamLog().closes) << c.name;
        EXPECT_TRUE(inf.originalName().empty()) << c.name;
    }
}

TEST_F(InfFileTest, InformationBufferThatCannotBeHadGivesOutOfMemory)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "only a 32-bit process is sure to be refused 4 GB";
    g_infoCalls = 0;
    g_failInfoCall = 0;
    g_fakeInfoSize = 0xfffffff0u;
    g_infApi.SetupGetInfInformationW = scriptedInfo;
    DebugOutputCapture capture;
    CInfFile inf;
    EXPECT_EQ(SETUP_OUT_OF_MEMORY, inf.open(m_path.c_str()));
    ASSERT_EQ(3u, capture.lines().size());
    EXPECT_EQ(L"*** Failed to get original filename, error=Error allocating memory\n",
              capture.lines()[2]);
    EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle());
    EXPECT_EQ(seamLog().opens, seamLog().closes);
}

// ---- closing ------------------------------------------------------------

TEST_F(InfFileTest, HandleIsClosedExactlyOnce)
{
    {
        CInfFile inf;
        ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
        inf.close();
        EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle());
        inf.close();
        EXPECT_EQ(1, seamLog().closes);
    }
    EXPECT_EQ(1, seamLog().closes);

    {
        CInfFile inf;
        ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    }
    EXPECT_EQ(2, seamLog().closes);

    // Opening again lets go of the first file.
    {
        CInfFile inf;
        ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
        ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
        EXPECT_EQ(3, seamLog().closes);
    }
    EXPECT_EQ(4, seamLog().closes);
    EXPECT_EQ(4, seamLog().opens);

    // Closing a file that was never opened calls nothing.
    {
        CInfFile inf;
        inf.close();
    }
    EXPECT_EQ(4, seamLog().closes);
}

// ---- reading lines and fields ---------------------------------------------

TEST_F(InfFileTest, LineAndFieldReads)
{
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    CWStrArray ids;
    // Place the line position through a walk, then read the line directly.
    ASSERT_EQ(SETUP_OK, inf.findHardwareIds(CWStr(L"Models.NTamd64"), ids));

    const struct
    {
        uint32_t index;
        SetupStatus expected;
        const wchar_t* text;
    } cases[] = {
        {0, 0, L"KVR7 Device, rev. 2"}, // the key, after substitution
        {1, 0, L"Install"},
        {2, 0, L"ROOT\\KVR7"}, // quotes removed
        {3, 0, L""},           // an empty field reads as empty
        {4, 0, L"PCI\\VEN_1234"},
        {5, 6, L"sentinel"}, // past the last field: unchanged
    };
    for (const auto& c : cases)
    {
        CWStr text(L"sentinel");
        EXPECT_EQ(c.expected, inf.getStringField(c.index, text)) << "field " << c.index;
        EXPECT_EQ(c.text, str(text)) << "field " << c.index;
        EXPECT_TRUE(wellFormed(text));
    }
    CWStr line(L"sentinel");
    EXPECT_EQ(SETUP_OK, inf.getLineText(line));
    EXPECT_EQ(L"Install,ROOT\\KVR7,,PCI\\VEN_1234", str(line));
    // A line found by its key; a line not found leaves nothing to read.
    EXPECT_EQ(SETUP_OK, inf.findLine(L"Version", L"Provider"));
    EXPECT_EQ(SETUP_OK, inf.getStringField(1, line));
    EXPECT_EQ(L"Example Maker", str(line));
    EXPECT_EQ(SETUP_INF_SECTION_NOT_FOUND, inf.findLine(L"Version", L"CatalogFile"));
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.getStringField(1, line));
}

TEST(InfFileNotOpen, ReadsAndWalksFailWithoutTouchingThePlatform)
{
    DebugOutputCapture capture;
    CInfFile inf;
    CWStr text(L"sentinel");
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.getLineText(text));
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.getStringField(1, text));
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.queryOriginalName(text));
    EXPECT_EQ(L"sentinel", str(text));
    CWStrArray list;
    EXPECT_EQ(SETUP_INF_PARSE_ERROR, inf.findModelsSections(list));
    EXPECT_EQ(SETUP_INF_PARSE_ERROR, inf.findHardwareIds(CWStr(L"Models"), list));
    EXPECT_EQ(0u, list.count());
    // Never opened, so the trace is off.
    EXPECT_TRUE(capture.lines().empty());
    inf.trace(L"%s\n", L"quiet");
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(InfFileTest, WalksAfterCloseFindNothing)
{
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    CWStrArray ids;
    ASSERT_EQ(SETUP_OK, inf.findHardwareIds(CWStr(L"Models.NTamd64"), ids));
    inf.close();
    DebugOutputCapture capture;
    CWStr text(L"sentinel");
    EXPECT_EQ(SETUP_PLATFORM_ERROR, inf.getStringField(0, text));
    EXPECT_EQ(L"sentinel", str(text));
    EXPECT_EQ(SETUP_INF_PARSE_ERROR, inf.findHardwareIds(CWStr(L"Models.NTamd64"), ids));
    EXPECT_EQ(std::vector<std::wstring>{L"Warning: section [Models.NTamd64] not found.\n"},
              capture.lines());
}

// Line and field reads failing at either step of the platform's two-step read.
int g_readCalls;
int g_failReadCall;
DWORD g_fakeReadSize;
BOOL WINAPI scriptedLineText(PINFCONTEXT context, HINF inf, PCWSTR section, PCWSTR key,
                             PWSTR buffer, DWORD size, PDWORD required)
{
    if (++g_readCalls == g_failReadCall)
        return FALSE;
    if (g_fakeReadSize != MAXDWORD && !buffer)
    {
        *required = g_fakeReadSize;
        return TRUE;
    }
    return ::SetupGetLineTextW(context, inf, section, key, buffer, size, required);
}

BOOL WINAPI scriptedField(PINFCONTEXT context, DWORD index, PWSTR buffer, DWORD size,
                          PDWORD required)
{
    if (++g_readCalls == g_failReadCall)
        return FALSE;
    if (g_fakeReadSize != MAXDWORD && !buffer)
    {
        *required = g_fakeReadSize;
        return TRUE;
    }
    return ::SetupGetStringFieldW(context, index, buffer, size, required);
}

TEST_F(InfFileTest, ReadFailuresLeaveTheTextUnchanged)
{
    CInfFile inf;
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    CWStrArray ids;
    ASSERT_EQ(SETUP_OK, inf.findHardwareIds(CWStr(L"Models.NTamd64"), ids));
    g_infApi.SetupGetLineTextW = scriptedLineText;
    g_infApi.SetupGetStringFieldW = scriptedField;

    const struct
    {
        const char* name;
        int failCall;
        DWORD fakeSize;
        SetupStatus expected;
        const wchar_t* line;
        const wchar_t* field;
    } cases[] = {
        {"size query fails", 1, MAXDWORD, 6, L"sentinel", L"sentinel"},
        {"text fetch fails", 2, MAXDWORD, 6, L"sentinel", L"sentinel"},
        {"size of zero", 0, 0, 6, L"sentinel", L"sentinel"},
        // A reported size larger than the text: the value stops at the NUL.
        {"size larger than the text", 0, 200, 0, L"Install,ROOT\\KVR7,,PCI\\VEN_1234", L"Install"},
        {"both steps succeed", 0, MAXDWORD, 0, L"Install,ROOT\\KVR7,,PCI\\VEN_1234", L"Install"},
    };
    for (const auto& c : cases)
    {
        g_failReadCall = c.failCall;
        g_fakeReadSize = c.fakeSize;

        g_readCalls = 0;
        CWStr line(L"sentinel");
        EXPECT_EQ(c.expected, inf.getLineText(line)) << c.name;
        EXPECT_EQ(c.line, str(line)) << c.name;
        EXPECT_TRUE(wellFormed(line)) << c.name;

        g_readCalls = 0;
        CWStr field(L"sentinel");
        EXPECT_EQ(c.expected, inf.getStringField(1, field)) << c.name;
        EXPECT_EQ(c.field, str(field)) << c.name;
        EXPECT_TRUE(wellFormed(field)) << c.name;
    }
}

// ---- path split and trace switch --------------------------------------------

TEST(SplitPath, LastBackslashSeparates)
{
    const struct
    {
        const wchar_t* path;
        const wchar_t* dir;
        const wchar_t* filename;
    } cases[] = {
        {L"C:\\drivers\\kvr7.inf", L"C:\\drivers", L"kvr7.inf"},
        {L"kvr7.inf", L"", L"kvr7.inf"},
        {L"", L"", L""},
        {L"C:\\drivers\\", L"C:\\drivers", L""},
        {L"\\kvr7.inf", L"", L"kvr7.inf"},
        {L"\\", L"", L""},
        {L"C:/drivers/kvr7.inf", L"", L"C:/drivers/kvr7.inf"},
        {L"\\\\server\\share\\a b\\kvr7.inf", L"\\\\server\\share\\a b", L"kvr7.inf"},
        {L"C:\\x/y\\z", L"C:\\x/y", L"z"},
    };
    for (const auto& c : cases)
    {
        CWStr dir(L"old dir");
        CWStr filename(L"old name");
        splitPath(CWStr(c.path), dir, filename);
        EXPECT_EQ(c.dir, str(dir)) << "path '" << std::wstring(c.path) << "'";
        EXPECT_EQ(c.filename, str(filename)) << "path '" << std::wstring(c.path) << "'";
    }
}

TEST_F(InfFileTest, BareFileNameShowsEmptyDir)
{
    // A bare name is resolved by the platform; only the trace line matters here.
    DebugOutputCapture capture;
    CInfFile inf;
    inf.open(L"kvr7-absent.inf");
    ASSERT_FALSE(capture.lines().empty());
    EXPECT_EQ(L"CInfFile::open: dir='' filename='kvr7-absent.inf' path='kvr7-absent.inf'\n",
              capture.lines()[0]);
    EXPECT_TRUE(inf.dir().empty());
}

TEST_F(InfFileTest, TraceFollowsTheSwitchAndCutsLongLines)
{
    DebugOutputCapture capture;
    CInfFile inf;
    inf.trace(L"before open %s\n", L"x");
    EXPECT_TRUE(capture.lines().empty());
    ASSERT_EQ(SETUP_OK, inf.open(m_path.c_str()));
    capture.clear();
    inf.trace(L"Reading section [%s]:\n", L"Models");
    const std::wstring huge(10000, L'q');
    inf.trace(L"%s\n", huge.c_str());
    ASSERT_EQ(2u, capture.lines().size());
    EXPECT_EQ(L"Reading section [Models]:\n", capture.lines()[0]);
    EXPECT_EQ(std::wstring(255, L'q'), capture.lines()[1]);
    // Closing does not silence the reader.
    inf.close();
    inf.trace(L"after close\n");
    EXPECT_EQ(3u, capture.lines().size());
}

} // namespace
