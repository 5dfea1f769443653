// tool_text.h
// Text helpers shared by the command-line tools: UTF-8 conversion, the escaping
// that keeps every reported value on one line, the tools' own argument reader
// (which also hands back the untouched rest of the command line), and output
// to a handle as UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD as the platform converts them.
std::string toUtf8(const std::wstring& text);

// Bytes of `codePage` to UTF-16, exactly as many bytes as given (NULs included).
std::wstring fromCodePage(const char* bytes, size_t count, UINT codePage);

// Makes a value safe for one `key=value` line: line feed and carriage return
// become \n and \r; everything else, backslashes included, is kept as it is, so
// paths and device IDs read as typed (a text that itself holds a backslash
// before "n" or "r" reads the same as one with the control character).
std::wstring escapeValue(const std::wstring& text);

// Reads one argument at `cursor` by the usual rules of the C runtime (blanks and
// tabs separate; double quotes group; backslashes are literal unless they come
// before a quote). Returns false when only blanks are left. `cursor` ends on the
// first character after the argument and the blanks that follow it, so the
// remaining text can be passed on to another program exactly as typed.
bool nextArgument(const wchar_t*& cursor, std::wstring* argument);

// All arguments of a command line, program name included.
std::vector<std::wstring> splitArguments(const wchar_t* commandLine);

// Writes text as UTF-8 to a file or pipe handle; a console gets the text through
// WriteConsoleW so that it shows correctly whatever the console's code page is.
bool writeText(HANDLE handle, const std::wstring& text);

// The tools' report and error lines: "text\n" to standard output or error.
void printLine(const std::wstring& text);
void printError(const std::wstring& text);

// `key=value` line with the value escaped.
void printValue(const wchar_t* key, const std::wstring& value);

// Decimal and 0x-prefixed hexadecimal spelling of numbers for reports.
std::wstring decimal(long long value);
std::wstring hex(unsigned long long value);

// Parses a whole decimal (or 0x hexadecimal) number; false on any other text.
bool parseNumber(const std::wstring& text, unsigned long long* value);
