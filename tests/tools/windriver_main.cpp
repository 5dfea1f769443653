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

const wchar_t USAGE[] =
    L"usage: windriver.exe [--pid N] [--timeout MS] COMMAND CAPTION [ID]\n"
    L"commands:\n"
    L"  wait CAPTION            the window appears: hwnd, pid, tid, class, visible, rect\n"
    L"  gone CAPTION            the window (or message box) is no longer there\n"
    L"  list CAPTION            one 'control id=... text=...' line per child\n"
    L"  text CAPTION ID         id, class, visible, enabled, style, exstyle, rect, text\n"
    L"  progress CAPTION ID     pos, min, max (PBM_GETPOS, PBM_GETRANGE)\n"
    L"  focus CAPTION           the control with the keyboard focus, as for text\n"
    L"  click CAPTION ID        posts BM_CLICK to the button\n"
    L"  command CAPTION ID      posts WM_COMMAND (BN_CLICKED from ID) to the window\n"
    L"  close CAPTION           posts WM_CLOSE to the window\n"
    L"  msgbox CAPTION          text, icon, then one 'button id=... text=...' line each\n"
    L"  msgbox-ok CAPTION       presses OK in the message box";

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

bool needsId(const std::wstring& command)
{
    return command == L"text" || command == L"progress" || command == L"click" ||
           command == L"command";
}

} // namespace

int main()
{
    const std::vector<std::wstring> args = splitArguments(GetCommandLineW());
    DWORD processId = 0;
    DWORD timeoutMs = 10000;
    size_t i = 1;
    for (; i < args.size() && args[i].size() > 2 && args[i].compare(0, 2, L"--") == 0; ++i)
    {
        unsigned long long value = 0;
        if (i + 1 >= args.size() || !parseNumber(args[i + 1], &value) || value > 0xFFFFFFFFULL)
        {
            printError(USAGE);
            return EXIT_USAGE;
        }
        if (args[i] == L"--pid")
            processId = static_cast<DWORD>(value);
        else if (args[i] == L"--timeout")
            timeoutMs = static_cast<DWORD>(value);
        else
        {
            printError(USAGE);
            return EXIT_USAGE;
        }
        ++i;
    }
    if (args.size() - i < 2)
    {
        printError(USAGE);
        return EXIT_USAGE;
    }
    const std::wstring command = args[i];
    const std::wstring caption = args[i + 1];
    int id = 0;
    if (needsId(command))
    {
        unsigned long long value = 0;
        if (args.size() - i != 3 || !parseNumber(args[i + 2], &value) || value > 0xFFFF)
        {
            printError(USAGE);
            return EXIT_USAGE;
        }
        id = static_cast<int>(value);
    }
    else if (args.size() - i != 2)
    {
        printError(USAGE);
        return EXIT_USAGE;
    }

    const bool isMessageBox = command == L"msgbox" || command == L"msgbox-ok";
    if (command == L"gone")
    {
        // Neither the window nor a message box with the caption may be left.
        const DWORD start = GetTickCount();
        if (waitForNoWindow(caption, processId, WINDOW_MAIN, timeoutMs))
        {
            const DWORD spent = GetTickCount() - start;
            const DWORD rest = spent < timeoutMs ? timeoutMs - spent : 0;
            if (waitForNoWindow(caption, processId, WINDOW_MESSAGE_BOX, rest))
                return EXIT_DONE;
        }
        printError(L"windriver: the window is still there");
        return EXIT_TIMEOUT;
    }
    if (!isMessageBox && command != L"wait" && command != L"list" && !needsId(command) &&
        command != L"focus" && command != L"close")
    {
        printError(L"windriver: unknown command: " + command);
        printError(USAGE);
        return EXIT_USAGE;
    }

    HWND window = waitForWindow(caption, processId, isMessageBox ? WINDOW_MESSAGE_BOX : WINDOW_MAIN,
                                timeoutMs);
    if (!window)
    {
        printError(L"windriver: no " + std::wstring(isMessageBox ? L"message box" : L"window") +
                   L" with the caption " + caption);
        return EXIT_TIMEOUT;
    }

    if (command == L"wait")
    {
        DWORD pid = 0;
        const DWORD tid = GetWindowThreadProcessId(window, &pid);
        const ControlInfo info = describeWindow(window, nullptr);
        RECT client = {};
        GetClientRect(window, &client);
        printValue(L"hwnd", hex(reinterpret_cast<ULONG_PTR>(window)));
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
    if (command == L"list")
    {
        for (const ControlInfo& control : listControls(window))
            printLine(controlLine(L"control", control));
        return EXIT_DONE;
    }
    if (command == L"focus")
    {
        ControlInfo control;
        if (!focusedControl(window, &control))
        {
            printError(L"windriver: no focus in the window");
            return EXIT_NOT_FOUND;
        }
        printControl(control);
        return EXIT_DONE;
    }
    if (command == L"close")
        return closeWindow(window) ? EXIT_DONE : EXIT_FAILED;
    if (command == L"msgbox")
    {
        MessageBoxInfo info;
        if (!readMessageBox(window, &info))
            return EXIT_FAILED;
        printValue(L"text", info.text);
        printValue(L"icon", info.hasIcon ? L"1" : L"0");
        for (const ControlInfo& button : info.buttons)
            printLine(controlLine(L"button", button));
        return EXIT_DONE;
    }
    if (command == L"msgbox-ok")
    {
        if (!GetDlgItem(window, IDOK))
        {
            printError(L"windriver: the message box has no OK button");
            return EXIT_NOT_FOUND;
        }
        return pressMessageBoxButton(window, IDOK) ? EXIT_DONE : EXIT_FAILED;
    }

    ControlInfo control;
    if (!findControl(window, id, &control))
    {
        printError(L"windriver: no control with ID " + decimal(id));
        return EXIT_NOT_FOUND;
    }
    if (command == L"text")
    {
        printControl(control);
        return EXIT_DONE;
    }
    if (command == L"progress")
    {
        ProgressInfo progress;
        if (!readProgress(control.handle, &progress))
        {
            printError(L"windriver: the progress bar did not answer");
            return EXIT_FAILED;
        }
        printValue(L"pos", decimal(progress.position));
        printValue(L"min", decimal(progress.low));
        printValue(L"max", decimal(progress.high));
        return EXIT_DONE;
    }
    if (command == L"click")
        return clickButton(window, id) ? EXIT_DONE : EXIT_FAILED;
    return sendCommand(window, id) ? EXIT_DONE : EXIT_FAILED;
}
