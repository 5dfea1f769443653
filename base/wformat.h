// wformat.h
// The printf-style formatter for wide texts. It is our own rather than the C
// library's so that every toolchain reads a pattern the same way: "%s" always
// takes a wide string (mingw's C99 stdio would read it as a narrow one), "%lu"
// and "%lx" a 32-bit unsigned value, "%d"/"%i"/"%u"/"%x"/"%X"/"%c" as usual, with
// the flags "-" and "0", a width and a precision ("*" allowed for both), and
// "%%". "%hs" takes a narrow string; "%ll" and "%I64" a 64-bit value. Anything
// else after "%" is copied as it stands.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "base/wstr.h"

// Formats into `buffer` of `capacity` units (capacity >= 1): the output keeps its
// first capacity - 1 units and is NUL-terminated there. Returns the length that
// the whole output has, cut or not.
size_t formatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* pattern, va_list args);
size_t formatTruncated(wchar_t* buffer, size_t capacity, const wchar_t* pattern, ...);

// Formats into a new value of exactly the output's length.
CWStr formatTextV(const wchar_t* pattern, va_list args);
CWStr formatText(const wchar_t* pattern, ...);
