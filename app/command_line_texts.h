// command_line_texts.h
// Every text of the command-line stage, spelled exactly as the user sees it.
#pragma once

// The product name fills the caption pattern: "KVR7 Driver Installer".
#define TEXT_PRODUCT_NAME L"KVR7 Driver"
#define TEXT_CAPTION_PATTERN L"%s Installer"

#define TEXT_DEFAULT_INF_NAME L"kvr7.inf"

#define TEXT_INVALID_OPTION L"Invalid option: %s"
#define TEXT_TOO_MANY_INF_FILES L"Specify at most one .inf file."
#define TEXT_INF_PATH_UNRESOLVED L"The full path of the .inf file cannot be worked out: %s"

// Its one placeholder takes the default INF name, never a path from the command line.
#define TEXT_USAGE                                                                                 \
    L"Usage:\n"                                                                                    \
    L"\n"                                                                                          \
    L"install[64].exe -h|-help|-?\n"                                                               \
    L"  Displays this help.\n"                                                                     \
    L"\n"                                                                                          \
    L"install[64].exe [-nopause] [drive:\\path\\to\\file.inf]\n"                                   \
    L"  Installs the driver (use when hardware already present).\n"                                \
    L"\n"                                                                                          \
    L"install[64].exe [-nopause] -preinstall [drive:\\path\\to\\file.inf]\n"                       \
    L"  Pre-installs the driver (use when hardware is not yet present).\n"                         \
    L"\n"                                                                                          \
    L"If no .inf file is specified, default is %s in same folder.\n"                               \
    L"The -nopause option causes this program to exit when done without waiting for user input.\n" \
    L"\n"                                                                                          \
    L"Exit code:\n"                                                                                \
    L"  0 => No errors.\n"                                                                         \
    L"  1 => Windows version is too low, or trying to run 32-bit version in 64-bit Windows.\n"     \
    L"  2 => Failed to open .inf file (when not -preinstall).\n"                                   \
    L"  3 => Failed to parse .inf file (when not -preinstall).\n"                                  \
    L"  4 => No suitable hardware found (when not -preinstall).\n"                                 \
    L"  5 => An unexpected error occurred during installation (when not -preinstall).\n"           \
    L"  6 => Bad command-line arguments.\n"                                                        \
    L"  7 => Insufficient resources, e.g. memory allocation failure.\n"                            \
    L"  8 => Failed to load DIFxAPI.dll.\n"                                                        \
    L"  9 => Failed to get an entry point in DIFxAPI.dll.\n"                                       \
    L"  100-123 => Error in pre-installation (when -preinstall). See DriverPackagePreinstall in "  \
    L"MSDN.\n"                                                                                     \
    L"\n"
