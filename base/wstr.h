// wstr.h
// CWStr, the installer's own owned UTF-16 text value, and CWStrArray, a list
// of them, with split and join. Both are plain owning values: no sharing, no
// spare capacity (except the room that add leaves for the next items), and
// every operation obtains its new storage before it releases or changes
// anything, so a failed allocation (which throws std::bad_alloc from the
// allocation operator) leaves the target as it was.
#pragma once

#include <cstddef>
#include <cstdint>

class CWStr
{
public:
    CWStr();
    CWStr(const wchar_t* text);
    CWStr(const CWStr& other);
    ~CWStr();

    CWStr& operator=(const CWStr& other);
    // Takes over a temporary's array and hands it ours, so both stay valid.
    CWStr& operator=(CWStr&& other) noexcept;
    CWStr& operator+=(const wchar_t* text);

    // A new value holding `count` units of `text` from `start` on. The caller
    // keeps start + count within the source; the units are copied as they are.
    static CWStr substr(const wchar_t* text, uint64_t start, uint64_t count);
    CWStr substr(uint64_t start, uint64_t count) const;

    const wchar_t* c_str() const { return m_data; }
    uint64_t length() const { return m_length; }
    bool empty() const { return m_length == 0; }

    friend CWStr operator+(const CWStr& left, const CWStr& right);
    friend CWStr operator+(const CWStr& left, const wchar_t* right);

private:
    friend class CWStrArray;

    // Takes over an array that the caller allocated with allocUnits.
    CWStr(wchar_t* adopted, uint64_t length) : m_data(adopted), m_length(length) {}

    static wchar_t* allocUnits(uint64_t length);
    static CWStr concat(const wchar_t* left, uint64_t leftLength, const wchar_t* right,
                        uint64_t rightLength);

    wchar_t* m_data;
    uint64_t m_length;
};

bool operator==(const CWStr& left, const CWStr& right);
bool operator!=(const CWStr& left, const CWStr& right);

class CWStrArray
{
public:
    CWStrArray() : m_count(0), m_capacity(0), m_items(nullptr) {}
    CWStrArray(const CWStrArray& other);
    CWStrArray(CWStrArray&& other) noexcept;
    ~CWStrArray();

    CWStrArray& operator=(const CWStrArray& other);
    CWStrArray& operator=(CWStrArray&& other) noexcept;

    void add(const CWStr& value);
    void resize(uint64_t count);
    CWStr join(const wchar_t* separator) const;

    uint64_t count() const { return m_count; }
    const CWStr& operator[](uint64_t index) const { return m_items[index]; }
    CWStr& operator[](uint64_t index) { return m_items[index]; }

private:
    friend CWStrArray split(const CWStr& text, wchar_t separator);

    // The block is raw storage for `count` items; items move between blocks by
    // taking over their character arrays, never by copying text.
    static CWStr* allocItems(uint64_t count);
    static void destroyItems(CWStr* items, uint64_t count);
    static void releaseBlock(CWStr* items);
    void replaceBlock(CWStr* items, uint64_t count);

    uint64_t m_count;
    uint64_t m_capacity; // items the block has room for
    CWStr* m_items;
};

// True when `text` is `word`, letter for letter, comparing the letters A to Z
// without regard to case (no other case folding).
bool equalsIgnoringAsciiCase(const CWStr& text, const wchar_t* word);

// Cuts `text` at every `separator`. Every separator ends an item (two in a row
// give an empty one); one separator at the very end adds nothing after it. A NUL
// unit inside the text ends the search for separators.
CWStrArray split(const CWStr& text, wchar_t separator);
