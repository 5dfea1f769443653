// tool_text.cpp
// UTF-8 conversion, value escaping, argument reading and output for the tools.

#include "console/tool_text.h"

std::string toUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

std::wstring fromCodePage(const char* bytes, size_t count, UINT codePage)
{
    if (count == 0)
        return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), &result[0], size);
    return result;
}

std::wstring escapeValue(const std::wstring& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text)
    {
        switch (c)
        {
        case L'\n':
            result += L"\\n";
            break;
        case L'\r':
            result += L"\\r";
            break;
        default:
            result += c;
            break;
        }
    }
    return result;
}

bool nextArgument(const wchar_t*& cursor, std::wstring* argument)
{
    const wchar_t* p = cursor;
    while (*p == L' ' || *p == L'\t')
        ++p;
    if (*p == L'\0')
    {
        cursor = p;
        return false;
    }
    std::wstring word;
    bool quoted = false;
    while (*p != L'\0' && (quoted || (*p != L' ' && *p != L'\t')))
    {
        if (*p == L'\\')
        {
            size_t slashes = 0;
            while (*p == L'\\')
            {
                ++slashes;
                ++p;
            }
            if (*p == L'"')
            {
                word.append(slashes / 2, L'\\');
                if (slashes % 2)
                {
                    word += L'"';
                    ++p;
                }
            }
            else
            {
                word.append(slashes, L'\\');
            }
            continue;
        }
        if (*p == L'"')
        {
            // Two quotes in a row inside quotes stand for one quote.
            if (quoted && p[1] == L'"')
            {
                word += L'"';
                p += 2;
                continue;
            }
            quoted = !quoted;
            ++p;
            continue;
        }
        word += *p++;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    cursor = p;
    if (argument)
        *argument = word;
    return true;
}

std::vector<std::wstring> splitArguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> result;
    std::wstring word;
    const wchar_t* cursor = commandLine ? commandLine : L"";
    while (nextArgument(cursor, &word))
        result.push_back(word);
    return result;
}

bool writeText(HANDLE handle, const std::wstring& text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
    {
        DWORD written = 0;
        return WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written,
                             nullptr) != FALSE;
    }
    const std::string bytes = toUtf8(text);
    size_t done = 0;
    while (done < bytes.size())
    {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                       &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

void printLine(const std::wstring& text)
{
    writeText(GetStdHandle(STD_OUTPUT_HANDLE), text + L"\n");
}

void printError(const std::wstring& text)
{
    writeText(GetStdHandle(STD_ERROR_HANDLE), text + L"\n");
}

void printValue(const wchar_t* key, const std::wstring& value)
{
    printLine(std::wstring(key) + L"=" + escapeValue(value));
}

std::wstring decimal(long long value)
{
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    std::wstring digits;
    do
    {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    return value < 0 ? L"-" + digits : digits;
}

std::wstring hex(unsigned long long value)
{
    static const wchar_t DIGITS[] = L"0123456789abcdef";
    std::wstring digits;
    do
    {
        digits.insert(digits.begin(), DIGITS[value % 16]);
        value /= 16;
    } while (value);
    return L"0x" + digits;
}

bool parseNumber(const std::wstring& text, unsigned long long* value)
{
    if (text.empty())
        return false;
    int base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
    {
        base = 16;
        start = 2;
    }
    unsigned long long result = 0;
    for (size_t i = start; i < text.size(); ++i)
    {
        wchar_t c = text[i];
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return false;
        if (result > (~0ULL - digit) / base)
            return false;
        result = result * base + digit;
    }
    *value = result;
    return true;
}
