// report.h
// kvr7ctl's report: every fact as a `key=value` line on standard output and the
// same line in the debugger output; the last line is `result=` with the exit
// code, and a failure names its step and the Win32 error before it.
#pragma once

#include <windows.h>

#include <string>

#include "kvr7ctl/exit_codes.h"

// One `key=value` line, the value escaped, to standard output and the trace.
void report(const wchar_t* key, const std::wstring& value);

// Ends the report with `result=code`; gives the code.
int finishReport(int code);

// Ends the report with the failed step, the error and `result=code`.
int reportFailure(const std::wstring& step, DWORD error, int code = KVR7CTL_FAILED);

// Says `text` on standard error and in the trace, then ends as reportFailure.
int reportRefusal(const wchar_t* text, const wchar_t* step, DWORD error, int code);

// While one lives, a report that ends writes its last line as `key=` instead of
// `result=`: a verb that runs another's report inside its own (deploy checks its
// outcome with status's) keeps one `result=` line, its own, last.
class InnerReport
{
public:
    explicit InnerReport(const wchar_t* key);
    ~InnerReport();
    InnerReport(const InnerReport&) = delete;
    InnerReport& operator=(const InnerReport&) = delete;

private:
    const wchar_t* m_outerKey;
};
