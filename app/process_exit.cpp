#include "app/process_exit.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <utility>

namespace {

std::function<void()>& exit_handler() {
    static std::function<void()> handler;
    return handler;
}

std::function<void()>& final_step() {
    static std::function<void()> step;
    return step;
}

}  // namespace

void set_exit_handler(std::function<void()> handler) { exit_handler() = std::move(handler); }

void run_exit_handler() {
    if (exit_handler()) exit_handler()();
}

void set_final_exit(std::function<void()> step) { final_step() = std::move(step); }

void final_exit() {
    if (final_step()) {
        final_step()();
        return;
    }
    // The kill skips every destructor and buffer flush: write out what the
    // exit lines and the handler printed first.
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    ::kill(::getpid(), SIGKILL);
    for (;;) ::pause();
}
