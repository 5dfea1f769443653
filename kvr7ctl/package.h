// package.h
// What the verbs share: the package's identity and IDs, read from its own INF
// or from a staged copy; the search of the system INF folder for the staged
// copies of the package; the devices whose driver comes from those copies; the
// present boards that the package is meant for, whatever driver they run; and
// the administrator check.
// A staged copy is a file of the system INF folder named oem<N>.inf (or, as Wine
// names a first copy, like the package's INF) whose original name, Provider and
// ClassGuid are the package's. Every platform call goes through g_kvr7ctlApi
// (kvr7ctl/kvr7ctl_platform.h).
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <functional>
#include <string>
#include <vector>

#include "kvr7ctl/kvr7ctl_platform.h"

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
    std::wstring programFolder; // kvr7ctl.exe's own folder, the installer's too
    std::wstring infPath;
    std::wstring fileName;
    InfIdentity identity;
    // The hardware and compatible IDs of the models sections chosen for this
    // system, as the installer collects them: each once, in the INF reader's order.
    std::vector<std::wstring> ids;
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

// A present device whose hardware or compatible IDs hold one of the package's.
struct Board
{
    std::wstring instanceId;
    std::vector<std::wstring> ids; // its hardware IDs, then its compatible IDs
    std::wstring matchedId;        // its first hardware, then compatible ID that is the package's
    std::wstring driver;           // the published INF of its driver (InfPath); empty for none
    std::wstring provider;         // read from that INF; empty when it cannot be read
    std::wstring driverVersion;    // likewise
    bool ours = false;             // the driver is one of the package's staged copies
    ULONG status = 0;              // the configuration manager's DN_* flags
    ULONG problem = 0;             // and CM_PROB_* code
};

// Calls `visit` with each present device, in the platform's order, until it
// answers false. False with the platform's error when the device list cannot
// be had or read; false when `visit` answered false, having set `error` itself.
bool forEachPresentDevice(const std::function<bool(HDEVINFO set, SP_DEVINFO_DATA* device)>& visit,
                          DWORD* error);

// The device's instance ID; empty when it cannot be read.
std::wstring instanceIdOf(HDEVINFO set, SP_DEVINFO_DATA* device);

// Whether a device state (CM_Get_DevNode_Status's flags and problem) says that
// the device waits for a restart.
bool waitsForRestart(ULONG status, ULONG problem);

// Names, IDs and verbs compare without regard to case.
bool sameText(const std::wstring& a, const std::wstring& b);

// The package of `inf` (a path as typed; a relative one is taken from the
// current folder), or KVR7CTL_DEFAULT_INF in `ownFolder` when `inf` is empty.
// Reports `inf=` and gives KVR7CTL_DONE with the package read; otherwise the
// report is ended and its exit code given.
int readPackage(const std::wstring& inf, const std::wstring& ownFolder, Package* package);

// Every staged copy of the package in the system INF folder. A candidate that
// cannot be read (held open without sharing, access denied) may be a copy: the
// search then fails with it as the step, never taking it for another package's.
// On failure, `step` and `error` say what to report.
bool findCopies(const Package& package, std::vector<StagedCopy>* copies, std::wstring* step,
                DWORD* error);

// Every device, present or not, whose driver comes from one of the copies, in
// the device set `set` (which the devices' data refer to).
bool findDevices(const std::vector<StagedCopy>& copies, UniqueDeviceSet* set,
                 std::vector<PackageDevice>* devices, DWORD* error);

// KVR7CTL_DONE when this process has administrator rights; otherwise the
// report is ended (with `refusal` said when it has not) and its exit code given.
int refuseUnlessAdministrator(const wchar_t* refusal);

// Every present device that carries one of the package's IDs, with its driver
// (a copy of the package or not) and its state. Fails, with `step` and `error`,
// when the device list, a device's IDs or a board's state cannot be read.
bool findBoards(const Package& package, const std::vector<StagedCopy>& copies,
                std::vector<Board>* boards, std::wstring* step, DWORD* error);
