#pragma once
// A command run when the program exits (the settings page's restart, or a
// downloaded installer); empty: nothing is run. Set on the main thread only.
#include <string>

extern std::wstring restart_command;
