// windriver_main.cpp
// windriver.exe: reads and drives another program's window or message box,
// found by its exact caption (and process ID), from scripts.
//   windriver.exe [--pid N] [--timeout MS] COMMAND CAPTION [ID]
// Every command first waits up to the timeout (default 10000 ms) for a visible
// window with the caption: a message box for the msgbox commands, any other
// top-level window for the rest. Reports are `key=value` lines, UTF-8, with
// line feeds and carriage returns in values written as \n and \r.
// Exit codes: 0 done, 1 no such window within the timeout (for "gone": the
// window is still there), 2 no such control (or no focus in the window),
// 3 bad command line, 4 the window did not answer or the request failed.
// Every command is one row of COMMANDS: its name, what runs it, its line in the
// usage and what it needs found before it runs.

#include <string>
#include <vector>

#include "console/tool_text.h"
#include "tests/tools/window_driver.h"

namespace {

enum ExitCode
{
    EXIT_DONE = 0,
    EXIT_TIMEOUT = 1,
    EXIT_NOT_FOUND = 2,
    EXIT_USAGE = 3,
    EXIT_FAILED = 4
};

const wchar_t USAGE_HEAD[] = L"usage: windriver.exe [--pid N] [--timeout MS] COMMAND CAPTION [ID]\n"
                             L"commands:";

// What a command works on.
struct Target
{
    std::wstring caption;
    DWORD processId;
    DWORD timeoutMs;
    HWND window;         // the window or message box with the caption
    ControlInfo control; // the control with the ID, for the commands that take one
};

// What must be found before a command runs.
enum Needs
{
    NEEDS_NOTHING,     // the command looks by itself
    NEEDS_WINDOW,      // the main window with the caption
    NEEDS_MESSAGE_BOX, // the message box with the caption
    NEEDS_CONTROL      // the main window and its control with the ID
};

struct Command
{
    const wchar_t* name;
    int (*run)(const Target& target);
    const wchar_t* help; // its line in the usage
    Needs needs;
};

std::wstring rectText(const RECT& rect)
{
    return decimal(rect.left) + L"," + decimal(rect.top) + L"," + decimal(rect.right) + L"," +
           decimal(rect.bottom);
}

void printControl(const ControlInfo& control)
{
    printValue(L"id", decimal(control.id));
    printValue(L"class", control.className);
    printValue(L"visible", control.visible ? L"1" : L"0");
    printValue(L"enabled", control.enabled ? L"1" : L"0");
    printValue(L"style", hex(control.style));
    printValue(L"exstyle", hex(control.exStyle));
    printValue(L"rect", rectText(control.rect));
    printValue(L"text", control.text);
}

// Class and text last on the line: the class holds no blank, the text may.
std::wstring controlLine(const wchar_t* kind, const ControlInfo& control)
{
    return std::wstring(kind) + L" id=" + decimal(control.id) + L" visible=" +
           (control.visible ? L"1" : L"0") + L" enabled=" + (control.enabled ? L"1" : L"0") +
           L" style=" + hex(control.style) + L" rect=" + rectText(control.rect) + L" class=" +
           escapeValue(control.className) + L" text=" + escapeValue(control.text);
}

int runWait(const Target& target)
{
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(target.window, &pid);
    const ControlInfo info = describeWindow(target.window, nullptr);
    RECT client = {};
    GetClientRect(target.window, &client);
    printValue(L"hwnd", hex(reinterpret_cast<ULONG_PTR>(target.window)));
    printValue(L"pid", decimal(pid));
    printValue(L"tid", decimal(tid));
    printValue(L"class", info.className);
    printValue(L"visible", info.visible ? L"1" : L"0");
    printValue(L"style", hex(info.style));
    printValue(L"exstyle", hex(info.exStyle));
    printValue(L"rect", rectText(info.rect));
    printValue(L"client", rectText(client));
    printValue(L"caption", info.text);
    return EXIT_DONE;
}

// Neither the window nor a message box with the caption may be left.
int runGone(const Target& target)
{
    const DWORD start = GetTickCount();
    if (waitForNoWindow(target.caption, target.processId, WINDOW_MAIN, target.timeoutMs))
    {
        const DWORD spent = GetTickCount() - start;
        const DWORD rest = spent < target.timeoutMs ? target.timeoutMs - spent : 0;
        if (waitForNoWindow(target.caption, target.processId, WINDOW_MESSAGE_BOX, rest))
            return EXIT_DONE;
    }
    printError(L"windriver: the window is still there");
    return EXIT_TIMEOUT;
}

int runList(const Target& target)
{
    for (const ControlInfo& control : listControls(target.window))
        printLine(controlLine(L"control", control));
    return EXIT_DONE;
}

int runText(const Target& target)
{
    printControl(target.control);
    return EXIT_DONE;
}

int runProgress(const Target& target)
{
    ProgressInfo progress;
    if (!readProgress(target.control.handle, &progress))
    {
        printError(L"windriver: the progress bar did not answer");
        return EXIT_FAILED;
    }
    printValue(L"pos", decimal(progress.position));
    printValue(L"min", decimal(progress.low));
    printValue(L"max", decimal(progress.high));
    return EXIT_DONE;
}

int runFocus(const Target& target)
{
    ControlInfo control;
    if (!focusedControl(target.window, &control))
    {
        printError(L"windriver: no focus in the window");
        return EXIT_NOT_FOUND;
    }
    printControl(control);
    return EXIT_DONE;
}

int runClick(const Target& target)
{
    return clickButton(target.window, target.control.id) ? EXIT_DONE : EXIT_FAILED;
}

int runCommand(const Target& target)
{
    return sendCommand(target.window, target.control.id) ? EXIT_DONE : EXIT_FAILED;
}

int runClose(const Target& target)
{
    return closeWindow(target.window) ? EXIT_DONE : EXIT_FAILED;
}

int runMessageBox(const Target& target)
{
    MessageBoxInfo info;
    if (!readMessageBox(target.window, &info))
        return EXIT_FAILED;
    printValue(L"text", info.text);
    printValue(L"icon", info.hasIcon ? L"1" : L"0");
    for (const ControlInfo& button : info.buttons)
        printLine(controlLine(L"button", button));
    return EXIT_DONE;
}

int runMessageBoxOk(const Target& target)
{
    if (!GetDlgItem(target.window, IDOK))
    {
        printError(L"windriver: the message box has no OK button");
        return EXIT_NOT_FOUND;
    }
    return pressMessageBoxButton(target.window, IDOK) ? EXIT_DONE : EXIT_FAILED;
}

const Command COMMANDS[] = {
    {L"wait", runWait,
     L"wait CAPTION            the window appears: hwnd, pid, tid, class, visible, rect",
     NEEDS_WINDOW},
    {L"gone", runGone, L"gone CAPTION            the window (or message box) is no longer there",
     NEEDS_NOTHING},
    {L"list", runList, L"list CAPTION            one 'control id=... text=...' line per child",
     NEEDS_WINDOW},
    {L"text", runText,
     L"text CAPTION ID         id, class, visible, enabled, style, exstyle, rect, text",
     NEEDS_CONTROL},
    {L"progress", runProgress, L"progress CAPTION ID     pos, min, max (PBM_GETPOS, PBM_GETRANGE)",
     NEEDS_CONTROL},
    {L"focus", runFocus,
     L"focus CAPTION           the control with the keyboard focus, as for text", NEEDS_WINDOW},
    {L"click", runClick, L"click CAPTION ID        posts BM_CLICK to the button", NEEDS_CONTROL},
    {L"command", runCommand,
     L"command CAPTION ID      posts WM_COMMAND (BN_CLICKED from ID) to the window", NEEDS_CONTROL},
    {L"close", runClose, L"close CAPTION           posts WM_CLOSE to the window", NEEDS_WINDOW},
    {L"msgbox", runMessageBox,
     L"msgbox CAPTION          text, icon, then one 'button id=... text=...' line each",
     NEEDS_MESSAGE_BOX},
    {L"msgbox-ok", runMessageBoxOk, L"msgbox-ok CAPTION       presses OK in the message box",
     NEEDS_MESSAGE_BOX},
};

const Command* findCommand(const std::wstring& name)
{
    for (const Command& command : COMMANDS)
    {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

int usage()
{
    std::wstring text = USAGE_HEAD;
    for (const Command& command : COMMANDS)
        text += std::wstring(L"\n  ") + command.help;
    printError(text);
    return EXIT_USAGE;
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    const std::vector<std::wstring> args(argv, argv + argc);
    Target target = {std::wstring(), 0, 10000, nullptr, ControlInfo()};
    size_t i = 1;
    for (; i < args.size() && args[i].size() > 2 && args[i].compare(0, 2, L"--") == 0; ++i)
    {
        unsigned long long value = 0;
        if (i + 1 >= args.size() || !parseNumber(args[i + 1], &value) || value > 0xFFFFFFFFULL)
            return usage();
        if (args[i] == L"--pid")
            target.processId = static_cast<DWORD>(value);
        else if (args[i] == L"--timeout")
            target.timeoutMs = static_cast<DWORD>(value);
        else
            return usage();
        ++i;
    }
    if (args.size() - i < 2)
        return usage();
    const Command* command = findCommand(args[i]);
    target.caption = args[i + 1];
    const bool takesId = command && command->needs == NEEDS_CONTROL;
    int id = 0;
    if (takesId)
    {
        unsigned long long value = 0;
        if (args.size() - i != 3 || !parseNumber(args[i + 2], &value) || value > 0xFFFF)
            return usage();
        id = static_cast<int>(value);
    }
    else if (args.size() - i != 2)
        return usage();
    if (!command)
    {
        printError(L"windriver: unknown command: " + args[i]);
        return usage();
    }
    if (command->needs == NEEDS_NOTHING)
        return command->run(target);

    const bool isMessageBox = command->needs == NEEDS_MESSAGE_BOX;
    target.window =
        waitForWindow(target.caption, target.processId,
                      isMessageBox ? WINDOW_MESSAGE_BOX : WINDOW_MAIN, target.timeoutMs);
    if (!target.window)
    {
        printError(L"windriver: no " + std::wstring(isMessageBox ? L"message box" : L"window") +
                   L" with the caption " + target.caption);
        return EXIT_TIMEOUT;
    }
    if (takesId && !findControl(target.window, id, &target.control))
    {
        printError(L"windriver: no control with ID " + decimal(id));
        return EXIT_NOT_FOUND;
    }
    return command->run(target);
}
