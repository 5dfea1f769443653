// msi_action_platform.cpp
// The real entry points behind the custom actions' seam.

#include "msi_action/msi_action_platform.h"

MsiActionApi g_msiActionApi = {
    ::runUnderDebugger,        ::MsiProcessMessage, ::MsiSetMode,   ::MsiGetPropertyW,
    ::MsiEnumRelatedProductsW, ::RegSetKeyValueW,   ::RegGetValueW, ::RegDeleteKeyW,
    ::CreateDirectoryW,        ::CopyFileW,         ::DeleteFileW,  ::RemoveDirectoryW,
};
