#pragma once
// The last steps of shutdown, after every counted worker has ended: the
// program's exit handler (frees the PDF library, saves settings and the trust
// list, arranges a pending restart), then the end of the process at once with
// _exit, so no static destructor and no toolkit shutdown runs. A normal end
// leaves with status 0; the shell that started the program sees a clean exit.
//
// A restart replaces the ending process with the new program image (same
// process id, same terminal, same standard streams), so a terminal or script
// that waits for the program keeps waiting for the restarted one.
//
// Both steps are replaceable: the program installs its exit handler at
// start-up, and tests replace the final step so that shutdown can run inside
// a test process.
#include <functional>
#include <string>
#include <vector>

// Installs the program's exit handler; an empty function removes it.
void set_exit_handler(std::function<void()> handler);
// Runs the installed exit handler, if any.
void run_exit_handler();

// Replaces the final step; an empty function restores the default (flush the
// standard streams, then run a pending restart or _exit with the status).
void set_final_exit(std::function<void()> final_step);
// Runs the final step. The default never returns; a replacement may.
void final_exit(int status = 0);

// Makes the default final step replace the process by `argv` (argv[0] is the
// path of the executable) instead of ending it; an empty vector cancels.
void set_exec_at_exit(std::vector<std::string> argv);
const std::vector<std::string>& exec_at_exit();
