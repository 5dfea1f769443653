// debug_capture.cpp
// The debug loop: every event is continued, the file handles that events hand
// over are closed, only the debuggee's first breakpoint counts as handled (every
// other exception goes back to the debuggee's own handlers), and the debuggee's
// exit code is taken from its exit event.

#include "debugout/debug_capture.h"

#include "console/tool_text.h"

#include "base/unique_handle.h"

#include <vector>

namespace {

// The breakpoint a 32-bit debuggee raises at start under WOW64.
const DWORD STATUS_WX86_BREAKPOINT_CODE = 0x4000001F;

// How long a terminated debuggee gets to deliver its exit event.
const DWORD DRAIN_MS = 10000;

typedef BOOL(WINAPI* WaitForDebugEventFn)(LPDEBUG_EVENT event, DWORD milliseconds);

// WaitForDebugEventEx lets Windows 10 and later deliver Unicode debug strings;
// older systems (and some Wine versions) only have the ANSI-only call.
WaitForDebugEventFn debugEventWaiter()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC ex = kernel ? GetProcAddress(kernel, "WaitForDebugEventEx") : nullptr;
    return ex ? reinterpret_cast<WaitForDebugEventFn>(reinterpret_cast<void*>(ex))
              : ::WaitForDebugEvent;
}

void closeFileHandles(const DEBUG_EVENT& event)
{
    if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile)
        CloseHandle(event.u.CreateProcessInfo.hFile);
    else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile)
        CloseHandle(event.u.LoadDll.hFile);
}

// Wine's ntdll exports its version; Windows' does not.
bool runsOnWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The process and thread handles that debug events hand over. Windows closes
// them itself when the matching exit event is continued; Wine 8 does not, so
// there they are closed here, after that continue, and on every way out.
class HandedOverHandles
{
public:
    HandedOverHandles() : m_closeHere(runsOnWine()) {}
    ~HandedOverHandles()
    {
        for (const Entry& entry : m_threads)
            CloseHandle(entry.handle);
        if (m_process)
            CloseHandle(m_process);
    }
    HandedOverHandles(const HandedOverHandles&) = delete;
    HandedOverHandles& operator=(const HandedOverHandles&) = delete;

    void note(const DEBUG_EVENT& event)
    {
        if (!m_closeHere)
            return;
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT)
        {
            m_process = event.u.CreateProcessInfo.hProcess;
            add(event.dwThreadId, event.u.CreateProcessInfo.hThread);
        }
        else if (event.dwDebugEventCode == CREATE_THREAD_DEBUG_EVENT)
        {
            add(event.dwThreadId, event.u.CreateThread.hThread);
        }
    }

    void continued(const DEBUG_EVENT& event)
    {
        if (event.dwDebugEventCode == EXIT_THREAD_DEBUG_EVENT)
        {
            for (size_t i = 0; i < m_threads.size(); ++i)
            {
                if (m_threads[i].threadId == event.dwThreadId)
                {
                    CloseHandle(m_threads[i].handle);
                    m_threads.erase(m_threads.begin() + static_cast<std::ptrdiff_t>(i));
                    break;
                }
            }
        }
    }

private:
    struct Entry
    {
        DWORD threadId;
        HANDLE handle;
    };
    void add(DWORD threadId, HANDLE handle)
    {
        if (handle)
            m_threads.push_back(Entry{threadId, handle});
    }

    bool m_closeHere;
    HANDLE m_process = nullptr;
    std::vector<Entry> m_threads;
};

// False when this process runs under WOW64 and the debuggee does not: a
// 32-bit debugger cannot read a 64-bit debuggee.
bool sameWidth(HANDLE debuggee)
{
    BOOL selfWow64 = FALSE, debuggeeWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &selfWow64) || !selfWow64)
        return true;
    return IsWow64Process(debuggee, &debuggeeWow64) && debuggeeWow64;
}

DWORD remainingMs(DWORD start, DWORD timeoutMs)
{
    if (timeoutMs == INFINITE)
        return INFINITE;
    DWORD elapsed = GetTickCount() - start;
    return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
}

} // namespace

bool readDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info, std::wstring* text)
{
    const size_t units = info.nDebugStringLength;
    if (units == 0 || info.lpDebugStringData == nullptr)
    {
        text->clear();
        return units == 0;
    }
    if (info.fUnicode)
    {
        std::vector<wchar_t> buffer(units, L'\0');
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, info.lpDebugStringData, buffer.data(),
                               units * sizeof(wchar_t), &read))
            return false;
        size_t length = 0;
        while (length < units && buffer[length] != L'\0')
            ++length;
        text->assign(buffer.data(), length);
        return true;
    }
    std::vector<char> buffer(units, '\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, info.lpDebugStringData, buffer.data(), units, &read))
        return false;
    size_t length = 0;
    while (length < units && buffer[length] != '\0')
        ++length;
    *text = fromCodePage(buffer.data(), length, CP_ACP);
    return true;
}

std::wstring withoutLineEnd(const std::wstring& text)
{
    size_t length = text.size();
    if (length > 0 && text[length - 1] == L'\n')
    {
        --length;
        if (length > 0 && text[length - 1] == L'\r')
            --length;
    }
    return text.substr(0, length);
}

DebugCaptureResult runUnderDebugger(const std::wstring& commandLine, DWORD timeoutMs,
                                    const DebugCaptureSink& sink, const DebuggeeStart& start)
{
    DebugCaptureResult result = {DEBUG_CAPTURE_FAILED, 0, 0, 0, 0, 0};
    const DWORD startTick = GetTickCount();

    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (start.showWindow != DEBUGGEE_SHOW_DEFAULT)
    {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(start.showWindow);
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS | start.creationFlags, nullptr, nullptr, &startup,
                        &process))
    {
        result.error = GetLastError();
        result.outcome = DEBUG_CAPTURE_START_FAILED;
        return result;
    }
    const UniqueKernelObject ownedProcess(process.hProcess);
    const UniqueKernelObject ownedThread(process.hThread);
    result.processId = process.dwProcessId;

    bool terminated = false;
    DWORD drainStart = 0;
    if (!sameWidth(process.hProcess))
    {
        // A 32-bit debugger sees only the low half of a 64-bit debuggee's string
        // addresses and would print wrong text (Windows refuses such a pair).
        TerminateProcess(process.hProcess, DEBUG_CAPTURE_TIMEOUT_EXIT_CODE);
        terminated = true;
        drainStart = GetTickCount();
        result.outcome = DEBUG_CAPTURE_START_FAILED;
        result.error = ERROR_NOT_SUPPORTED;
    }
    else if (sink.started)
    {
        sink.started(sink.context, process);
    }

    const WaitForDebugEventFn waitForEvent = debugEventWaiter();
    HandedOverHandles handedOver;
    bool seenFirstBreakpoint = false;
    for (;;)
    {
        DWORD wait =
            terminated ? remainingMs(drainStart, DRAIN_MS) : remainingMs(startTick, timeoutMs);
        DEBUG_EVENT event = {};
        if (!waitForEvent(&event, wait))
        {
            const DWORD error = GetLastError();
            if (terminated)
            {
                // The debuggee is gone or stuck past termination: give up on it.
                result.error = error;
                break;
            }
            if (error == ERROR_SEM_TIMEOUT || error == WAIT_TIMEOUT)
                result.outcome = DEBUG_CAPTURE_TIMED_OUT;
            else
                result.error = error;
            TerminateProcess(process.hProcess, DEBUG_CAPTURE_TIMEOUT_EXIT_CODE);
            terminated = true;
            drainStart = GetTickCount();
            continue;
        }

        handedOver.note(event);
        closeFileHandles(event);
        DWORD continueStatus = DBG_CONTINUE;
        bool finished = false;
        switch (event.dwDebugEventCode)
        {
        case OUTPUT_DEBUG_STRING_EVENT: {
            std::wstring text;
            if (readDebugString(process.hProcess, event.u.DebugString, &text))
            {
                ++result.lines;
                if (sink.line)
                    sink.line(sink.context, withoutLineEnd(text));
            }
            else
            {
                ++result.unreadable;
            }
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            if (!seenFirstBreakpoint &&
                (code == EXCEPTION_BREAKPOINT || code == STATUS_WX86_BREAKPOINT_CODE))
                seenFirstBreakpoint = true;
            else
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            if (event.dwProcessId == process.dwProcessId)
            {
                finished = true;
                result.exitCode = event.u.ExitProcess.dwExitCode;
                if (!terminated)
                    result.outcome = DEBUG_CAPTURE_EXITED;
            }
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        handedOver.continued(event);
        if (finished)
            break;
    }

    WaitForSingleObject(process.hProcess, DRAIN_MS);
    return result;
}

std::wstring cannotStartText(const std::wstring& commandLine, DWORD error)
{
    return L"debugout: cannot start " + commandLine + L": error " + decimal(error);
}
