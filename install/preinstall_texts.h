// preinstall_texts.h
// The texts of the driver package pre-installation: its progress lines, the
// library failures and one result text per result code of the library.
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
