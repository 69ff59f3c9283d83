// The program's one application object; the framework's entry point runs it.
#include "app/SweepApp.h"

CSweepApp g_theApp;
