// command_line.cpp
// The command-line stage and the program's own path.

#include "app/command_line.h"

#include "app/app_platform.h"
#include "app/command_line_texts.h"
#include "base/exit_codes.h"
#include "base/path.h"
#include "base/wformat.h"

#include <memory>

namespace {

// The first room given for a path (the program's own, a typed INF path), in characters.
const DWORD FIRST_PATH_ROOM = 512;
// The longest path Windows knows (the \\?\ form), in characters.
const DWORD LONGEST_PATH_ROOM = 32768;

} // namespace

CWStr fullInfPath(const CWStr& path)
{
    wchar_t buffer[FIRST_PATH_ROOM + 2] = {};
    DWORD count = g_appApi.GetFullPathNameW(path.c_str(), FIRST_PATH_ROOM, buffer, nullptr);
    if (count == 0)
        return CWStr();
    if (count < FIRST_PATH_ROOM)
        return CWStr::substr(buffer, 0, count);

    // Too long for the room: `count` is the room needed, NUL included. Asked
    // again with exactly that; an answer that no longer fits (the current folder
    // changed in between) gives no path rather than a cut one.
    const DWORD room = count;
    std::unique_ptr<wchar_t[]> whole(new wchar_t[room + 1]());
    count = g_appApi.GetFullPathNameW(path.c_str(), room, whole.get(), nullptr);
    if (count == 0 || count >= room)
        return CWStr();
    return CWStr::substr(whole.get(), 0, count);
}

CWStr moduleFileName()
{
    wchar_t buffer[FIRST_PATH_ROOM + 2] = {};
    DWORD count = g_appApi.GetModuleFileNameW(nullptr, buffer, FIRST_PATH_ROOM);
    if (count < FIRST_PATH_ROOM)
        return CWStr::substr(buffer, 0, count);

    // The room is full, so the path was cut. A cut path names another folder
    // (a parent, or one whose name merely begins the same way), and the default
    // INF and the driver-package library would be taken from there; so the path
    // is asked for again with room for the longest path the platform has. A path
    // that does not fit even then cannot be had.
    std::unique_ptr<wchar_t[]> whole(new wchar_t[LONGEST_PATH_ROOM + 2]());
    count = g_appApi.GetModuleFileNameW(nullptr, whole.get(), LONGEST_PATH_ROOM);
    if (count == 0 || count >= LONGEST_PATH_ROOM)
        return CWStr();
    return CWStr::substr(whole.get(), 0, count);
}

bool readCommandLine(const wchar_t* arguments, int32_t* exitCode, RunRequest* request)
{
    int noPause = 0;
    int preinstall = 0;
    int havePath = 0;
    CWStr infPath(TEXT_DEFAULT_INF_NAME);

    const CWStrArray words = split(CWStr(arguments), L' ');
    const CWStr caption = formatText(TEXT_CAPTION_PATTERN, TEXT_PRODUCT_NAME);

    for (uint64_t i = 0; i < words.count(); ++i)
    {
        const CWStr& word = words[i];
        if (word.empty())
            continue;

        if (word.c_str()[0] == L'-')
        {
            if (equalsIgnoringAsciiCase(word, L"-h") || equalsIgnoringAsciiCase(word, L"-help") ||
                equalsIgnoringAsciiCase(word, L"-?"))
            {
                const CWStr usage = formatText(TEXT_USAGE, TEXT_DEFAULT_INF_NAME);
                g_appApi.MessageBoxW(nullptr, usage.c_str(), caption.c_str(), MB_OK);
                return false;
            }
            if (equalsIgnoringAsciiCase(word, L"-nopause"))
            {
                noPause = 1;
            }
            else if (equalsIgnoringAsciiCase(word, L"-preinstall"))
            {
                preinstall = 1;
            }
            else
            {
                const CWStr text = formatText(TEXT_INVALID_OPTION, word.c_str());
                g_appApi.MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
                *exitCode = EXIT_CODE_BAD_ARGUMENTS;
                return false;
            }
            continue;
        }

        if (havePath)
        {
            g_appApi.MessageBoxW(nullptr, TEXT_TOO_MANY_INF_FILES, caption.c_str(), MB_ICONERROR);
            *exitCode = EXIT_CODE_BAD_ARGUMENTS;
            return false;
        }
        // Resolved once, here, and used in full from here on: the Setup API and
        // the driver-package library want a full path, and a bare name would
        // otherwise be looked for in the system's INF folder.
        infPath = fullInfPath(word);
        if (infPath.empty())
        {
            const CWStr text = formatText(TEXT_INF_PATH_UNRESOLVED, word.c_str());
            g_appApi.MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
            *exitCode = EXIT_CODE_BAD_ARGUMENTS;
            return false;
        }
        havePath = 1;
    }

    // An unknown program folder must not become the root of the current drive,
    // where any user may leave a file: there is then no default INF.
    CWStr programFolder;
    CWStr programName;
    splitPath(moduleFileName(), programFolder, programName);
    if (!havePath)
        infPath = programFolder.empty() ? CWStr() : programFolder + L"\\" + TEXT_DEFAULT_INF_NAME;

    request->noPause = noPause;
    request->preinstall = preinstall;
    request->infPath = infPath;
    request->programFolder = programFolder;
    request->caption = caption;
    return true;
}
