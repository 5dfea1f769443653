// models_sections.cpp
// CInfFile::findModelsSections: for each line of [Manufacturer], the models
// section whose decoration fits the running system best. Versions must be equal,
// never merely at least; a decoration without an architecture never fits; of
// equally specific fits, the first on the line wins.

#include "inf/inf_file.h"

#include "inf/decoration.h"
#include "inf/inf_texts.h"
#include "inf/inf_platform.h"

namespace {

// The platform's architecture code for a platform word that names one.
bool architectureOf(DecorationPlatform platform, WORD* code)
{
    switch (platform)
    {
    case PLATFORM_X86:
        *code = PROCESSOR_ARCHITECTURE_INTEL;
        return true;
    case PLATFORM_IA64:
        *code = PROCESSOR_ARCHITECTURE_IA64;
        return true;
    case PLATFORM_AMD64:
        *code = PROCESSOR_ARCHITECTURE_AMD64;
        return true;
    default:
        return false;
    }
}

} // namespace

// Examines one decoration with its trace lines. A fitting decoration's
// specificity is its number of parts; an empty decoration has none, fits, and so
// can never be the best.
CInfFile::DecorationFit CInfFile::examineDecoration(const CWStr& decoration)
{
    const DecorationFit rejected = {false, 0};
    const CWStrArray parts = split(decoration, L'.');
    trace(TRACE_EXAMINING_DECORATION, parts.join(L".").c_str());

    const uint64_t count = parts.count();
    if (count == 0)
    {
        const DecorationFit empty = {true, 0};
        return empty;
    }

    const DecorationPlatform platform = decorationPlatform(parts[0]);
    if (platform == PLATFORM_UNKNOWN)
    {
        trace(TRACE_UNKNOWN_ARCHITECTURE, decoration.c_str());
        return rejected;
    }

    // Major, minor, product type, suite mask; later parts must be numbers too.
    uint32_t numbers[4] = {0, 0, 0, 0};
    for (uint64_t i = 1; i < count; ++i)
    {
        uint32_t value = 0;
        if (!scanDecorationNumber(parts[i], &value))
        {
            trace(TRACE_DECORATION_MALFORMED, decoration.c_str());
            return rejected;
        }
        if (i <= 4)
            numbers[i - 1] = value;
    }

    WORD architecture = 0;
    if (!architectureOf(platform, &architecture) ||
        architecture != m_systemInfo.wProcessorArchitecture)
    {
        trace(TRACE_WRONG_ARCHITECTURE);
        return rejected;
    }
    if (count >= 2 && numbers[0] != m_osVersion.dwMajorVersion)
        return rejected;
    if (count >= 3 && numbers[1] != m_osVersion.dwMinorVersion)
    {
        trace(TRACE_WRONG_MINOR_VERSION);
        return rejected;
    }
    if (count >= 4 && static_cast<BYTE>(numbers[2]) != m_osVersion.wProductType)
    {
        trace(TRACE_WRONG_PRODUCT_TYPE);
        return rejected;
    }
    if (count >= 5)
    {
        const WORD mask = static_cast<WORD>(numbers[3]);
        if ((m_osVersion.wSuiteMask & mask) != mask)
        {
            trace(TRACE_WRONG_SUITE_MASK);
            return rejected;
        }
    }
    const DecorationFit fits = {true, count};
    return fits;
}

SetupStatus CInfFile::findModelsSections(CWStrArray& sections)
{
    // Without an open file there is no [Manufacturer] to find.
    if (!m_hInf.valid() ||
        !g_infApi.SetupFindFirstLineW(m_hInf.get(), L"Manufacturer", nullptr, &m_context))
    {
        trace(TRACE_NO_MANUFACTURER);
        return SETUP_INF_PARSE_ERROR;
    }
    trace(TRACE_READING_MANUFACTURER);

    // As in findHardwareIds, only a read that ran out of memory ends the walk
    // as a failure.
    CWStr line;
    SetupStatus status = getLineText(line);
    if (status != SETUP_OK)
        return endOfWalk(status);
    for (;;)
    {
        trace(TRACE_EXAMINING_LINE, line.c_str());

        CWStr base;
        if ((status = getStringField(1, base)) != SETUP_OK)
            return endOfWalk(status);

        CWStr best;
        uint64_t bestSpecificity = 0;
        CWStr decoration;
        for (uint32_t field = 2; (status = getStringField(field, decoration)) == SETUP_OK; ++field)
        {
            const DecorationFit fit = examineDecoration(decoration);
            if (!fit.fits)
                continue;
            if (fit.specificity > bestSpecificity)
            {
                best = decoration;
                bestSpecificity = fit.specificity;
                trace(TRACE_BEST_SO_FAR);
            }
            else
            {
                trace(TRACE_NOT_BEST);
            }
        }
        if (status == SETUP_OUT_OF_MEMORY)
            return status;

        const CWStr section = bestSpecificity > 0 ? base + L"." + best : base;
        sections.add(section);
        trace(TRACE_ADDING_SECTION, section.c_str());

        if (!g_infApi.SetupFindNextLine(&m_context, &m_context))
            return SETUP_OK;
        if ((status = getLineText(line)) != SETUP_OK)
            return endOfWalk(status);
    }
}
