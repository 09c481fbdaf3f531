#pragma once
// The command run when the program exits: set by the settings page's
// Restart (the program's own executable). Nothing else is started (the
// program installs no updates on Linux), so a stray or planted value can
// never make the exit start another program.
#include <functional>
#include <string>
#include <vector>

extern std::wstring restart_command;

// Arranges `restart_command` to replace this process at its final exit (no
// shell: the text is the path of the executable). Returns true when the
// restart is arranged; false when the text is empty or names anything but the
// program's own executable.
bool run_restart_command();

// Test seam: replaces the function that starts the process (argv without a
// terminating null); an empty function restores the replacement at exit. The seam gets the
// arguments after every check passed.
void set_restart_launcher(std::function<bool(const std::vector<std::string>& argv)> launcher);
