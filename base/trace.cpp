// trace.cpp
// Sends formatted diagnostic lines to the debugger output.

#include "base/trace.h"

#include "base/base_platform.h"
#include "base/wformat.h"

void traceLineV(const wchar_t* pattern, va_list args)
{
    wchar_t buffer[TRACE_BUFFER_UNITS];
    formatTruncatedV(buffer, TRACE_BUFFER_UNITS, pattern, args);
    g_baseApi.OutputDebugStringW(buffer);
}

void traceLine(const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    traceLineV(pattern, args);
    va_end(args);
}
