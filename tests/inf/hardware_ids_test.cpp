// hardware_ids_test.cpp
// Collecting hardware and compatible IDs from the chosen models sections: file
// order, empty fields, the end of a section at the first line without a hardware
// ID field, duplicates, missing sections, and input that is large or not ASCII.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inf/inf_file.h"
#include "tests/inf/inf_test_support.h"
#include "tests/support/golden_texts.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::wstring> Lines;

std::wstring reading(const std::wstring& section)
{
    return goldenReadingSection(section) + L"\n";
}
std::wstring hardwareId(const std::wstring& id)
{
    return L"  Found Hardware ID '" + id + L"'.\n";
}
std::wstring compatibleId(const std::wstring& id)
{
    return L"  Found Compatible ID '" + id + L"'.\n";
}
std::wstring notFound(const std::wstring& section)
{
    return L"Warning: section [" + section + L"] not found.\n";
}

const char MODELS_INF_BODY[] =
    "[Manufacturer]\r\n"
    "%Maker%=Models,NTamd64\r\n"
    "\r\n"
    "[Models.NTamd64]\r\n"
    "; description = install section, hardware ID, compatible IDs\r\n"
    "%Device%=Install,ROOT\\KVR7,PCI\\VEN_1234&DEV_0001,PCI\\VEN_1234\r\n"
    "\"Second device\"=Install,\"USB\\VID_1234&PID_0002\"\r\n"
    "Empty id=Install,,PCI\\CC_0200,,PCI\\CC_02\r\n"
    "Again=Install,ROOT\\KVR7\r\n"
    "\r\n"
    "[Models.Short]\r\n"
    "First=Install,ROOT\\FIRST\r\n"
    "No hardware id=Install\r\n"
    "Never read=Install,ROOT\\NEVER\r\n"
    "\r\n"
    "[Models.Other]\r\n"
    "Shared=Install,ROOT\\KVR7,%Compat%\r\n"
    "\r\n"
    "[Install]\r\n"
    "CopyFiles=Nothing\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Maker=\"Example Maker\"\r\n"
    "Device=\"KVR7 Device\"\r\n"
    "Compat=\"GENERIC\\KVR\"\r\n";

class HardwareIds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        describeSystem(EXAMPLE_SYSTEM);
        const std::wstring path =
            m_folder.writeBytes(L"kvr7.inf", std::string(INF_VERSION) + MODELS_INF_BODY);
        ASSERT_EQ(SETUP_OK, m_inf.open(path.c_str()));
    }

    // Collects the sections in order into one list, as the install operation does.
    std::vector<SetupStatus> collect(const Lines& sections, CWStrArray& ids)
    {
        std::vector<SetupStatus> results;
        DebugOutputCapture capture;
        for (const std::wstring& section : sections)
            results.push_back(m_inf.findHardwareIds(CWStr(section.c_str()), ids));
        m_lines = capture.lines();
        return results;
    }

    InfApiGuard m_guard;
    TempFolder m_folder;
    CInfFile m_inf;
    Lines m_lines;
};

TEST_F(HardwareIds, IdsInFileOrderWithEmptyFieldsSkipped)
{
    CWStrArray ids;
    EXPECT_EQ(std::vector<SetupStatus>{SETUP_OK}, collect({L"Models.NTamd64"}, ids));
    EXPECT_EQ((Lines{L"ROOT\\KVR7", L"PCI\\VEN_1234&DEV_0001", L"PCI\\VEN_1234",
                     L"USB\\VID_1234&PID_0002", L"PCI\\CC_0200", L"PCI\\CC_02", L"ROOT\\KVR7"}),
              items(ids));
    const Lines expected = {
        reading(L"Models.NTamd64"),
        hardwareId(L"ROOT\\KVR7"),
        compatibleId(L"PCI\\VEN_1234&DEV_0001"),
        compatibleId(L"PCI\\VEN_1234"),
        hardwareId(L"USB\\VID_1234&PID_0002"),
        compatibleId(L"PCI\\CC_0200"),
        compatibleId(L"PCI\\CC_02"),
        hardwareId(L"ROOT\\KVR7"),
    };
    EXPECT_EQ(expected, m_lines);
}

TEST_F(HardwareIds, LineWithoutHardwareIdEndsTheSection)
{
    CWStrArray ids;
    EXPECT_EQ(std::vector<SetupStatus>{SETUP_OK}, collect({L"Models.Short"}, ids));
    EXPECT_EQ(Lines{L"ROOT\\FIRST"}, items(ids));
    EXPECT_EQ((Lines{reading(L"Models.Short"), hardwareId(L"ROOT\\FIRST")}), m_lines);
}

TEST_F(HardwareIds, SectionsShareOneListAndMissingOnesAddNothing)
{
    CWStrArray ids;
    ids.add(CWStr(L"earlier"));
    const std::vector<SetupStatus> results =
        collect({L"Models.Missing", L"Models.Other", L"models.other", L"Models"}, ids);
    EXPECT_EQ((std::vector<SetupStatus>{SETUP_INF_PARSE_ERROR, SETUP_OK, SETUP_OK,
                                        SETUP_INF_PARSE_ERROR}),
              results);
    // Section names are matched without regard to case; duplicates are kept.
    EXPECT_EQ((Lines{L"earlier", L"ROOT\\KVR7", L"GENERIC\\KVR", L"ROOT\\KVR7", L"GENERIC\\KVR"}),
              items(ids));
    const Lines expected = {
        notFound(L"Models.Missing"),   reading(L"Models.Other"), hardwareId(L"ROOT\\KVR7"),
        compatibleId(L"GENERIC\\KVR"), reading(L"models.other"), hardwareId(L"ROOT\\KVR7"),
        compatibleId(L"GENERIC\\KVR"), notFound(L"Models"),
    };
    EXPECT_EQ(expected, m_lines);
}

// Field reads failing in the middle of a section end it and keep what was found.
int g_failIndex;
int g_failOnCall;
int g_calls;
BOOL WINAPI failingField(PINFCONTEXT context, DWORD index, PWSTR buffer, DWORD size,
                         PDWORD required)
{
    if (static_cast<int>(index) == g_failIndex && ++g_calls == g_failOnCall)
        return FALSE;
    return ::SetupGetStringFieldW(context, index, buffer, size, required);
}

TEST_F(HardwareIds, FieldReadFailuresEndTheSection)
{
    const struct
    {
        const char* name;
        int index;
        int onCall;
        Lines ids;
    } cases[] = {
        // Each read is two calls: the size, then the text.
        {"first key size", 0, 1, {}},
        {"first key text", 0, 2, {}},
        {"second key", 0, 3, {L"ROOT\\KVR7", L"PCI\\VEN_1234&DEV_0001", L"PCI\\VEN_1234"}},
        {"first install section", 1, 1, {}},
        {"second hardware id", 2, 3, {L"ROOT\\KVR7", L"PCI\\VEN_1234&DEV_0001", L"PCI\\VEN_1234"}},
        // A failed compatible ID read only ends that line.
        {"first compatible id",
         3,
         1,
         {L"ROOT\\KVR7", L"USB\\VID_1234&PID_0002", L"PCI\\CC_0200", L"PCI\\CC_02", L"ROOT\\KVR7"}},
    };
    for (const auto& c : cases)
    {
        g_failIndex = c.index;
        g_failOnCall = c.onCall;
        g_calls = 0;
        g_infApi.SetupGetStringFieldW = failingField;
        CWStrArray ids;
        EXPECT_EQ(std::vector<SetupStatus>{SETUP_OK}, collect({L"Models.NTamd64"}, ids)) << c.name;
        EXPECT_EQ(c.ids, items(ids)) << c.name;
        EXPECT_EQ(1u + c.ids.size(), m_lines.size()) << c.name;
    }
}

TEST(HardwareIdsInput, NonAsciiAndVeryLongIds)
{
    InfApiGuard guard;
    describeSystem(EXAMPLE_SYSTEM);
    TempFolder folder;
    std::wstring manyCompatible;
    for (int i = 0; i < 1000; ++i)
        manyCompatible += L",C" + std::to_wstring(i);
    const std::wstring longId(10000, L'\u00e9');
    const std::wstring inf =
        L"[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
        L"[Mod\u00e8les]\r\n"
        L"Ger\u00e4t \u03a9=Install,ROOT\\\u039a\u0392\u03a17,\u00fcber\\\u6a21\u578b\r\n"
        L"Many=Install,MANY" +
        manyCompatible + L"\r\nLong=Install," + longId + L"\r\n";
    const std::wstring path = folder.writeUnicode(L"kvr7.inf", inf);
    CInfFile file;
    ASSERT_EQ(SETUP_OK, file.open(path.c_str()));
    DebugOutputCapture capture;
    CWStrArray ids;
    ASSERT_EQ(SETUP_OK, file.findHardwareIds(CWStr(L"Mod\u00e8les"), ids));
    ASSERT_EQ(2u + 1u + 1000u + 1u, ids.count());
    EXPECT_EQ(L"ROOT\\\u039a\u0392\u03a17", str(ids[0]));
    EXPECT_EQ(L"\u00fcber\\\u6a21\u578b", str(ids[1]));
    EXPECT_EQ(L"MANY", str(ids[2]));
    EXPECT_EQ(L"C999", str(ids[1002]));
    // However much of the long field the platform keeps, it is kept whole here.
    const std::wstring last = str(ids[1003]);
    EXPECT_FALSE(last.empty());
    EXPECT_EQ(std::wstring(last.size(), L'\u00e9'), last);
    EXPECT_TRUE(wellFormed(ids[1003]));

    const Lines& lines = capture.lines();
    ASSERT_EQ(1u + ids.count(), lines.size());
    EXPECT_EQ(reading(L"Mod\u00e8les"), lines[0]);
    EXPECT_EQ(hardwareId(L"ROOT\\\u039a\u0392\u03a17"), lines[1]);
    EXPECT_EQ(compatibleId(L"\u00fcber\\\u6a21\u578b"), lines[2]);
    EXPECT_EQ(compatibleId(L"C999"), lines[1003]);
    EXPECT_EQ(hardwareId(last).substr(0, 255), lines[1004]);
}

} // namespace
