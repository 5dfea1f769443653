// kvr7ctl_platform.cpp
// The real entry points behind kvr7ctl's seam. DiUninstallDriverW is looked up
// in newdev.dll of the system folder (base/system_library.h) when first asked
// for; Windows before 10 1703, and Wine, lack it.

#include "kvr7ctl/kvr7ctl_platform.h"

#include "base/system_library.h"

namespace {

SystemLibrary g_newdev(L"newdev.dll");
SystemEntry<DiUninstallDriverWFn> g_uninstallDriver(g_newdev, "DiUninstallDriverW");

DiUninstallDriverWFn lookUpDiUninstallDriverW()
{
    return g_uninstallDriver.get();
}

} // namespace

Kvr7ctlApi g_kvr7ctlApi = {
    ::GetSystemWindowsDirectoryW,
    ::FindFirstFileW,
    ::FindNextFileW,
    ::FindClose,
    ::SetupDiGetClassDevsW,
    ::SetupDiEnumDeviceInfo,
    ::SetupDiGetDeviceInstanceIdW,
    ::SetupDiGetDeviceRegistryPropertyW,
    ::SetupDiOpenDevRegKey,
    ::RegQueryValueExW,
    ::SetupDiCallClassInstaller,
    ::SetupDiGetDeviceInstallParamsW,
    ::SetupDiDestroyDeviceInfoList,
    ::CM_Get_DevNode_Status,
    ::CMP_WaitNoPendingInstallEvents,
    ::SetupUninstallOEMInfW,
    lookUpDiUninstallDriverW,
    ::CheckTokenMembership,
    ::runUnderDebugger,
};
