// bench_inf.cpp
// The benchmark's package generator, the running system's description and the
// installer's own read of a package.

#include "bench/bench_inf.h"

#include <cstdio>

#include "inf/inf_file.h"

BenchSystem benchSystem()
{
    BenchSystem system = {};
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version));
    system.architecture = info.wProcessorArchitecture;
    system.major = version.dwMajorVersion;
    system.minor = version.dwMinorVersion;
    system.productType = version.wProductType;
    switch (system.architecture)
    {
    case PROCESSOR_ARCHITECTURE_INTEL:
        system.platformWord = "NTx86";
        break;
    case PROCESSOR_ARCHITECTURE_IA64:
        system.platformWord = "NTia64";
        break;
    default:
        system.platformWord = "NTamd64";
        break;
    }
    return system;
}

namespace {

std::string hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", value & 0xffff);
    return text;
}

// The seven decorations of every [Manufacturer] line: a foreign architecture,
// an unknown word, four that fit (the five-part one wins) and one for another
// minor version. The chosen one is returned in `chosen`.
std::string decorations(const BenchSystem& s, std::string& chosen)
{
    const std::string word = s.platformWord;
    const std::string major = std::to_string(s.major);
    const std::string minor = std::to_string(s.minor);
    const std::string type = std::to_string(s.productType);
    chosen = word + "." + major + "." + minor + "." + type + ".0x0";
    return (s.architecture == PROCESSOR_ARCHITECTURE_INTEL ? "NTia64.5.1" : "NTx86.5.1") +
           std::string(",NTarm64,") + word + "," + word + "." + major + "," + word + "." + major +
           "." + minor + "," + chosen + "," + word + "." + major + "." +
           std::to_string(s.minor + 1);
}

} // namespace

std::string benchPackage(const BenchSystem& system, unsigned idCount)
{
    const unsigned makers = 4;
    const unsigned linesPerSection = idCount / (makers * 5);
    std::string chosen;
    const std::string decorated = decorations(system, chosen);

    std::string inf = "[Version]\r\n"
                      "Signature=\"$Windows NT$\"\r\n"
                      "Class=System\r\n"
                      "ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}\r\n"
                      "Provider=%Maker%\r\n"
                      "DriverVer=01/02/2020,1.0.0.0\r\n\r\n"
                      "[Manufacturer]\r\n";
    for (unsigned m = 0; m < makers; ++m)
        inf += "%Maker" + std::to_string(m) + "%=Models" + std::to_string(m) + "," + decorated +
               "\r\n";
    inf.reserve(inf.size() + idCount * 48u + 4096u);
    for (unsigned m = 0; m < makers; ++m)
    {
        const std::string vendor = "PCI\\VEN_" + hex4(0x1AF0 + m);
        // A section for a less specific decoration, never read.
        inf += "\r\n[Models" + std::to_string(m) + "." + system.platformWord + "]\r\n";
        inf += "%Dev%=KVR7_Install," + vendor + "&DEV_FFFF\r\n";
        inf += "\r\n[Models" + std::to_string(m) + "." + chosen + "]\r\n";
        for (unsigned line = 0; line < linesPerSection; ++line)
        {
            const std::string device = vendor + "&DEV_" + hex4(line);
            inf += "%Dev%=KVR7_Install," + device + "&SUBSYS_00011AF4&REV_01," + device +
                   "&SUBSYS_00011AF4," + device + "&REV_01," + device + "," + device +
                   "&CC_020000\r\n";
        }
    }
    inf += "\r\n[KVR7_Install]\r\n\r\n[Strings]\r\nMaker=\"KVR7 Devices\"\r\n"
           "Maker0=\"Maker Zero\"\r\nMaker1=\"Maker One\"\r\nMaker2=\"Maker Two\"\r\n"
           "Maker3=\"Maker Three\"\r\nDev=\"KVR7 virtual board\"\r\n";
    return inf;
}

bool installerRead(const wchar_t* path, std::vector<std::wstring>* idsOut)
{
    CInfFile inf;
    if (inf.open(path) != SETUP_OK)
        return false;
    CWStrArray ids;
    {
        CWStrArray sections;
        if (inf.findModelsSections(sections) != SETUP_OK)
            return false;
        for (uint64_t i = 0; i < sections.count(); ++i)
            inf.findHardwareIds(sections[i], ids);
    }
    if (idsOut)
    {
        for (uint64_t i = 0; i < ids.count(); ++i)
            idsOut->push_back(std::wstring(ids[i].c_str(), static_cast<size_t>(ids[i].length())));
    }
    return true;
}
