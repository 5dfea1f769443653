// path.cpp
// The one path split of the system.

#include "base/path.h"

uint64_t fileNameStart(const wchar_t* path, uint64_t length)
{
    for (uint64_t k = length; k > 0; --k)
    {
        if (path[k - 1] == L'\\')
            return k;
    }
    return 0;
}

void splitPath(const CWStr& path, CWStr& dir, CWStr& filename)
{
    const uint64_t start = fileNameStart(path.c_str(), path.length());
    // Both parts are made before either output changes: `path` may be one of them.
    CWStr before = start > 0 ? path.substr(0, start - 1) : CWStr();
    CWStr after = path.substr(start, path.length() - start);
    dir = before;
    filename = after;
}
