// machine_registry.h
// StandInMachine: a key of its own under HKCU that stands for HKLM in the
// tests of what kvr7ctl reads from the machine's registry (the device
// installation policy, the records of a pending restart). Its fake
// RegOpenKeyExW sends every open below HKLM there; everything else, and every
// read of an opened key, stays the real registry. The key goes with the object.
#pragma once

#include <windows.h>

class StandInMachine
{
public:
    // Writes `policy`: entries separated by ";", each one of
    //   Name          the DWORD value Name = 1 under the policy's Restrictions key
    //   Name=Entry    the same, and Entry as value "1" of its list key Name
    //   \Path         the key HKLM\Path
    //   !             opening the Restrictions key is refused (access denied)
    explicit StandInMachine(const wchar_t* policy);
    ~StandInMachine();
    StandInMachine(const StandInMachine&) = delete;
    StandInMachine& operator=(const StandInMachine&) = delete;

    // The fake for the seam's RegOpenKeyExW, while an object lives.
    static LONG WINAPI open(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY opened);
};
