// preinstall_log.h
// The log callback that the pre-installation registers with the driver-package
// library.
#pragma once

#include "difx_interface/difx_api.h"

// Of the DIFXAPILOGCALLBACK_W form, registered with the setup window as its
// context during a pre-installation: repaints that window and ignores the event.
// A null context is ignored.
void __cdecl difxLogCallback(DIFXAPI_LOG eventType, DWORD error, PCWSTR eventDescription,
                             PVOID callbackContext);
