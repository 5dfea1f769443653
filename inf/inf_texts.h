// inf_texts.h
// Every trace pattern of the INF reader, spelled exactly as it reaches the
// debugger output. The leading blanks show the nesting of the steps (two per
// level) and are part of each pattern. The misspellings are intended: tools
// that read the trace look for these lines letter for letter ("orignal
// filename", the doubled "D" of "DDecoration").
#pragma once

// Opening the file.
#define TRACE_OPEN_PATHS L"CInfFile::open: dir='%s' filename='%s' path='%s'\n"
#define TRACE_OPEN_SYSTEM                                                                          \
    L"CInfFile::open: opened .INF file. Architecture=%lu OS=%lu.%lu ProductType=%lu "              \
    L"SuiteMask=0x%lx\n"
#define TRACE_ORIGINAL_NAME_FAILED L"*** Failed to get original filename, error=%s\n"
#define TRACE_ORIGINAL_NAME L"CInfFile::open: orignal filename=%s\n"

// Choosing the models sections.
#define TRACE_NO_MANUFACTURER L"Error: [Manufacturer] section not found\n"
#define TRACE_READING_MANUFACTURER L"Reading section [Manufacturer]:\n"
#define TRACE_EXAMINING_LINE L"  Examining line '%s':\n"
#define TRACE_EXAMINING_DECORATION L"    Examining models section decoration '%s':\n"
#define TRACE_DECORATION_MALFORMED L"      Warning: decoration '%s' is malformed; ignoring.\n"
#define TRACE_WRONG_ARCHITECTURE L"      Decoration doesn't match this system's CPU architecture\n"
#define TRACE_WRONG_MINOR_VERSION L"      Decoration doesn't match this system's minor OS version\n"
#define TRACE_WRONG_PRODUCT_TYPE L"      DDecoration doesn't match this system's OS product type\n"
#define TRACE_WRONG_SUITE_MASK L"      Decoration doesn't match this system's OS suite mask\n"
#define TRACE_BEST_SO_FAR L"      Decoration is the best match so far.\n"
#define TRACE_NOT_BEST L"      Decoration matches this system but is not the best match.\n"
#define TRACE_UNKNOWN_ARCHITECTURE L"      Warning: unrecognized NT architecture '%s'.\n"
#define TRACE_ADDING_SECTION L"  Adding '%s' to models section reference list.\n"

// Collecting the hardware IDs.
#define TRACE_SECTION_NOT_FOUND L"Warning: section [%s] not found.\n"
#define TRACE_READING_SECTION L"Reading section [%s]:\n"
#define TRACE_HARDWARE_ID L"  Found Hardware ID '%s'.\n"
#define TRACE_COMPATIBLE_ID L"  Found Compatible ID '%s'.\n"
