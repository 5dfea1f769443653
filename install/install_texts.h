// install_texts.h
// The texts and trace patterns of the driver update for present hardware.
#pragma once

#define TEXT_SEARCHING L"Searching for hardware..."
#define TEXT_SEARCHING_DONE L"Searching for hardware... Done"
#define TEXT_OPEN_FAILED L"Failed to open '%s'"
#define TEXT_PARSE_FAILED L"Failed to parse '%s'"
#define TEXT_UPDATE_ERROR L"An error occurred while updating the driver.\n"
#define TEXT_NO_HARDWARE L"No suitable hardware was found.\n"
#define TEXT_UPDATED L"The driver was successfully updated for at least one device.\n"

#define TRACE_INSTALLING L"Installing driver for hardware ID %s:\n"
#define TRACE_INSTALLED L"  Installed driver for '%s'.\n"
