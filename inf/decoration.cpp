// decoration.cpp
// Number and platform-word reading for models section decorations.

#include "inf/decoration.h"

#include <windows.h>

namespace {

// The C library's white space for the scans.
bool isScanSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// The value of `c` as a digit of `base`, or -1.
int digitValue(wchar_t c, unsigned base)
{
    int value = -1;
    if (c >= L'0' && c <= L'9')
        value = c - L'0';
    else if (c >= L'a' && c <= L'f')
        value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        value = c - L'A' + 10;
    return (value >= 0 && static_cast<unsigned>(value) < base) ? value : -1;
}

} // namespace

bool scanDecorationNumber(const CWStr& part, uint32_t* value)
{
    const wchar_t* text = part.c_str();
    const uint64_t length = part.length();
    uint64_t i = 0;
    unsigned base = 10;
    if (length >= 2 && text[0] == L'0' && text[1] == L'x')
    {
        base = 16;
        i = 2;
    }

    // Every read below stays within the part: the value ends in a NUL at
    // `length`, and each test stops there.
    while (i < length && isScanSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == L'+' || text[i] == L'-'))
    {
        negative = text[i] == L'-';
        ++i;
    }
    // "%lx" takes its own optional prefix, but only in front of a hex digit.
    if (base == 16 && i + 2 < length && text[i] == L'0' &&
        (text[i + 1] == L'x' || text[i + 1] == L'X') && digitValue(text[i + 2], 16) >= 0)
        i += 2;

    uint64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < length; ++i)
    {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            break;
        anyDigit = true;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        if (magnitude > UINT32_MAX)
            return false;
    }
    if (!anyDigit)
        return false;

    uint32_t result = static_cast<uint32_t>(magnitude);
    *value = negative ? 0u - result : result;
    return true;
}

DecorationPlatform decorationPlatform(const CWStr& word)
{
    if (equalsIgnoringAsciiCase(word, L"nt"))
        return PLATFORM_NT;
    if (equalsIgnoringAsciiCase(word, L"ntx86"))
        return PLATFORM_X86;
    if (equalsIgnoringAsciiCase(word, L"ntia64"))
        return PLATFORM_IA64;
    if (equalsIgnoringAsciiCase(word, L"ntamd64"))
        return PLATFORM_AMD64;
    return PLATFORM_UNKNOWN;
}

const wchar_t* architectureWord(unsigned short architecture)
{
    switch (architecture)
    {
    case PROCESSOR_ARCHITECTURE_INTEL:
        return L"x86";
    case PROCESSOR_ARCHITECTURE_AMD64:
        return L"amd64";
    case PROCESSOR_ARCHITECTURE_IA64:
        return L"ia64";
    case 12: // PROCESSOR_ARCHITECTURE_ARM64, which older headers lack
        return L"arm64";
    }
    return L"";
}
