#pragma once
// The command run when the program exits: set by the settings page's
// Restart (the program's own executable) or by an installer download that
// passed every check (then `verified_installer` names the same file). Nothing
// else is started, so a stray or planted value can never make the exit start
// another program.
#include <functional>
#include <string>
#include <vector>

extern std::wstring restart_command;
// The downloaded installer that passed its signature check, or empty.
extern std::wstring verified_installer;

// Starts `restart_command` without waiting for it (no shell: the text is the
// path of the executable). Returns true when a process was started; false
// when the text is empty, names anything but the program's own executable or
// the verified installer, or the start failed.
bool run_restart_command();

// Test seam: replaces the function that starts the process (argv without a
// terminating null); an empty function restores wxExecute. The seam gets the
// arguments after every check passed.
void set_restart_launcher(std::function<bool(const std::vector<std::string>& argv)> launcher);
