// status_texts.h
// The fixed texts of the SetupStatus codes, spelled exactly as statusText gives
// them.
#pragma once

#define TEXT_STATUS_OK L"OK"
#define TEXT_STATUS_INF_FILE_NOT_FOUND L"INF file not found"
#define TEXT_STATUS_INF_PATH_NOT_FOUND L"INF path not found"
#define TEXT_STATUS_INF_SECTION_NOT_FOUND L"INF section not found"
#define TEXT_STATUS_INF_PARSE_ERROR L"Error parsing INF file"
#define TEXT_STATUS_OUT_OF_MEMORY L"Error allocating memory"
#define TEXT_STATUS_WOW64 L"Cannot execute this 32-bit program on 64-bit Windows"
#define TEXT_STATUS_NO_SUCH_HARDWARE_ID L"No such hardware ID found in the system"
// SETUP_PLATFORM_ERROR and every code outside the table.
#define TEXT_STATUS_UNEXPECTED L"Unexpected error"
