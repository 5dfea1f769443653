// kvr7ctl_platform.cpp
// The real entry points behind kvr7ctl's seam. DiUninstallDriverW is looked up
// in newdev.dll of the system folder (base/system_library.h) when first asked
// for; Windows before 10 1703, and Wine, lack it. wintrust.dll and crypt32.dll
// are loaded from the system folder on the first call, through forwarders
// that fail with the loader's error where an entry is missing
// (CryptCATAdminAcquireContext2 and CryptCATAdminCalcHashFromFileHandle2
// arrived with Windows 8). RtlGetVersion comes from ntdll.dll, always loaded.

#include "kvr7ctl/kvr7ctl_platform.h"

#include "base/system_library.h"

namespace {

SystemLibrary g_newdev(L"newdev.dll");
SystemEntry<DiUninstallDriverWFn> g_uninstallDriver(g_newdev, "DiUninstallDriverW");

DiUninstallDriverWFn lookUpDiUninstallDriverW()
{
    return g_uninstallDriver.get();
}

SystemLibrary g_wintrust(L"wintrust.dll");
SystemLibrary g_crypt32(L"crypt32.dll");
SystemEntry<decltype(&::CryptCATAdminAcquireContext2)>
    g_acquireContext2(g_wintrust, "CryptCATAdminAcquireContext2");
SystemEntry<decltype(&::CryptCATAdminReleaseContext)>
    g_releaseContext(g_wintrust, "CryptCATAdminReleaseContext");
SystemEntry<decltype(&::CryptCATAdminCalcHashFromFileHandle)>
    g_calcHash(g_wintrust, "CryptCATAdminCalcHashFromFileHandle");
SystemEntry<decltype(&::CryptCATAdminCalcHashFromFileHandle2)>
    g_calcHash2(g_wintrust, "CryptCATAdminCalcHashFromFileHandle2");
SystemEntry<decltype(&::CryptCATOpen)> g_catOpen(g_wintrust, "CryptCATOpen");
SystemEntry<decltype(&::CryptCATGetMemberInfo)> g_memberInfo(g_wintrust, "CryptCATGetMemberInfo");
SystemEntry<decltype(&::CryptCATClose)> g_catClose(g_wintrust, "CryptCATClose");
SystemEntry<decltype(&::WinVerifyTrust)> g_verifyTrust(g_wintrust, "WinVerifyTrust");
SystemEntry<decltype(&::WTHelperProvDataFromStateData)>
    g_providerData(g_wintrust, "WTHelperProvDataFromStateData");
SystemEntry<decltype(&::WTHelperGetProvSignerFromChain)> g_signer(g_wintrust,
                                                                  "WTHelperGetProvSignerFromChain");
SystemEntry<decltype(&::CertGetNameStringW)> g_certName(g_crypt32, "CertGetNameStringW");

typedef LONG(WINAPI* RtlGetVersionFn)(PRTL_OSVERSIONINFOW version);

LONG WINAPI rtlGetVersion(PRTL_OSVERSIONINFOW version)
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const RtlGetVersionFn call =
        ntdll ? entryPoint<RtlGetVersionFn>(::GetProcAddress(ntdll, "RtlGetVersion")) : nullptr;
    return call ? call(version) : static_cast<LONG>(ERROR_PROC_NOT_FOUND);
}

BOOL WINAPI acquireContext2(HCATADMIN* admin, const GUID* subsystem, PCWSTR hashAlgorithm,
                            PCCERT_STRONG_SIGN_PARA policy, DWORD flags)
{
    const auto call = g_acquireContext2.get();
    return call ? call(admin, subsystem, hashAlgorithm, policy, flags) : FALSE;
}

BOOL WINAPI releaseContext(HCATADMIN admin, DWORD flags)
{
    const auto call = g_releaseContext.get();
    return call ? call(admin, flags) : FALSE;
}

BOOL WINAPI calcHash(HANDLE file, DWORD* size, BYTE* hash, DWORD flags)
{
    const auto call = g_calcHash.get();
    return call ? call(file, size, hash, flags) : FALSE;
}

BOOL WINAPI calcHash2(HCATADMIN admin, HANDLE file, DWORD* size, BYTE* hash, DWORD flags)
{
    const auto call = g_calcHash2.get();
    return call ? call(admin, file, size, hash, flags) : FALSE;
}

HANDLE WINAPI catOpen(LPWSTR path, DWORD flags, HCRYPTPROV provider, DWORD version, DWORD encoding)
{
    const auto call = g_catOpen.get();
    return call ? call(path, flags, provider, version, encoding) : INVALID_HANDLE_VALUE;
}

CRYPTCATMEMBER* WINAPI memberInfo(HANDLE catalog, LPWSTR tag)
{
    const auto call = g_memberInfo.get();
    return call ? call(catalog, tag) : nullptr;
}

BOOL WINAPI catClose(HANDLE catalog)
{
    const auto call = g_catClose.get();
    return call ? call(catalog) : FALSE;
}

LONG WINAPI verifyTrust(HWND window, GUID* action, LPVOID data)
{
    const auto call = g_verifyTrust.get();
    return call ? call(window, action, data) : static_cast<LONG>(GetLastError());
}

CRYPT_PROVIDER_DATA* WINAPI providerData(HANDLE state)
{
    const auto call = g_providerData.get();
    return call ? call(state) : nullptr;
}

CRYPT_PROVIDER_SGNR* WINAPI signerFromChain(CRYPT_PROVIDER_DATA* data, DWORD signer,
                                            BOOL counterSigner, DWORD counterSignerIndex)
{
    const auto call = g_signer.get();
    return call ? call(data, signer, counterSigner, counterSignerIndex) : nullptr;
}

DWORD WINAPI certName(PCCERT_CONTEXT certificate, DWORD type, DWORD flags, void* typeParameter,
                      LPWSTR name, DWORD units)
{
    const auto call = g_certName.get();
    return call ? call(certificate, type, flags, typeParameter, name, units) : 0;
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
    rtlGetVersion,
    ::RegOpenKeyExW,
    ::RegEnumValueW,
    ::GetFileAttributesW,
    ::CreateFileW,
    acquireContext2,
    releaseContext,
    calcHash,
    calcHash2,
    catOpen,
    memberInfo,
    catClose,
    verifyTrust,
    providerData,
    signerFromChain,
    certName,
};
