// preinstall_texts.h
// The texts of the driver package pre-installation: its progress lines, the
// library failures and one result text per result code of the library, shown
// exactly as they stand here (the doubled "T" of ERROR_INVALID_FUNCTION and the
// blank at the end of the missing-file text included).
#pragma once

#define TEXT_PREINSTALLING L"Preinstalling driver..."
#define TEXT_PREINSTALLING_DONE L"Preinstalling driver... Done"

#define TEXT_DIFX_FOLDER L"\\x86_64\\"
#define TEXT_DIFX_LIBRARY L"difxapi.dll"
#define TEXT_DIFX_PREINSTALL_ENTRY "DriverPackagePreinstallW"
#define TEXT_DIFX_LOG_CALLBACK_ENTRY "SetDifxLogCallbackW"

#define TEXT_DIFX_LOAD_FAILED L"Failed to load difxapi.dll, GetLastError=%lu(0x%lx)"
#define TEXT_DIFX_NO_PREINSTALL                                                                    \
    L"Failed to get DriverPackagePreinstall entry point from difxapi.dll, GetLastError=%lu(0x%lx)"
#define TEXT_DIFX_NO_LOG_CALLBACK                                                                  \
    L"Failed to get SetDifxLogCallback entry point from difxapi.dll, GetLastError=%lu(0x%lx)"
#define TEXT_PREINSTALL_UNEXPECTED                                                                 \
    L"An unexpected error occurred while updating the driver. Error=%lu(0x%lx)\n"

// One result text per result code of the library (see preinstall_results.cpp).
#define TEXT_RESULT_SUCCESS L"The driver was successfully installed."
#define TEXT_RESULT_INVALID_FUNCTION L"TThe driver package is not for a PnP function driver."
#define TEXT_RESULT_FILE_NOT_FOUND L"The INF file that was specified was not found."
#define TEXT_RESULT_ACCESS_DENIED                                                                  \
    L"A caller of DriverPackagePreinstall must be a member of the Administrators group to "        \
    L"install a driver package."
#define TEXT_RESULT_BAD_ENVIRONMENT                                                                \
    L"The current Microsoft Windows version does not support this operation. An old or "           \
    L"incompatible version of DIFxApp.dll or DIFxAppA.dll might be present in the system."
#define TEXT_RESULT_OUTOFMEMORY                                                                    \
    L"Available system memory was insufficient to perform the operation."
#define TEXT_RESULT_SHARING_VIOLATION                                                              \
    L"A component of the driver package in the DIFx driver store is locked by a thread or "        \
    L"process."
#define TEXT_RESULT_CANNOT_MAKE L"DriverPackagePreinstall did not preinstall the driver package."
#define TEXT_RESULT_INVALID_PARAMETER L"A supplied parameter is not valid."
#define TEXT_RESULT_INVALID_NAME L"The specified INF file path is not valid."
#define TEXT_RESULT_ALREADY_EXISTS                                                                 \
    L"The driver package is already preinstalled and was not preinstalled again."
#define TEXT_RESULT_FILENAME_EXCED_RANGE                                                           \
    L"The INF file path, in characters, that was specified is greater than the maximum "           \
    L"supported path length."
#define TEXT_RESULT_NO_MORE_ITEMS                                                                  \
    L"The specified driver package was not installed for matching devices because the driver "     \
    L"packages already installed for the matching devices are a better match for the devices "     \
    L"than the specified driver package."
#define TEXT_RESULT_CANT_ACCESS_FILE                                                               \
    L"DriverPackagePreinstall could not preinstall the driver package because the specified "      \
    L"INF file is in the system INF file directory."
#define TEXT_RESULT_CRYPT_E_FILE_ERROR                                                             \
    L"The catalog file for the specified driver package was not found."
#define TEXT_RESULT_TRUST_E_NOSIGNATURE L"The driver package is not signed."
#define TEXT_RESULT_CERT_E_EXPIRED L"The signing certificate is expired."
#define TEXT_RESULT_CERT_E_UNTRUSTEDROOT                                                           \
    L"The catalog file has an Authenticode signature whose certificate chain terminates in a "     \
    L"root certificate that is not trusted."
#define TEXT_RESULT_CERT_E_WRONG_USAGE                                                             \
    L"The certificate for the driver package is not valid for the requested usage."
#define TEXT_RESULT_NO_SUCH_DEVINST                                                                \
    L"The driver package was not installed on any device because there are no matching "           \
    L"devices in the device tree."
#define TEXT_RESULT_IN_WOW64                                                                       \
    L"The 32-bit version DIFxAPI does not work on Win64 systems. A 64-bit version of DIFxAPI "     \
    L"is required."
#define TEXT_RESULT_SIGNATURE_OSATTRIBUTE_MISMATCH                                                 \
    L"The signing certificate is not valid for the current Windows version or it is expired."
#define TEXT_RESULT_MISSING_FILE                                                                   \
    L"DriverPackagePreinstall did not preinstall the driver package because files that are "       \
    L"referenced by the INF file could not be found. "
#define TEXT_RESULT_INVALID_CATALOG_DATA                                                           \
    L"The catalog file for the specified driver package is not valid or was not found."
