// decoration.h
// Reading the parts of a models section decoration: the platform word and the
// numbers that follow it.
#pragma once

#include <cstdint>

#include "base/wstr.h"

// Reads one number part the way the C library's "%lu" scan does, or "%lx" for
// the rest of a part that begins with "0x" (lower-case x only): leading white
// space and one sign are accepted, a "-" negates modulo 2^32, and reading stops
// at the first character that cannot continue the number ("6abc" is 6, "0X10"
// is 0). False when no digit can be read, and when the magnitude does not fit in
// 32 bits (the C scans leave that case undefined; a wrapped value could match a
// version it does not name).
bool scanDecorationNumber(const CWStr& part, uint32_t* value);

// The platform words, compared without regard to the case of ASCII letters.
enum DecorationPlatform
{
    PLATFORM_UNKNOWN,
    PLATFORM_NT,    // names no architecture, so it never fits
    PLATFORM_X86,   // PROCESSOR_ARCHITECTURE_INTEL
    PLATFORM_IA64,  // PROCESSOR_ARCHITECTURE_IA64
    PLATFORM_AMD64, // PROCESSOR_ARCHITECTURE_AMD64
};

DecorationPlatform decorationPlatform(const CWStr& word);

// The word for a processor architecture (PROCESSOR_ARCHITECTURE_*) in decorated
// section and entry names ("x86", "amd64", "ia64", "arm64", as in
// [SourceDisksFiles.amd64] and CatalogFile.NTamd64); empty for one the INF
// format has no word for.
const wchar_t* architectureWord(unsigned short architecture);
