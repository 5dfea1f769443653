// restart_pending.cpp
// A stand-in for kvr7ctl.exe in a copy of the release package: whatever it is
// asked, it reports as `kvr7ctl deploy` (and `status`) do when the driver was
// installed and a device of the package waits for a restart (3010), on
// standard output and in its trace. Wine never reports a pending restart, so
// this is how deploy.cmd's and the custom action's answer to one is tried there.

#include <windows.h>

#include "console/tool_text.h"

namespace {

void say(const wchar_t* key, const wchar_t* value)
{
    printValue(key, value);
    OutputDebugStringW((std::wstring(L"kvr7ctl: ") + key + L"=" + value + L"\n").c_str());
}

} // namespace

int main()
{
    say(L"outcome", L"installed");
    say(L"restartneeded", L"1");
    say(L"result", L"3010");
    return 3010;
}
