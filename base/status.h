// status.h
// SetupStatus, the result code of every INF-layer operation: 0 is success, every
// other value a failure. statusText gives each code its fixed English text.
#pragma once

#include <cstdint>

#include "base/wstr.h"

typedef int32_t SetupStatus;

enum : SetupStatus
{
    SETUP_OK = 0,
    SETUP_INF_FILE_NOT_FOUND = 1,
    SETUP_INF_PATH_NOT_FOUND = 2,
    SETUP_INF_SECTION_NOT_FOUND = 3,
    SETUP_INF_PARSE_ERROR = 4,
    SETUP_OUT_OF_MEMORY = 5,
    SETUP_PLATFORM_ERROR = 6,
    SETUP_WOW64 = 7,
    SETUP_NO_SUCH_HARDWARE_ID = 8,
};

// The code is read as an unsigned number: 6, anything above 8 and every negative
// code give "Unexpected error".
CWStr statusText(SetupStatus code);
