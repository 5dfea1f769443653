// tools_fixture.cpp
// The program the tools are tried on: a small stand-in for the installer.
//   tools_fixture.exe lines EXIT     debug lines, a handled exception, exit EXIT
//   tools_fixture.exe window EXIT    a window like the installer's; Finish (ID 1)
//                                    exits with EXIT, a close request with EXIT+1
//   tools_fixture.exe msgbox EXIT    a plain message box; OK exits with EXIT
//   tools_fixture.exe errorbox EXIT  the same with the error icon
//   tools_fixture.exe startup EXIT   one debug line: how it was started
// Its texts are the tests' fixed expectations (tools_test.cpp keeps copies; the
// caption is the installer's, from golden_texts.h).

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/golden_texts.h"

namespace {

const DWORD FIXTURE_EXCEPTION = 0xE0004B37;
const UINT_PTR EXIT_TIMER = 1;
// A fixture left alone ends by itself, so no failed test can leave it running.
const UINT SELF_EXIT_MS = 60000;

int g_exitCode = 0;
bool g_caught = false;

LONG CALLBACK catchFixtureException(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != FIXTURE_EXCEPTION)
        return EXCEPTION_CONTINUE_SEARCH;
    g_caught = true;
    return EXCEPTION_CONTINUE_EXECUTION;
}

int writeLines()
{
    OutputDebugStringW(L"first line\n");
    OutputDebugStringW(L"  indented by two\n");
    OutputDebugStringW(L"    indented by four, trailing blanks  \n");
    OutputDebugStringW(L"Gr\u00f6\u00dfe \u00e9t\u00e9 \u20ac5\n");
    OutputDebugStringW(L"no line feed");
    OutputDebugStringW(L"\n");
    // Only the program's own handler may take this one; a debugger that
    // swallowed it would leave the flag unset.
    PVOID handler = AddVectoredExceptionHandler(1, catchFixtureException);
    RaiseException(FIXTURE_EXCEPTION, 0, 0, nullptr);
    RemoveVectoredExceptionHandler(handler);
    OutputDebugStringW(g_caught ? L"exception caught by the program\n"
                                : L"exception not seen by the program\n");
    OutputDebugStringA("last line\n");
    return g_exitCode;
}

// STARTUPINFO's flags and show state.
int tellStartup()
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    const std::wstring line = L"flags=" + std::to_wstring(startup.dwFlags) + L" show=" +
                              std::to_wstring(startup.wShowWindow);
    OutputDebugStringW(line.c_str());
    return g_exitCode;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == 1 && HIWORD(wParam) == BN_CLICKED)
        {
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_CLOSE:
        g_exitCode += 1;
        DestroyWindow(window);
        return 0;
    case WM_TIMER:
        g_exitCode = 99;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(g_exitCode);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
           int left, int top, int right, int bottom)
{
    return CreateWindowExW(0, className, text, WS_CHILD | style, left, top, right - left,
                           bottom - top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

int showWindow()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"Kvr7ToolsFixture";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(WS_EX_STATICEDGE, windowClass.lpszClassName, GOLDEN_CAPTION, WS_SYSMENU,
                        100, 100, 400, 210, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 98;
    RECT client;
    GetClientRect(window, &client);
    const int r = client.right, b = client.bottom;
    child(window, L"STATIC", L"Searching for hardware...", WS_VISIBLE, 2, 10, 10, r - 10, 40);
    HWND bar = child(window, PROGRESS_CLASSW, L"", WS_VISIBLE | PBS_SMOOTH, 3, 10, 50, r - 10, 70);
    SendMessageW(bar, PBM_SETRANGE32, 0, 10000);
    SendMessageW(bar, PBM_SETPOS, 2500, 0);
    child(window, L"STATIC", L"No hardware found", 0, 4, 10, 80, r - 10, 100);
    HWND finish =
        child(window, L"BUTTON", L"&Finish", WS_VISIBLE | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, 1,
              r - 90, b - 35, r - 10, b - 10);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(finish);
    SetTimer(window, EXIT_TIMER, SELF_EXIT_MS, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

UINT_PTR g_boxTimer;

// A message box left alone is closed with "Cancel" after a while.
VOID CALLBACK closeForgottenBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowW(L"#32770", GOLDEN_CAPTION);
    if (box)
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

int showBox(UINT style)
{
    g_boxTimer = SetTimer(nullptr, 0, SELF_EXIT_MS, closeForgottenBox);
    const int answer = MessageBoxW(nullptr, L"Line one\nZeile zwei: Gr\u00f6\u00dfe\n\n  last",
                                   GOLDEN_CAPTION, style);
    KillTimer(nullptr, g_boxTimer);
    return answer == IDOK ? g_exitCode : 97;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 96;
    g_exitCode = std::atoi(argv[2]);
    const char* mode = argv[1];
    if (std::strcmp(mode, "lines") == 0)
        return writeLines();
    if (std::strcmp(mode, "window") == 0)
        return showWindow();
    if (std::strcmp(mode, "msgbox") == 0)
        return showBox(MB_OK);
    if (std::strcmp(mode, "errorbox") == 0)
        return showBox(MB_ICONERROR);
    if (std::strcmp(mode, "startup") == 0)
        return tellStartup();
    return 96;
}
