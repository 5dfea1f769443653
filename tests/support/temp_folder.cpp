// temp_folder.cpp
// The temporary folder helper of the test programs.

#include "tests/support/temp_folder.h"

#include <windows.h>

#include <stdexcept>

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("no temporary folder");
    std::wstring root(base, length);
    if (root.back() != L'\\')
        root += L'\\';
    // Process id, tick count and a counter keep parallel and repeated runs apart.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        std::wstring candidate = root + L"kvr7test-" + std::to_wstring(::GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(::GetTickCount()) + L"-" +
                                 std::to_wstring(++counter);
        if (::CreateDirectoryW(candidate.c_str(), nullptr))
        {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    for (const std::wstring& name : m_files)
        ::DeleteFileW(name.c_str());
    for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
        ::RemoveDirectoryW(folder->c_str());
    ::RemoveDirectoryW(m_path.c_str());
}

std::wstring TempFolder::file(const std::wstring& name) const
{
    return m_path + L"\\" + name;
}

std::wstring TempFolder::writeBytes(const std::wstring& name, const std::string& bytes)
{
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos;
         slash = name.find(L'\\', slash + 1))
    {
        if (::GetFileAttributesW(file(name.substr(0, slash)).c_str()) == INVALID_FILE_ATTRIBUTES)
            makeFolder(name.substr(0, slash));
    }
    const std::wstring full = file(name);
    HANDLE handle = ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create a temporary file");
    m_files.push_back(full);
    DWORD written = 0;
    const BOOL ok =
        bytes.empty() ||
        ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(handle);
    if (!ok || (!bytes.empty() && written != bytes.size()))
        throw std::runtime_error("cannot write a temporary file");
    return full;
}

std::wstring TempFolder::writeUnicode(const std::wstring& name, const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t unit : text)
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return writeBytes(name, bytes);
}

std::wstring TempFolder::copyIn(const std::wstring& source, const std::wstring& name)
{
    const std::wstring full = file(name);
    if (!::CopyFileW(source.c_str(), full.c_str(), FALSE))
        throw std::runtime_error("cannot copy a file into the temporary folder");
    m_files.push_back(full);
    return full;
}

std::wstring TempFolder::makeFolder(const std::wstring& name)
{
    const std::wstring full = file(name);
    if (!::CreateDirectoryW(full.c_str(), nullptr))
        throw std::runtime_error("cannot create a temporary subfolder");
    m_folders.push_back(full);
    return full;
}

std::wstring TempFolder::adopt(const std::wstring& name)
{
    const std::wstring full = file(name);
    m_files.push_back(full);
    return full;
}
