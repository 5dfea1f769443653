// trace.h
// The diagnostic trace: printf-style lines (see wformat.h) of at most 255
// characters, each handed whole to the debugger output. Patterns carry their own
// "\n"; a longer line is cut to its first 255 characters, not split. The
// debugger output is reached through g_baseApi so that tests can capture it.
#pragma once

#include <cstdarg>
#include <cstddef>

// Room for one line: 255 characters and the NUL.
const size_t TRACE_BUFFER_UNITS = 256;

// Formats one line on the stack and sends it; allocates nothing.
void traceLineV(const wchar_t* pattern, va_list args);
void traceLine(const wchar_t* pattern, ...);
