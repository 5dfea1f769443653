// inf_file.cpp
// CInfFile: opening the INF, describing the running system, reading the current
// line and its fields, the original file name, and the trace.

#include "inf/inf_file.h"

#include <algorithm>
#include <cstdarg>
#include <memory>
#include <new>

#include "base/base_platform.h"
#include "base/path.h"
#include "base/system_library.h"
#include "base/trace.h"
#include "inf/inf_texts.h"

namespace {

// Reads of up to this many units (NUL included) need no heap buffer.
const DWORD SHORT_TEXT_UNITS = 256;

// The length of `text` up to its first NUL, reading no more than `limit` units.
size_t boundedLength(const wchar_t* text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != L'\0')
        ++length;
    return length;
}

// A read that failed for want of memory is no end of a line or section: it
// must not be taken for one, or the caller would go on with what it had. The
// same error as open() reads as memory running out.
SetupStatus failedReadStatus(DWORD lastError)
{
    return lastError == ERROR_NOT_ENOUGH_MEMORY ? SETUP_OUT_OF_MEMORY : SETUP_PLATFORM_ERROR;
}

} // namespace

// The record sizes that the platform expects to be told.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "OSVERSIONINFOEXW size");
static_assert(sizeof(SP_ORIGINAL_FILE_INFO_W) == 1044, "SP_ORIGINAL_FILE_INFO_W size");

CInfFile::CInfFile() : m_context(), m_traceOn(0), m_openError(0), m_osVersion(), m_systemInfo()
{
}

CInfFile::~CInfFile()
{
    close();
}

void CInfFile::trace(const wchar_t* pattern, ...) const
{
    if (m_traceOn == 0)
        return;
    va_list args;
    va_start(args, pattern);
    traceLineV(pattern, args);
    va_end(args);
}

// Prefers the native description, so that a 32-bit build on 64-bit Windows sees
// the machine's own architecture. GetNativeSystemInfo is missing on old kernels.
void CInfFile::describeSystem()
{
    m_systemInfo = SYSTEM_INFO();
    const auto native = kernelEntry<GetNativeSystemInfoFn>("GetNativeSystemInfo");
    if (native)
        native(&m_systemInfo);
    else
        g_baseApi.GetSystemInfo(&m_systemInfo);
}

SetupStatus CInfFile::open(const wchar_t* path)
{
    // A second open must not leave the first file's handle behind.
    close();

    m_traceOn = 1;
    m_openError = 0;

    m_osVersion = OSVERSIONINFOEXW();
    m_osVersion.dwOSVersionInfoSize = sizeof(m_osVersion);
    if (!g_baseApi.GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&m_osVersion)))
        return failedOpen(SETUP_PLATFORM_ERROR, ::GetLastError());

    describeSystem();

    m_path = CWStr(path);
    splitPath(m_path, m_dir, m_filename);
    trace(TRACE_OPEN_PATHS, m_dir.c_str(), m_filename.c_str(), m_path.c_str());

    UINT errorLine = 0;
    HINF handle = g_infApi.SetupOpenInfFileW(m_path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
    const DWORD error = ::GetLastError();
    // A null handle is as unusable as INVALID_HANDLE_VALUE; never keep one.
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
    {
        switch (error)
        {
        case ERROR_FILE_NOT_FOUND:
            return failedOpen(SETUP_INF_FILE_NOT_FOUND, error);
        case ERROR_PATH_NOT_FOUND:
            return failedOpen(SETUP_INF_PATH_NOT_FOUND, error);
        case ERROR_NOT_ENOUGH_MEMORY:
            return failedOpen(SETUP_OUT_OF_MEMORY, error);
        default:
            return failedOpen(SETUP_PLATFORM_ERROR, error);
        }
    }
    m_hInf.reset(handle);

    trace(TRACE_OPEN_SYSTEM, static_cast<DWORD>(m_systemInfo.wProcessorArchitecture),
          static_cast<DWORD>(m_osVersion.dwMajorVersion),
          static_cast<DWORD>(m_osVersion.dwMinorVersion),
          static_cast<DWORD>(m_osVersion.wProductType), static_cast<DWORD>(m_osVersion.wSuiteMask));

    const SetupStatus status = queryOriginalName(m_originalName);
    if (status != SETUP_OK)
    {
        const DWORD error = ::GetLastError();
        trace(TRACE_ORIGINAL_NAME_FAILED, statusText(status).c_str());
        close();
        return failedOpen(status, error);
    }
    trace(TRACE_ORIGINAL_NAME, m_originalName.c_str());
    return SETUP_OK;
}

SetupStatus CInfFile::failedOpen(SetupStatus status, DWORD error)
{
    m_openError = status == SETUP_OUT_OF_MEMORY ? ERROR_NOT_ENOUGH_MEMORY
                  : error != 0                  ? error
                                                : ERROR_INVALID_DATA;
    return status;
}

void CInfFile::close()
{
    m_hInf.reset();
    // A line position into a closed file must never be read again.
    m_context = INFCONTEXT();
}

SetupStatus CInfFile::queryOriginalName(CWStr& name)
{
    if (!m_hInf.valid())
        return SETUP_PLATFORM_ERROR;

    DWORD size = 0;
    if (!g_infApi.SetupGetInfInformationW(m_hInf.get(), INFINFO_INF_SPEC_IS_HINF, nullptr, 0,
                                          &size))
        return SETUP_PLATFORM_ERROR;
    // Anything smaller cannot hold the record that the next calls read.
    if (size < sizeof(SP_INF_INFORMATION))
        return SETUP_PLATFORM_ERROR;

    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
    if (!buffer)
        return SETUP_OUT_OF_MEMORY;
    PSP_INF_INFORMATION information = reinterpret_cast<PSP_INF_INFORMATION>(buffer.get());
    if (!g_infApi.SetupGetInfInformationW(m_hInf.get(), INFINFO_INF_SPEC_IS_HINF, information, size,
                                          nullptr))
        return SETUP_PLATFORM_ERROR;

    SP_ORIGINAL_FILE_INFO_W original = {};
    original.cbSize = sizeof(original);
    if (!g_infApi.SetupQueryInfOriginalFileInformationW(information, 0, nullptr, &original))
        return SETUP_PLATFORM_ERROR;

    // Bounded by the record: an unterminated name is cut at its end.
    const size_t room = sizeof(original.OriginalInfName) / sizeof(original.OriginalInfName[0]);
    name =
        CWStr::substr(original.OriginalInfName, 0, boundedLength(original.OriginalInfName, room));
    return SETUP_OK;
}

SetupStatus CInfFile::findLine(const wchar_t* section, const wchar_t* key)
{
    if (m_hInf.valid() && g_infApi.SetupFindFirstLineW(m_hInf.get(), section, key, &m_context))
        return SETUP_OK;
    m_context = INFCONTEXT();
    return SETUP_INF_SECTION_NOT_FOUND;
}

SetupStatus CInfFile::nextLine()
{
    if (m_hInf.valid() && m_context.Inf != nullptr &&
        g_infApi.SetupFindNextLine(&m_context, &m_context))
        return SETUP_OK;
    m_context = INFCONTEXT();
    return SETUP_INF_SECTION_NOT_FOUND;
}

SetupStatus CInfFile::endOfWalk(SetupStatus readStatus)
{
    return readStatus == SETUP_OUT_OF_MEMORY ? SETUP_OUT_OF_MEMORY : SETUP_OK;
}

SetupStatus CInfFile::getLineText(CWStr& text)
{
    return readText(0, true, text);
}

SetupStatus CInfFile::getStringField(uint32_t index, CWStr& text)
{
    return readText(index, false, text);
}

// The platform's two-step read: the size (terminating NUL included), then the
// text into a zero-filled buffer of exactly that size.
SetupStatus CInfFile::readText(DWORD fieldIndex, bool wholeLine, CWStr& text)
{
    // Without a placed line position there is nothing the platform could read.
    if (!m_hInf.valid() || m_context.Inf == nullptr)
        return SETUP_PLATFORM_ERROR;

    DWORD size = 0;
    BOOL read =
        wholeLine
            ? g_infApi.SetupGetLineTextW(&m_context, nullptr, nullptr, nullptr, nullptr, 0, &size)
            : g_infApi.SetupGetStringFieldW(&m_context, fieldIndex, nullptr, 0, &size);
    if (!read)
        return failedReadStatus(::GetLastError());
    // The size always counts the NUL; zero is not an answer that can be used.
    if (size == 0)
        return SETUP_PLATFORM_ERROR;

    // Most lines and fields are short: those are read into the stack, the rest
    // into the heap; either way into a zero-filled buffer of exactly `size`.
    wchar_t shortText[SHORT_TEXT_UNITS];
    std::unique_ptr<wchar_t[]> longText;
    wchar_t* buffer = shortText;
    if (size > SHORT_TEXT_UNITS)
    {
        longText.reset(new wchar_t[size]());
        buffer = longText.get();
    }
    else
    {
        std::fill(shortText, shortText + size, L'\0');
    }
    read = wholeLine ? g_infApi.SetupGetLineTextW(&m_context, nullptr, nullptr, nullptr, buffer,
                                                  size, nullptr)
                     : g_infApi.SetupGetStringFieldW(&m_context, fieldIndex, buffer, size, nullptr);
    if (!read)
        return failedReadStatus(::GetLastError());

    // At most size - 1 characters, and never past a NUL, so the value stays whole.
    text = CWStr::substr(buffer, 0, boundedLength(buffer, size - 1));
    return SETUP_OK;
}
