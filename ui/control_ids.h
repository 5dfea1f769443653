// control_ids.h
// The control IDs of the setup window. Tools and scripts outside the program
// read and press the controls by these numbers (windriver.exe, see
// tests/tools/README.md), so they are part of the program's interface and stay as
// they are.
#pragma once

enum SetupControlId : int
{
    ID_FINISH_BUTTON = 1, // IDOK: Enter presses Finish
    ID_STATUS_LINE = 2,
    ID_PROGRESS_BAR = 3,
    ID_RESULT_LINE = 4,
    ID_RESTART_NOTE = 5,
};
