// wformat.h
// The printf-style formatter for wide texts: a thin layer over the C runtime's
// _vsnwprintf, which reads "%s" as a wide string ("%hs" a narrow one) and "%lu"
// and "%lx" as 32-bit unsigned values on every toolchain. The system's patterns
// use only "%s", "%lu" and "%lx"; for anything else the runtime decides.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "base/wstr.h"

// Formats into `buffer` of `capacity` units (capacity >= 1): the output keeps its
// first capacity - 1 units and is NUL-terminated there. Returns the length that
// the whole output has, cut or not; measuring a cut output takes heap memory, and
// when the heap refuses it the result is SIZE_MAX (still "did not fit").
size_t formatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* pattern, va_list args);
size_t formatTruncated(wchar_t* buffer, size_t capacity, const wchar_t* pattern, ...);

// Formats into a new value of exactly the output's length (std::bad_alloc when
// memory runs out).
CWStr formatTextV(const wchar_t* pattern, va_list args);
CWStr formatText(const wchar_t* pattern, ...);
