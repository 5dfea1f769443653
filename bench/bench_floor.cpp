// bench_floor.cpp
// The floor of the benchmark: what any correct installer must do to read the
// package, done with the fewest platform calls. One buffer on the stack serves
// every field that fits it; the field count ends each line without a failing
// read; only the IDs that are kept are allocated. The trace lines are the
// installer's, built by plain copying and cut at 255 characters as its are.

#include "bench/bench_inf.h"

#include <setupapi.h>

#include <cwchar>
#include <cwctype>

#include "base/unique_handle.h"

namespace {

// One trace line of at most 255 characters.
class Line
{
public:
    Line& operator<<(const wchar_t* text)
    {
        while (*text && m_length < 255)
            m_text[m_length++] = *text++;
        return *this;
    }
    Line& operator<<(const std::wstring& text) { return *this << text.c_str(); }
    Line& number(unsigned long value, int base)
    {
        wchar_t digits[16];
        int n = 0;
        do
        {
            const unsigned long digit = value % base;
            digits[n++] = static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'a' + digit - 10);
            value /= base;
        } while (value);
        while (n && m_length < 255)
            m_text[m_length++] = digits[--n];
        return *this;
    }
    void send(TraceSink sink)
    {
        m_text[m_length] = L'\0';
        sink(m_text);
    }

private:
    wchar_t m_text[256];
    size_t m_length = 0;
};

void traceText(TraceSink sink, const wchar_t* before, const std::wstring& value,
               const wchar_t* after)
{
    Line line;
    line << before << value << after;
    line.send(sink);
}

void traceFixed(TraceSink sink, const wchar_t* text)
{
    Line line;
    line << text;
    line.send(sink);
}

class Reader
{
public:
    explicit Reader(INFCONTEXT* context) : m_context(context) {}

    // Field `index` of the current line into `out`.
    bool field(DWORD index, std::wstring& out)
    {
        DWORD size = 0;
        if (SetupGetStringFieldW(m_context, index, m_buffer, ROOM, &size))
        {
            out.assign(m_buffer, size ? size - 1 : 0);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        std::wstring big(size, L'\0');
        if (!SetupGetStringFieldW(m_context, index, &big[0], size, nullptr))
            return false;
        out.assign(big.c_str(), size - 1);
        return true;
    }

    bool lineText(std::wstring& out)
    {
        DWORD size = 0;
        if (SetupGetLineTextW(m_context, nullptr, nullptr, nullptr, m_buffer, ROOM, &size))
        {
            out.assign(m_buffer, size ? size - 1 : 0);
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        std::wstring big(size, L'\0');
        if (!SetupGetLineTextW(m_context, nullptr, nullptr, nullptr, &big[0], size, nullptr))
            return false;
        out.assign(big.c_str(), size - 1);
        return true;
    }

private:
    static const DWORD ROOM = 512;
    INFCONTEXT* m_context;
    wchar_t m_buffer[ROOM];
};

bool readNumber(const std::wstring& part, unsigned long* value)
{
    const wchar_t* text = part.c_str();
    int base = 10;
    if (part.size() >= 2 && text[0] == L'0' && text[1] == L'x')
    {
        text += 2;
        base = 16;
    }
    wchar_t* end = nullptr;
    *value = std::wcstoul(text, &end, base);
    return end != text;
}

struct Fit
{
    bool fits;
    size_t specificity;
};

// The installer's decoration rules, with its trace lines.
Fit examine(const std::wstring& decoration, const SYSTEM_INFO& info,
            const OSVERSIONINFOEXW& version, TraceSink sink)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < decoration.size())
    {
        const size_t dot = decoration.find(L'.', start);
        if (dot == std::wstring::npos)
            break;
        parts.push_back(decoration.substr(start, dot - start));
        start = dot + 1;
    }
    if (start != decoration.size())
        parts.push_back(decoration.substr(start));
    std::wstring joined;
    for (size_t i = 0; i < parts.size(); ++i)
        joined += (i ? L"." : L"") + parts[i];
    traceText(sink, L"    Examining models section decoration '", joined, L"':\n");
    if (parts.empty())
        return Fit{true, 0};

    std::wstring word = parts[0];
    for (wchar_t& c : word)
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    int architecture = -2;
    if (word == L"nt")
        architecture = -1;
    else if (word == L"ntx86")
        architecture = PROCESSOR_ARCHITECTURE_INTEL;
    else if (word == L"ntia64")
        architecture = PROCESSOR_ARCHITECTURE_IA64;
    else if (word == L"ntamd64")
        architecture = PROCESSOR_ARCHITECTURE_AMD64;
    if (architecture == -2)
    {
        traceText(sink, L"      Warning: unrecognized NT architecture '", decoration, L"'.\n");
        return Fit{false, 0};
    }
    unsigned long numbers[4] = {0, 0, 0, 0};
    for (size_t i = 1; i < parts.size(); ++i)
    {
        unsigned long value = 0;
        if (!readNumber(parts[i], &value))
        {
            traceText(sink, L"      Warning: decoration '", decoration, L"' is malformed; ignoring.\n");
            return Fit{false, 0};
        }
        if (i <= 4)
            numbers[i - 1] = value;
    }
    if (architecture != info.wProcessorArchitecture)
    {
        traceFixed(sink, L"      Decoration doesn't match this system's CPU architecture\n");
        return Fit{false, 0};
    }
    const size_t count = parts.size();
    if (count >= 2 && numbers[0] != version.dwMajorVersion)
        return Fit{false, 0};
    if (count >= 3 && numbers[1] != version.dwMinorVersion)
    {
        traceFixed(sink, L"      Decoration doesn't match this system's minor OS version\n");
        return Fit{false, 0};
    }
    if (count >= 4 && static_cast<BYTE>(numbers[2]) != version.wProductType)
    {
        traceFixed(sink, L"      DDecoration doesn't match this system's OS product type\n");
        return Fit{false, 0};
    }
    if (count >= 5 && (version.wSuiteMask & static_cast<WORD>(numbers[3])) !=
                          static_cast<WORD>(numbers[3]))
    {
        traceFixed(sink, L"      Decoration doesn't match this system's OS suite mask\n");
        return Fit{false, 0};
    }
    return Fit{true, count};
}

void WINAPI closeInf(HINF inf)
{
    SetupCloseInfFile(inf);
}

} // namespace

bool floorRead(const wchar_t* path, TraceSink sink, std::vector<std::wstring>& ids)
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version)))
        return false;
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);

    const std::wstring whole = path;
    const size_t slash = whole.rfind(L'\\');
    const std::wstring dir = slash == std::wstring::npos ? L"" : whole.substr(0, slash);
    const std::wstring file = slash == std::wstring::npos ? whole : whole.substr(slash + 1);
    {
        Line line;
        line << L"CInfFile::open: dir='" << dir << L"' filename='" << file << L"' path='" << whole
             << L"'\n";
        line.send(sink);
    }

    UINT errorLine = 0;
    HINF inf = SetupOpenInfFileW(path, nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE)
        return false;
    const UniqueHandle<InfHandleTraits<HINF, closeInf>> owner(inf);
    {
        Line line;
        line << L"CInfFile::open: opened .INF file. Architecture=";
        line.number(info.wProcessorArchitecture, 10) << L" OS=";
        line.number(version.dwMajorVersion, 10) << L".";
        line.number(version.dwMinorVersion, 10) << L" ProductType=";
        line.number(version.wProductType, 10) << L" SuiteMask=0x";
        line.number(version.wSuiteMask, 16) << L"\n";
        line.send(sink);
    }

    // The original name: the one trace line that needs the INF information.
    BYTE information[4096];
    DWORD size = 0;
    if (!SetupGetInfInformationW(inf, INFINFO_INF_SPEC_IS_HINF,
                                 reinterpret_cast<PSP_INF_INFORMATION>(information),
                                 sizeof(information), &size))
    {
        return false;
    }
    SP_ORIGINAL_FILE_INFO_W original = {};
    original.cbSize = sizeof(original);
    if (!SetupQueryInfOriginalFileInformationW(reinterpret_cast<PSP_INF_INFORMATION>(information), 0,
                                               nullptr, &original))
    {
        return false;
    }
    traceText(sink, L"CInfFile::open: orignal filename=", original.OriginalInfName, L"\n");

    INFCONTEXT context = {};
    Reader reader(&context);
    std::vector<std::wstring> sections;
    if (!SetupFindFirstLineW(inf, L"Manufacturer", nullptr, &context))
    {
        traceFixed(sink, L"Error: [Manufacturer] section not found\n");
        return false;
    }
    traceFixed(sink, L"Reading section [Manufacturer]:\n");
    std::wstring text;
    std::wstring base;
    std::wstring decoration;
    do
    {
        if (!reader.lineText(text))
            break;
        traceText(sink, L"  Examining line '", text, L"':\n");
        if (!reader.field(1, base))
            break;
        std::wstring best;
        size_t bestSpecificity = 0;
        const DWORD fields = SetupGetFieldCount(&context);
        for (DWORD index = 2; index <= fields && reader.field(index, decoration); ++index)
        {
            const Fit fit = examine(decoration, info, version, sink);
            if (!fit.fits)
                continue;
            if (fit.specificity > bestSpecificity)
            {
                best = decoration;
                bestSpecificity = fit.specificity;
                traceFixed(sink, L"      Decoration is the best match so far.\n");
            }
            else
            {
                traceFixed(sink, L"      Decoration matches this system but is not the best match.\n");
            }
        }
        sections.push_back(bestSpecificity ? base + L"." + best : base);
        traceText(sink, L"  Adding '", sections.back(), L"' to models section reference list.\n");
    } while (SetupFindNextLine(&context, &context));

    std::wstring id;
    for (const std::wstring& section : sections)
    {
        if (!SetupFindFirstLineW(inf, section.c_str(), nullptr, &context))
        {
            traceText(sink, L"Warning: section [", section, L"] not found.\n");
            continue;
        }
        traceText(sink, L"Reading section [", section, L"]:\n");
        do
        {
            // The key and the install section are there when the count says so.
            const DWORD fields = SetupGetFieldCount(&context);
            if (fields < 2)
                break;
            for (DWORD index = 2; index <= fields; ++index)
            {
                if (!reader.field(index, id))
                    break;
                if (id.empty())
                    continue;
                traceText(sink, index == 2 ? L"  Found Hardware ID '" : L"  Found Compatible ID '",
                          id, L"'.\n");
                ids.push_back(id);
            }
        } while (SetupFindNextLine(&context, &context));
    }
    return true;
}
