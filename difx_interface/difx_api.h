// difx_api.h
// The driver-package library ("difxapi.dll") as the installer and the stand-in
// library that plays it both see it: its two entry points, the log callback
// type, the flag bits and the result codes that mingw-w64's headers do not
// declare. The declarations follow the library's published signatures; the
// library is always loaded at run time, so callers use the function-pointer
// types, never an import library.
#pragma once

#include <windows.h>

#include <setupapi.h>

// Kinds of log event the library hands to its log callback.
typedef enum
{
    DIFXAPI_SUCCESS = 0,
    DIFXAPI_INFO = 1,
    DIFXAPI_WARNING = 2,
    DIFXAPI_ERROR = 3
} DIFXAPI_LOG;

// The log callback: the event's kind, its error number (0 when it carries none),
// its text and the context given with the callback. The text belongs to the
// library and is valid only during the call.
typedef VOID(__cdecl* DIFXAPILOGCALLBACK_W)(DIFXAPI_LOG EventType, DWORD Error,
                                            PCWSTR EventDescription, PVOID CallbackContext);

// Flags of the driver-package calls.
#define DRIVER_PACKAGE_REPAIR 0x00000001
#define DRIVER_PACKAGE_SILENT 0x00000002
#define DRIVER_PACKAGE_FORCE 0x00000004
#define DRIVER_PACKAGE_ONLY_IF_DEVICE_PRESENT 0x00000008
#define DRIVER_PACKAGE_LEGACY_MODE 0x00000010
#define DRIVER_PACKAGE_DELETE_FILES 0x00000020

// Entry points, by their exported names "DriverPackagePreinstallW" and
// "SetDifxLogCallbackW".
typedef DWORD(WINAPI* DriverPackagePreinstallW_t)(PCWSTR DriverPackageInfPath, DWORD Flags);
typedef VOID(WINAPI* SetDifxLogCallbackW_t)(DIFXAPILOGCALLBACK_W LogCallback,
                                            PVOID CallbackContext);

// Result codes of the pre-installation that some mingw-w64 headers lack; each is
// defined here once, and only where the platform's headers leave it out. The
// setup-class codes carry the customer bit and error severity (0xE0000000).
#ifndef ERROR_NO_SUCH_DEVINST
#define ERROR_NO_SUCH_DEVINST 0xE000020BUL
#endif
#ifndef ERROR_IN_WOW64
#define ERROR_IN_WOW64 0xE0000235UL
#endif
#ifndef ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH
#define ERROR_SIGNATURE_OSATTRIBUTE_MISMATCH 0xE0000244UL
#endif
#ifndef ERROR_MISSING_FILE
#define ERROR_MISSING_FILE 0xE0000303UL
#endif
#ifndef ERROR_INVALID_CATALOG_DATA
#define ERROR_INVALID_CATALOG_DATA 0xE0000304UL
#endif
#ifndef CRYPT_E_FILE_ERROR
#define CRYPT_E_FILE_ERROR 0x80092003UL
#endif
#ifndef TRUST_E_NOSIGNATURE
#define TRUST_E_NOSIGNATURE 0x800B0100UL
#endif
#ifndef CERT_E_EXPIRED
#define CERT_E_EXPIRED 0x800B0101UL
#endif
#ifndef CERT_E_UNTRUSTEDROOT
#define CERT_E_UNTRUSTEDROOT 0x800B0109UL
#endif
#ifndef CERT_E_WRONG_USAGE
#define CERT_E_WRONG_USAGE 0x800B0110UL
#endif
