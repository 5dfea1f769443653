// difxapi_platform.cpp
// The real entry points behind the stand-in library's seam.

#include "difxapi/difxapi_platform.h"

DifxApi g_difxApi = {::CheckTokenMembership, ::SetupCopyOEMInfW};
