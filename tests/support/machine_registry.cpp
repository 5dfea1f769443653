// machine_registry.cpp
// The stand-in for HKLM: HKCU\Software\KVR7 tests\HKLM.

#include "tests/support/machine_registry.h"

#include <string>

namespace {

const wchar_t ROOT[] = L"Software\\KVR7 tests\\HKLM";
const wchar_t RESTRICTIONS[] =
    L"\\SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall\\Restrictions";

void setValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
              DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (ROOT + path).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (name)
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// Name, or Name=Entry: the policy switched on, with Entry in its list.
void setPolicy(const std::wstring& item)
{
    const size_t equals = item.find(L'=');
    const std::wstring name = item.substr(0, equals);
    const DWORD on = 1;
    setValue(RESTRICTIONS, name.c_str(), REG_DWORD, &on, sizeof(on));
    if (equals == std::wstring::npos)
        return;
    const std::wstring entry = item.substr(equals + 1);
    setValue(RESTRICTIONS + (L"\\" + name), L"1", REG_SZ, entry.c_str(),
             static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t)));
}

bool g_refused = false;

} // namespace

StandInMachine::StandInMachine(const wchar_t* policy)
{
    g_refused = false;
    RegDeleteTreeW(HKEY_CURRENT_USER, ROOT);
    setValue(std::wstring(), nullptr, 0, nullptr, 0);
    const std::wstring text = policy;
    for (size_t start = 0; start < text.size();)
    {
        size_t end = text.find(L';', start);
        end = end == std::wstring::npos ? text.size() : end;
        const std::wstring item = text.substr(start, end - start);
        start = end + 1;
        if (item == L"!")
            g_refused = true;
        else if (item[0] == L'\\')
            setValue(item, nullptr, 0, nullptr, 0);
        else
            setPolicy(item);
    }
}

StandInMachine::~StandInMachine()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KVR7 tests");
    g_refused = false;
}

LONG WINAPI StandInMachine::open(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access,
                                 PHKEY opened)
{
    if (key != HKEY_LOCAL_MACHINE)
        return RegOpenKeyExW(key, subKey, options, access, opened);
    if (g_refused && std::wstring(L"\\") + subKey == RESTRICTIONS)
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(ROOT) + L"\\" + subKey).c_str(), options,
                         access, opened);
}
