// package.cpp
// kvr7ctl's status and remove commands. A staged copy is a file of the system
// INF folder named oem<N>.inf (or, as Wine names a first copy, like the
// package's INF) whose original name, Provider and ClassGuid are the package's.
// Results start pessimistic: a command ends with success only after its last
// check.

#include "kvr7ctl/package.h"

#include <windows.h>

#include <cwchar>

#include "base/platform_fit.h"
#include "base/trace.h"
#include "console/tool_text.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/kvr7ctl_texts.h"

namespace {

// Room for one INF field; a longer Provider or ClassGuid reads as empty, and so
// matches nothing.
const DWORD FIELD_UNITS = 512;

// What identifies the package, read from its own INF or from a staged copy.
struct InfIdentity
{
    std::wstring provider;
    std::wstring classGuid;
    std::wstring models; // the models section of the first [Manufacturer] line
    std::wstring driverVersion;
};

struct Package
{
    std::wstring infPath;
    std::wstring fileName;
    InfIdentity identity;
};

struct StagedCopy
{
    std::wstring name; // the published name, such as oem3.inf
    std::wstring path;
    std::wstring driverVersion;
};

struct PackageDevice
{
    SP_DEVINFO_DATA data;
    std::wstring instanceId;
    size_t copy; // index into the copies it was found for
    bool restartPending;
};

// BUILTIN\Administrators, laid out as a SID with two sub-authorities.
struct AdministratorsSid
{
    BYTE revision;
    BYTE subAuthorityCount;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthority[2];
};

bool same(const std::wstring& a, const std::wstring& b)
{
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring fileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void report(const wchar_t* key, const std::wstring& value)
{
    printValue(key, value);
    traceLine(TRACE_REPORT, key, escapeValue(value).c_str());
}

int finish(int code)
{
    report(KEY_RESULT, decimal(code));
    return code;
}

int failed(const std::wstring& step, DWORD error, int code = KVR7CTL_FAILED)
{
    report(KEY_FAILED_STEP, step);
    report(KEY_ERROR, decimal(error));
    return finish(code);
}

int refused(const wchar_t* text, const wchar_t* step, DWORD error, int code)
{
    printError(text);
    traceLine(L"%s\n", text);
    return failed(step, error, code);
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
    if (same(name, package.fileName))
        return true;
    if (name.size() < 8 || _wcsnicmp(name.c_str(), L"oem", 3) != 0 ||
        !same(name.substr(name.size() - 4), L".inf"))
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
    const bool named = same(original, package.fileName);
    const bool unrecorded =
        same(original, copy->name) && same(found.models, package.identity.models);
    const bool ours = (named || unrecorded) && same(found.provider, package.identity.provider) &&
                      same(found.classGuid, package.identity.classGuid);
    traceLine(TRACE_CANDIDATE, copy->name.c_str(), original.c_str(), found.provider.c_str(),
              found.classGuid.c_str(), found.models.c_str(), ours ? TRACE_OURS : TRACE_NOT_OURS);
    copy->driverVersion = found.driverVersion;
    return ours;
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

// Every device, present or not, whose driver comes from one of the copies.
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
            if (!infName.empty() && same(infName, copies[device.copy].name))
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

int status(const Package& package)
{
    std::vector<StagedCopy> copies;
    UniqueDeviceSet set;
    std::vector<PackageDevice> devices;
    DWORD error = 0;
    if (!findCopies(package, &copies, &error))
        return failed(STEP_SEARCH, error);
    if (!copies.empty() && !findDevices(copies, &set, &devices, &error))
        return failed(STEP_DEVICES, error);

    bool restart = false;
    for (size_t copy = 0; copy < copies.size(); ++copy)
    {
        report(KEY_COPY, copies[copy].name);
        report(KEY_DRIVER_VERSION, copies[copy].driverVersion);
        for (const PackageDevice& device : devices)
        {
            if (device.copy != copy)
                continue;
            report(KEY_DEVICE, device.instanceId);
            report(KEY_DEVICE_RESTART, device.restartPending ? L"1" : L"0");
            restart = restart || device.restartPending;
        }
    }
    report(KEY_COPIES, decimal(static_cast<long long>(copies.size())));
    report(KEY_DEVICES, decimal(static_cast<long long>(devices.size())));
    report(KEY_RESTART_NEEDED, restart ? L"1" : L"0");
    if (copies.empty())
        return finish(KVR7CTL_NOT_STAGED);
    return finish(restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}

void traceCall(const wchar_t* step, const std::wstring& what, BOOL done, DWORD error, bool restart)
{
    traceLine(TRACE_CALL, step, what.c_str(), done ? TRACE_CALL_DONE : TRACE_CALL_FAILED,
              done ? 0UL : error, restart ? 1 : 0);
}

// Where DiUninstallDriverW is missing: each device that uses a copy goes, then
// the copy itself (forced only when asked: the Setup API then deletes a copy
// that other devices still name).
int removeOneByOne(const std::vector<StagedCopy>& copies, bool force, bool* restart)
{
    report(KEY_METHOD, METHOD_REMOVE_DEVICES);
    UniqueDeviceSet set;
    std::vector<PackageDevice> devices;
    DWORD error = 0;
    if (!findDevices(copies, &set, &devices, &error))
        return failed(STEP_DEVICES, error);
    for (PackageDevice& device : devices)
    {
        const BOOL removed =
            g_kvr7ctlApi.SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device.data);
        error = GetLastError();
        SP_DEVINSTALL_PARAMS_W params = {};
        params.cbSize = sizeof(params);
        const bool due =
            removed &&
            g_kvr7ctlApi.SetupDiGetDeviceInstallParamsW(set.get(), &device.data, &params) &&
            (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0;
        traceCall(STEP_REMOVE_DEVICE, device.instanceId, removed, error, due);
        if (!removed)
            return failed(STEP_REMOVE_DEVICE + device.instanceId, error);
        *restart = *restart || due;
        report(KEY_REMOVED_DEVICE, device.instanceId);
    }
    for (const StagedCopy& copy : copies)
    {
        const BOOL removed = g_kvr7ctlApi.SetupUninstallOEMInfW(
            copy.name.c_str(), force ? SUOI_FORCEDELETE : 0, nullptr);
        error = GetLastError();
        traceCall(STEP_UNINSTALL_INF, copy.name, removed, error, false);
        if (!removed)
            return failed(STEP_UNINSTALL_INF + copy.name, error);
        report(KEY_UNINSTALLED, copy.name);
    }
    return KVR7CTL_DONE;
}

int uninstallEach(DiUninstallDriverWFn uninstall, const std::vector<StagedCopy>& copies,
                  bool* restart)
{
    report(KEY_METHOD, METHOD_UNINSTALL_DRIVER);
    for (const StagedCopy& copy : copies)
    {
        BOOL due = FALSE;
        const BOOL removed = uninstall(nullptr, copy.path.c_str(), 0, &due);
        const DWORD error = GetLastError();
        traceCall(STEP_UNINSTALL_DRIVER, copy.name, removed, error, due != FALSE);
        if (!removed)
            return failed(STEP_UNINSTALL_DRIVER + copy.name, error);
        *restart = *restart || due;
        report(KEY_UNINSTALLED, copy.name);
    }
    return KVR7CTL_DONE;
}

int remove(const Package& package, bool force)
{
    static const AdministratorsSid ADMINISTRATORS = {
        SID_REVISION,
        2,
        SECURITY_NT_AUTHORITY,
        {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};
    BOOL administrator = FALSE;
    if (!g_kvr7ctlApi.CheckTokenMembership(nullptr, const_cast<AdministratorsSid*>(&ADMINISTRATORS),
                                           &administrator))
        return failed(STEP_ADMIN, GetLastError());
    if (!administrator)
        // The exit code is the Win32 error ERROR_ELEVATION_REQUIRED itself.
        return refused(TEXT_CTL_NOT_ADMIN, STEP_ADMIN, KVR7CTL_NOT_ADMIN, KVR7CTL_NOT_ADMIN);

    const DWORD waited = g_kvr7ctlApi.CMP_WaitNoPendingInstallEvents(PENDING_INSTALLS_WAIT_MS);
    const DWORD waitError = GetLastError();
    traceLine(TRACE_WAIT, PENDING_INSTALLS_WAIT_MS, waited);
    if (waited == WAIT_TIMEOUT)
        return failed(STEP_WAIT, ERROR_INSTALL_ALREADY_RUNNING, KVR7CTL_BUSY);
    if (waited != WAIT_OBJECT_0)
        return failed(STEP_WAIT, waitError);

    std::vector<StagedCopy> copies;
    DWORD error = 0;
    if (!findCopies(package, &copies, &error))
        return failed(STEP_SEARCH, error);
    for (const StagedCopy& copy : copies)
    {
        report(KEY_COPY, copy.name);
        report(KEY_DRIVER_VERSION, copy.driverVersion);
    }
    bool restart = false;
    if (!copies.empty())
    {
        const DiUninstallDriverWFn uninstall = g_kvr7ctlApi.lookUpDiUninstallDriverW();
        traceLine(TRACE_LOOKUP, uninstall ? TRACE_LOOKUP_FOUND : TRACE_LOOKUP_MISSING,
                  uninstall ? 0UL : GetLastError());
        const int result = uninstall ? uninstallEach(uninstall, copies, &restart)
                                     : removeOneByOne(copies, force, &restart);
        if (result != KVR7CTL_DONE)
            return result;
    }

    // Every call may have answered TRUE and still left a copy (Wine's
    // SetupUninstallOEMInfW without SUOI_FORCEDELETE deletes nothing): only a
    // second search tells.
    std::vector<StagedCopy> left;
    if (!findCopies(package, &left, &error))
        return failed(STEP_SEARCH, error);
    traceLine(TRACE_VERIFY, static_cast<unsigned long>(left.size()));
    if (!left.empty())
        return failed(STEP_STILL_STAGED + left.front().name, ERROR_FILE_EXISTS);
    if (!copies.empty())
    {
        UniqueDeviceSet set;
        std::vector<PackageDevice> devices;
        if (!findDevices(copies, &set, &devices, &error))
            return failed(STEP_DEVICES, error);
        if (!devices.empty())
            return failed(STEP_STILL_USED + devices.front().instanceId, ERROR_DEVICE_IN_USE);
    }
    report(KEY_RESTART_NEEDED, restart ? L"1" : L"0");
    return finish(restart ? KVR7CTL_RESTART : KVR7CTL_DONE);
}

int usage()
{
    printError(TEXT_CTL_USAGE);
    return finish(KVR7CTL_BAD_COMMAND);
}

} // namespace

int runKvr7ctl(const std::vector<std::wstring>& args, const std::wstring& ownFolder)
{
    const PlatformFit fit = judgePlatform();
    if (fit != PLATFORM_FITS)
        return refused(fit == PLATFORM_WOW64 ? TEXT_CTL_WOW64 : TEXT_CTL_TOO_OLD, STEP_PLATFORM,
                       fit == PLATFORM_WOW64 ? ERROR_EXE_MACHINE_TYPE_MISMATCH
                                             : ERROR_OLD_WIN_VERSION,
                       KVR7CTL_FAILED);

    if (args.size() < 2)
        return usage();
    const bool removing = same(args[1], L"remove");
    if (!removing && !same(args[1], L"status"))
        return usage();
    size_t next = 2;
    const bool force = removing && next < args.size() && same(args[next], L"-force");
    if (force)
        ++next;
    std::wstring inf;
    if (next < args.size())
    {
        inf = args[next++];
        if (inf.empty() || inf[0] == L'-')
            return usage();
    }
    if (next != args.size())
        return usage();
    traceLine(TRACE_COMMAND, args[1].c_str(), inf.c_str(), force ? 1 : 0);

    Package package;
    if (inf.empty())
    {
        if (ownFolder.empty())
            return failed(STEP_PACKAGE, ERROR_PATH_NOT_FOUND);
        package.infPath = ownFolder + L"\\" KVR7CTL_DEFAULT_INF;
    }
    else
    {
        // A bare name would be looked for in the system INF folder.
        wchar_t full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameW(inf.c_str(), MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH)
            return failed(STEP_PACKAGE, length ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
        package.infPath = full;
    }
    package.fileName = fileNameOf(package.infPath);
    report(KEY_INF, package.infPath);
    DWORD error = 0;
    if (!readIdentity(package.infPath, &package.identity, &error))
        return failed(STEP_PACKAGE, error);
    traceLine(TRACE_PACKAGE, package.fileName.c_str(), package.identity.provider.c_str(),
              package.identity.classGuid.c_str(), package.identity.models.c_str());
    if (package.identity.provider.empty() || package.identity.classGuid.empty())
        return failed(STEP_PACKAGE, ERROR_INVALID_DATA);
    return removing ? remove(package, force) : status(package);
}
