// device_policy.cpp
// Reading and judging the device installation restrictions. The rules, as
// Windows documents its administrative templates (DeviceInstallation.admx) and
// the DeviceInstallation policies of its management interface:
//
// - DenyDeviceIDs ("Prevent installation of devices that match any of these
//   device IDs"), Windows Vista and later: Windows does not install a device
//   one of whose hardware or compatible IDs is on the list. Without layering it
//   takes precedence over every allow rule.
// - DenyDeviceClasses ("Prevent installation of devices using drivers that
//   match these device setup classes"), Vista and later: the same for a driver
//   whose setup class GUID is on the list.
// - DenyInstanceIDs ("Prevent installation of devices that match any of these
//   device instance IDs"), Windows 10 1903 (build 18362) and later: the same for
//   a device whose instance ID is on the list.
// - AllowDeviceIDs, AllowDeviceClasses (Vista and later) and AllowInstanceIDs
//   (build 18362 and later) allow what they list unless a deny rule matches; on
//   their own they block nothing.
// - DenyUnspecified ("Prevent installation of devices not described by other
//   policy settings"), Vista and later: Windows does not install a device that
//   no allow rule describes.
// - AllowDenyLayered ("Apply layered order of evaluation for Allow and Prevent
//   device installation policies across all device match criteria"), Windows
//   10 1809 (build 17763, with that release's later updates) and later: the
//   most specific rule that matches decides, in this order: deny instance IDs,
//   allow instance IDs, deny device IDs, allow device IDs, deny classes, allow
//   classes. When it is set, DenyUnspecified is ignored. An 1809 without the
//   update that brought it judges classically, which this check cannot tell;
//   it then says more is allowed than Windows will allow.
// - DenyRemovableDevices concerns devices that report themselves removable;
//   the package's board is root-enumerated and it is not judged here.
// Each rule that takes a list is on when its DWORD value is not 0; its list is
// the values of the subkey of the same name (GPO writes "1", "2" ... as
// REG_SZ). IDs and instance IDs compare without regard to case, class GUIDs
// also without their braces.

#include "kvr7ctl/device_policy.h"

#include <wctype.h>

#include "base/trace.h"
#include "base/unique_handle.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/kvr7ctl_texts.h"
#include "kvr7ctl/package.h"

namespace {

enum MatchKind
{
    MATCH_INSTANCE,
    MATCH_IDS,
    MATCH_CLASS,
};

struct PolicyRule
{
    const wchar_t* name;
    bool deny;
    MatchKind kind;
    DWORD fromBuild; // of Windows 10; 0 for every Windows from Vista on
};

// In the layered order of evaluation.
const PolicyRule RULES[] = {
    {L"DenyInstanceIDs", true, MATCH_INSTANCE, 18362},
    {L"AllowInstanceIDs", false, MATCH_INSTANCE, 18362},
    {L"DenyDeviceIDs", true, MATCH_IDS, 0},
    {L"AllowDeviceIDs", false, MATCH_IDS, 0},
    {L"DenyDeviceClasses", true, MATCH_CLASS, 0},
    {L"AllowDeviceClasses", false, MATCH_CLASS, 0},
};
const size_t RULE_COUNT = sizeof(RULES) / sizeof(RULES[0]);
const DWORD LAYERED_FROM_BUILD = 17763;

// Value names are at most 16,383 characters.
const DWORD VALUE_NAME_UNITS = 16384;

bool atLeastBuild(const RTL_OSVERSIONINFOW& version, DWORD build)
{
    return build == 0 || (version.dwMajorVersion >= 10 && version.dwBuildNumber >= build);
}

// A DWORD value of the open key; 0 when it is not there or not a DWORD.
bool readSwitch(HKEY key, const wchar_t* name, bool* on, DWORD* error)
{
    DWORD value = 0, type = 0, size = sizeof(value);
    const LONG answer = g_kvr7ctlApi.RegQueryValueExW(key, name, nullptr, &type,
                                                      reinterpret_cast<LPBYTE>(&value), &size);
    if (answer != ERROR_SUCCESS && answer != ERROR_FILE_NOT_FOUND && answer != ERROR_MORE_DATA)
    {
        *error = static_cast<DWORD>(answer);
        return false;
    }
    *on = answer == ERROR_SUCCESS && type == REG_DWORD && value != 0;
    return true;
}

// The string values of the list key `name` under `parent`; none when it is not there.
bool readList(HKEY parent, const wchar_t* name, std::vector<PolicyEntry>* list, DWORD* error)
{
    HKEY opened = nullptr;
    LONG answer = g_kvr7ctlApi.RegOpenKeyExW(parent, name, 0, KEY_QUERY_VALUE, &opened);
    if (answer == ERROR_FILE_NOT_FOUND)
        return true;
    if (answer != ERROR_SUCCESS)
    {
        *error = static_cast<DWORD>(answer);
        return false;
    }
    UniqueRegistryKey key(opened);
    std::vector<wchar_t> valueName(VALUE_NAME_UNITS);
    std::vector<BYTE> data(256);
    for (DWORD index = 0;;)
    {
        DWORD nameUnits = VALUE_NAME_UNITS, type = 0, size = static_cast<DWORD>(data.size());
        answer = g_kvr7ctlApi.RegEnumValueW(key.get(), index, valueName.data(), &nameUnits, nullptr,
                                            &type, data.data(), &size);
        if (answer == ERROR_MORE_DATA && size > data.size())
        {
            data.resize(size); // the same index again, with room for its data
            continue;
        }
        if (answer == ERROR_NO_MORE_ITEMS)
            return true;
        if (answer != ERROR_SUCCESS)
        {
            *error = static_cast<DWORD>(answer);
            return false;
        }
        ++index;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        text.resize(wcslen(text.c_str())); // data need not end with a NUL; it may hold several
        list->push_back({std::wstring(valueName.data(), nameUnits), text});
    }
}

std::wstring withoutBraces(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t{");
    const size_t last = text.find_last_not_of(L" \t}");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, last - first + 1);
}

bool matches(MatchKind kind, const std::wstring& entry, const PolicySubject& subject)
{
    switch (kind)
    {
    case MATCH_INSTANCE:
        return !subject.instanceId.empty() && sameText(entry, subject.instanceId);
    case MATCH_IDS:
        for (const std::wstring& id : subject.ids)
            if (sameText(entry, id))
                return true;
        return false;
    case MATCH_CLASS:
        return sameText(withoutBraces(entry), withoutBraces(subject.classGuid));
    }
    return false;
}

// The first entry of rule `rule` that matches `subject`; null for none.
const PolicyEntry* matchingEntry(const DevicePolicy& policy, size_t rule,
                                 const PolicySubject& subject)
{
    if (!policy.on[rule])
        return nullptr;
    for (const PolicyEntry& entry : policy.lists[rule])
        if (matches(RULES[rule].kind, entry.data, subject))
            return &entry;
    return nullptr;
}

std::wstring policyValue(const wchar_t* rule, const std::wstring& entryName)
{
    std::wstring value = std::wstring(POLICY_KEY_SHOWN L"\\") + rule;
    return entryName.empty() ? value : value + L"\\" + entryName;
}

} // namespace

bool readDevicePolicy(DevicePolicy* policy, DWORD* error)
{
    *policy = DevicePolicy();
    policy->on.assign(RULE_COUNT, false);
    policy->lists.assign(RULE_COUNT, std::vector<PolicyEntry>());
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    const LONG versionAnswer = g_kvr7ctlApi.RtlGetVersion(&version);
    if (versionAnswer != 0)
    {
        *error = static_cast<DWORD>(versionAnswer);
        return false;
    }
    // Windows before Vista has none of these policies.
    if (version.dwMajorVersion >= 6)
    {
        HKEY opened = nullptr;
        const LONG answer =
            g_kvr7ctlApi.RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_READ, &opened);
        if (answer != ERROR_SUCCESS && answer != ERROR_FILE_NOT_FOUND)
        {
            *error = static_cast<DWORD>(answer);
            return false;
        }
        UniqueRegistryKey key(answer == ERROR_SUCCESS ? opened : nullptr);
        bool layered = false;
        for (size_t rule = 0; key.valid() && rule < RULE_COUNT; ++rule)
        {
            bool on = false;
            if (!atLeastBuild(version, RULES[rule].fromBuild))
                continue;
            if (!readSwitch(key.get(), RULES[rule].name, &on, error) ||
                (on && !readList(key.get(), RULES[rule].name, &policy->lists[rule], error)))
                return false;
            policy->on[rule] = on;
        }
        if (key.valid() &&
            (!readSwitch(key.get(), L"DenyUnspecified", &policy->denyUnspecified, error) ||
             (atLeastBuild(version, LAYERED_FROM_BUILD) &&
              !readSwitch(key.get(), L"AllowDenyLayered", &layered, error))))
            return false;
        policy->order = layered ? POLICY_LAYERED : POLICY_CLASSIC;
    }
    traceLine(TRACE_POLICY, version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
              policyOrderName(policy->order));
    return true;
}

void findRestrictions(const DevicePolicy& policy, const PolicySubject& subject,
                      std::vector<Restriction>* found)
{
    if (policy.order == POLICY_NONE)
        return;
    if (policy.order == POLICY_LAYERED)
    {
        for (size_t rule = 0; rule < RULE_COUNT; ++rule)
        {
            if (const PolicyEntry* entry = matchingEntry(policy, rule, subject))
            {
                if (RULES[rule].deny)
                    found->push_back({RULES[rule].name, policyValue(RULES[rule].name, entry->name),
                                      entry->data, subject.name});
                return;
            }
        }
        return;
    }
    bool allowed = false;
    for (size_t rule = 0; rule < RULE_COUNT; ++rule)
    {
        const PolicyEntry* entry = matchingEntry(policy, rule, subject);
        if (entry && RULES[rule].deny)
            found->push_back({RULES[rule].name, policyValue(RULES[rule].name, entry->name),
                              entry->data, subject.name});
        allowed = allowed || (entry && !RULES[rule].deny);
    }
    if (policy.denyUnspecified && !allowed)
        found->push_back(
            {L"DenyUnspecified", policyValue(L"DenyUnspecified", L""), L"1", subject.name});
}

const wchar_t* policyOrderName(PolicyOrder order)
{
    return order == POLICY_LAYERED   ? POLICY_ORDER_LAYERED
           : order == POLICY_CLASSIC ? POLICY_ORDER_CLASSIC
                                     : POLICY_ORDER_NONE;
}
