// preinstall.h
// The pre-installation of a driver package, as the stand-in "difxapi.dll" does
// it: checks that the caller may install, that the INF path is sound, that the
// package is a plug-and-play function driver package whose catalog and files are
// all present, and that it is not staged already; then stages the INF into the
// system INF folder with the Setup API (SetupCopyOEMInfW). Every step is reported
// to the log callback, when one is set.
//
// What it cannot check: signatures and certificates (no catalog is verified, so
// the trust and certificate codes never come from here), whether matching devices
// are present, the Windows version, and files of co-installer sections.
#pragma once

#include <windows.h>

#include "difx_interface/difx_api.h"

// The flags a pre-installation accepts; any other bit gives ERROR_INVALID_PARAMETER.
// REPAIR stages a package again that is staged already. LEGACY_MODE accepts
// packages with missing files (not a missing catalog: the Setup API needs it). SILENT and FORCE
// change nothing here: nothing is shown, and no device's driver is compared.
const DWORD DIFX_PREINSTALL_FLAGS = DRIVER_PACKAGE_REPAIR | DRIVER_PACKAGE_SILENT |
                                    DRIVER_PACKAGE_FORCE | DRIVER_PACKAGE_LEGACY_MODE;

// Sets the process-wide log callback and its context; a null callback removes it.
void setDifxLogCallback(DIFXAPILOGCALLBACK_W callback, PVOID context);

// Pre-installs the package whose INF is `infPath` (fully qualified). Returns 0 on
// success, else the result code of the first check that failed, in this order:
//   ERROR_INVALID_PARAMETER  null path or a flag outside DIFX_PREINSTALL_FLAGS
//   ERROR_ACCESS_DENIED      the caller is not in the Administrators group
//   ERROR_FILENAME_EXCED_RANGE  the path has MAX_PATH characters or more
//   ERROR_INVALID_NAME       not a fully qualified path, or bad characters in it
//   ERROR_FILE_NOT_FOUND     no such file (or a folder of that name)
//   ERROR_CANT_ACCESS_FILE   the INF lies in the system INF folder already
//   (the Setup API's error)  the file does not open as an INF
//   ERROR_INVALID_FUNCTION   no setup class, a class of non-device drivers
//                            (LegacyDriver), or no models line that leads to an
//                            existing device install section
//   CRYPT_E_FILE_ERROR       the catalog named in [Version] is not beside the INF
//   ERROR_MISSING_FILE       a file named in SourceDisksFiles or copied by a
//                            device install section is not in its source folder
//   ERROR_ALREADY_EXISTS     an oem*.inf with the same content is staged, and
//                            REPAIR was not given
//   (SetupCopyOEMInfW's error, else ERROR_CANNOT_MAKE)  staging failed
// An allocation failure gives ERROR_OUTOFMEMORY.
DWORD preinstallDriverPackage(PCWSTR infPath, DWORD flags);
