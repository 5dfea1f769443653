// device_policy.h
// The device installation restrictions that Group Policy writes under
// HKLM\SOFTWARE\Policies\Microsoft\Windows\DeviceInstall\Restrictions, read
// through kvr7ctl's seam and judged by the rules of the running Windows: which
// of them would make Windows refuse to install the package for a device
// (the platform's answer would be 0xE0000248). Windows enforces these itself;
// kvr7ctl only says so before anything is changed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a restriction is judged against: the package before any device has it
// (its IDs, no instance ID), or one present board.
struct PolicySubject
{
    std::wstring name;             // REPORT_FOR_PACKAGE, or the board's instance ID
    std::vector<std::wstring> ids; // hardware and compatible IDs
    std::wstring instanceId;       // empty for the package
    std::wstring classGuid;        // the setup class the package installs into
};

// One restriction that applies: the policy, the registry value that matched (in
// full, as the administrator finds it) and that value's data.
struct Restriction
{
    std::wstring rule;
    std::wstring value;
    std::wstring entry;
    std::wstring subject;
};

enum PolicyOrder
{
    POLICY_NONE,    // Windows before Vista: no such policies
    POLICY_CLASSIC, // every matching deny rule applies; DenyUnspecified with the allow lists
    POLICY_LAYERED, // AllowDenyLayered: the most specific matching rule decides
};

// One list entry of a rule: the value's name in the list's key and its data.
struct PolicyEntry
{
    std::wstring name;
    std::wstring data;
};

// The policy as read: per rule of the running Windows whether it is on and its
// list (in the order of the rule table in device_policy.cpp).
struct DevicePolicy
{
    PolicyOrder order = POLICY_NONE;
    bool denyUnspecified = false;
    std::vector<bool> on;
    std::vector<std::vector<PolicyEntry>> lists;
};

// Reads the policy through the seam for the Windows version that RtlGetVersion
// reports (the program's manifest makes GetVersionExW answer 6.2 on later
// versions). A policy key that is not there is no restriction; any other
// failed read gives false and its error.
bool readDevicePolicy(DevicePolicy* policy, DWORD* error);

// Appends every restriction that applies to `subject`.
void findRestrictions(const DevicePolicy& policy, const PolicySubject& subject,
                      std::vector<Restriction>* found);

// The policy order's name for the report.
const wchar_t* policyOrderName(PolicyOrder order);
