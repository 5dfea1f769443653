// report.cpp
// The report's lines, each written to standard output and traced.

#include "kvr7ctl/report.h"

#include "base/trace.h"
#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_texts.h"

namespace {

// The key of the report's last line.
const wchar_t* g_resultKey = REPORT_RESULT;

} // namespace

void report(const wchar_t* key, const std::wstring& value)
{
    printValue(key, value);
    traceLine(TRACE_REPORT, key, escapeValue(value).c_str());
}

int finishReport(int code)
{
    report(g_resultKey, decimal(code));
    return code;
}

int reportFailure(const std::wstring& step, DWORD error, int code)
{
    report(REPORT_FAILED_STEP, step);
    report(REPORT_WIN32_ERROR, decimal(error));
    return finishReport(code);
}

int reportRefusal(const wchar_t* text, const wchar_t* step, DWORD error, int code)
{
    printError(text);
    traceLine(L"%s\n", text);
    return reportFailure(step, error, code);
}

InnerReport::InnerReport(const wchar_t* key) : m_outerKey(g_resultKey)
{
    g_resultKey = key;
}

InnerReport::~InnerReport()
{
    g_resultKey = m_outerKey;
}
