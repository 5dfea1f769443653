// inf_bench.cpp
// The benchmark program. For each package size it times, in this process and
// with QueryPerformanceCounter, the floor (a), the installer's path (b) and the
// same two with the trace sent nowhere (a0, b0), keeping the best of several
// runs; it first checks that both produce the same ID list and the same trace
// lines. It can also time the start of a real program beside a trivial one.
// Prints a Markdown report on standard output and the figures as tab-separated
// rows to the --data file.
//
//   inf_bench.exe [--runs N] [--sizes 1000,4000,...] [--data FILE]
//                 [--installer PATH --package-args ARGS --trivial PATH] [--starts N]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/base_platform.h"
#include "base/unique_handle.h"
#include "bench/bench_inf.h"

namespace {

std::vector<std::wstring> g_captured;

void WINAPI captureLine(LPCWSTR text)
{
    g_captured.push_back(text);
}

// The trace sent nowhere. The call is still made, through a pointer, as the
// installer makes it.
void WINAPI discardLine(LPCWSTR)
{
}

double seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double timeFloor(const std::wstring& path, TraceSink sink)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    {
        std::vector<std::wstring> ids;
        floorRead(path.c_str(), sink, ids);
    }
    QueryPerformanceCounter(&end);
    return seconds(start, end);
}

double timeInstaller(const std::wstring& path, TraceSink sink)
{
    g_baseApi.OutputDebugStringW = sink;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    installerRead(path.c_str(), nullptr);
    QueryPerformanceCounter(&end);
    g_baseApi.OutputDebugStringW = ::OutputDebugStringW;
    return seconds(start, end);
}

// Both readers must give the same IDs and trace lines of the same text.
bool sameWork(const std::wstring& path, unsigned expectedIds, size_t* traceLines)
{
    std::vector<std::wstring> floorIds;
    g_captured.clear();
    if (!floorRead(path.c_str(), captureLine, floorIds))
        return false;
    const std::vector<std::wstring> floorLines = g_captured;

    std::vector<std::wstring> installerIds;
    g_captured.clear();
    g_baseApi.OutputDebugStringW = captureLine;
    const bool read = installerRead(path.c_str(), &installerIds);
    g_baseApi.OutputDebugStringW = ::OutputDebugStringW;
    if (!read)
        return false;
    if (floorIds != installerIds || floorIds.size() != expectedIds)
    {
        std::fprintf(stderr, "inf_bench: ID lists differ (%u and %u, %u expected)\n",
                     static_cast<unsigned>(floorIds.size()),
                     static_cast<unsigned>(installerIds.size()), expectedIds);
        return false;
    }
    if (floorLines != g_captured)
    {
        for (size_t i = 0; i < floorLines.size() && i < g_captured.size(); ++i)
        {
            if (floorLines[i] != g_captured[i])
            {
                std::fprintf(stderr, "inf_bench: trace line %u differs:\n  %ls  %ls",
                             static_cast<unsigned>(i), floorLines[i].c_str(),
                             g_captured[i].c_str());
                break;
            }
        }
        std::fprintf(stderr, "inf_bench: trace lines differ (%u and %u)\n",
                     static_cast<unsigned>(floorLines.size()),
                     static_cast<unsigned>(g_captured.size()));
        return false;
    }
    *traceLines = floorLines.size();
    return true;
}

struct Row
{
    unsigned ids;
    size_t traceLines;
    double a, b, a0, b0;
};

// ---- start-up -----------------------------------------------------------------

struct FoundWindow
{
    DWORD processId;
    const wchar_t* caption;
    HWND window;
};

BOOL CALLBACK findVisible(HWND window, LPARAM param)
{
    FoundWindow* found = reinterpret_cast<FoundWindow*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t caption[256] = {};
    if (processId == found->processId && IsWindowVisible(window) &&
        GetWindowTextW(window, caption, 256) && std::wstring(caption) == found->caption)
    {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from just before CreateProcessW to the window shown (when `caption`
// is given; the window is then closed) or to the end of the process. Negative
// when the program could not be started or did not finish within a minute.
double timeStart(const std::wstring& program, const std::wstring& arguments, const wchar_t* caption)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return -1.0;
    const UniqueKernelObject ownedProcess(process.hProcess);
    const UniqueKernelObject ownedThread(process.hThread);
    double result = -1.0;
    if (caption)
    {
        FoundWindow found = {process.dwProcessId, caption, nullptr};
        const ULONGLONG deadline = GetTickCount64() + 60000;
        while (!found.window && GetTickCount64() < deadline &&
               WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        {
            EnumWindows(findVisible, reinterpret_cast<LPARAM>(&found));
            if (!found.window)
                Sleep(1);
        }
        QueryPerformanceCounter(&end);
        if (found.window)
        {
            result = seconds(start, end);
            PostMessageW(found.window, WM_CLOSE, 0, 0);
        }
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
    {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        result = -1.0;
    }
    else if (!caption)
    {
        QueryPerformanceCounter(&end);
        result = seconds(start, end);
    }
    return result;
}

double bestStart(const std::wstring& program, const std::wstring& arguments, const wchar_t* caption,
                 int runs)
{
    double best = -1.0;
    for (int i = 0; i < runs; ++i)
    {
        const double t = timeStart(program, arguments, caption);
        if (t < 0)
            return -1.0;
        if (best < 0 || t < best)
            best = t;
    }
    return best;
}

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

void printMs(double t)
{
    if (t < 0)
        std::printf(" failed |");
    else
        std::printf(" %.0f |", t * 1000.0);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int runs = 5;
    int starts = 5;
    std::vector<unsigned> sizes = {1000, 4000, 16000, 64000};
    std::wstring dataPath;
    std::wstring installer;
    std::wstring installerArgs = L"-nopause";
    std::wstring trivial;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::wstring option = argv[i];
        const wchar_t* value = argv[i + 1];
        if (option == L"--runs")
            runs = _wtoi(value);
        else if (option == L"--starts")
            starts = _wtoi(value);
        else if (option == L"--data")
            dataPath = value;
        else if (option == L"--installer")
            installer = value;
        else if (option == L"--package-args")
            installerArgs = value;
        else if (option == L"--trivial")
            trivial = value;
        else if (option == L"--sizes")
        {
            sizes.clear();
            for (const wchar_t* p = value; *p;)
            {
                wchar_t* end = nullptr;
                sizes.push_back(static_cast<unsigned>(std::wcstoul(p, &end, 10)));
                p = *end ? end + 1 : end;
            }
        }
        else
        {
            std::fprintf(stderr, "inf_bench: unknown option %ls\n", option.c_str());
            return 3;
        }
    }
    if (runs < 1 || starts < 1)
        return 3;

    wchar_t tempRoot[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, tempRoot);
    const std::wstring folder =
        std::wstring(tempRoot) + L"kvr7_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);

    const BenchSystem system = benchSystem();
    std::vector<Row> rows;
    for (unsigned size : sizes)
    {
        const std::wstring path = folder + L"\\kvr7_" + std::to_wstring(size) + L".inf";
        const std::string content = benchPackage(system, size);
        UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        const bool wrote = file.valid() &&
                           WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()),
                                     &written, nullptr) &&
                           written == content.size();
        file.reset();
        Row row = {size, 0, 1e30, 1e30, 1e30, 1e30};
        if (!wrote || !sameWork(path, size, &row.traceLines))
        {
            std::fprintf(stderr, "inf_bench: the two readers disagree on %u IDs\n", size);
            DeleteFileW(path.c_str());
            RemoveDirectoryW(folder.c_str());
            return 1;
        }
        for (int r = 0; r < runs; ++r)
        {
            row.a = std::min(row.a, timeFloor(path, ::OutputDebugStringW));
            row.b = std::min(row.b, timeInstaller(path, ::OutputDebugStringW));
            row.a0 = std::min(row.a0, timeFloor(path, discardLine));
            row.b0 = std::min(row.b0, timeInstaller(path, discardLine));
        }
        DeleteFileW(path.c_str());
        rows.push_back(row);
        std::fprintf(stderr, "inf_bench: %u IDs done\n", size);
    }
    RemoveDirectoryW(folder.c_str());

    std::printf("System seen: architecture %u, Windows %lu.%lu, product type %u; best of %d "
                "runs.\n\n",
                system.architecture, system.major, system.minor, system.productType, runs);
    std::printf("| IDs | trace lines | (a) floor ms | (b) installer ms | (b)/(a) | (a0) floor, "
                "no trace ms | (b0) installer, no trace ms | (b0)/(a0) |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    bool traceGoal = true;
    bool computeGoal = true;
    for (const Row& row : rows)
    {
        std::printf("| %u | %u | %.1f | %.1f | %.2f | %.2f | %.2f | %.2f |\n", row.ids,
                    static_cast<unsigned>(row.traceLines), row.a * 1000, row.b * 1000,
                    row.b / row.a, row.a0 * 1000, row.b0 * 1000, row.b0 / row.a0);
        traceGoal = traceGoal && row.b / row.a <= 1.2;
        computeGoal = computeGoal && row.b0 / row.a0 <= 1.5;
    }
    std::printf("\n- (b)/(a) at most 1.2 at every size: %s\n", traceGoal ? "met" : "NOT met");
    std::printf("- (b0)/(a0) at most 1.5 at every size: %s\n", computeGoal ? "met" : "NOT met");
    for (size_t i = 1; i < rows.size(); ++i)
    {
        if (rows[i].ids == 4 * rows[i - 1].ids)
            std::printf("- growth from %u to %u IDs: (a0) %.2f times, (b0) %.2f times, (a) %.2f "
                        "times, (b) %.2f times\n",
                        rows[i - 1].ids, rows[i].ids, rows[i].a0 / rows[i - 1].a0,
                        rows[i].b0 / rows[i - 1].b0, rows[i].a / rows[i - 1].a,
                        rows[i].b / rows[i - 1].b);
    }

    if (!dataPath.empty())
    {
        FILE* data = _wfopen(dataPath.c_str(), L"w");
        if (!data)
        {
            std::fprintf(stderr, "inf_bench: cannot write %ls\n", dataPath.c_str());
            return 1;
        }
        std::fprintf(data, "# ids\ta_ms\tb_ms\ta0_ms\tb0_ms\n");
        for (const Row& row : rows)
            std::fprintf(data, "%u\t%.3f\t%.3f\t%.3f\t%.3f\n", row.ids, row.a * 1000, row.b * 1000,
                         row.a0 * 1000, row.b0 * 1000);
        std::fclose(data);
    }

    if (!installer.empty() && !trivial.empty())
    {
        const wchar_t* caption = L"KVR7 Driver Installer";
        const wchar_t* trivialCaption = L"Trivial Window";
        std::printf("\nStart-up, best of %d starts (ms, from just before CreateProcessW):\n\n",
                    starts);
        std::printf("| program | to the window shown | to the end of a `-nopause` run |\n");
        std::printf("|---|---:|---:|\n");
        std::printf("| %s |", narrow(installer.substr(installer.rfind(L'\\') + 1)).c_str());
        printMs(bestStart(installer, L"", caption, starts));
        printMs(bestStart(installer, installerArgs, nullptr, starts));
        std::printf("\n| %s (trivial) |", narrow(trivial.substr(trivial.rfind(L'\\') + 1)).c_str());
        printMs(bestStart(trivial, L"", trivialCaption, starts));
        printMs(bestStart(trivial, L"-nopause", nullptr, starts));
        std::printf("\n");
    }
    return 0;
}
