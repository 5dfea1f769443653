// path.cpp
// The one path split of the installer.

#include "base/path.h"

void splitPath(const CWStr& path, CWStr& dir, CWStr& filename)
{
    const wchar_t* text = path.c_str();
    for (uint64_t k = path.length(); k > 0; --k)
    {
        if (text[k - 1] == L'\\')
        {
            CWStr before = path.substr(0, k - 1);
            filename = path.substr(k, path.length() - k);
            dir = before;
            return;
        }
    }
    CWStr whole = path;
    dir = CWStr();
    filename = whole;
}
