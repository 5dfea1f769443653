// wformat.cpp
// The wide formatter over the C runtime's _vsnwprintf. That entry has been in
// msvcrt.dll since the oldest Windows the installer accepts; its companion
// _vscwprintf (which only measures) has not, so an output that does not fit is
// measured by formatting into a growing heap buffer instead.

#include "base/wformat.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>

namespace {

// The length of the conversion that starts after a "%" at `p`, when it is one we
// hand to the runtime ("%", c, d, i, s, u, x, X with flags, width, precision and
// the sizes h, l, ll, I64), else 0.
size_t knownConversion(const wchar_t* p)
{
    const wchar_t* q = p;
    while (*q && std::wcschr(L"-+ #0", *q))
        ++q;
    for (int part = 0; part < 2; ++part)
    {
        if (part == 1 && *q != L'.')
            break;
        if (part == 1)
            ++q;
        if (*q == L'*')
            ++q;
        else
            while (*q >= L'0' && *q <= L'9')
                ++q;
    }
    if (q[0] == L'l' && q[1] == L'l')
        q += 2;
    else if (*q == L'h' || *q == L'l')
        ++q;
    else if (std::wcsncmp(q, L"I64", 3) == 0)
        q += 3;
    return *q && std::wcschr(L"%cdisuxX", *q) ? static_cast<size_t>(q - p) + 1 : 0;
}

// The pattern as the runtime gets it: a "%" that starts no known conversion (a
// lone one at the end included) is doubled, so that it is copied as it stands
// and never reaches the runtime as, say, "%n". Only such a pattern is copied;
// get() is null when the heap refused that copy.
class Pattern
{
public:
    explicit Pattern(const wchar_t* pattern) : m_text(pattern ? pattern : L"")
    {
        size_t unknown = 0;
        for (const wchar_t* p = m_text; (p = std::wcschr(p, L'%')) != nullptr;)
        {
            const size_t known = knownConversion(p + 1);
            unknown += known ? 0 : 1;
            p += 1 + known;
        }
        if (!unknown)
            return;
        const size_t length = std::wcslen(m_text);
        m_copy = static_cast<wchar_t*>(std::malloc((length + unknown + 1) * sizeof(wchar_t)));
        wchar_t* out = m_copy;
        for (const wchar_t* p = m_text; out && *p;)
        {
            const size_t known = *p == L'%' ? knownConversion(p + 1) : 0;
            if (*p == L'%' && !known)
                *out++ = L'%';
            for (const wchar_t* end = p + (known ? known + 1 : 1); p < end;)
                *out++ = *p++;
        }
        if (out)
            *out = L'\0';
        m_text = m_copy;
    }
    ~Pattern() { std::free(m_copy); }
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    const wchar_t* get() const { return m_text; }

private:
    const wchar_t* m_text;
    wchar_t* m_copy = nullptr;
};

// The largest output we try to measure; a pattern that needs more is refused
// the same way as a heap that is out of memory.
const size_t MAX_MEASURED_UNITS = size_t(1) << 22;

// One attempt into `buffer` of `capacity` units: the output's length when it fits
// with its NUL, or -1. _vsnwprintf returns -1 when the output is longer than the
// count it is given, and the count itself, with no NUL, when it is exactly that
// long; it is given one unit less than there is, and that unit takes the NUL.
long attempt(wchar_t* buffer, size_t capacity, const wchar_t* pattern, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int written = _vsnwprintf(buffer, capacity - 1, pattern, copy);
    va_end(copy);
    buffer[capacity - 1] = L'\0';
    return written;
}

// Formats into a heap buffer twice as large each time, starting above `known`
// units, until the output fits. Returns the buffer (the caller frees it with
// std::free) and sets `length`, or returns null when the heap refuses.
wchar_t* formatGrowing(size_t known, const wchar_t* pattern, va_list args, size_t& length)
{
    for (size_t capacity = known < 128 ? 256 : known * 2; capacity <= MAX_MEASURED_UNITS;
         capacity *= 2)
    {
        wchar_t* buffer = static_cast<wchar_t*>(std::malloc(capacity * sizeof(wchar_t)));
        if (!buffer)
            return nullptr;
        const long written = attempt(buffer, capacity, pattern, args);
        if (written >= 0)
        {
            length = static_cast<size_t>(written);
            return buffer;
        }
        std::free(buffer);
    }
    return nullptr;
}

} // namespace

size_t formatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* pattern, va_list args)
{
    const Pattern safe(pattern);
    if (!safe.get())
    {
        buffer[0] = L'\0';
        return SIZE_MAX;
    }
    const long written = attempt(buffer, capacity, safe.get(), args);
    if (written >= 0)
        return static_cast<size_t>(written);
    size_t length = SIZE_MAX;
    std::free(formatGrowing(capacity, safe.get(), args, length));
    return length;
}

size_t formatTruncated(wchar_t* buffer, size_t capacity, const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    const size_t length = formatTruncatedV(buffer, capacity, pattern, args);
    va_end(args);
    return length;
}

CWStr formatTextV(const wchar_t* pattern, va_list args)
{
    const Pattern safe(pattern);
    if (!safe.get())
        throw std::bad_alloc();
    wchar_t local[256];
    const long written = attempt(local, 256, safe.get(), args);
    if (written >= 0)
        return CWStr::substr(local, 0, static_cast<uint64_t>(written));
    size_t length = 0;
    wchar_t* grown = formatGrowing(256, safe.get(), args, length);
    if (!grown)
        throw std::bad_alloc();
    struct Freer
    {
        wchar_t* block;
        ~Freer() { std::free(block); }
    } owner{grown};
    return CWStr::substr(grown, 0, length);
}

CWStr formatText(const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    CWStr text = formatTextV(pattern, args);
    va_end(args);
    return text;
}
