// path.h
// Cutting a Windows path into its folder and its file name.
#pragma once

#include "base/wstr.h"

// Cuts `path` at its last backslash: `dir` gets what is before it, `filename`
// what is after it. Without a backslash, `dir` is empty and `filename` is the
// whole path. A forward slash is not a separator.
void splitPath(const CWStr& path, CWStr& dir, CWStr& filename);
