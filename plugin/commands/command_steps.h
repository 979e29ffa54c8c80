// The steps every command shares: the guard of the commands that need a link,
// and the ending of a command that did its work.
#pragma once

#include "RhinoSdk.h"

// True while linked; otherwise prints "Not Connected!" and the command does
// nothing more.
bool CheckConnected();

// Prints "Success" and reports the usage event ("sync", action).
CRhinoCommand::result Succeeded(const char* action);
