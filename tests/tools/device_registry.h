// device_registry.h
// Root-enumerated virtual devices for tests and demos: registers one with a
// given hardware ID, finds the devices that carry a hardware ID (with the driver
// they got, read from their driver key), and removes them again.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct DeviceRecord
{
    std::wstring instanceId;
    std::wstring hardwareIds; // the REG_MULTI_SZ items joined by ";"
    std::wstring classGuid;   // SPDRP_CLASSGUID, empty when not set
    std::wstring className;   // SPDRP_CLASS
    std::wstring description; // SPDRP_DEVICEDESC
    std::wstring driverKey;   // SPDRP_DRIVER: empty until a driver is installed
    // Values of the driver key (empty when the key or the value is missing).
    std::wstring infPath;
    std::wstring infSection;
    std::wstring driverDesc;
    std::wstring providerName;
    std::wstring driverVersion;
    std::wstring driverDate;
    std::wstring matchingDeviceId;
    // Every value of the driver key as name and text, in the key's order (the
    // values above included, and those that the INF's AddReg wrote): strings as
    // they are, REG_MULTI_SZ items joined by ";", numbers in decimal, anything
    // else as hexadecimal bytes.
    std::vector<std::pair<std::wstring, std::wstring>> driverValues;
};

// Reads a class as a "{GUID}" or as a class name known to the system. With no
// class (empty text) the class is the Unknown device class. False with
// ERROR_INVALID_CLASS when neither fits.
bool classFromText(const std::wstring& text, GUID* classGuid, DWORD* error);

// The device name part of the generated instance ID (ROOT\NAME\NNNN): the text
// after the hardware ID's last backslash, with every character other than
// letters, digits, "_" and "-" made "_".
std::wstring deviceNameFor(const std::wstring& hardwareId);

// Registers a new root-enumerated device of the class with `hardwareId` as its
// only hardware ID. Gives the new instance ID; false with the error otherwise.
bool registerDevice(const std::wstring& hardwareId, const GUID& classGuid, std::wstring* instanceId,
                    DWORD* error);

// The devices with `hardwareId` among their hardware IDs (compared without
// regard to case); only present ones unless `includeAbsent`.
bool findDevices(const std::wstring& hardwareId, bool includeAbsent,
                 std::vector<DeviceRecord>* devices, DWORD* error);

// Removes every device (present or not) with `hardwareId`; gives the instance IDs
// of the removed ones. False at the first device that cannot be removed.
bool removeDevices(const std::wstring& hardwareId, std::vector<std::wstring>* removed,
                   DWORD* error);
