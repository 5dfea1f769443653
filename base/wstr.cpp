// wstr.cpp
// CWStr and CWStrArray: exact-size owned text and lists of text.

#include "base/wstr.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

namespace {

uint64_t textLength(const wchar_t* text)
{
    return text ? std::wcslen(text) : 0;
}

// Refuses a request whose byte count would not fit in size_t, the same way as a
// request that the heap cannot satisfy.
size_t byteCount(uint64_t units, size_t unitSize)
{
    const uint64_t limit = static_cast<uint64_t>(SIZE_MAX) / unitSize;
    if (units > limit)
        throw std::bad_alloc();
    return static_cast<size_t>(units) * unitSize;
}

wchar_t foldAsciiCase(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool equalsIgnoringAsciiCase(const CWStr& text, const wchar_t* word)
{
    const wchar_t* t = text.c_str();
    uint64_t i = 0;
    for (; i < text.length() && word[i]; ++i)
    {
        if (foldAsciiCase(t[i]) != foldAsciiCase(word[i]))
            return false;
    }
    return i == text.length() && word[i] == L'\0';
}

// ---- CWStr ------------------------------------------------------------------

wchar_t* CWStr::allocUnits(uint64_t length)
{
    if (length == UINT64_MAX)
        throw std::bad_alloc();
    wchar_t* data = static_cast<wchar_t*>(::operator new(byteCount(length + 1, sizeof(wchar_t))));
    data[length] = L'\0';
    return data;
}

CWStr::CWStr() : m_data(allocUnits(0)), m_length(0)
{
}

CWStr::CWStr(const wchar_t* text)
{
    const uint64_t length = textLength(text);
    m_data = allocUnits(length);
    if (length)
        std::memcpy(m_data, text, static_cast<size_t>(length) * sizeof(wchar_t));
    m_length = length;
}

CWStr::CWStr(const CWStr& other) : m_data(allocUnits(other.m_length)), m_length(other.m_length)
{
    std::memcpy(m_data, other.m_data, static_cast<size_t>(m_length) * sizeof(wchar_t));
}

CWStr::~CWStr()
{
    ::operator delete(m_data);
}

CWStr& CWStr::operator=(const CWStr& other)
{
    if (this == &other)
        return *this;
    wchar_t* data = allocUnits(other.m_length);
    std::memcpy(data, other.m_data, static_cast<size_t>(other.m_length) * sizeof(wchar_t));
    ::operator delete(m_data);
    m_data = data;
    m_length = other.m_length;
    return *this;
}

CWStr& CWStr::operator=(CWStr&& other) noexcept
{
    std::swap(m_data, other.m_data);
    std::swap(m_length, other.m_length);
    return *this;
}

CWStr CWStr::substr(const wchar_t* text, uint64_t start, uint64_t count)
{
    wchar_t* data = allocUnits(count);
    if (count)
        std::memcpy(data, text + start, static_cast<size_t>(count) * sizeof(wchar_t));
    return CWStr(data, count);
}

CWStr CWStr::substr(uint64_t start, uint64_t count) const
{
    return substr(m_data, start, count);
}

CWStr CWStr::concat(const wchar_t* left, uint64_t leftLength, const wchar_t* right,
                    uint64_t rightLength)
{
    if (rightLength > UINT64_MAX - leftLength)
        throw std::bad_alloc();
    const uint64_t length = leftLength + rightLength;
    wchar_t* data = allocUnits(length);
    if (leftLength)
        std::memcpy(data, left, static_cast<size_t>(leftLength) * sizeof(wchar_t));
    if (rightLength)
        std::memcpy(data + leftLength, right, static_cast<size_t>(rightLength) * sizeof(wchar_t));
    return CWStr(data, length);
}

CWStr operator+(const CWStr& left, const CWStr& right)
{
    return CWStr::concat(left.m_data, left.m_length, right.m_data, right.m_length);
}

CWStr operator+(const CWStr& left, const wchar_t* right)
{
    return CWStr::concat(left.m_data, left.m_length, right, textLength(right));
}

CWStr& CWStr::operator+=(const wchar_t* text)
{
    CWStr joined = *this + text;
    std::swap(m_data, joined.m_data);
    std::swap(m_length, joined.m_length);
    return *this;
}

bool operator==(const CWStr& left, const CWStr& right)
{
    return left.length() == right.length() &&
           std::wmemcmp(left.c_str(), right.c_str(), static_cast<size_t>(left.length())) == 0;
}

bool operator!=(const CWStr& left, const CWStr& right)
{
    return !(left == right);
}

// ---- CWStrArray -------------------------------------------------------------

// Item blocks are raw storage from the C heap. An empty request still gets its
// own block.
CWStr* CWStrArray::allocItems(uint64_t count)
{
    void* block = std::malloc(count ? byteCount(count, sizeof(CWStr)) : 1);
    if (!block)
        throw std::bad_alloc();
    return static_cast<CWStr*>(block);
}

void CWStrArray::releaseBlock(CWStr* items)
{
    std::free(items);
}

void CWStrArray::destroyItems(CWStr* items, uint64_t count)
{
    for (uint64_t i = 0; i < count; ++i)
        items[i].~CWStr();
}

// Moves the present items (as many as fit) into `items`, which already holds
// constructed values from position m_count on, then drops the old block.
void CWStrArray::replaceBlock(CWStr* items, uint64_t count)
{
    const uint64_t kept = count < m_count ? count : m_count;
    for (uint64_t i = 0; i < kept; ++i)
    {
        new (&items[i]) CWStr(m_items[i].m_data, m_items[i].m_length);
        m_items[i].m_data = nullptr;
    }
    destroyItems(m_items, m_count);
    releaseBlock(m_items);
    m_items = items;
    m_count = count;
    m_capacity = count;
}

CWStrArray::CWStrArray(const CWStrArray& other) : m_count(0), m_capacity(0), m_items(nullptr)
{
    *this = other;
}

CWStrArray::CWStrArray(CWStrArray&& other) noexcept
    : m_count(other.m_count), m_capacity(other.m_capacity), m_items(other.m_items)
{
    other.m_count = 0;
    other.m_capacity = 0;
    other.m_items = nullptr;
}

CWStrArray& CWStrArray::operator=(CWStrArray&& other) noexcept
{
    if (this != &other)
    {
        destroyItems(m_items, m_count);
        releaseBlock(m_items);
        m_items = other.m_items;
        m_count = other.m_count;
        m_capacity = other.m_capacity;
        other.m_items = nullptr;
        other.m_count = 0;
        other.m_capacity = 0;
    }
    return *this;
}

CWStrArray::~CWStrArray()
{
    destroyItems(m_items, m_count);
    releaseBlock(m_items);
    m_items = nullptr;
}

CWStrArray& CWStrArray::operator=(const CWStrArray& other)
{
    if (this == &other)
        return *this;
    CWStr* items = other.m_count ? allocItems(other.m_count) : nullptr;
    uint64_t made = 0;
    try
    {
        for (; made < other.m_count; ++made)
            new (&items[made]) CWStr(other.m_items[made]);
    }
    catch (...)
    {
        destroyItems(items, made);
        releaseBlock(items);
        throw;
    }
    destroyItems(m_items, m_count);
    releaseBlock(m_items);
    m_items = items;
    m_count = other.m_count;
    m_capacity = other.m_count;
    return *this;
}

void CWStrArray::resize(uint64_t count)
{
    CWStr* items = allocItems(count);
    uint64_t made = m_count < count ? m_count : count;
    const uint64_t firstNew = made;
    try
    {
        for (; made < count; ++made)
            new (&items[made]) CWStr();
    }
    catch (...)
    {
        destroyItems(items + firstNew, made - firstNew);
        releaseBlock(items);
        throw;
    }
    replaceBlock(items, count);
}

void CWStrArray::add(const CWStr& value)
{
    // The copy is made first: `value` may be one of this array's own items,
    // which a move to a new block would take away.
    CWStr copy(value);
    if (m_count == m_capacity)
    {
        // A full block grows by half (to at least four items), so that building
        // a list of n items moves each item a bounded number of times on
        // average instead of moving every item on every add. A failed
        // allocation leaves the block as it was, and the copy is released by
        // its destructor.
        if (m_capacity > UINT64_MAX / 2)
            throw std::bad_alloc();
        const uint64_t capacity = m_capacity < 4 ? 4 : m_capacity + m_capacity / 2;
        const uint64_t count = m_count;
        replaceBlock(allocItems(capacity), count);
        m_capacity = capacity;
    }
    new (&m_items[m_count]) CWStr(copy.m_data, copy.m_length);
    copy.m_data = nullptr;
    ++m_count;
}

CWStr CWStrArray::join(const wchar_t* separator) const
{
    const uint64_t sepLength = textLength(separator);
    uint64_t length = 0;
    for (uint64_t i = 0; i < m_count; ++i)
        length += m_items[i].length() + (i + 1 < m_count ? sepLength : 0);

    wchar_t* data = CWStr::allocUnits(length);
    wchar_t* out = data;
    for (uint64_t i = 0; i < m_count; ++i)
    {
        const size_t itemLength = static_cast<size_t>(m_items[i].length());
        std::memcpy(out, m_items[i].c_str(), itemLength * sizeof(wchar_t));
        out += itemLength;
        if (i + 1 < m_count && sepLength)
        {
            std::memcpy(out, separator, static_cast<size_t>(sepLength) * sizeof(wchar_t));
            out += sepLength;
        }
    }
    return CWStr(data, length);
}

// Two passes: the pieces are counted first so that the result's block is
// allocated once, at its exact size, whatever the number of pieces.
CWStrArray split(const CWStr& text, wchar_t separator)
{
    const wchar_t* data = text.c_str();
    const uint64_t length = text.length();

    // Visits each piece as (start, count); returns how many there were.
    auto walk = [&](auto&& visit) {
        uint64_t pieces = 0;
        uint64_t start = 0;
        while (start < length)
        {
            uint64_t pos = start;
            while (pos < length && data[pos] != L'\0' && data[pos] != separator)
                ++pos;
            if (pos >= length || data[pos] != separator)
                break;
            visit(pieces++, start, pos - start);
            start = pos + 1;
        }
        if (start != length)
            visit(pieces++, start, length - start);
        return pieces;
    };

    CWStrArray result;
    const uint64_t count = walk([](uint64_t, uint64_t, uint64_t) {});
    if (count == 0)
        return result;

    CWStr* items = CWStrArray::allocItems(count);
    uint64_t made = 0;
    try
    {
        walk([&](uint64_t, uint64_t start, uint64_t pieceLength) {
            new (&items[made]) CWStr(CWStr::substr(data, start, pieceLength));
            ++made;
        });
    }
    catch (...)
    {
        CWStrArray::destroyItems(items, made);
        CWStrArray::releaseBlock(items);
        throw;
    }
    result.m_items = items;
    result.m_count = count;
    result.m_capacity = count;
    return result;
}
