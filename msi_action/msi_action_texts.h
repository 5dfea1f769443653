// msi_action_texts.h
// Every line the Windows Installer packages' custom actions write to the
// Installer log (the meanings of the programs' exit codes are kvr7ctl's, in
// kvr7ctl/kvr7ctl_texts.h). "%s" takes a wide string, "%lu" a 32-bit unsigned
// value.
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
