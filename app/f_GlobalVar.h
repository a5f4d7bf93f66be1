#pragma once
// The process-wide objects of the application shell. The entry point creates them before
// anything else and frees them after the message loop, in a fixed order, rather than leaving it
// to static initialisation, whose order across files is not defined.
#include "app/f_Logger.h"

// The one log writer, logging into "<exe folder>\Tallyvo\Log\"; null outside CreateGlobals..FreeGlobals.
extern TLogger* g_Logger;

// Creates g_Logger (and with it the log folder). Raises sys::Exception when the folder cannot be
// made; nothing is left created then. A second call while the globals exist changes nothing.
void CreateGlobals();
// Frees what CreateGlobals made; safe to call when nothing was created.
void FreeGlobals();
