// status.cpp
// statusText: the fixed text of each SetupStatus code.

#include "base/status.h"

#include "base/status_texts.h"

CWStr statusText(SetupStatus code)
{
    switch (static_cast<uint32_t>(code))
    {
    case SETUP_OK:
        return CWStr(TEXT_STATUS_OK);
    case SETUP_INF_FILE_NOT_FOUND:
        return CWStr(TEXT_STATUS_INF_FILE_NOT_FOUND);
    case SETUP_INF_PATH_NOT_FOUND:
        return CWStr(TEXT_STATUS_INF_PATH_NOT_FOUND);
    case SETUP_INF_SECTION_NOT_FOUND:
        return CWStr(TEXT_STATUS_INF_SECTION_NOT_FOUND);
    case SETUP_INF_PARSE_ERROR:
        return CWStr(TEXT_STATUS_INF_PARSE_ERROR);
    case SETUP_OUT_OF_MEMORY:
        return CWStr(TEXT_STATUS_OUT_OF_MEMORY);
    case SETUP_WOW64:
        return CWStr(TEXT_STATUS_WOW64);
    case SETUP_NO_SUCH_HARDWARE_ID:
        return CWStr(TEXT_STATUS_NO_SUCH_HARDWARE_ID);
    default:
        return CWStr(TEXT_STATUS_UNEXPECTED);
    }
}
