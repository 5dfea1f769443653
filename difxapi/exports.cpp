// exports.cpp
// The two entry points of the stand-in "difxapi.dll", exported by their plain
// names through difxapi.def.

#include "difx_interface/difx_api.h"

#include <type_traits>

#include "difxapi/preinstall.h"

extern "C" DWORD WINAPI DriverPackagePreinstallW(PCWSTR DriverPackageInfPath, DWORD Flags);
extern "C" VOID WINAPI SetDifxLogCallbackW(DIFXAPILOGCALLBACK_W LogCallback, PVOID CallbackContext);

// The exports have exactly the types that callers look them up as.
static_assert(std::is_same<decltype(&DriverPackagePreinstallW), DriverPackagePreinstallW_t>::value,
              "DriverPackagePreinstallW");
static_assert(std::is_same<decltype(&SetDifxLogCallbackW), SetDifxLogCallbackW_t>::value,
              "SetDifxLogCallbackW");

extern "C" DWORD WINAPI DriverPackagePreinstallW(PCWSTR DriverPackageInfPath, DWORD Flags)
{
    return preinstallDriverPackage(DriverPackageInfPath, Flags);
}

extern "C" VOID WINAPI SetDifxLogCallbackW(DIFXAPILOGCALLBACK_W LogCallback, PVOID CallbackContext)
{
    setDifxLogCallback(LogCallback, CallbackContext);
}
