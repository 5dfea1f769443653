// wformat.cpp
// The wide printf-style formatter (see wformat.h for what it accepts).

#include "base/wformat.h"

#include <cstdint>
#include <cwchar>
#include <memory>
#include <type_traits>

namespace {

// Collects output: stores what fits (capacity - 1 units) and counts all of it.
class Sink
{
public:
    Sink(wchar_t* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

    void put(wchar_t c)
    {
        if (m_buffer && m_length + 1 < m_capacity)
            m_buffer[m_length] = c;
        ++m_length;
    }

    void repeat(wchar_t c, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            put(c);
    }

    void finish()
    {
        if (m_buffer && m_capacity)
            m_buffer[m_length < m_capacity ? m_length : m_capacity - 1] = L'\0';
    }

    size_t length() const { return m_length; }

private:
    wchar_t* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
};

struct Spec
{
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
};

template <typename Body>
void putPadded(Sink& out, const Spec& spec, size_t bodyLength, const wchar_t* prefix,
               size_t prefixLength, size_t zeros, Body&& body)
{
    const size_t total = prefixLength + zeros + bodyLength;
    const size_t pad = spec.width > total ? spec.width - total : 0;
    const bool zeroFill = spec.zeroPad && !spec.leftAlign && !spec.hasPrecision;
    if (!spec.leftAlign && !zeroFill)
        out.repeat(L' ', pad);
    for (size_t i = 0; i < prefixLength; ++i)
        out.put(prefix[i]);
    out.repeat(L'0', zeros + (zeroFill ? pad : 0));
    body();
    if (spec.leftAlign)
        out.repeat(L' ', pad);
}

// Writes a string of either width; narrow characters are taken as Latin-1.
template <typename Char> void putString(Sink& out, const Spec& spec, const Char* text)
{
    static const Char nullText[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    if (!text)
        text = nullText;
    size_t length = 0;
    while (text[length] && (!spec.hasPrecision || length < spec.precision))
        ++length;
    Spec plain = spec;
    plain.zeroPad = false;
    putPadded(out, plain, length, L"", 0, 0, [&] {
        for (size_t i = 0; i < length; ++i)
            out.put(static_cast<wchar_t>(static_cast<std::make_unsigned_t<Char>>(text[i])));
    });
}

void putNumber(Sink& out, const Spec& spec, uint64_t magnitude, bool negative, unsigned base,
               bool upper)
{
    wchar_t digits[24];
    size_t count = 0;
    const wchar_t* set = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    do
    {
        digits[count++] = set[magnitude % base];
        magnitude /= base;
    } while (magnitude);
    if (spec.hasPrecision && spec.precision == 0 && count == 1 && digits[0] == L'0')
        count = 0;
    const size_t zeros = spec.hasPrecision && spec.precision > count ? spec.precision - count : 0;
    putPadded(out, spec, count, L"-", negative ? 1 : 0, zeros, [&] {
        while (count)
            out.put(digits[--count]);
    });
}

enum class Size
{
    Short,
    Default,
    Long,
    LongLong,
};

size_t run(Sink& out, const wchar_t* pattern, va_list args)
{
    if (!pattern)
        pattern = L"";
    const wchar_t* p = pattern;
    while (*p)
    {
        if (*p != L'%')
        {
            out.put(*p++);
            continue;
        }
        const wchar_t* start = p++;
        Spec spec;
        for (;; ++p)
        {
            if (*p == L'-')
                spec.leftAlign = true;
            else if (*p == L'0')
                spec.zeroPad = true;
            else if (*p != L'+' && *p != L' ' && *p != L'#')
                break;
        }
        if (*p == L'*')
        {
            const int width = va_arg(args, int);
            spec.leftAlign = spec.leftAlign || width < 0;
            spec.width =
                width < 0 ? 0u - static_cast<unsigned>(width) : static_cast<unsigned>(width);
            ++p;
        }
        else
        {
            while (*p >= L'0' && *p <= L'9' && spec.width < 100000)
                spec.width = spec.width * 10 + static_cast<size_t>(*p++ - L'0');
        }
        if (*p == L'.')
        {
            spec.hasPrecision = true;
            ++p;
            if (*p == L'*')
            {
                const int precision = va_arg(args, int);
                spec.hasPrecision = precision >= 0;
                spec.precision = precision >= 0 ? static_cast<size_t>(precision) : 0;
                ++p;
            }
            else
            {
                while (*p >= L'0' && *p <= L'9' && spec.precision < 100000)
                    spec.precision = spec.precision * 10 + static_cast<size_t>(*p++ - L'0');
            }
        }
        Size size = Size::Default;
        if (*p == L'h')
        {
            size = Size::Short;
            ++p;
        }
        else if (p[0] == L'l' && p[1] == L'l')
        {
            size = Size::LongLong;
            p += 2;
        }
        else if (*p == L'l')
        {
            size = Size::Long;
            ++p;
        }
        else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4')
        {
            size = Size::LongLong;
            p += 3;
        }

        const wchar_t conversion = *p;
        switch (conversion)
        {
        case L'%':
            out.put(L'%');
            break;
        case L's':
            if (size == Size::Short)
                putString(out, spec, va_arg(args, const char*));
            else
                putString(out, spec, va_arg(args, const wchar_t*));
            break;
        case L'c': {
            // wchar_t is promoted to int when passed through "...".
            const wchar_t text[2] = {static_cast<wchar_t>(va_arg(args, int)), L'\0'};
            Spec one = spec;
            one.hasPrecision = false;
            putString(out, one, text);
            break;
        }
        case L'd':
        case L'i': {
            int64_t value;
            if (size == Size::LongLong)
                value = va_arg(args, long long);
            else if (size == Size::Long)
                value = static_cast<int32_t>(va_arg(args, long));
            else if (size == Size::Short)
                value = static_cast<short>(va_arg(args, int));
            else
                value = va_arg(args, int);
            const uint64_t magnitude =
                value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
            putNumber(out, spec, magnitude, value < 0, 10, false);
            break;
        }
        case L'u':
        case L'x':
        case L'X': {
            uint64_t value;
            if (size == Size::LongLong)
                value = va_arg(args, unsigned long long);
            else if (size == Size::Long)
                value = static_cast<uint32_t>(va_arg(args, unsigned long));
            else if (size == Size::Short)
                value = static_cast<unsigned short>(va_arg(args, unsigned int));
            else
                value = va_arg(args, unsigned int);
            putNumber(out, spec, value, false, conversion == L'u' ? 10 : 16, conversion == L'X');
            break;
        }
        default:
            // Not a conversion we know: copy it as it stands (a lone "%" at the
            // end of the pattern included).
            for (const wchar_t* q = start; q < p; ++q)
                out.put(*q);
            if (!*p)
                return out.length();
            out.put(*p);
            break;
        }
        ++p;
    }
    return out.length();
}

} // namespace

size_t formatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* pattern, va_list args)
{
    Sink out(buffer, capacity);
    run(out, pattern, args);
    out.finish();
    return out.length();
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
    va_list measure;
    va_copy(measure, args);
    Sink counter(nullptr, 0);
    const size_t length = run(counter, pattern, measure);
    va_end(measure);

    std::unique_ptr<wchar_t[]> buffer(new wchar_t[length + 1]);
    Sink out(buffer.get(), length + 1);
    run(out, pattern, args);
    out.finish();
    return CWStr::substr(buffer.get(), 0, length);
}

CWStr formatText(const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    CWStr text = formatTextV(pattern, args);
    va_end(args);
    return text;
}
