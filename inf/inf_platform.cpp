// inf_platform.cpp
// The real entry points behind the INF seam.

#include "inf/inf_platform.h"

InfApi g_infApi = {
    ::SetupOpenInfFileW,    ::SetupGetInfInformationW, ::SetupQueryInfOriginalFileInformationW,
    ::SetupFindFirstLineW,  ::SetupFindNextLine,       ::SetupGetLineTextW,
    ::SetupGetStringFieldW, ::SetupCloseInfFile,
};
