// setup_window_texts.h
// Every text of the setup window that the user sees, spelled exactly.
#pragma once

#define TEXT_RESULT_LINE_INITIAL L"No hardware found"
#define TEXT_RESTART_NOTE                                                                          \
    L"NOTE: The driver will not be fully updated until you restart your computer."
#define TEXT_FINISH_BUTTON L"&Finish"
