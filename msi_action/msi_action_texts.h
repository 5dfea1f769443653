// msi_action_texts.h
// Every line the Windows Installer packages' custom actions write to the
// Installer log, and the meanings they give to the exit codes of the programs
// they run. "%s" takes a wide string, "%lu" a 32-bit unsigned value.
#pragma once

#define MSI_TEXT_BAD_DATA L"kvr7: the action got no installation folder (CustomActionData: \"%s\")"
#define MSI_TEXT_RUNNING L"kvr7: running %s"
#define MSI_TEXT_EXITED L"kvr7: %s ended with exit code %lu (%s)"
#define MSI_TEXT_TIMED_OUT L"kvr7: %s did not end within %lu minutes and was stopped"
#define MSI_TEXT_CANNOT_START L"kvr7: cannot start %s: error %lu"
#define MSI_TEXT_CAPTURE_FAILED L"kvr7: lost track of %s: error %lu; it was stopped"
#define MSI_TEXT_NO_BOARD                                                                          \
    L"kvr7: no KVR7 board present: staging the driver for a board plugged in later"
#define MSI_TEXT_STAGE_ONLY L"kvr7: KVR7_PREINSTALL=1: staging the driver only"
#define MSI_TEXT_INSTALLED L"kvr7: the driver is installed on the present board"
#define MSI_TEXT_STAGED L"kvr7: the driver is staged"
#define MSI_TEXT_RESTART                                                                           \
    L"kvr7: a device of the package waits for a restart: the installation ends with 3010"
#define MSI_TEXT_INSTALL_FAILED                                                                    \
    L"kvr7: the driver was not installed; the installation is rolled back"
#define MSI_TEXT_REMOVED L"kvr7: nothing of the driver package is left"
#define MSI_TEXT_REMOVE_FAILED                                                                     \
    L"kvr7: the driver package could not be removed; the removal is rolled back"

// Meanings of the installer's exit codes (install64.exe and install.exe).
#define MSI_TEXT_PROGRAM_0 L"no errors"
#define MSI_TEXT_PROGRAM_1 L"Windows version too low, or the 32-bit program on 64-bit Windows"
#define MSI_TEXT_PROGRAM_2 L"failed to open the .inf file"
#define MSI_TEXT_PROGRAM_3 L"failed to parse the .inf file: no [Manufacturer] section"
#define MSI_TEXT_PROGRAM_4 L"no suitable hardware found"
#define MSI_TEXT_PROGRAM_5 L"an unexpected error occurred during installation"
#define MSI_TEXT_PROGRAM_6 L"bad command-line arguments"
#define MSI_TEXT_PROGRAM_7 L"insufficient resources"
#define MSI_TEXT_PROGRAM_8 L"failed to load x86_64\\difxapi.dll"
#define MSI_TEXT_PROGRAM_9 L"failed to get an entry point in difxapi.dll"
#define MSI_TEXT_PROGRAM_105 L"already pre-installed"
#define MSI_TEXT_PROGRAM_PREINSTALL L"error in pre-installation (the trace above names it)"

// Meanings of kvr7ctl.exe's exit codes (status and remove).
#define MSI_TEXT_KVR7CTL_0 L"the driver package is staged, or nothing of it is left"
#define MSI_TEXT_KVR7CTL_1 L"no copy of the driver package is staged"
#define MSI_TEXT_KVR7CTL_87 L"bad command line"
#define MSI_TEXT_KVR7CTL_740 L"administrator rights are needed"
#define MSI_TEXT_KVR7CTL_1603 L"failed (the trace above names the step)"
#define MSI_TEXT_KVR7CTL_1618 L"another device installation is still under way"
#define MSI_TEXT_KVR7CTL_3010 L"a restart is needed"

#define MSI_TEXT_UNKNOWN_CODE L"a code this package does not know"
