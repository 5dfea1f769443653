// path.h
// Cutting a Windows path into its folder and its file name.
#pragma once

#include <cstdint>

#include "base/wstr.h"

// Where the file name of `path` (`length` units) begins: just after its last
// backslash, or 0 without one. A forward slash is not a separator.
uint64_t fileNameStart(const wchar_t* path, uint64_t length);

// Cuts `path` at its last backslash: `dir` gets what is before it, `filename`
// what is after it. Without a backslash, `dir` is empty and `filename` is the
// whole path.
void splitPath(const CWStr& path, CWStr& dir, CWStr& filename);
