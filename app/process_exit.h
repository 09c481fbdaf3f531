#pragma once
// The last steps of shutdown, after every counted worker has ended: the
// program's exit handler (frees the PDF library, saves settings and the trust
// list, starts a pending restart), then the end of the process at once with
// the kill signal, so no toolkit shutdown runs.
//
// Both steps are replaceable: the program installs its exit handler at
// start-up, and tests replace the final kill so that shutdown can run inside
// a test process.
#include <functional>

// Installs the program's exit handler; an empty function removes it.
void set_exit_handler(std::function<void()> handler);
// Runs the installed exit handler, if any.
void run_exit_handler();

// Replaces the final step; an empty function restores the default (flush the
// standard streams, then kill the own process with signal 9).
void set_final_exit(std::function<void()> final_step);
// Runs the final step. The default never returns; a replacement may.
void final_exit();
