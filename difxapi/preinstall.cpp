// preinstall.cpp
// The checks and the staging of a driver-package pre-installation, and the log
// callback they report to. INF sections are read through the Setup API, which
// also substitutes %strkey% tokens; decorated sections are chosen for the native
// processor architecture of the running system.

#include "difxapi/preinstall.h"

#include <setupapi.h>

#include <cstdarg>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "base/administrator.h"
#include "base/unique_handle.h"
#include "base/wformat.h"
#include "difxapi/difx_texts.h"
#include "difxapi/difxapi_platform.h"
#include "inf/decoration.h"
#include "inf/inf_handle.h"

namespace {

DIFXAPILOGCALLBACK_W g_logCallback = nullptr;
PVOID g_logContext = nullptr;

void logEventV(DIFXAPI_LOG kind, DWORD error, const wchar_t* pattern, va_list args)
{
    if (!g_logCallback)
        return;
    const CWStr text = formatTextV(pattern, args);
    g_logCallback(kind, error, text.c_str(), g_logContext);
}

void logEvent(DIFXAPI_LOG kind, DWORD error, const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    logEventV(kind, error, pattern, args);
    va_end(args);
}

// Reports a failed check as an error event carrying the result code, and returns
// that code.
DWORD fail(DWORD code, const wchar_t* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    logEventV(DIFXAPI_ERROR, code, pattern, args);
    va_end(args);
    return code;
}

bool equalNoCase(const std::wstring& left, const std::wstring& right)
{
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// A fully qualified path: "X:\" or "\\server\share\" and then at least a file
// name; no empty component and none of the characters Windows refuses in names.
// Device paths ("\\?\", "\\.\") are refused: the length limit is MAX_PATH anyway.
bool isValidFullPath(const wchar_t* path)
{
    const wchar_t* rest = nullptr;
    size_t minimumComponents = 1;
    if (((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && isSeparator(path[2]))
    {
        rest = path + 3;
    }
    else if (isSeparator(path[0]) && isSeparator(path[1]) && path[2] != L'?' && path[2] != L'.')
    {
        rest = path + 2;
        minimumComponents = 3; // server, share, file
    }
    if (!rest)
        return false;
    size_t components = 0;
    size_t componentLength = 0;
    for (const wchar_t* p = rest;; ++p)
    {
        if (*p == L'\0' || isSeparator(*p))
        {
            if (componentLength == 0)
                return false;
            ++components;
            componentLength = 0;
            if (*p == L'\0')
                break;
            continue;
        }
        if (*p < 32 || wcschr(L"<>:\"|?*", *p))
            return false;
        ++componentLength;
    }
    return components >= minimumComponents;
}

// The full, long form of an existing path, so that two spellings of one folder
// compare equal; the path as given when the platform cannot resolve it.
std::wstring canonicalPath(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, &full[0], nullptr);
    if (length == 0 || length >= MAX_PATH)
        return path;
    full.resize(length);
    std::wstring longForm(MAX_PATH, L'\0');
    length = GetLongPathNameW(full.c_str(), &longForm[0], MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return full;
    longForm.resize(length);
    return longForm;
}

std::wstring folderOf(const std::wstring& path)
{
    const size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

std::wstring systemInfFolder()
{
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return canonicalPath(std::wstring(windows) + L"\\inf");
}

// Joins path pieces with one backslash between each, ignoring empty pieces and
// the backslashes the INF may write at either end of a piece.
std::wstring joinPath(const std::vector<std::wstring>& pieces)
{
    std::wstring result;
    for (const std::wstring& piece : pieces)
    {
        const size_t first = piece.find_first_not_of(L"\\/");
        if (first == std::wstring::npos)
            continue;
        const size_t last = piece.find_last_not_of(L"\\/");
        if (!result.empty())
            result += L'\\';
        result += piece.substr(first, last - first + 1);
    }
    return result;
}

// "amd64", "x86", "arm64" or "ia64": the suffix of decorated section names
// (x86 for an architecture the INF format has no word for).
std::wstring nativeArchitecture()
{
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    const std::wstring word = architectureWord(info.wProcessorArchitecture);
    return word.empty() ? L"x86" : word;
}

bool sectionExists(HINF inf, const std::wstring& section)
{
    return SetupGetLineCountW(inf, section.c_str()) >= 0;
}

// The text of field `index` of a line; empty when the line has no such field.
std::wstring field(INFCONTEXT* line, DWORD index)
{
    DWORD size = 0;
    if (!SetupGetStringFieldW(line, index, nullptr, 0, &size) || size == 0)
        return std::wstring();
    std::wstring text(size, L'\0');
    if (!SetupGetStringFieldW(line, index, &text[0], size, nullptr))
        return std::wstring();
    text.resize(size - 1);
    return text;
}

DWORD fieldCount(INFCONTEXT* line)
{
    return SetupGetFieldCount(line);
}

// The value of `key` in `section`; empty when the key is absent.
std::wstring keyValue(HINF inf, const wchar_t* section, const std::wstring& key)
{
    INFCONTEXT line;
    if (!SetupFindFirstLineW(inf, section, key.c_str(), &line))
        return std::wstring();
    return field(&line, 1);
}

void addUnique(std::vector<std::wstring>& list, const std::wstring& item)
{
    if (item.empty())
        return;
    for (const std::wstring& present : list)
        if (equalNoCase(present, item))
            return;
    list.push_back(item);
}

// Everything about the package that the checks need, read once.
class Package
{
public:
    Package(HINF inf, const std::wstring& folder)
        : m_inf(inf), m_folder(folder), m_architecture(nativeArchitecture())
    {
    }

    // The models sections that the running system would use: for each
    // [Manufacturer] line, the sections decorated for this architecture, else
    // those decorated for "NT" alone, else the undecorated one.
    std::vector<std::wstring> modelsSections() const
    {
        std::vector<std::wstring> sections;
        INFCONTEXT line;
        bool more = SetupFindFirstLineW(m_inf, L"Manufacturer", nullptr, &line) != FALSE;
        for (; more; more = SetupFindNextLine(&line, &line) != FALSE)
        {
            const std::wstring base = field(&line, 1);
            if (base.empty())
                continue;
            std::vector<std::wstring> forArchitecture;
            std::vector<std::wstring> forNt;
            for (DWORD i = 2; i <= fieldCount(&line); ++i)
            {
                const std::wstring decoration = field(&line, i);
                const std::wstring platform = decoration.substr(0, decoration.find(L'.'));
                if (equalNoCase(platform, L"NT" + m_architecture))
                    forArchitecture.push_back(base + L"." + decoration);
                else if (equalNoCase(platform, L"NT"))
                    forNt.push_back(base + L"." + decoration);
            }
            std::vector<std::wstring> chosen = forArchitecture;
            if (chosen.empty())
                chosen = forNt;
            if (chosen.empty())
                chosen.push_back(base);
            for (const std::wstring& section : chosen)
                addUnique(sections, section);
        }
        return sections;
    }

    // The device install sections that the models lines lead to and that exist,
    // each in its most specific form (name.NTarch, name.NT, name).
    std::vector<std::wstring> deviceInstallSections() const
    {
        std::vector<std::wstring> sections;
        for (const std::wstring& models : modelsSections())
        {
            INFCONTEXT line;
            bool more = SetupFindFirstLineW(m_inf, models.c_str(), nullptr, &line) != FALSE;
            for (; more; more = SetupFindNextLine(&line, &line) != FALSE)
            {
                const std::wstring name = field(&line, 1);
                if (name.empty())
                    continue;
                const std::wstring candidates[] = {name + L".NT" + m_architecture, name + L".NT",
                                                   name};
                for (const std::wstring& candidate : candidates)
                {
                    if (sectionExists(m_inf, candidate))
                    {
                        addUnique(sections, candidate);
                        break;
                    }
                }
            }
        }
        return sections;
    }

    // The catalog file named in [Version] for this architecture; empty when none.
    std::wstring catalogFile() const
    {
        const std::wstring keys[] = {L"CatalogFile.NT" + m_architecture, L"CatalogFile.NT",
                                     L"CatalogFile"};
        for (const std::wstring& key : keys)
        {
            const std::wstring name = keyValue(m_inf, L"Version", key);
            if (!name.empty())
                return name;
        }
        return std::wstring();
    }

    // Every source file the package names: the keys of SourceDisksFiles (plain and
    // decorated for this architecture) and the files that the CopyFiles directives
    // of the device install sections copy.
    std::vector<std::wstring>
    referencedFiles(const std::vector<std::wstring>& installSections) const
    {
        std::vector<std::wstring> files;
        const std::wstring listSections[] = {L"SourceDisksFiles." + m_architecture,
                                             L"SourceDisksFiles"};
        for (const std::wstring& section : listSections)
        {
            INFCONTEXT line;
            bool more = SetupFindFirstLineW(m_inf, section.c_str(), nullptr, &line) != FALSE;
            for (; more; more = SetupFindNextLine(&line, &line) != FALSE)
                addUnique(files, field(&line, 0));
        }
        for (const std::wstring& install : installSections)
        {
            INFCONTEXT line;
            bool more = SetupFindFirstLineW(m_inf, install.c_str(), L"CopyFiles", &line) != FALSE;
            for (; more; more = SetupFindNextMatchLineW(&line, L"CopyFiles", &line) != FALSE)
            {
                for (DWORD i = 1; i <= fieldCount(&line); ++i)
                {
                    const std::wstring entry = field(&line, i);
                    if (!entry.empty() && entry[0] == L'@')
                        addUnique(files, entry.substr(1));
                    else if (!entry.empty())
                        addCopySection(files, entry);
                }
            }
        }
        return files;
    }

    // Where a source file should be: the INF's folder, then the path of its disk
    // in SourceDisksNames and its own subfolder in SourceDisksFiles, when named.
    std::wstring sourcePath(const std::wstring& file) const
    {
        const std::wstring fileSections[] = {L"SourceDisksFiles." + m_architecture,
                                             L"SourceDisksFiles"};
        for (const std::wstring& section : fileSections)
        {
            INFCONTEXT line;
            if (!SetupFindFirstLineW(m_inf, section.c_str(), file.c_str(), &line))
                continue;
            const std::wstring disk = field(&line, 1);
            const std::wstring subfolder = field(&line, 2);
            std::wstring diskPath;
            const std::wstring diskSections[] = {L"SourceDisksNames." + m_architecture,
                                                 L"SourceDisksNames"};
            for (const std::wstring& names : diskSections)
            {
                INFCONTEXT diskLine;
                if (!disk.empty() &&
                    SetupFindFirstLineW(m_inf, names.c_str(), disk.c_str(), &diskLine))
                {
                    diskPath = field(&diskLine, 4);
                    break;
                }
            }
            return joinPath({m_folder, diskPath, subfolder, file});
        }
        return joinPath({m_folder, file});
    }

private:
    // A file list section: each line names the destination file and, in its
    // second field, the source file when the two differ.
    void addCopySection(std::vector<std::wstring>& files, const std::wstring& section) const
    {
        INFCONTEXT line;
        bool more = SetupFindFirstLineW(m_inf, section.c_str(), nullptr, &line) != FALSE;
        for (; more; more = SetupFindNextLine(&line, &line) != FALSE)
        {
            const std::wstring source = field(&line, 2);
            addUnique(files, source.empty() ? field(&line, 1) : source);
        }
    }

    HINF m_inf;
    std::wstring m_folder;
    std::wstring m_architecture;
};

// The setup classes whose packages install no device driver.
bool isNonDeviceClass(const std::wstring& name, const std::wstring& guid)
{
    return equalNoCase(name, L"LegacyDriver") ||
           equalNoCase(guid, L"{8ECC055D-047F-11D1-A537-0000F8753ED1}");
}

// The whole content of a file; false when it cannot be read.
bool readFile(const std::wstring& path, std::string& content)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return false;
    content.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        (!ReadFile(file.get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr) ||
         read != content.size()))
        return false;
    return true;
}

// The oem*.inf in the system INF folder whose content is the package's INF;
// empty when there is none.
std::wstring stagedCopy(const std::wstring& infPath, const std::wstring& infFolder)
{
    std::string package;
    if (!readFile(infPath, package))
        return std::wstring();
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((infFolder + L"\\oem*.inf").c_str(), &found));
    if (!search.valid())
        return std::wstring();
    do
    {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::wstring candidate = infFolder + L"\\" + found.cFileName;
        std::string content;
        if (readFile(candidate, content) && content == package)
            return candidate;
    } while (FindNextFileW(search.get(), &found));
    return std::wstring();
}

// Wine's setupapi stages an INF under its own file name when the INF folder has
// no file of that name, where Windows always chooses a free oemN.inf. An empty
// placeholder of that name, held only while the INF is copied, makes both choose
// oemN.inf. It is deleted when its handle closes, so that it goes also when the
// process dies mid-copy. A file of that name that is there already is left alone.
class NameReservation
{
public:
    explicit NameReservation(const std::wstring& path)
        : m_file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr))
    {
    }

private:
    UniqueFile m_file;
};

bool fileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD preinstall(PCWSTR infPath, DWORD flags)
{
    logEvent(DIFXAPI_INFO, 0, DIFX_LOG_START, infPath ? infPath : L"(null)", flags);
    if (!infPath || (flags & ~DIFX_PREINSTALL_FLAGS))
        return fail(ERROR_INVALID_PARAMETER, DIFX_LOG_BAD_PARAMETER, infPath ? infPath : L"(null)",
                    flags);
    bool administrator = false;
    if (!checkAdministrator(g_difxApi.CheckTokenMembership, &administrator) || !administrator)
        return fail(ERROR_ACCESS_DENIED, DIFX_LOG_NOT_ADMIN);

    const size_t length = wcslen(infPath);
    if (length >= MAX_PATH)
        return fail(ERROR_FILENAME_EXCED_RANGE, DIFX_LOG_TOO_LONG, static_cast<DWORD>(length),
                    static_cast<DWORD>(MAX_PATH - 1));
    if (!isValidFullPath(infPath))
        return fail(ERROR_INVALID_NAME, DIFX_LOG_INVALID_NAME, infPath);
    if (!fileExists(infPath))
        return fail(ERROR_FILE_NOT_FOUND, DIFX_LOG_NOT_FOUND, infPath);

    const std::wstring fullPath = canonicalPath(infPath);
    const std::wstring folder = folderOf(fullPath);
    const std::wstring infFolder = systemInfFolder();
    if (!infFolder.empty() && equalNoCase(folder, infFolder))
        return fail(ERROR_CANT_ACCESS_FILE, DIFX_LOG_IN_INF_FOLDER, infPath, infFolder.c_str());

    logEvent(DIFXAPI_INFO, 0, DIFX_LOG_CHECKING, infPath);
    UniqueInf inf(SetupOpenInfFileW(fullPath.c_str(), nullptr, INF_STYLE_WIN4, nullptr));
    if (!inf.valid())
    {
        const DWORD error = GetLastError();
        return fail(error != 0 ? error : ERROR_CANNOT_MAKE, DIFX_LOG_OPEN_FAILED, infPath);
    }

    const std::wstring className = keyValue(inf.get(), L"Version", L"Class");
    const std::wstring classGuid = keyValue(inf.get(), L"Version", L"ClassGUID");
    if (className.empty() && classGuid.empty())
        return fail(ERROR_INVALID_FUNCTION, DIFX_LOG_NO_CLASS);
    if (isNonDeviceClass(className, classGuid))
        return fail(ERROR_INVALID_FUNCTION, DIFX_LOG_NOT_FUNCTION_CLASS,
                    className.empty() ? classGuid.c_str() : className.c_str());
    const Package package(inf.get(), folder);
    const std::vector<std::wstring> installSections = package.deviceInstallSections();
    if (installSections.empty())
        return fail(ERROR_INVALID_FUNCTION, DIFX_LOG_NO_DEVICE_INSTALL);

    // A catalog that is named must be there in every mode: the Setup API copies it
    // with the INF. Legacy mode takes packages with missing files.
    const std::wstring catalog = package.catalogFile();
    if (!catalog.empty())
    {
        if (!fileExists(joinPath({folder, catalog})))
            return fail(static_cast<DWORD>(CRYPT_E_FILE_ERROR), DIFX_LOG_NO_CATALOG,
                        catalog.c_str());
        logEvent(DIFXAPI_INFO, 0, DIFX_LOG_CATALOG, catalog.c_str());
    }
    if (!(flags & DRIVER_PACKAGE_LEGACY_MODE))
    {
        const std::vector<std::wstring> files = package.referencedFiles(installSections);
        for (const std::wstring& file : files)
        {
            if (!fileExists(package.sourcePath(file)))
                return fail(static_cast<DWORD>(ERROR_MISSING_FILE), DIFX_LOG_MISSING_FILE,
                            file.c_str());
        }
        logEvent(DIFXAPI_INFO, 0, DIFX_LOG_FILES, static_cast<DWORD>(files.size()));
    }

    const std::wstring staged = stagedCopy(fullPath, infFolder);
    if (!staged.empty())
    {
        if (!(flags & DRIVER_PACKAGE_REPAIR))
            return fail(ERROR_ALREADY_EXISTS, DIFX_LOG_ALREADY_STAGED, staged.c_str());
        logEvent(DIFXAPI_WARNING, ERROR_ALREADY_EXISTS, DIFX_LOG_RESTAGING, staged.c_str());
    }

    logEvent(DIFXAPI_INFO, 0, DIFX_LOG_STAGING, infPath);
    wchar_t destination[MAX_PATH] = L"";
    const NameReservation reservation(infFolder + L"\\" + fullPath.substr(folder.size() + 1));
    // The source location of an INF in a drive root is the root with its
    // backslash: "C:" alone would name the current folder of that drive.
    const std::wstring location = folder.size() == 2 && folder[1] == L':' ? folder + L"\\" : folder;
    if (!g_difxApi.SetupCopyOEMInfW(fullPath.c_str(), location.c_str(), SPOST_PATH, 0, destination,
                                    MAX_PATH, nullptr, nullptr))
    {
        const DWORD error = GetLastError();
        return fail(error != 0 ? error : ERROR_CANNOT_MAKE, DIFX_LOG_STAGE_FAILED, infPath);
    }
    logEvent(DIFXAPI_SUCCESS, 0, DIFX_LOG_DONE, infPath, destination);
    return ERROR_SUCCESS;
}

} // namespace

void setDifxLogCallback(DIFXAPILOGCALLBACK_W callback, PVOID context)
{
    g_logCallback = callback;
    g_logContext = callback ? context : nullptr;
}

DWORD preinstallDriverPackage(PCWSTR infPath, DWORD flags)
{
    try
    {
        return preinstall(infPath, flags);
    }
    catch (const std::bad_alloc&)
    {
        return ERROR_OUTOFMEMORY;
    }
}
