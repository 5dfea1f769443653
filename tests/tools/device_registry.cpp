// device_registry.cpp
// The device-registration calls of the Setup API, each device information set
// held by a small owner.

#include "tests/tools/device_registry.h"

#include "console/tool_text.h"

#include "base/unique_handle.h"

#include <objbase.h>
#include <cfgmgr32.h>
#include <setupapi.h>

namespace {

// {4d36e97e-e325-11ce-bfc1-08002be10318}: devices of no other class.
const GUID UNKNOWN_CLASS = {
    0x4d36e97e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// A device information set.
struct DeviceInfoSetTraits
{
    typedef HDEVINFO Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle set) { SetupDiDestroyDeviceInfoList(set); }
};
typedef UniqueHandle<DeviceInfoSetTraits> DeviceInfoSet;

// SetupDiOpenDevRegKey fails with INVALID_HANDLE_VALUE, which no owner holds.
HKEY openedKey(HKEY key)
{
    return key == INVALID_HANDLE_VALUE ? nullptr : key;
}

// A registry property as raw UTF-16 units (NULs kept); empty when not set.
std::wstring rawProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr, nullptr, 0, &size);
    if (size < sizeof(wchar_t))
        return std::wstring();
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr,
                                           reinterpret_cast<BYTE*>(&buffer[0]), size, nullptr))
        return std::wstring();
    buffer.resize(size / sizeof(wchar_t));
    return buffer;
}

std::wstring textProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property)
{
    std::wstring raw = rawProperty(set, device, property);
    return raw.substr(0, raw.find(L'\0'));
}

std::vector<std::wstring> multiProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property)
{
    const std::wstring raw = rawProperty(set, device, property);
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start < raw.size())
    {
        size_t end = raw.find(L'\0', start);
        if (end == std::wstring::npos)
            end = raw.size();
        if (end == start)
            break; // the empty item that ends the list
        items.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::wstring keyText(HKEY key, const wchar_t* name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size < sizeof(wchar_t))
        return std::wstring();
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    return buffer.substr(0, buffer.find(L'\0'));
}

std::wstring valueText(DWORD type, const BYTE* data, DWORD size)
{
    static const wchar_t DIGITS[] = L"0123456789abcdef";
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
    {
        std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        for (wchar_t& c : text)
        {
            if (c == L'\0')
                c = L';';
        }
        return text;
    }
    if (type == REG_DWORD && size == sizeof(DWORD))
        return decimal(*reinterpret_cast<const DWORD*>(data));
    if (type == REG_QWORD && size == sizeof(ULONGLONG))
        return decimal(static_cast<long long>(*reinterpret_cast<const ULONGLONG*>(data)));
    std::wstring text;
    for (DWORD i = 0; i < size; ++i)
    {
        text += DIGITS[data[i] >> 4];
        text += DIGITS[data[i] & 15];
    }
    return text;
}

std::vector<std::pair<std::wstring, std::wstring>> allValues(HKEY key)
{
    std::vector<std::pair<std::wstring, std::wstring>> values;
    DWORD nameRoom = 0, dataRoom = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameRoom, &dataRoom, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(nameRoom + 1);
    std::vector<BYTE> data(dataRoom + sizeof(wchar_t));
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        values.emplace_back(std::wstring(name.data(), nameLength),
                            valueText(type, data.data(), dataSize));
    }
    return values;
}

bool hasHardwareId(const std::vector<std::wstring>& ids, const std::wstring& hardwareId)
{
    for (const std::wstring& id : ids)
    {
        if (CompareStringOrdinal(id.c_str(), static_cast<int>(id.size()), hardwareId.c_str(),
                                 static_cast<int>(hardwareId.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::wstring joined(const std::vector<std::wstring>& items)
{
    std::wstring result;
    for (size_t i = 0; i < items.size(); ++i)
        result += (i ? L";" : L"") + items[i];
    return result;
}

std::wstring instanceIdOf(HDEVINFO set, SP_DEVINFO_DATA* device)
{
    wchar_t buffer[MAX_DEVICE_ID_LEN + 1] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, device, buffer, MAX_DEVICE_ID_LEN + 1, nullptr))
        return std::wstring();
    return buffer;
}

} // namespace

bool classFromText(const std::wstring& text, GUID* classGuid, DWORD* error)
{
    if (text.empty())
    {
        *classGuid = UNKNOWN_CLASS;
        return true;
    }
    if (text[0] == L'{')
    {
        std::wstring copy = text;
        if (CLSIDFromString(&copy[0], classGuid) == NOERROR)
            return true;
        *error = ERROR_INVALID_CLASS;
        return false;
    }
    DWORD count = 0;
    GUID found = {};
    if (SetupDiClassGuidsFromNameW(text.c_str(), &found, 1, &count) && count >= 1)
    {
        *classGuid = found;
        return true;
    }
    *error = ERROR_INVALID_CLASS;
    return false;
}

std::wstring deviceNameFor(const std::wstring& hardwareId)
{
    const size_t slash = hardwareId.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? hardwareId : hardwareId.substr(slash + 1);
    for (wchar_t& c : name)
    {
        const bool keep = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                          (c >= L'0' && c <= L'9') || c == L'_' || c == L'-';
        if (!keep)
            c = L'_';
    }
    return name;
}

bool registerDevice(const std::wstring& hardwareId, const GUID& classGuid, std::wstring* instanceId,
                    DWORD* error)
{
    const std::wstring name = deviceNameFor(hardwareId);
    if (hardwareId.empty() || name.empty())
    {
        *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    DeviceInfoSet set(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
    if (!set.valid())
    {
        *error = GetLastError();
        return false;
    }
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    if (!SetupDiCreateDeviceInfoW(set.get(), name.c_str(), &classGuid, nullptr, nullptr,
                                  DICD_GENERATE_ID, &device))
    {
        *error = GetLastError();
        return false;
    }
    // REG_MULTI_SZ: the one ID, its NUL, and the NUL that ends the list.
    std::wstring ids = hardwareId;
    ids.push_back(L'\0');
    ids.push_back(L'\0');
    if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(ids.data()),
                                           static_cast<DWORD>(ids.size() * sizeof(wchar_t))) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device))
    {
        *error = GetLastError();
        // The element was never registered (or only half): drop it with the set.
        return false;
    }
    *instanceId = instanceIdOf(set.get(), &device);
    return true;
}

bool findDevices(const std::wstring& hardwareId, bool includeAbsent,
                 std::vector<DeviceRecord>* devices, DWORD* error)
{
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr,
                                           DIGCF_ALLCLASSES | (includeAbsent ? 0 : DIGCF_PRESENT)));
    if (!set.valid())
    {
        *error = GetLastError();
        return false;
    }
    devices->clear();
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &device); ++index)
    {
        const std::vector<std::wstring> ids = multiProperty(set.get(), &device, SPDRP_HARDWAREID);
        if (!hasHardwareId(ids, hardwareId))
            continue;
        DeviceRecord record;
        record.instanceId = instanceIdOf(set.get(), &device);
        record.hardwareIds = joined(ids);
        record.classGuid = textProperty(set.get(), &device, SPDRP_CLASSGUID);
        record.className = textProperty(set.get(), &device, SPDRP_CLASS);
        record.description = textProperty(set.get(), &device, SPDRP_DEVICEDESC);
        record.driverKey = textProperty(set.get(), &device, SPDRP_DRIVER);
        if (!record.driverKey.empty())
        {
            UniqueRegistryKey key(openedKey(SetupDiOpenDevRegKey(
                set.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ)));
            if (key.valid())
            {
                record.infPath = keyText(key.get(), L"InfPath");
                record.infSection = keyText(key.get(), L"InfSection");
                record.driverDesc = keyText(key.get(), L"DriverDesc");
                record.providerName = keyText(key.get(), L"ProviderName");
                record.driverVersion = keyText(key.get(), L"DriverVersion");
                record.driverDate = keyText(key.get(), L"DriverDate");
                record.matchingDeviceId = keyText(key.get(), L"MatchingDeviceId");
                record.driverValues = allValues(key.get());
            }
        }
        devices->push_back(record);
    }
    const DWORD last = GetLastError();
    if (last != ERROR_NO_MORE_ITEMS)
    {
        *error = last;
        return false;
    }
    return true;
}

bool removeDevices(const std::wstring& hardwareId, std::vector<std::wstring>* removed, DWORD* error)
{
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    if (!set.valid())
    {
        *error = GetLastError();
        return false;
    }
    removed->clear();
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &device); ++index)
    {
        if (!hasHardwareId(multiProperty(set.get(), &device, SPDRP_HARDWAREID), hardwareId))
            continue;
        const std::wstring instanceId = instanceIdOf(set.get(), &device);
        if (!SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device))
        {
            *error = GetLastError();
            return false;
        }
        removed->push_back(instanceId);
    }
    return true;
}
