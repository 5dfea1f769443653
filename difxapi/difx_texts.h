// difx_texts.h
// The log texts of the stand-in driver-package library, one pattern per event.
// Patterns are for formatText: "%s" takes a wide string, "%lu"/"%lx" a 32-bit
// unsigned value.
#pragma once

// Start and end of a pre-installation.
const wchar_t DIFX_LOG_START[] = L"Preinstalling driver package '%s' (flags 0x%lx).";
const wchar_t DIFX_LOG_CHECKING[] = L"Checking driver package '%s'.";
const wchar_t DIFX_LOG_CATALOG[] = L"Catalog file '%s' is present.";
const wchar_t DIFX_LOG_FILES[] = L"All %lu files referenced by the INF file are present.";
const wchar_t DIFX_LOG_RESTAGING[] = L"Driver package is already staged as '%s'; staging it again.";
const wchar_t DIFX_LOG_STAGING[] = L"Staging '%s' into the system INF folder.";
const wchar_t DIFX_LOG_DONE[] = L"Driver package '%s' was preinstalled as '%s'.";

// Failures; each is reported with its result code as the event's error number.
const wchar_t DIFX_LOG_BAD_PARAMETER[] = L"Invalid parameter: INF path %s, flags 0x%lx.";
const wchar_t DIFX_LOG_NOT_ADMIN[] = L"The caller is not a member of the Administrators group.";
const wchar_t DIFX_LOG_TOO_LONG[] = L"The INF path has %lu characters; at most %lu are supported.";
const wchar_t DIFX_LOG_INVALID_NAME[] = L"'%s' is not a valid fully qualified INF file path.";
const wchar_t DIFX_LOG_NOT_FOUND[] = L"The INF file '%s' was not found.";
const wchar_t DIFX_LOG_IN_INF_FOLDER[] = L"The INF file '%s' is in the system INF folder '%s'.";
const wchar_t DIFX_LOG_OPEN_FAILED[] = L"The INF file '%s' could not be opened as an INF file.";
const wchar_t DIFX_LOG_NO_CLASS[] = L"The INF file names no device setup class in [Version].";
const wchar_t DIFX_LOG_NOT_FUNCTION_CLASS[] =
    L"The setup class '%s' is not a class of plug-and-play function drivers.";
const wchar_t DIFX_LOG_NO_DEVICE_INSTALL[] =
    L"No models section of [Manufacturer] names an existing device install section.";
const wchar_t DIFX_LOG_NO_CATALOG[] = L"The catalog file '%s' was not found.";
const wchar_t DIFX_LOG_MISSING_FILE[] = L"The file '%s' referenced by the INF file was not found.";
const wchar_t DIFX_LOG_ALREADY_STAGED[] =
    L"The driver package is already staged as '%s' and was not staged again.";
const wchar_t DIFX_LOG_STAGE_FAILED[] = L"Staging '%s' failed.";
