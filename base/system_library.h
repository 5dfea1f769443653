// system_library.h
// The platform's own libraries, taken from the system folder only. An elevated
// program must never pick up a library of a system name from its own folder,
// the current folder or PATH, so the programs import by name only the libraries
// that Windows always maps from the system folder (kernel32, user32, gdi32 and
// the C runtime) and load every other one here, by its full path in the system
// folder, when it is first needed. Loaded libraries stay until process exit:
// the common controls' window classes live in theirs.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"

// The loader calls go through the loader seam, the lookups of optional kernel32
// entries through the base seam (base/base_platform.h).

// GetProcAddress hands back a generic pointer; going through void(*)() makes the
// conversion to the entry point's real type a plain cast.
template <typename Function> Function entryPoint(FARPROC found)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// An entry point of kernel32 that older Windows versions may lack (kernel32 is
// always loaded); null when it is missing.
FARPROC findKernelEntry(const char* name);
template <typename Function> Function kernelEntry(const char* name)
{
    return entryPoint<Function>(findKernelEntry(name));
}

// An entry point of a library that the program loaded itself by its full path
// (with fullPathLoadFlags); null with the loader's error when it is missing.
FARPROC findLibraryEntry(HMODULE module, const char* name);
template <typename Function> Function libraryEntry(HMODULE module, const char* name)
{
    return entryPoint<Function>(findLibraryEntry(module, name));
}

// Narrows the process's library search, first thing at start-up: the current
// folder leaves it (SetDllDirectoryW(""), Windows XP SP1 and later), and where
// Windows can restrict it (SetDefaultDllDirectories: Windows 8 and later, Vista
// and 7 with update KB2533623) only the system folder is searched. Both calls
// are looked up by name; a Windows that lacks them keeps its own order.
void restrictLibrarySearch();

// The LoadLibraryExW flags for a library loaded by its full path: its own
// dependencies come from its folder and the system folder only
// (LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32) where
// Windows has those flags, else the search starts in its folder
// (LOAD_WITH_ALTERED_SEARCH_PATH).
DWORD fullPathLoadFlags();

// One library of the system folder, by file name ("newdev.dll"), loaded on
// first use and released at process exit. Objects are meant to be globals.
class SystemLibrary
{
public:
    constexpr explicit SystemLibrary(const wchar_t* fileName) : m_fileName(fileName), m_module() {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The named entry point; null with a nonzero last error when the library
    // cannot be loaded (tried again on the next call) or lacks the entry.
    FARPROC entry(const char* name);

private:
    const wchar_t* m_fileName;
    UniqueModule m_module; // kept until process exit
};

// One entry point of a SystemLibrary with its real type, kept once found.
template <typename Function> class SystemEntry
{
public:
    constexpr SystemEntry(SystemLibrary& library, const char* name)
        : m_library(library), m_name(name), m_function()
    {
    }

    // The entry point; null with a nonzero last error as SystemLibrary::entry.
    Function get()
    {
        if (!m_function)
            m_function = entryPoint<Function>(m_library.entry(m_name));
        return m_function;
    }

private:
    SystemLibrary& m_library;
    const char* m_name;
    Function m_function;
};
