// status.cpp
// The texts of the SetupStatus codes.

#include "base/status.h"

CWStr statusText(SetupStatus code)
{
    switch (static_cast<uint32_t>(code))
    {
    case SETUP_OK:
        return CWStr(L"OK");
    case SETUP_INF_FILE_NOT_FOUND:
        return CWStr(L"INF file not found");
    case SETUP_INF_PATH_NOT_FOUND:
        return CWStr(L"INF path not found");
    case SETUP_INF_SECTION_NOT_FOUND:
        return CWStr(L"INF section not found");
    case SETUP_INF_PARSE_ERROR:
        return CWStr(L"Error parsing INF file");
    case SETUP_OUT_OF_MEMORY:
        return CWStr(L"Error allocating memory");
    case SETUP_WOW64:
        return CWStr(L"Cannot execute this 32-bit program on 64-bit Windows");
    case SETUP_NO_SUCH_HARDWARE_ID:
        return CWStr(L"No such hardware ID found in the system");
    default:
        return CWStr(L"Unexpected error");
    }
}
