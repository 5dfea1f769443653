// package.cpp
// The package's identity, the search for its staged copies and the devices that
// use them. Whatever cannot be read is left alone, and the trace says why.

#include "kvr7ctl/package.h"

#include <cwchar>

#include "base/trace.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"

namespace {

// BUILTIN\Administrators, laid out as a SID with two sub-authorities.
struct AdministratorsSid
{
    BYTE revision;
    BYTE subAuthorityCount;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthority[2];
};

// Room for one INF field; a longer Provider or ClassGuid reads as empty, and so
// matches nothing.
const DWORD FIELD_UNITS = 512;

std::wstring fileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Field `index` of the first line of `section` with `key` (any line for null).
std::wstring infField(HINF inf, const wchar_t* section, const wchar_t* key, DWORD index)
{
    INFCONTEXT line = {};
    wchar_t text[FIELD_UNITS] = {};
    if (!g_kvr7ctlApi.SetupFindFirstLineW(inf, section, key, &line) ||
        !g_kvr7ctlApi.SetupGetStringFieldW(&line, index, text, FIELD_UNITS, nullptr))
        return std::wstring();
    return text;
}

bool readIdentity(const std::wstring& path, InfIdentity* identity, DWORD* error)
{
    UINT errorLine = 0;
    UniqueInf inf(
        g_kvr7ctlApi.SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    if (!inf.valid())
    {
        *error = GetLastError();
        return false;
    }
    identity->provider = infField(inf.get(), L"Version", L"Provider", 1);
    identity->classGuid = infField(inf.get(), L"Version", L"ClassGuid", 1);
    identity->models = infField(inf.get(), L"Manufacturer", nullptr, 1);
    identity->driverVersion = infField(inf.get(), L"Version", L"DriverVer", 1);
    const std::wstring version = infField(inf.get(), L"Version", L"DriverVer", 2);
    if (!version.empty())
        identity->driverVersion += L"," + version;
    return true;
}

// The file name the copy had before it was staged, as the Setup API recorded it.
bool originalName(const std::wstring& path, std::wstring* name, DWORD* error)
{
    DWORD size = 0;
    if (!g_kvr7ctlApi.SetupGetInfInformationW(path.c_str(), INFINFO_INF_NAME_IS_ABSOLUTE, nullptr,
                                              0, &size))
    {
        *error = GetLastError();
        return false;
    }
    std::vector<BYTE> buffer(size);
    const PSP_INF_INFORMATION info = reinterpret_cast<PSP_INF_INFORMATION>(buffer.data());
    SP_ORIGINAL_FILE_INFO_W original = {};
    original.cbSize = sizeof(original);
    if (!g_kvr7ctlApi.SetupGetInfInformationW(path.c_str(), INFINFO_INF_NAME_IS_ABSOLUTE, info,
                                              size, nullptr) ||
        !g_kvr7ctlApi.SetupQueryInfOriginalFileInformationW(info, 0, nullptr, &original))
    {
        *error = GetLastError();
        return false;
    }
    *name = fileNameOf(original.OriginalInfName);
    return true;
}

// oem<digits>.inf, or the package's own file name.
bool mayBeCopy(const std::wstring& name, const Package& package)
{
    if (sameText(name, package.fileName))
        return true;
    if (name.size() < 8 || _wcsnicmp(name.c_str(), L"oem", 3) != 0 ||
        !sameText(name.substr(name.size() - 4), L".inf"))
        return false;
    for (size_t i = 3; i < name.size() - 4; ++i)
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    return true;
}

// Whether the staged file is a copy of the package. A system that keeps no
// record of the original name answers the copy's own name (Wine does for
// oem<N>.inf); such a copy must also name the package's models section.
bool isCopyOf(const Package& package, StagedCopy* copy)
{
    std::wstring original;
    InfIdentity found;
    DWORD error = 0;
    if (!originalName(copy->path, &original, &error) || !readIdentity(copy->path, &found, &error))
    {
        traceLine(TRACE_UNREADABLE, copy->name.c_str(), error);
        return false;
    }
    const bool named = sameText(original, package.fileName);
    const bool unrecorded =
        sameText(original, copy->name) && sameText(found.models, package.identity.models);
    const bool ours = (named || unrecorded) &&
                      sameText(found.provider, package.identity.provider) &&
                      sameText(found.classGuid, package.identity.classGuid);
    traceLine(TRACE_CANDIDATE, copy->name.c_str(), original.c_str(), found.provider.c_str(),
              found.classGuid.c_str(), found.models.c_str(), ours ? TRACE_OURS : TRACE_NOT_OURS);
    copy->driverVersion = found.driverVersion;
    return ours;
}

// The InfPath value of the device's driver key; empty without a driver.
std::wstring driverInfName(HDEVINFO set, SP_DEVINFO_DATA* device)
{
    UniqueDriverKey key(g_kvr7ctlApi.SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0,
                                                          DIREG_DRV, KEY_QUERY_VALUE));
    if (!key.valid())
        return std::wstring();
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);
    DWORD type = 0;
    if (g_kvr7ctlApi.RegQueryValueExW(key.get(), L"InfPath", nullptr, &type,
                                      reinterpret_cast<LPBYTE>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    value[size / sizeof(wchar_t)] = L'\0';
    return value;
}

bool restartPending(const PackageDevice& device, const std::wstring& copyName)
{
    ULONG status = 0;
    ULONG problem = 0;
    const CONFIGRET answer =
        g_kvr7ctlApi.CM_Get_DevNode_Status(&status, &problem, device.data.DevInst, 0);
    traceLine(TRACE_DEVICE_STATE, device.instanceId.c_str(), copyName.c_str(), status, problem,
              answer);
    return answer == CR_SUCCESS && ((status & DN_NEED_RESTART) ||
                                    ((status & DN_HAS_PROBLEM) && problem == CM_PROB_NEED_RESTART));
}

} // namespace

bool sameText(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

int readPackage(const std::wstring& inf, const std::wstring& ownFolder, Package* package)
{
    package->programFolder = ownFolder;
    if (inf.empty())
    {
        if (ownFolder.empty())
            return reportFailure(STEP_PACKAGE, ERROR_PATH_NOT_FOUND);
        package->infPath = ownFolder + L"\\" KVR7CTL_DEFAULT_INF;
    }
    else
    {
        // A bare name would be looked for in the system INF folder.
        wchar_t full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameW(inf.c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH)
            return reportFailure(STEP_PACKAGE,
                                 length ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
        package->infPath = full;
    }
    package->fileName = fileNameOf(package->infPath);
    report(REPORT_INF, package->infPath);
    DWORD error = 0;
    if (!readIdentity(package->infPath, &package->identity, &error))
        return reportFailure(STEP_PACKAGE, error);
    traceLine(TRACE_PACKAGE, package->fileName.c_str(), package->identity.provider.c_str(),
              package->identity.classGuid.c_str(), package->identity.models.c_str());
    if (package->identity.provider.empty() || package->identity.classGuid.empty())
        return reportFailure(STEP_PACKAGE, ERROR_INVALID_DATA);
    return KVR7CTL_DONE;
}

bool findCopies(const Package& package, std::vector<StagedCopy>* copies, DWORD* error)
{
    copies->clear();
    wchar_t windows[MAX_PATH] = {};
    const UINT length = g_kvr7ctlApi.GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
    {
        *error = length ? ERROR_BUFFER_OVERFLOW : GetLastError();
        return false;
    }
    const std::wstring folder = std::wstring(windows) + L"\\INF";
    traceLine(TRACE_SEARCH, folder.c_str());
    WIN32_FIND_DATAW found = {};
    UniqueSearch search(g_kvr7ctlApi.FindFirstFileW((folder + L"\\*.inf").c_str(), &found));
    if (!search.valid())
    {
        *error = GetLastError();
        return *error == ERROR_FILE_NOT_FOUND;
    }
    do
    {
        StagedCopy copy;
        copy.name = found.cFileName;
        copy.path = folder + L"\\" + copy.name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && mayBeCopy(copy.name, package) &&
            isCopyOf(package, &copy))
            copies->push_back(copy);
    } while (g_kvr7ctlApi.FindNextFileW(search.get(), &found));
    *error = GetLastError();
    return *error == ERROR_NO_MORE_FILES;
}

bool findDevices(const std::vector<StagedCopy>& copies, UniqueDeviceSet* set,
                 std::vector<PackageDevice>* devices, DWORD* error)
{
    devices->clear();
    set->reset(g_kvr7ctlApi.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    if (!set->valid())
    {
        *error = GetLastError();
        return false;
    }
    for (DWORD index = 0;; ++index)
    {
        PackageDevice device = {};
        device.data.cbSize = sizeof(device.data);
        if (!g_kvr7ctlApi.SetupDiEnumDeviceInfo(set->get(), index, &device.data))
        {
            *error = GetLastError();
            return *error == ERROR_NO_MORE_ITEMS;
        }
        const std::wstring infName = driverInfName(set->get(), &device.data);
        for (device.copy = 0; device.copy < copies.size(); ++device.copy)
            if (!infName.empty() && sameText(infName, copies[device.copy].name))
                break;
        if (device.copy == copies.size())
            continue;
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
        if (g_kvr7ctlApi.SetupDiGetDeviceInstanceIdW(set->get(), &device.data, id,
                                                     MAX_DEVICE_ID_LEN + 1, nullptr))
            device.instanceId = id;
        device.restartPending = restartPending(device, copies[device.copy].name);
        devices->push_back(device);
    }
}

int refuseUnlessAdministrator(const wchar_t* refusal)
{
    static const AdministratorsSid ADMINISTRATORS = {
        SID_REVISION,
        2,
        SECURITY_NT_AUTHORITY,
        {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};
    BOOL administrator = FALSE;
    if (!g_kvr7ctlApi.CheckTokenMembership(nullptr, const_cast<AdministratorsSid*>(&ADMINISTRATORS),
                                           &administrator))
        return reportFailure(STEP_ADMIN, GetLastError());
    if (!administrator)
        // The exit code is the Win32 error ERROR_ELEVATION_REQUIRED itself.
        return reportRefusal(refusal, STEP_ADMIN, KVR7CTL_NOT_ADMIN, KVR7CTL_NOT_ADMIN);
    return KVR7CTL_DONE;
}
