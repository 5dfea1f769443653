// robustness_test.cpp
// The INF reader under input nobody should write: thousands of random
// decorations checked against the selection's invariants, files that are huge or
// broken, fields of 64K characters, and paths that are long, not ASCII or name a
// folder. Nothing may crash, every text read stays whole, every trace line stays
// within 255 characters, and no handle is left open.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "inf/inf_file.h"
#include "tests/inf/inf_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::wstring> Lines;

std::vector<std::string> splitAtDots(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t dot = text.find('.', start);
        if (dot == std::string::npos)
            break;
        parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
    if (start != text.size())
        parts.push_back(text.substr(start));
    return parts;
}

// The test's own reading of a generated decoration on EXAMPLE_SYSTEM (AMD64,
// 6.1, product type 1, suite mask 0x100). The generator writes numbers only in
// clean decimal or "0x" form, or as parts that are plainly not numbers.
struct Verdict
{
    bool fits;
    size_t parts;
};
Verdict judge(const std::string& decoration)
{
    const std::vector<std::string> parts = splitAtDots(decoration);
    if (parts.empty())
        return {true, 0};
    std::string word = parts[0];
    for (char& c : word)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (word != "nt" && word != "ntx86" && word != "ntia64" && word != "ntamd64")
        return {false, 0};
    unsigned long numbers[4] = {};
    for (size_t i = 1; i < parts.size(); ++i)
    {
        const std::string& part = parts[i];
        const bool hex = part.size() >= 2 && part[0] == '0' && part[1] == 'x';
        const std::string digits = hex ? part.substr(2) : part;
        if (digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                std::string::npos)
            return {false, 0};
        if (i <= 4)
            numbers[i - 1] = std::stoul(digits, nullptr, hex ? 16 : 10);
    }
    const size_t n = parts.size();
    const bool fits = word == "ntamd64" && (n < 2 || numbers[0] == 6) &&
                      (n < 3 || numbers[1] == 1) && (n < 4 || (numbers[2] & 0xff) == 1) &&
                      (n < 5 || ((numbers[3] & 0xffff) & ~0x100ul) == 0);
    return {fits, n};
}

std::string randomDecoration(std::mt19937& random)
{
    static const char* const words[] = {"NTamd64", "ntAMD64", "NTx86",  "NTia64", "NT",
                                        "NTarm64", "",        "amd64", "NTAMD64"};
    static const char* const numbers[] = {"6",   "1",   "0",   "5",     "0x6",  "0x1",  "257",
                                          "0x0", "0x100", "0x101", "256", "7", "", "q", "0X6",
                                          "65792", "0x10100", "00", "01"};
    std::string decoration = words[random() % 9];
    const unsigned count = random() % 7;
    for (unsigned i = 0; i < count; ++i)
        decoration += std::string(".") + numbers[random() % 19];
    if (random() % 10 == 0)
        decoration += ".";
    return decoration;
}

class InfInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        describeSystem(EXAMPLE_SYSTEM);
        countHandles();
    }
    void TearDown() override
    {
        // Every handle the platform handed out was closed.
        EXPECT_EQ(seamLog().opens, seamLog().closes);
    }

    InfApiGuard m_guard;
    TempFolder m_folder;
};

void expectShortLines(const Lines& lines)
{
    for (const std::wstring& line : lines)
        ASSERT_LE(line.size(), 255u);
}

TEST_F(InfInput, RandomDecorationsKeepTheSelectionInvariants)
{
    for (unsigned seed = 1; seed <= 4; ++seed)
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::vector<std::vector<std::string>> decorations(400);
        std::string inf = std::string(INF_VERSION) + "[Manufacturer]\r\n";
        for (size_t line = 0; line < decorations.size(); ++line)
        {
            inf += "M" + std::to_string(line) + "=Base" + std::to_string(line);
            const unsigned count = random() % 12;
            for (unsigned i = 0; i < count; ++i)
            {
                decorations[line].push_back(randomDecoration(random));
                inf += "," + decorations[line].back();
            }
            inf += "\r\n";
        }
        const std::wstring path = m_folder.writeBytes(L"fuzz.inf", inf);

        CInfFile file;
        ASSERT_EQ(SETUP_OK, file.open(path.c_str()));
        DebugOutputCapture capture;
        CWStrArray sections;
        ASSERT_EQ(SETUP_OK, file.findModelsSections(sections));
        ASSERT_EQ(decorations.size(), sections.count());
        expectShortLines(capture.lines());

        for (size_t line = 0; line < decorations.size(); ++line)
        {
            // The first decoration of the greatest part count among those that fit.
            std::string expected;
            size_t best = 0;
            for (const std::string& decoration : decorations[line])
            {
                const Verdict verdict = judge(decoration);
                if (verdict.fits && verdict.parts > best)
                {
                    best = verdict.parts;
                    expected = decoration;
                }
            }
            const std::string base = "Base" + std::to_string(line);
            const std::string name = best ? base + "." + expected : base;
            EXPECT_EQ(std::wstring(name.begin(), name.end()), str(sections[line]))
                << "line " << line;
            EXPECT_TRUE(wellFormed(sections[line]));
        }
    }
}

// Field readers must keep every character the platform hands over, or fail.
TEST_F(InfInput, BrokenAndHugeFiles)
{
    const std::string header = std::string(INF_VERSION) + "[Manufacturer]\r\nM=Models,NTamd64\r\n";
    const std::string field64k(65536, 'F');
    std::string huge = header + "[Models.NTamd64]\r\n";
    for (int i = 0; huge.size() < 10u * 1024 * 1024; ++i)
        huge += "Device" + std::to_string(i) + "=Install,PCI\\VEN_1AF4&DEV_" + std::to_string(i) +
                ",PCI\\VEN_1AF4&CC_0200" + std::string(40, 'c') + "\r\n";
    const struct
    {
        const char* name;
        std::string content;
        SetupStatus opened;
    } cases[] = {
        {"no final line break", header + "[Models.NTamd64]\r\nD=Install,ID1,ID2", 0},
        {"unterminated quote", header + "[Models.NTamd64]\r\nD=Install,\"ID1,ID2\r\nE=I,ID3\r\n", 0},
        // The platform refuses a text file with NUL bytes in it.
        {"NUL bytes in a line", header + std::string("[Models.NTamd64]\r\nD=Install,A\0B,C\r\n", 35),
         6},
        {"64K-character hardware ID", header + "[Models.NTamd64]\r\nD=Install," + field64k + "\r\n",
         0},
        {"64K-character base name and key",
         std::string(INF_VERSION) + "[Manufacturer]\r\n" + field64k + "=" + field64k +
             ",NTamd64\r\n",
         0},
        {"64K-character decoration",
         std::string(INF_VERSION) + "[Manufacturer]\r\nM=Models,NTamd64." + field64k + "\r\n", 0},
        {"10 MB", huge, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::wstring path = m_folder.writeBytes(L"broken.inf", c.content);
        DebugOutputCapture capture;
        CInfFile file;
        ASSERT_EQ(c.opened, file.open(path.c_str()));
        if (c.opened != SETUP_OK)
        {
            EXPECT_EQ(INVALID_HANDLE_VALUE, file.handle());
            continue;
        }
        CWStrArray sections;
        EXPECT_EQ(SETUP_OK, file.findModelsSections(sections));
        CWStrArray ids;
        for (uint64_t i = 0; i < sections.count(); ++i)
        {
            EXPECT_TRUE(wellFormed(sections[i]));
            file.findHardwareIds(sections[i], ids);
        }
        for (uint64_t i = 0; i < ids.count(); ++i)
        {
            ASSERT_TRUE(wellFormed(ids[i])) << i;
            ASSERT_FALSE(ids[i].empty()) << i;
        }
        expectShortLines(capture.lines());
        if (c.content.size() > 1000000)
        {
            // Every line of the 10 MB section gives its two IDs, in order.
            EXPECT_GT(ids.count(), 100000u);
            EXPECT_EQ(0u, ids.count() % 2);
            EXPECT_EQ(L"PCI\\VEN_1AF4&DEV_0", str(ids[0]));
            const std::wstring last = L"PCI\\VEN_1AF4&DEV_" + std::to_wstring(ids.count() / 2 - 1);
            EXPECT_EQ(last, str(ids[ids.count() - 2]));
        }
    }
}

TEST_F(InfInput, UnusualPaths)
{
    const std::string inf = std::string(INF_VERSION) +
                            "[Manufacturer]\r\nM=Models,NTamd64\r\n[Models.NTamd64]\r\nD=I,ID1\r\n";
    const std::wstring nonAscii = m_folder.writeBytes(L"\u00dcbersicht \u03a9 \u6a21\u578b.inf", inf);
    const std::wstring long32k = L"C:\\" + std::wstring(31990, L'd') + L"\\kvr7.inf";
    const struct
    {
        const wchar_t* name;
        std::wstring path;
        std::vector<SetupStatus> allowed;
    } cases[] = {
        {L"not ASCII", nonAscii, {SETUP_OK}},
        {L"32,000 characters", long32k,
         {SETUP_INF_FILE_NOT_FOUND, SETUP_INF_PATH_NOT_FOUND, SETUP_PLATFORM_ERROR}},
        {L"a folder", m_folder.path(),
         {SETUP_INF_FILE_NOT_FOUND, SETUP_INF_PATH_NOT_FOUND, SETUP_PLATFORM_ERROR}},
        {L"a folder with a final backslash", m_folder.path() + L"\\",
         {SETUP_INF_FILE_NOT_FOUND, SETUP_INF_PATH_NOT_FOUND, SETUP_PLATFORM_ERROR}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DebugOutputCapture capture;
        CInfFile file;
        const SetupStatus status = file.open(c.path.c_str());
        EXPECT_NE(c.allowed.end(), std::find(c.allowed.begin(), c.allowed.end(), status))
            << status;
        EXPECT_EQ(c.path, str(file.path()));
        ASSERT_FALSE(capture.lines().empty());
        EXPECT_EQ((L"CInfFile::open: dir='" + str(file.dir()) + L"' filename='" +
                   str(file.filename()) + L"' path='" + c.path + L"'\n")
                      .substr(0, 255),
                  capture.lines()[0]);
        expectShortLines(capture.lines());
        if (status != SETUP_OK)
        {
            EXPECT_EQ(INVALID_HANDLE_VALUE, file.handle());
            continue;
        }
        CWStrArray sections;
        ASSERT_EQ(SETUP_OK, file.findModelsSections(sections));
        CWStrArray ids;
        file.findHardwareIds(sections[0], ids);
        EXPECT_EQ(Lines{L"ID1"}, items(ids));
        EXPECT_EQ(L"\u00dcbersicht \u03a9 \u6a21\u578b.inf", str(file.originalName()));
    }
}

} // namespace
