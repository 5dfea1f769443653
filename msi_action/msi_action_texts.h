// msi_action_texts.h
// Every line the Windows Installer packages' custom actions write to the
// Installer log (the meanings of kvr7ctl's exit codes are kvr7ctl's, in
// kvr7ctl/kvr7ctl_texts.h). "%s" takes a wide string, "%lu" a 32-bit unsigned
// value.
#pragma once

#define MSI_TEXT_BAD_DATA                                                                          \
    L"kvr7: the action got no product code or installation folder (CustomActionData: \"%s\")"
#define MSI_TEXT_RUNNING L"kvr7: running %s"
#define MSI_TEXT_EXITED L"kvr7: kvr7ctl.exe %s ended with exit code %lu (%s)"
#define MSI_TEXT_TIMED_OUT L"kvr7: %s did not end within %lu minutes and was stopped"
#define MSI_TEXT_CANNOT_START L"kvr7: cannot start %s: error %lu"
#define MSI_TEXT_CAPTURE_FAILED L"kvr7: lost track of %s: error %lu; it was stopped"

#define MSI_TEXT_STAGED_BEFORE                                                                     \
    L"kvr7: a copy of the driver package was staged before this installation: it stays if the "    \
    L"installation fails"
#define MSI_TEXT_NOT_STAGED_BEFORE                                                                 \
    L"kvr7: no copy of the driver package was staged before this installation: if it fails, "      \
    L"the driver is taken off again"
#define MSI_TEXT_CANNOT_TELL_BEFORE                                                                \
    L"kvr7: cannot tell whether a copy of the driver package was staged before this "              \
    L"installation: it is left in place if the installation fails"
#define MSI_TEXT_STAGE_ONLY L"kvr7: KVR7_PREINSTALL=1: staging the driver only"
#define MSI_TEXT_DEPLOYED L"kvr7: the driver is installed on every present board, or staged"
#define MSI_TEXT_RESTART                                                                           \
    L"kvr7: a device of the package waits for a restart: the installation ends with 3010"
#define MSI_TEXT_TAKING_OFF L"kvr7: taking off again what this installation put on"
#define MSI_TEXT_NOT_TAKEN_OFF                                                                     \
    L"kvr7: the driver could not be taken off again (the lines above say why)"
#define MSI_TEXT_INSTALL_FAILED                                                                    \
    L"kvr7: the driver was not installed; the installation is rolled back"

#define MSI_TEXT_OTHER_VERSION                                                                     \
    L"kvr7: another version of this product is installed (%s): the driver stays for it"
#define MSI_TEXT_RELATED_FAILED                                                                    \
    L"kvr7: cannot list the installed products of upgrade code %s: error %lu"
#define MSI_TEXT_REMOVED L"kvr7: nothing of the driver package is left, or another version keeps it"
#define MSI_TEXT_REMOVE_FAILED                                                                     \
    L"kvr7: the driver package could not be removed; the removal is rolled back"

#define MSI_TEXT_ROLLBACK_NOTHING L"kvr7: rollback: nothing of the driver to undo"
#define MSI_TEXT_ROLLBACK_TAKE_OFF                                                                 \
    L"kvr7: rollback: taking off the driver that this installation put on"
#define MSI_TEXT_ROLLBACK_PUT_BACK                                                                 \
    L"kvr7: rollback: putting back the driver that this removal took off"
#define MSI_TEXT_ROLLBACK_FAILED                                                                   \
    L"kvr7: rollback: the driver could not be restored as it was (the lines above say why)"
#define MSI_TEXT_STEP_NOT_KEPT                                                                     \
    L"kvr7: cannot write what a rollback must undo to HKLM\\%s: error %lu"
#define MSI_TEXT_STEP_UNREADABLE                                                                   \
    L"kvr7: rollback: cannot read HKLM\\%s (error %lu): nothing is undone"
#define MSI_TEXT_STEP_NOT_FORGOTTEN L"kvr7: cannot delete HKLM\\%s: error %lu"
#define MSI_TEXT_COPY_NOT_KEPT L"kvr7: cannot copy %s for a rollback: error %lu"
#define MSI_TEXT_COPY_NOT_DELETED L"kvr7: cannot delete %s: error %lu"
