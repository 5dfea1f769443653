// golden_usage.h
// The usage text exactly as the user must see it in the usage box, written out
// here by hand (not taken from the program's own texts) so that the unit and
// end-to-end tests of the command line both hold the program to it.
#pragma once

const wchar_t GOLDEN_USAGE[] =
    L"Usage:\n\ninstall[64].exe -h|-help|-?\n  Displays this help.\n\n"
    L"install[64].exe [-nopause] [drive:\\path\\to\\file.inf]\n"
    L"  Installs the driver (use when hardware already present).\n\n"
    L"install[64].exe [-nopause] -preinstall [drive:\\path\\to\\file.inf]\n"
    L"  Pre-installs the driver (use when hardware is not yet present).\n\n"
    L"If no .inf file is specified, default is kvr7.inf in same folder.\n"
    L"The -nopause option causes this program to exit when done without waiting for user input.\n\n"
    L"Exit code:\n"
    L"  0 => No errors.\n"
    L"  1 => Windows version is too low, or trying to run 32-bit version in 64-bit Windows.\n"
    L"  2 => Failed to open .inf file (when not -preinstall).\n"
    L"  3 => Failed to parse .inf file (when not -preinstall).\n"
    L"  4 => No suitable hardware found (when not -preinstall).\n"
    L"  5 => An unexpected error occurred during installation (when not -preinstall).\n"
    L"  6 => Bad command-line arguments.\n"
    L"  7 => Insufficient resources, e.g. memory allocation failure.\n"
    L"  8 => Failed to load DIFxAPI.dll.\n"
    L"  9 => Failed to get an entry point in DIFxAPI.dll.\n"
    L"  100-123 => Error in pre-installation (when -preinstall). See DriverPackagePreinstall in "
    L"MSDN.\n\n";
