// restart_pending.cpp
// A stand-in for kvr7ctl.exe in a copy of the release package: it answers
// `status` as kvr7ctl does when a device of the package waits for a restart
// (3010). Wine never reports a pending restart, so this is how deploy.cmd's
// answer to one is tried there.

#include "console/tool_text.h"

int main()
{
    printValue(L"restartneeded", L"1");
    printValue(L"result", L"3010");
    return 3010;
}
