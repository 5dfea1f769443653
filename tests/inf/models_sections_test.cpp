// models_sections_test.cpp
// Choosing one models section per [Manufacturer] line: the decoration rules, the
// order of the tests with their trace lines, the tie rule, and input that is
// large, malformed or not ASCII. Each case is a real INF parsed by the platform,
// on a system described through the INF seam.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inf/decoration.h"
#include "inf/inf_file.h"
#include "tests/inf/inf_test_support.h"
#include "tests/support/golden_texts.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::wstring> Lines;

const std::wstring READING = goldenReadingSection(L"Manufacturer") + L"\n";
const wchar_t WRONG_CPU[] = L"      Decoration doesn't match this system's CPU architecture\n";
const wchar_t WRONG_MINOR[] = L"      Decoration doesn't match this system's minor OS version\n";
const wchar_t WRONG_PRODUCT[] = L"      DDecoration doesn't match this system's OS product type\n";
const wchar_t WRONG_SUITE[] = L"      Decoration doesn't match this system's OS suite mask\n";
const wchar_t BEST[] = L"      Decoration is the best match so far.\n";
const wchar_t NOT_BEST[] = L"      Decoration matches this system but is not the best match.\n";

std::wstring examiningLine(const std::wstring& text)
{
    return L"  Examining line '" + text + L"':\n";
}
std::wstring examining(const std::wstring& decoration)
{
    return L"    Examining models section decoration '" + decoration + L"':\n";
}
std::wstring unknownArchitecture(const std::wstring& decoration)
{
    return L"      Warning: unrecognized NT architecture '" + decoration + L"'.\n";
}
std::wstring malformed(const std::wstring& decoration)
{
    return L"      Warning: decoration '" + decoration + L"' is malformed; ignoring.\n";
}
std::wstring adding(const std::wstring& section)
{
    return L"  Adding '" + section + L"' to models section reference list.\n";
}

std::string manufacturerInf(const std::string& lines)
{
    return std::string(INF_VERSION) + "[Manufacturer]\r\n" + lines +
           "\r\n[Strings]\r\nMaker=\"Example Maker\"\r\n";
}

class ModelsSections : public ::testing::Test
{
protected:
    void SetUp() override { describeSystem(EXAMPLE_SYSTEM); }

    // Opens `content` as an INF and chooses its sections; the trace lines of the
    // choice (not of the open) end up in m_lines.
    SetupStatus choose(const std::string& content, CWStrArray& sections)
    {
        const std::wstring path = m_folder.writeBytes(L"kvr7.inf", content);
        CInfFile inf;
        DebugOutputCapture capture;
        EXPECT_EQ(SETUP_OK, inf.open(path.c_str()));
        capture.clear();
        const SetupStatus status = inf.findModelsSections(sections);
        m_lines = capture.lines();
        return status;
    }

    InfApiGuard m_guard;
    TempFolder m_folder;
    Lines m_lines;
};

TEST_F(ModelsSections, WorkedExamples)
{
    CWStrArray sections;
    ASSERT_EQ(SETUP_OK, choose(manufacturerInf("%Maker%=Models,NTx86,NTamd64,NTamd64.6,"
                                               "NTamd64.6.0\r\n"
                                               "%Maker%=Models,NT,NTamd64.5\r\n"),
                               sections));
    EXPECT_EQ((Lines{L"Models.NTamd64.6", L"Models"}), items(sections));
    const Lines expected = {
        READING,
        examiningLine(L"Models,NTx86,NTamd64,NTamd64.6,NTamd64.6.0"),
        examining(L"NTx86"),
        WRONG_CPU,
        examining(L"NTamd64"),
        BEST,
        examining(L"NTamd64.6"),
        BEST,
        examining(L"NTamd64.6.0"),
        WRONG_MINOR,
        adding(L"Models.NTamd64.6"),
        examiningLine(L"Models,NT,NTamd64.5"),
        examining(L"NT"),
        WRONG_CPU,
        examining(L"NTamd64.5"),
        adding(L"Models"),
    };
    EXPECT_EQ(expected, m_lines);
}

// One [Manufacturer] line per case on the example system (AMD64, 6.1, product
// type 1, suite mask 0x100): the decorations as written, the section chosen and
// the trace lines between "Examining line" and "Adding".
TEST_F(ModelsSections, DecorationRules)
{
    const struct
    {
        const char* decorations; // after "Models"
        const wchar_t* section;
        Lines lines;
    } cases[] = {
        {"", L"Models", {}},
        {",NTAMD64", L"Models.NTAMD64", {examining(L"NTAMD64"), BEST}},
        {",ntamd64", L"Models.ntamd64", {examining(L"ntamd64"), BEST}},
        {",nTaMd64", L"Models.nTaMd64", {examining(L"nTaMd64"), BEST}},
        {",NTarm64", L"Models", {examining(L"NTarm64"), unknownArchitecture(L"NTarm64")}},
        {",NTamd64x", L"Models", {examining(L"NTamd64x"), unknownArchitecture(L"NTamd64x")}},
        {",NTia64,NTx86",
         L"Models",
         {examining(L"NTia64"), WRONG_CPU, examining(L"NTx86"), WRONG_CPU}},
        // Hexadecimal only after a lower-case "0x"; the text is kept as written.
        {",NTamd64.0x6.0x1", L"Models.NTamd64.0x6.0x1", {examining(L"NTamd64.0x6.0x1"), BEST}},
        {",NTamd64.6.1,NTamd64.0x6.0x1",
         L"Models.NTamd64.6.1",
         {examining(L"NTamd64.6.1"), BEST, examining(L"NTamd64.0x6.0x1"), NOT_BEST}},
        {",NTamd64.0X6", L"Models", {examining(L"NTamd64.0X6")}},
        {",NTamd64.0x", L"Models", {examining(L"NTamd64.0x"), malformed(L"NTamd64.0x")}},
        // Reading stops at the first character that cannot continue the number.
        {",NTamd64.6abc.1xyz",
         L"Models.NTamd64.6abc.1xyz",
         {examining(L"NTamd64.6abc.1xyz"), BEST}},
        {",NTamd64.abc", L"Models", {examining(L"NTamd64.abc"), malformed(L"NTamd64.abc")}},
        {",NTamd64..1", L"Models", {examining(L"NTamd64..1"), malformed(L"NTamd64..1")}},
        // A final dot adds no part; the section keeps it.
        {",NTamd64.6.", L"Models.NTamd64.6.", {examining(L"NTamd64.6"), BEST}},
        {",.6", L"Models", {examining(L".6"), unknownArchitecture(L".6")}},
        {",.", L"Models", {examining(L""), unknownArchitecture(L".")}},
        // An empty decoration fits but is never the best.
        {",,NTamd64", L"Models.NTamd64", {examining(L""), NOT_BEST, examining(L"NTamd64"), BEST}},
        // Version numbers must be equal, not at least.
        {",NTamd64.6.0", L"Models", {examining(L"NTamd64.6.0"), WRONG_MINOR}},
        {",NTamd64.7", L"Models", {examining(L"NTamd64.7")}},
        {",NTamd64.6.1.3", L"Models", {examining(L"NTamd64.6.1.3"), WRONG_PRODUCT}},
        {",NTamd64.6.1.1", L"Models.NTamd64.6.1.1", {examining(L"NTamd64.6.1.1"), BEST}},
        // Product type keeps the low 8 bits, suite mask the low 16.
        {",NTamd64.6.1.0x101",
         L"Models.NTamd64.6.1.0x101",
         {examining(L"NTamd64.6.1.0x101"), BEST}},
        {",NTamd64.6.1.1.0x10100",
         L"Models.NTamd64.6.1.1.0x10100",
         {examining(L"NTamd64.6.1.1.0x10100"), BEST}},
        {",NTamd64.6.1.1.0", L"Models.NTamd64.6.1.1.0", {examining(L"NTamd64.6.1.1.0"), BEST}},
        {",NTamd64.6.1.1.0x102", L"Models", {examining(L"NTamd64.6.1.1.0x102"), WRONG_SUITE}},
        // Parts after the suite mask must be numbers and count toward specificity.
        {",NTamd64.6.1.1.0x100,NTamd64.6.1.1.0.99",
         L"Models.NTamd64.6.1.1.0.99",
         {examining(L"NTamd64.6.1.1.0x100"), BEST, examining(L"NTamd64.6.1.1.0.99"), BEST}},
        {",NTamd64.6.1.1.0.x",
         L"Models",
         {examining(L"NTamd64.6.1.1.0.x"), malformed(L"NTamd64.6.1.1.0.x")}},
        // Malformed numbers are found before any test is made.
        {",NTx86.6.zz", L"Models", {examining(L"NTx86.6.zz"), malformed(L"NTx86.6.zz")}},
        {",NT.6.1", L"Models", {examining(L"NT.6.1"), WRONG_CPU}},
        // Ties: the first of equal specificity wins; later, less specific fits lose.
        {",NTamd64.6,NTamd64.0x6",
         L"Models.NTamd64.6",
         {examining(L"NTamd64.6"), BEST, examining(L"NTamd64.0x6"), NOT_BEST}},
        {",NTamd64.6.1,NTamd64",
         L"Models.NTamd64.6.1",
         {examining(L"NTamd64.6.1"), BEST, examining(L"NTamd64"), NOT_BEST}},
        // Numbers beyond 32 bits are malformed rather than wrapped onto a version.
        {",NTamd64.4294967302",
         L"Models",
         {examining(L"NTamd64.4294967302"), malformed(L"NTamd64.4294967302")}},
        {",NTamd64.0x100000006",
         L"Models",
         {examining(L"NTamd64.0x100000006"), malformed(L"NTamd64.0x100000006")}},
        {",NTamd64.6.4294967295", L"Models", {examining(L"NTamd64.6.4294967295"), WRONG_MINOR}},
        {",NTamd64.6.0xffffffff", L"Models", {examining(L"NTamd64.6.0xffffffff"), WRONG_MINOR}},
        // Signs as the C scans read them.
        {",NTamd64.+6", L"Models.NTamd64.+6", {examining(L"NTamd64.+6"), BEST}},
        {",NTamd64.-6", L"Models", {examining(L"NTamd64.-6")}},
    };
    for (const auto& c : cases)
    {
        CWStrArray sections;
        const std::string line = std::string("Models") + c.decorations;
        ASSERT_EQ(SETUP_OK, choose(manufacturerInf("%Maker%=" + line + "\r\n"), sections))
            << c.decorations;
        EXPECT_EQ(Lines{c.section}, items(sections)) << c.decorations;
        Lines expected = {READING, examiningLine(std::wstring(line.begin(), line.end()))};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        expected.push_back(adding(c.section));
        EXPECT_EQ(expected, m_lines) << c.decorations;
    }
}

TEST_F(ModelsSections, ArchitectureCodesOfEachPlatformWord)
{
    const wchar_t* const words[] = {L"NT", L"NTx86", L"NTia64", L"NTamd64"};
    const struct
    {
        WORD architecture;
        int chosen; // index into words, or -1
    } cases[] = {{0, 1}, {6, 2}, {9, 3}, {5, -1}, {0xffff, -1}};
    for (const auto& c : cases)
    {
        SystemDescription system = EXAMPLE_SYSTEM;
        system.architecture = c.architecture;
        describeSystem(system);
        CWStrArray sections;
        ASSERT_EQ(SETUP_OK,
                  choose(manufacturerInf("%Maker%=Models,NT,NTx86,NTia64,NTamd64\r\n"), sections));
        const std::wstring section =
            c.chosen < 0 ? std::wstring(L"Models") : std::wstring(L"Models.") + words[c.chosen];
        EXPECT_EQ(Lines{section}, items(sections)) << c.architecture;
        Lines expected = {READING, examiningLine(L"Models,NT,NTx86,NTia64,NTamd64")};
        for (int word = 0; word < 4; ++word)
        {
            expected.push_back(examining(words[word]));
            expected.push_back(word == c.chosen ? BEST : WRONG_CPU);
        }
        expected.push_back(adding(section));
        EXPECT_EQ(expected, m_lines) << c.architecture;
    }
}

TEST_F(ModelsSections, EveryLineGivesOneNameInFileOrder)
{
    CWStrArray sections;
    ASSERT_EQ(SETUP_OK, choose(manufacturerInf("; comment line\r\n"
                                               "%Maker%=Models,NTamd64\r\n"
                                               "\"Other Maker\"=Other\r\n"
                                               "%Maker%=Models,NTamd64\r\n"
                                               "Third=\"Quoted\",\"NTamd64.6.1\"\r\n"),
                               sections));
    EXPECT_EQ((Lines{L"Models.NTamd64", L"Other", L"Models.NTamd64", L"Quoted.NTamd64.6.1"}),
              items(sections));
}

TEST_F(ModelsSections, MissingManufacturerSection)
{
    CWStrArray sections;
    sections.add(CWStr(L"kept"));
    EXPECT_EQ(SETUP_INF_PARSE_ERROR,
              choose(std::string(INF_VERSION) + "[Models]\r\nA=B,ROOT\\X\r\n", sections));
    EXPECT_EQ(Lines{L"kept"}, items(sections));
    EXPECT_EQ(Lines{L"Error: [Manufacturer] section not found\n"}, m_lines);

    // A section that is present but has no lines counts as missing.
    EXPECT_EQ(
        SETUP_INF_PARSE_ERROR,
        choose(std::string(INF_VERSION) + "[Manufacturer]\r\n\r\n[Other]\r\nA=B\r\n", sections));
    EXPECT_EQ(Lines{L"kept"}, items(sections));
}

// Reads failing in the middle of the walk end it with success and keep the names.
int g_lineCalls;
int g_failLineCall;
BOOL WINAPI failingLineText(PINFCONTEXT context, HINF inf, PCWSTR section, PCWSTR key, PWSTR buffer,
                            DWORD size, PDWORD required)
{
    if (++g_lineCalls == g_failLineCall)
        return FALSE;
    return ::SetupGetLineTextW(context, inf, section, key, buffer, size, required);
}
int g_fieldOneCalls;
int g_failFieldOneCall;
BOOL WINAPI failingFieldOne(PINFCONTEXT context, DWORD index, PWSTR buffer, DWORD size,
                            PDWORD required)
{
    if (index == 1 && ++g_fieldOneCalls == g_failFieldOneCall)
        return FALSE;
    return ::SetupGetStringFieldW(context, index, buffer, size, required);
}

TEST_F(ModelsSections, ReadFailuresEndTheWalk)
{
    const std::string inf = manufacturerInf("A=First,NTamd64\r\nB=Second\r\nC=Third\r\n");
    const struct
    {
        const char* name;
        int failLine;
        int failField;
        Lines sections;
        size_t traceLines;
    } cases[] = {
        {"first line text", 1, 0, {}, 1},
        {"second line text", 3, 0, {L"First.NTamd64"}, 5},
        {"first base name", 0, 1, {}, 2},
        {"third base name", 0, 5, {L"First.NTamd64", L"Second"}, 8},
    };
    for (const auto& c : cases)
    {
        g_lineCalls = g_fieldOneCalls = 0;
        g_failLineCall = c.failLine;
        g_failFieldOneCall = c.failField;
        g_infApi.SetupGetLineTextW = failingLineText;
        g_infApi.SetupGetStringFieldW = failingFieldOne;
        CWStrArray sections;
        EXPECT_EQ(SETUP_OK, choose(inf, sections)) << c.name;
        EXPECT_EQ(c.sections, items(sections)) << c.name;
        EXPECT_EQ(c.traceLines, m_lines.size()) << c.name;
        if (!m_lines.empty())
        {
            EXPECT_EQ(READING, m_lines[0]) << c.name;
        }
    }
}

// The number scan on its own, for what an INF field rarely carries.
TEST(DecorationNumber, ReadsAsTheCScansDo)
{
    const struct
    {
        const wchar_t* part;
        bool read;
        uint32_t value;
    } cases[] = {
        {L"6", true, 6},
        {L"0x1F", true, 31},
        {L"0xff", true, 255},
        {L"0x0x1f", true, 31}, // "%lx" takes its own optional prefix
        {L"0x0xg", true, 0},   // the prefix needs a hex digit after it
        {L"0X10", true, 0},
        {L" \t7", true, 7}, // leading white space is skipped
        {L"-1", true, 4294967295u},
        {L"+0", true, 0},
        {L"4294967295", true, 4294967295u},
        {L"0xFFFFFFFF", true, 4294967295u},
        {L"00000000000000000000000000012", true, 12},
        {L"4294967296", false, 0},
        {L"0x100000000", false, 0},
        {L"-4294967296", false, 0},
        {L"", false, 0},
        {L"0x", false, 0},
        {L"x1", false, 0},
        {L"-", false, 0},
        {L" ", false, 0},
    };
    for (const auto& c : cases)
    {
        uint32_t value = 12345;
        EXPECT_EQ(c.read, scanDecorationNumber(CWStr(c.part), &value))
            << "part '" << std::wstring(c.part) << "'";
        EXPECT_EQ(c.read ? c.value : 12345u, value) << "part '" << std::wstring(c.part) << "'";
    }
}

// ---- input that must not upset the reader ---------------------------------

void expectShortLines(const Lines& lines)
{
    for (const std::wstring& line : lines)
        EXPECT_LE(line.size(), 255u);
}

TEST_F(ModelsSections, VeryLongDecorations)
{
    std::string fits = "NTamd64.6.1.1.0x100";
    while (fits.size() < 10000)
        fits += ".7";
    const struct
    {
        const char* name;
        std::string decoration;
        const wchar_t* verdict; // the trace line after "Examining models section decoration"
        const wchar_t* sectionStart;
    } cases[] = {
        {"fitting", fits, BEST, L"Models.NTamd64.6.1.1.0x100.7.7.7"},
        {"overflowing number", "NTamd64." + std::string(10000, '9'),
         L"      Warning: decoration 'NTamd64.99999", L"Models"},
        {"unknown word", std::string(10000, 'N'),
         L"      Warning: unrecognized NT architecture 'NNN", L"Models"},
    };
    for (const auto& c : cases)
    {
        CWStrArray sections;
        ASSERT_EQ(SETUP_OK,
                  choose(manufacturerInf("%Maker%=Models," + c.decoration + "\r\n"), sections))
            << c.name;
        ASSERT_EQ(1u, sections.count()) << c.name;
        // The platform may keep only the start of so long a field; the choice
        // follows what it keeps, and every trace line is cut to 255 characters.
        const std::wstring name = str(sections[0]);
        const std::wstring start = c.sectionStart;
        EXPECT_EQ(start, name.substr(0, start.size())) << c.name;
        EXPECT_TRUE(start != L"Models" || name == L"Models") << c.name;
        ASSERT_EQ(5u, m_lines.size()) << c.name;
        EXPECT_EQ(255u, m_lines[1].size()) << c.name;
        EXPECT_EQ(255u, m_lines[2].size()) << c.name;
        EXPECT_EQ(0u, m_lines[3].find(c.verdict)) << c.name;
        EXPECT_LE(m_lines[3].size(), 255u) << c.name;
        EXPECT_EQ(adding(name).substr(0, 255), m_lines[4]) << c.name;
    }
}

TEST_F(ModelsSections, ThousandDecorationsOnOneLine)
{
    std::string line = "%Maker%=Models";
    for (int i = 0; i < 1000; ++i)
        line += ",NTx86." + std::to_string(i);
    line += ",NTamd64.6.1";
    CWStrArray sections;
    ASSERT_EQ(SETUP_OK, choose(manufacturerInf(line + "\r\n"), sections));
    EXPECT_EQ(Lines{L"Models.NTamd64.6.1"}, items(sections));
    // Reading, the line, two per refused decoration, two for the fit, adding.
    ASSERT_EQ(2u + 2000u + 2u + 1u, m_lines.size());
    EXPECT_EQ(examining(L"NTx86.999"), m_lines[2u + 2u * 999u]);
    EXPECT_EQ(BEST, m_lines[m_lines.size() - 2]);
    expectShortLines(m_lines);
}

TEST_F(ModelsSections, NonAsciiText)
{
    const std::wstring inf = std::wstring(L"[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
                                          L"[Manufacturer]\r\n"
                                          L"Hersteller \u00c4=Mod\u00e8les_\u03a9,NT\u00e4md64,"
                                          L"NTamd64.\u0666,NTamd64.6.1\r\n");
    const std::wstring path = m_folder.writeUnicode(L"kvr7.inf", inf);
    CInfFile file;
    ASSERT_EQ(SETUP_OK, file.open(path.c_str()));
    DebugOutputCapture capture;
    CWStrArray sections;
    ASSERT_EQ(SETUP_OK, file.findModelsSections(sections));
    const std::wstring base = L"Mod\u00e8les_\u03a9";
    EXPECT_EQ(Lines{base + L".NTamd64.6.1"}, items(sections));
    const Lines expected = {
        READING,
        examiningLine(base + L",NT\u00e4md64,NTamd64.\u0666,NTamd64.6.1"),
        examining(L"NT\u00e4md64"),
        unknownArchitecture(L"NT\u00e4md64"),
        // An Arabic-Indic digit is not a digit to the C scans.
        examining(L"NTamd64.\u0666"),
        malformed(L"NTamd64.\u0666"),
        examining(L"NTamd64.6.1"),
        BEST,
        adding(base + L".NTamd64.6.1"),
    };
    EXPECT_EQ(expected, capture.lines());
}

TEST_F(ModelsSections, FilesThatAreNotInfs)
{
    const std::string signature = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    const std::string binary("MZ\x90\0\x03\0\0\0\xff\xff\0\0\x00\x01\x02\xfe\r\n[\0]", 24);
    const struct
    {
        const char* name;
        std::string content;
        SetupStatus opened;
        SetupStatus chosen; // when opened
    } cases[] = {
        {"empty", "", 6, 0},
        {"binary", binary, 6, 0},
        {"plain text", "This is not an INF file.\r\nJust some words = and, commas\r\n", 6, 0},
        {"no version section", "[Manufacturer]\r\nA=Models,NTamd64\r\n", 6, 0},
        {"only a byte order mark", "\xff\xfe", 6, 0},
        {"signature, then binary", signature + binary, 0, 4},
        {"signature, then an unterminated [Manufacturer", signature + "[Manufacturer\r\nA=B\r\n", 6,
         0},
    };
    for (const auto& c : cases)
    {
        const std::wstring path = m_folder.writeBytes(L"kvr7.inf", c.content);
        DebugOutputCapture capture;
        CInfFile inf;
        ASSERT_EQ(c.opened, inf.open(path.c_str())) << c.name;
        if (c.opened != SETUP_OK)
        {
            // Refused: no handle kept, only the first trace line written.
            EXPECT_EQ(INVALID_HANDLE_VALUE, inf.handle()) << c.name;
            EXPECT_EQ(1u, capture.lines().size()) << c.name;
            continue;
        }
        CWStrArray sections;
        EXPECT_EQ(c.chosen, inf.findModelsSections(sections)) << c.name;
        EXPECT_EQ(0u, sections.count()) << c.name;
    }
}

} // namespace
