// hardware_ids.cpp
// CInfFile::findHardwareIds: the hardware ID and compatible IDs of every line of
// one models section, in file order, duplicates kept.

#include "inf/inf_file.h"

#include "inf/inf_platform.h"
#include "inf/inf_texts.h"

SetupStatus CInfFile::findHardwareIds(const CWStr& section, CWStrArray& ids)
{
    // Without an open file no section can be found.
    if (!m_hInf.valid() ||
        !g_infApi.SetupFindFirstLineW(m_hInf.get(), section.c_str(), nullptr, &m_context))
    {
        trace(TRACE_SECTION_NOT_FOUND, section.c_str());
        return SETUP_INF_PARSE_ERROR;
    }
    trace(TRACE_READING_SECTION, section.c_str());

    // Every line must have a description, an install section and a hardware ID
    // field; the first line that lacks one ends the whole section. A read that
    // ran out of memory ends it as a failure (see endOfWalk).
    CWStr field;
    SetupStatus status = getStringField(0, field);
    if (status != SETUP_OK)
        return endOfWalk(status);
    for (;;)
    {
        if ((status = getStringField(1, field)) != SETUP_OK ||
            (status = getStringField(2, field)) != SETUP_OK)
            return endOfWalk(status);
        if (!field.empty())
        {
            trace(TRACE_HARDWARE_ID, field.c_str());
            ids.add(field);
        }
        for (uint32_t index = 3; (status = getStringField(index, field)) == SETUP_OK; ++index)
        {
            if (field.empty())
                continue;
            trace(TRACE_COMPATIBLE_ID, field.c_str());
            ids.add(field);
        }
        if (status == SETUP_OUT_OF_MEMORY)
            return status;

        if (!g_infApi.SetupFindNextLine(&m_context, &m_context))
            return SETUP_OK;
        if ((status = getStringField(0, field)) != SETUP_OK)
            return endOfWalk(status);
    }
}
