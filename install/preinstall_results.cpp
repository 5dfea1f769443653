// preinstall_results.cpp
// The result table of the pre-installation. Exit codes 100 to 122 number the
// codes in the alphabetical order of their public names; the texts are shown
// exactly as they stand here (the doubled "T" of code 1 and the blank at the end
// of the missing-file text included).

#include "install/preinstall_results.h"

namespace {

const PreinstallResult RESULTS[] = {
    {0x00000000, 0, L"The driver was successfully installed."},
    {0x00000001, 113, L"TThe driver package is not for a PnP function driver."},
    {0x00000002, 109, L"The INF file that was specified was not found."},
    {0x00000005, 104,
     L"A caller of DriverPackagePreinstall must be a member of the Administrators group to "
     L"install a driver package."},
    {0x0000000A, 106,
     L"The current Microsoft Windows version does not support this operation. An old or "
     L"incompatible version of DIFxApp.dll or DIFxAppA.dll might be present in the system."},
    {0x0000000E, 119, L"Available system memory was insufficient to perform the operation."},
    {0x00000020, 120,
     L"A component of the driver package in the DIFx driver store is locked by a thread or "
     L"process."},
    {0x00000052, 107, L"DriverPackagePreinstall did not preinstall the driver package."},
    {0x00000057, 115, L"A supplied parameter is not valid."},
    {0x0000007B, 114, L"The specified INF file path is not valid."},
    {0x000000B7, 105,
     L"The driver package is already preinstalled and was not preinstalled again."},
    {0x000000CE, 110,
     L"The INF file path, in characters, that was specified is greater than the maximum "
     L"supported path length."},
    {0x00000103, 117,
     L"The specified driver package was not installed for matching devices because the driver "
     L"packages already installed for the matching devices are a better match for the devices "
     L"than the specified driver package."},
    {0x00000780, 108,
     L"DriverPackagePreinstall could not preinstall the driver package because the specified "
     L"INF file is in the system INF file directory."},
    {0x80092003, 103, L"The catalog file for the specified driver package was not found."},
    {0x800B0100, 122, L"The driver package is not signed."},
    {0x800B0101, 100, L"The signing certificate is expired."},
    {0x800B0109, 101,
     L"The catalog file has an Authenticode signature whose certificate chain terminates in a "
     L"root certificate that is not trusted."},
    {0x800B0110, 102,
     L"The certificate for the driver package is not valid for the requested usage."},
    {0xE000020B, 118,
     L"The driver package was not installed on any device because there are no matching "
     L"devices in the device tree."},
    {0xE0000235, 111,
     L"The 32-bit version DIFxAPI does not work on Win64 systems. A 64-bit version of DIFxAPI "
     L"is required."},
    {0xE0000244, 121,
     L"The signing certificate is not valid for the current Windows version or it is expired."},
    {0xE0000303, 116,
     L"DriverPackagePreinstall did not preinstall the driver package because files that are "
     L"referenced by the INF file could not be found. "},
    {0xE0000304, 112,
     L"The catalog file for the specified driver package is not valid or was not found."},
};

} // namespace

const PreinstallResult* findPreinstallResult(DWORD code)
{
    for (const PreinstallResult& result : RESULTS)
    {
        if (result.code == code)
            return &result;
    }
    return nullptr;
}
