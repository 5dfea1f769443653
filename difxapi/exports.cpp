// exports.cpp
// The two entry points of the stand-in "difxapi.dll", exported by their plain
// names through difxapi.def.

#define KVR7_DIFXAPI_EXPORTS
#include "install/difx_api.h"

#include "difxapi/preinstall.h"

extern "C" DWORD WINAPI DriverPackagePreinstallW(PCWSTR DriverPackageInfPath, DWORD Flags)
{
    return preinstallDriverPackage(DriverPackageInfPath, Flags);
}

extern "C" VOID WINAPI SetDifxLogCallbackW(DIFXAPILOGCALLBACK_W LogCallback, PVOID CallbackContext)
{
    setDifxLogCallback(LogCallback, CallbackContext);
}
