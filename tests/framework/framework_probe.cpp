// framework_probe.cpp
// A real program on the framework's entry point, started by ui_tests. Its one
// global application object writes what the framework handed it to the file
// named by KVR7_PROBE_OUT (UTF-16 lines) and ends with exit code 37. With the
// argument "loop" it registers a hidden main window, posts it WM_CLOSE and asks
// for the message loop, which must end when the window is destroyed.

#include "framework/framework.h"

#include <string>

namespace {

void writeLine(const std::wstring& line)
{
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"KVR7_PROBE_OUT", path, MAX_PATH))
        return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    WriteFile(file, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
}

class ProbeApp : public CWinApp
{
protected:
    bool startUp() override
    {
        const UINT mode = SetErrorMode(0);
        SetErrorMode(mode);
        writeLine(std::wstring(L"args=[") + argumentString() + L"]");
        writeLine(L"errormode=" + std::to_wstring(mode));
        if (std::wstring(argumentString()) != L"loop")
            return false;
        const std::wstring className = registerWindowClass(0, nullptr, nullptr, nullptr);
        m_window.createEx(0, className.c_str(), L"probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                          nullptr);
        setMainWindow(&m_window);
        PostMessageW(m_window.hwnd(), WM_CLOSE, 0, 0);
        return true;
    }

    int cleanUp() override
    {
        writeLine(L"cleanUp window=" + std::to_wstring(m_window.hwnd() != nullptr));
        return 37;
    }

private:
    CWnd m_window;
};

ProbeApp g_probeApp;

} // namespace
