// inf_file.h
// CInfFile, the installer's one reader of an INF file. It opens the file through
// the INF seam, records the running system's description (native processor
// architecture, Windows version, product type, suite mask), reads the current
// line or one of its fields, chooses the models sections that fit the system and
// collects the hardware IDs they list. Every operation reports a SetupStatus and
// writes its reasoning as trace lines while the trace switch is on.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <cstdint>

#include "base/status.h"
#include "base/wstr.h"
#include "inf/inf_handle.h"

class CInfFile
{
public:
    CInfFile();
    ~CInfFile();

    CInfFile(const CInfFile&) = delete;
    CInfFile& operator=(const CInfFile&) = delete;

    // Opens the INF at `path` (a full path, or a name the platform resolves) and
    // describes the running system. Turns the trace on. On any failure no file is
    // held afterwards. Results: 0; 1, 2 or 5 from the platform's reason for not
    // opening; 5 when the information buffer cannot be had; 6 for every other
    // failure (version query, open, original-name query).
    SetupStatus open(const wchar_t* path);

    // The platform's error behind the last failed open (ERROR_NOT_ENOUGH_MEMORY
    // for result 5, ERROR_INVALID_DATA where the platform gave none); 0 after a
    // successful one.
    DWORD openError() const { return m_openError; }

    // Closes the file if one is open; repeating it does nothing.
    void close();

    // Places the line position on the first line of `section` whose key is
    // `key` (any line for null), for getLineText and getStringField. 3 when
    // there is no such line or no file is open; the position then points at no
    // line, so that no read gives another line's text.
    SetupStatus findLine(const wchar_t* section, const wchar_t* key);

    // Moves the line position to the next line of the section it is in. 3
    // after the last line, or when no line is placed; the position then points
    // at no line.
    SetupStatus nextLine();

    // Reads the current line as the platform renders it, or field `index` of it
    // (0 is the key, 1 and up the values). 5 when the platform ran out of memory;
    // 6 when it refuses otherwise, including an index past the last field. On
    // failure `text` is left as it was.
    SetupStatus getLineText(CWStr& text);
    SetupStatus getStringField(uint32_t index, CWStr& text);

    // The file name under which the INF was first supplied. 5 when the buffer for
    // the INF information cannot be had, 6 for any platform failure.
    SetupStatus queryOriginalName(CWStr& name);

    // Appends to `sections` one models section name per line of [Manufacturer],
    // in file order: the base name with the decoration that fits this system
    // best, or the base name alone. 4 when [Manufacturer] is missing; 5 when a
    // read ran out of memory (the list is then incomplete). Walks the one line
    // position of this object.
    SetupStatus findModelsSections(CWStrArray& sections);

    // Appends to `ids` the hardware ID and the compatible IDs of every line of
    // `section`, in file order, skipping empty fields and keeping duplicates. The
    // walk ends at the first line without a hardware ID field. 4 when the section
    // is missing; `ids` is then unchanged. 5 when a read ran out of memory (the
    // list is then incomplete). Walks the one line position.
    SetupStatus findHardwareIds(const CWStr& section, CWStrArray& ids);

    // Writes one line (see base/trace.h) while the trace switch is on.
    void trace(const wchar_t* pattern, ...) const;

    const CWStr& path() const { return m_path; }
    const CWStr& dir() const { return m_dir; }
    const CWStr& filename() const { return m_filename; }
    const CWStr& originalName() const { return m_originalName; }
    HINF handle() const { return m_hInf.get(); }
    // The native processor architecture recorded by the last open.
    WORD architecture() const { return m_systemInfo.wProcessorArchitecture; }
    uint32_t traceOn() const { return m_traceOn; }

private:
    // The outcome of comparing one decoration with the system description.
    struct DecorationFit
    {
        bool fits;
        uint64_t specificity;
    };

    SetupStatus readText(DWORD fieldIndex, bool wholeLine, CWStr& text);
    // Records the platform's error of a failed open; gives `status`.
    SetupStatus failedOpen(SetupStatus status, DWORD error);
    // The result of a walk ended by the failed read `readStatus`: an absent line
    // or field is the walk's normal end (0), memory that ran out is not (5).
    static SetupStatus endOfWalk(SetupStatus readStatus);
    DecorationFit examineDecoration(const CWStr& decoration);
    void describeSystem();

    CWStr m_path;
    CWStr m_dir;
    CWStr m_filename;
    CWStr m_originalName;
    UniqueInf m_hInf;
    INFCONTEXT m_context;
    uint32_t m_traceOn;
    DWORD m_openError;
    OSVERSIONINFOEXW m_osVersion;
    SYSTEM_INFO m_systemInfo;
};
