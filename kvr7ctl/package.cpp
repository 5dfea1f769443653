// package.cpp
// The package's identity and IDs, the search for its staged copies, the devices
// that use them and the boards the package is meant for. A candidate that
// cannot be read may be a copy: it ends the search, and the trace says why.

#include "kvr7ctl/package.h"

#include <algorithm>
#include <cwchar>
#include <functional>

#include "base/administrator.h"
#include "base/path.h"
#include "base/trace.h"
#include "inf/inf_file.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/report.h"

namespace {

std::wstring text(const CWStr& value)
{
    return std::wstring(value.c_str(), static_cast<size_t>(value.length()));
}

std::wstring fileNameOf(const std::wstring& path)
{
    return path.substr(static_cast<size_t>(fileNameStart(path.c_str(), path.size())));
}

// Field `index` of the first line of `section` with `key` (any line for null);
// empty when there is none.
std::wstring infField(CInfFile& inf, const wchar_t* section, const wchar_t* key, uint32_t index)
{
    CWStr field;
    if (inf.findLine(section, key) != SETUP_OK || inf.getStringField(index, field) != SETUP_OK)
        return std::wstring();
    return text(field);
}

void readIdentity(CInfFile& inf, InfIdentity* identity)
{
    identity->provider = infField(inf, L"Version", L"Provider", 1);
    identity->classGuid = infField(inf, L"Version", L"ClassGuid", 1);
    identity->models = infField(inf, L"Manufacturer", nullptr, 1);
    identity->driverVersion = infField(inf, L"Version", L"DriverVer", 1);
    const std::wstring version = infField(inf, L"Version", L"DriverVer", 2);
    if (!version.empty())
        identity->driverVersion += L"," + version;
}

// The full path of `path` as typed, sized from the call's own answer; one
// that no longer fits when asked again (the current folder changed in
// between) is a failure, never a cut path.
bool fullPath(const std::wstring& path, std::wstring* full, DWORD* error)
{
    const DWORD room = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::vector<wchar_t> buffer(room + 1);
    const DWORD length = room ? GetFullPathNameW(path.c_str(), room, buffer.data(), nullptr) : 0;
    if (length == 0 || length >= room)
    {
        *error = length ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
        return false;
    }
    full->assign(buffer.data(), length);
    return true;
}

// The system INF folder, sized as fullPath does.
bool systemInfFolder(std::wstring* folder, DWORD* error)
{
    const UINT room = g_kvr7ctlApi.GetSystemWindowsDirectoryW(nullptr, 0);
    std::vector<wchar_t> buffer(room + 1);
    const UINT length = room ? g_kvr7ctlApi.GetSystemWindowsDirectoryW(buffer.data(), room) : 0;
    if (length == 0 || length >= room)
    {
        *error = length ? ERROR_BUFFER_OVERFLOW : GetLastError();
        return false;
    }
    folder->assign(buffer.data(), length);
    *folder += L"\\INF";
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

// Whether a file that does not open as an INF leaves it open whether it is a
// copy of the package. A file gone since the folder was read, or one that the
// Setup API reads and finds no INF (its syntax errors), is none; any other
// reason (held open without sharing, access denied, memory) leaves it unknown.
bool unknownWhenUnreadable(DWORD error)
{
    switch (error)
    {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_EXPECTED_SECTION_NAME:
    case ERROR_BAD_SECTION_NAME_LINE:
    case ERROR_SECTION_NAME_TOO_LONG:
    case ERROR_GENERAL_SYNTAX:
    case ERROR_WRONG_INF_STYLE:
        return false;
    default:
        return true;
    }
}

enum CopyVerdict
{
    NOT_OURS,
    OURS,
    CANNOT_TELL,
};

// Whether the staged file is a copy of the package. A system that keeps no
// record of the original name answers the copy's own name (Wine does for
// oem<N>.inf); such a copy must also name the package's models section.
CopyVerdict judgeCopy(const Package& package, StagedCopy* copy, DWORD* error)
{
    CInfFile inf;
    if (inf.open(copy->path.c_str()) != SETUP_OK)
    {
        *error = inf.openError();
        const bool unknown = unknownWhenUnreadable(*error);
        traceLine(unknown ? TRACE_UNREADABLE : TRACE_NO_INF, copy->name.c_str(), *error);
        return unknown ? CANNOT_TELL : NOT_OURS;
    }
    const std::wstring original = fileNameOf(text(inf.originalName()));
    InfIdentity found;
    readIdentity(inf, &found);
    const bool named = sameText(original, package.fileName);
    const bool unrecorded =
        sameText(original, copy->name) && sameText(found.models, package.identity.models);
    const bool ours = (named || unrecorded) &&
                      sameText(found.provider, package.identity.provider) &&
                      sameText(found.classGuid, package.identity.classGuid);
    traceLine(TRACE_CANDIDATE, copy->name.c_str(), original.c_str(), found.provider.c_str(),
              found.classGuid.c_str(), found.models.c_str(), ours ? TRACE_OURS : TRACE_NOT_OURS);
    copy->driverVersion = found.driverVersion;
    return ours ? OURS : NOT_OURS;
}

// The InfPath value of the device's driver key; empty without a driver.
std::wstring driverInfName(HDEVINFO set, SP_DEVINFO_DATA* device)
{
    const HKEY opened = g_kvr7ctlApi.SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0,
                                                          DIREG_DRV, KEY_QUERY_VALUE);
    // The call fails with INVALID_HANDLE_VALUE, which no owner holds.
    UniqueRegistryKey key(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    if (!key.valid())
        return std::wstring();
    // Sized from the value's own answer; a value that grew in between reads as
    // none.
    DWORD size = 0;
    DWORD type = 0;
    if (g_kvr7ctlApi.RegQueryValueExW(key.get(), L"InfPath", nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    std::vector<wchar_t> value(size / sizeof(wchar_t) + 1);
    if (g_kvr7ctlApi.RegQueryValueExW(key.get(), L"InfPath", nullptr, &type,
                                      reinterpret_cast<LPBYTE>(value.data()),
                                      &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    return std::wstring(value.data(), wcsnlen(value.data(), size / sizeof(wchar_t)));
}

bool restartPending(const PackageDevice& device, const std::wstring& copyName)
{
    ULONG status = 0;
    ULONG problem = 0;
    const CONFIGRET answer =
        g_kvr7ctlApi.CM_Get_DevNode_Status(&status, &problem, device.data.DevInst, 0);
    traceLine(TRACE_DEVICE_STATE, device.instanceId.c_str(), copyName.c_str(), status, problem,
              answer);
    return answer == CR_SUCCESS && waitsForRestart(status, problem);
}

// Appends the items of the device's REG_MULTI_SZ `property` (hardware or
// compatible IDs). A property never set (ERROR_INVALID_DATA, as Wine answers
// for compatible IDs) holds none; any other failure is one.
bool appendDeviceIds(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property,
                     std::vector<std::wstring>* ids, DWORD* error)
{
    DWORD size = 0;
    if (!g_kvr7ctlApi.SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr, nullptr, 0,
                                                        &size))
    {
        *error = GetLastError();
        if (*error != ERROR_INSUFFICIENT_BUFFER)
            return *error == ERROR_INVALID_DATA;
    }
    // Two units more than asked for, zero: the list ends even when the value
    // lacks its own terminators.
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2);
    if (size > 0 &&
        !g_kvr7ctlApi.SetupDiGetDeviceRegistryPropertyW(
            set, device, property, nullptr, reinterpret_cast<PBYTE>(list.data()), size, nullptr))
    {
        *error = GetLastError();
        return *error == ERROR_INVALID_DATA;
    }
    for (const wchar_t* item = list.data(); *item != L'\0'; item += wcslen(item) + 1)
        ids->push_back(item);
    return true;
}

} // namespace

std::wstring instanceIdOf(HDEVINFO set, SP_DEVINFO_DATA* device)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!g_kvr7ctlApi.SetupDiGetDeviceInstanceIdW(set, device, id, MAX_DEVICE_ID_LEN + 1, nullptr))
        return std::wstring();
    return id;
}

bool forEachPresentDevice(const std::function<bool(HDEVINFO, SP_DEVINFO_DATA*)>& visit,
                          DWORD* error)
{
    UniqueDeviceSet set(g_kvr7ctlApi.SetupDiGetClassDevsW(nullptr, nullptr, nullptr,
                                                          DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!set.valid())
    {
        *error = GetLastError();
        return false;
    }
    for (DWORD index = 0;; ++index)
    {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!g_kvr7ctlApi.SetupDiEnumDeviceInfo(set.get(), index, &device))
        {
            *error = GetLastError();
            return *error == ERROR_NO_MORE_ITEMS;
        }
        if (!visit(set.get(), &device))
            return false;
    }
}

bool waitsForRestart(ULONG status, ULONG problem)
{
    return (status & DN_NEED_RESTART) ||
           ((status & DN_HAS_PROBLEM) && problem == CM_PROB_NEED_RESTART);
}

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
        DWORD error = 0;
        if (!fullPath(inf, &package->infPath, &error))
            return reportFailure(STEP_PACKAGE, error);
    }
    package->fileName = fileNameOf(package->infPath);
    // A staged copy names the package only by what it has in common with the
    // package's own INF; the IDs and the copies must come from that INF.
    std::wstring stagedFolder;
    DWORD error = 0;
    if (!systemInfFolder(&stagedFolder, &error))
        return reportFailure(STEP_PACKAGE, error);
    const uint64_t start = fileNameStart(package->infPath.c_str(), package->infPath.size());
    if (start > 0 &&
        sameText(package->infPath.substr(0, static_cast<size_t>(start - 1)), stagedFolder))
        return reportRefusal(TEXT_CTL_STAGED_INF, STEP_COMMAND, ERROR_INVALID_PARAMETER,
                             KVR7CTL_BAD_COMMAND);
    report(REPORT_INF, package->infPath);
    CInfFile file;
    if (file.open(package->infPath.c_str()) != SETUP_OK)
        return reportFailure(STEP_PACKAGE, file.openError());
    readIdentity(file, &package->identity);
    // The IDs as the installer collects them, each once.
    CWStrArray sections;
    CWStrArray ids;
    SetupStatus read = file.findModelsSections(sections);
    for (uint64_t i = 0; i < sections.count() && read != SETUP_OUT_OF_MEMORY; ++i)
        read = file.findHardwareIds(sections[i], ids);
    if (read == SETUP_OUT_OF_MEMORY)
        return reportFailure(STEP_PACKAGE, ERROR_NOT_ENOUGH_MEMORY);
    for (uint64_t i = 0; i < ids.count(); ++i)
    {
        const std::wstring id = text(ids[i]);
        if (std::none_of(package->ids.begin(), package->ids.end(),
                         [&id](const std::wstring& known) { return sameText(known, id); }))
            package->ids.push_back(id);
    }
    traceLine(TRACE_PACKAGE, package->fileName.c_str(), package->identity.provider.c_str(),
              package->identity.classGuid.c_str(), package->identity.models.c_str());
    if (package->identity.provider.empty() || package->identity.classGuid.empty())
        return reportFailure(STEP_PACKAGE, ERROR_INVALID_DATA);
    return KVR7CTL_DONE;
}

bool findCopies(const Package& package, std::vector<StagedCopy>* copies, std::wstring* step,
                DWORD* error)
{
    copies->clear();
    *step = STEP_SEARCH;
    std::wstring folder;
    if (!systemInfFolder(&folder, error))
        return false;
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
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !mayBeCopy(copy.name, package))
            continue;
        const CopyVerdict verdict = judgeCopy(package, &copy, error);
        if (verdict == CANNOT_TELL)
        {
            *step = STEP_UNREADABLE + copy.name;
            return false;
        }
        if (verdict == OURS)
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
        device.instanceId = instanceIdOf(set->get(), &device.data);
        device.restartPending = restartPending(device, copies[device.copy].name);
        devices->push_back(device);
    }
}

int refuseUnlessAdministrator(const wchar_t* refusal)
{
    bool administrator = false;
    if (!checkAdministrator(g_kvr7ctlApi.CheckTokenMembership, &administrator))
        return reportFailure(STEP_ADMIN, GetLastError());
    if (!administrator)
        // The exit code is the Win32 error ERROR_ELEVATION_REQUIRED itself.
        return reportRefusal(refusal, STEP_ADMIN, KVR7CTL_NOT_ADMIN, KVR7CTL_NOT_ADMIN);
    return KVR7CTL_DONE;
}

bool findBoards(const Package& package, const std::vector<StagedCopy>& copies,
                std::vector<Board>* boards, std::wstring* step, DWORD* error)
{
    boards->clear();
    *step = STEP_BOARDS;
    std::wstring folder;
    if (!systemInfFolder(&folder, error))
        return false;
    return forEachPresentDevice(
        [&](HDEVINFO set, SP_DEVINFO_DATA* data) {
            Board board;
            board.instanceId = instanceIdOf(set, data);
            std::vector<std::wstring> ids;
            if (!appendDeviceIds(set, data, SPDRP_HARDWAREID, &ids, error) ||
                !appendDeviceIds(set, data, SPDRP_COMPATIBLEIDS, &ids, error))
            {
                *step = STEP_BOARD_IDS + board.instanceId;
                return false;
            }
            const auto matched =
                std::find_if(ids.begin(), ids.end(), [&package](const std::wstring& id) {
                    return std::any_of(
                        package.ids.begin(), package.ids.end(),
                        [&id](const std::wstring& ours) { return sameText(ours, id); });
                });
            if (matched == ids.end())
                return true;
            board.matchedId = *matched;
            board.ids = ids;
            board.driver = driverInfName(set, data);
            board.ours =
                std::any_of(copies.begin(), copies.end(), [&board](const StagedCopy& copy) {
                    return !board.driver.empty() && sameText(copy.name, board.driver);
                });
            CInfFile published;
            if (!board.driver.empty() &&
                published.open((folder + L"\\" + fileNameOf(board.driver)).c_str()) == SETUP_OK)
            {
                InfIdentity identity;
                readIdentity(published, &identity);
                board.provider = identity.provider;
                board.driverVersion = identity.driverVersion;
            }
            const CONFIGRET answer =
                g_kvr7ctlApi.CM_Get_DevNode_Status(&board.status, &board.problem, data->DevInst, 0);
            traceLine(TRACE_BOARD, board.instanceId.c_str(), board.matchedId.c_str(),
                      board.driver.c_str(), board.status, board.problem, answer);
            if (answer != CR_SUCCESS)
            {
                // The configuration manager's answer is in the trace line above.
                *step = STEP_BOARD_STATE + board.instanceId;
                *error = ERROR_GEN_FAILURE;
                return false;
            }
            boards->push_back(board);
            return true;
        },
        error);
}
