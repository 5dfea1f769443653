// resource_ids.h
// Resource IDs of the program file, shared by the resource script and the code.
#pragma once

#define IDI_PROGRAM 101 // the program file's icon
#define IDI_WINDOW 102  // the setup window's icon
