// system_folders.h
// Where the test programs and the system keep their files: the running test
// program's own folder, the system INF folder, and the copies that staging a
// driver package leaves in it.
#pragma once

#include <string>
#include <vector>

// The folder of the running program, without a final backslash.
std::wstring ownFolder();

// The system INF folder (the Windows folder's "inf").
std::wstring systemInfFolder();

// Names (without folder) of the INF files in the system INF folder whose bytes
// are `content`: the staged copies of that package, whatever they were named.
std::vector<std::wstring> stagedCopies(const std::string& content);
