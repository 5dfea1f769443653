// the_app.cpp
// The program's one application object. It exists before the entry point runs
// (the framework's wWinMain finds it) and until the process exits.

#include "app/setup_app.h"

CSetupApp theApp;
