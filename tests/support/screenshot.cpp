// screenshot.cpp
// Screen pixels and screenshots of windows as BMP files, for the window tests
// and the end-to-end tests.

#include "tests/support/screenshot.h"

namespace {

// Screen pixels of `rect` as a top-down 32-bit DIB.
std::vector<DWORD> grab(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
    {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY))
        {
            GdiFlush();
            const DWORD* source = static_cast<const DWORD*>(bits);
            pixels.assign(source, source + width * height);
            for (DWORD& p : pixels)
                p &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

std::vector<DWORD> capturePixels(const RECT& rect)
{
    return grab(rect);
}

bool saveScreenshot(HWND window, const wchar_t* fileName)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    const std::vector<DWORD> pixels = grab(rect);
    if (pixels.empty())
        return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int stride = (width * 3 + 3) & ~3;

    BITMAPFILEHEADER fileHeader = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = stride * height;
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;

    std::vector<BYTE> data(header.biSizeImage);
    for (int y = 0; y < height; ++y)
    {
        BYTE* row = &data[(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x)
        {
            const DWORD p = pixels[y * width + x];
            row[x * 3 + 0] = static_cast<BYTE>(p & 0xFF);
            row[x * 3 + 1] = static_cast<BYTE>((p >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<BYTE>((p >> 16) & 0xFF);
        }
    }

    HANDLE file = CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, &fileHeader, sizeof(fileHeader), &written, nullptr) &&
              WriteFile(file, &header, sizeof(header), &written, nullptr) &&
              WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}
