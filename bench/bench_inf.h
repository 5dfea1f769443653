// bench_inf.h
// The benchmark's two ways of reading one INF package: the floor, the least
// work any correct installer must do (raw setupapi calls, one debugger output
// call per trace line), and the installer's own path through CInfFile. Both
// produce the same hardware ID list and the same trace lines, so that their
// times compare like for like.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Where trace lines go: OutputDebugStringW, a capture, or nowhere.
typedef void(WINAPI* TraceSink)(LPCWSTR text);

// The running system as both readers see it, and the decoration words for it.
struct BenchSystem
{
    WORD architecture;
    DWORD major;
    DWORD minor;
    BYTE productType;
    std::string platformWord; // "NTamd64", "NTx86" or "NTia64"
};
BenchSystem benchSystem();

// An INF whose models sections chosen on `system` list `idCount` hardware and
// compatible IDs (a multiple of 20): four [Manufacturer] lines with seven
// decorations each, five IDs of 21 to 45 characters per models line. ANSI text.
std::string benchPackage(const BenchSystem& system, unsigned idCount);

// The floor: opens the INF, describes the system, queries the original name,
// chooses the models sections and collects their IDs with the fewest platform
// calls, sending one line per installer trace line (same text) to `sink`.
// False when the INF cannot be opened.
bool floorRead(const wchar_t* path, TraceSink sink, std::vector<std::wstring>& ids);

// The installer's path: CInfFile::open, findModelsSections and findHardwareIds
// into one list, with the trace going wherever g_baseApi points.
bool installerRead(const wchar_t* path, std::vector<std::wstring>* idsOut);
