// kvr7ctl_platform.h
// The platform calls of kvr7ctl.exe, behind one seam: the search of the system
// INF folder, the Setup API's device list and device properties, the
// configuration manager's device state and wait for pending installations, the
// removal of devices and of staged packages, the run-time lookup of
// DiUninstallDriverW (newdev.dll, Windows 10 1703 and later), the
// administrator check, the run of the installer under the debugger capture
// (debugout/debug_capture.h: one entry, so that tests play the installer's exit
// codes and trace), and what the check before an installation reads: the true
// Windows version, the registry's policy and restart records, the package's
// files, its catalog and the trust in its signature (wintrust.dll and
// crypt32.dll, loaded from the system folder when first called; a call that the
// library lacks fails with the loader's error). g_kvr7ctlApi is filled with the
// real entry points (kvr7ctl_platform.cpp); tests replace entries to play any answer the platform
// can give. The entries carry the platform's own signatures and no logic.
#pragma once

#include <windows.h>

#include <cfgmgr32.h>
#include <mscat.h>
#include <setupapi.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include "base/unique_handle.h"
#include "debugout/debug_capture.h"

// Exported by setupapi.dll; the Windows SDK's cfgmgr32.h declares it, mingw-w64's
// does not.
#if defined(__MINGW32__)
extern "C" DWORD WINAPI CMP_WaitNoPendingInstallEvents(DWORD timeoutMs);
#endif

// DiUninstallDriverW: takes the driver package of `infPath` (a published INF in
// the system INF folder) off every device and out of the driver store.
typedef BOOL(WINAPI* DiUninstallDriverWFn)(HWND parent, LPCWSTR infPath, DWORD flags,
                                           PBOOL needReboot);

struct Kvr7ctlApi
{
    UINT(WINAPI* GetSystemWindowsDirectoryW)(LPWSTR buffer, UINT size);
    HANDLE(WINAPI* FindFirstFileW)(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
    BOOL(WINAPI* FindNextFileW)(HANDLE search, LPWIN32_FIND_DATAW found);
    BOOL(WINAPI* FindClose)(HANDLE search);

    HDEVINFO(WINAPI* SetupDiGetClassDevsW)
    (const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInfo)(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiGetDeviceInstanceIdW)
    (HDEVINFO set, PSP_DEVINFO_DATA device, PWSTR buffer, DWORD size, PDWORD needed);
    BOOL(WINAPI* SetupDiGetDeviceRegistryPropertyW)
    (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE buffer, DWORD size,
     PDWORD needed);
    HKEY(WINAPI* SetupDiOpenDevRegKey)
    (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD scope, DWORD profile, DWORD keyType,
     REGSAM access);
    LONG(WINAPI* RegQueryValueExW)
    (HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
    BOOL(WINAPI* SetupDiCallClassInstaller)
    (DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiGetDeviceInstallParamsW)
    (HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO set);
    CONFIGRET(WINAPI* CM_Get_DevNode_Status)
    (PULONG status, PULONG problem, DEVINST device, ULONG flags);
    DWORD(WINAPI* CMP_WaitNoPendingInstallEvents)(DWORD timeoutMs);

    BOOL(WINAPI* SetupUninstallOEMInfW)(PCWSTR infName, DWORD flags, PVOID reserved);
    // The entry point, or null with the loader's error where newdev.dll lacks it.
    DiUninstallDriverWFn (*lookUpDiUninstallDriverW)();
    BOOL(WINAPI* CheckTokenMembership)(HANDLE token, PSID sid, PBOOL isMember);

    DebugCaptureResult (*runUnderDebugger)(const std::wstring& commandLine, DWORD timeoutMs,
                                           const DebugCaptureSink& sink,
                                           const DebuggeeStart& start);
    // ntdll's version query, which no manifest changes (GetVersionExW answers
    // 6.2 for Windows 8.1 and later to a program whose manifest names none).
    LONG(WINAPI* RtlGetVersion)(PRTL_OSVERSIONINFOW version);
    LONG(WINAPI* RegOpenKeyExW)
    (HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY opened);
    LONG(WINAPI* RegEnumValueW)
    (HKEY key, DWORD index, LPWSTR name, LPDWORD nameUnits, LPDWORD reserved, LPDWORD type,
     LPBYTE data, LPDWORD size);
    DWORD(WINAPI* GetFileAttributesW)(LPCWSTR path);
    HANDLE(WINAPI* CreateFileW)
    (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE model);
    BOOL(WINAPI* CryptCATAdminAcquireContext2)
    (HCATADMIN* admin, const GUID* subsystem, PCWSTR hashAlgorithm, PCCERT_STRONG_SIGN_PARA policy,
     DWORD flags);
    BOOL(WINAPI* CryptCATAdminReleaseContext)(HCATADMIN admin, DWORD flags);
    BOOL(WINAPI* CryptCATAdminCalcHashFromFileHandle)
    (HANDLE file, DWORD* size, BYTE* hash, DWORD flags);
    BOOL(WINAPI* CryptCATAdminCalcHashFromFileHandle2)
    (HCATADMIN admin, HANDLE file, DWORD* size, BYTE* hash, DWORD flags);
    HANDLE(WINAPI* CryptCATOpen)
    (LPWSTR path, DWORD flags, HCRYPTPROV provider, DWORD version, DWORD encoding);
    CRYPTCATMEMBER*(WINAPI* CryptCATGetMemberInfo)(HANDLE catalog, LPWSTR tag);
    BOOL(WINAPI* CryptCATClose)(HANDLE catalog);
    LONG(WINAPI* WinVerifyTrust)(HWND window, GUID* action, LPVOID data);
    CRYPT_PROVIDER_DATA*(WINAPI* WTHelperProvDataFromStateData)(HANDLE state);
    CRYPT_PROVIDER_SGNR*(WINAPI* WTHelperGetProvSignerFromChain)(CRYPT_PROVIDER_DATA* data,
                                                                 DWORD signer, BOOL counterSigner,
                                                                 DWORD counterSignerIndex);
    DWORD(WINAPI* CertGetNameStringW)
    (PCCERT_CONTEXT certificate, DWORD type, DWORD flags, void* typeParameter, LPWSTR name,
     DWORD units);
};

extern Kvr7ctlApi g_kvr7ctlApi;

// Owners for what the seam opens; they close through the seam too.
struct DeviceSetTraits
{
    typedef HDEVINFO Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle set) { g_kvr7ctlApi.SetupDiDestroyDeviceInfoList(set); }
};
typedef UniqueHandle<DeviceSetTraits> UniqueDeviceSet;

struct SearchTraits
{
    typedef HANDLE Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle search) { g_kvr7ctlApi.FindClose(search); }
};
typedef UniqueHandle<SearchTraits> UniqueSearch;
