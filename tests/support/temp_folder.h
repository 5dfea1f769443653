// temp_folder.h
// TempFolder: a fresh folder under the system's temporary folder for the files a
// test writes (INF fixtures, copies of programs and the like). The folder, its
// subfolders and every file written, copied or adopted through it are removed
// when the object goes away.
#pragma once

#include <string>
#include <vector>

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's full path, without a final backslash.
    const std::wstring& path() const { return m_path; }
    // The full path of `name` inside the folder.
    std::wstring file(const std::wstring& name) const;

    // Writes the bytes as they are (ANSI text, binary data) to `name`, making the
    // subfolders it names that are not there yet; returns the full path.
    std::wstring writeBytes(const std::wstring& name, const std::string& bytes);
    // Writes UTF-16LE text with a byte order mark; returns the full path.
    std::wstring writeUnicode(const std::wstring& name, const std::wstring& text);
    // Copies an existing file in as `name` (which may name a subfolder made with
    // makeFolder); returns the full path.
    std::wstring copyIn(const std::wstring& source, const std::wstring& name);
    // Creates a subfolder; it goes away (after the files in it) with the folder.
    std::wstring makeFolder(const std::wstring& name);
    // A file that something else (a program under test) writes into the folder:
    // removed with the folder if it is there; returns the full path.
    std::wstring adopt(const std::wstring& name);

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_folders;
};
