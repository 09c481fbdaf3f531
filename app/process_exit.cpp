#include "app/process_exit.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

std::vector<std::string>& pending_exec() {
    static std::vector<std::string> argv;
    return argv;
}

// Descriptors the toolkit, curl or a library opened stay with the ending
// process image; only the standard streams pass to the restarted one.
void close_on_exec_above_stderr() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) return;
    const int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd <= STDERR_FILENO || fd == own) continue;
        const int flags = ::fcntl(static_cast<int>(fd), F_GETFD);
        if (flags >= 0) ::fcntl(static_cast<int>(fd), F_SETFD, flags | FD_CLOEXEC);
    }
    ::closedir(dir);
}

void flush_standard_streams() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

}  // namespace

void set_exit_handler(std::function<void()> handler) { exit_handler() = std::move(handler); }

void run_exit_handler() {
    if (exit_handler()) exit_handler()();
}

void set_final_exit(std::function<void()> step) { final_step() = std::move(step); }

void set_exec_at_exit(std::vector<std::string> argv) { pending_exec() = std::move(argv); }

const std::vector<std::string>& exec_at_exit() { return pending_exec(); }

void final_exit(int status) {
    if (final_step()) {
        final_step()();
        return;
    }
    // _exit skips every destructor and stdio flush: write out what the exit
    // lines and the handler printed first.
    flush_standard_streams();
    const std::vector<std::string>& argv = pending_exec();
    if (!argv.empty()) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        close_on_exec_above_stderr();
        ::execv(args[0], args.data());
        // Only reached when the start failed: the program still ends cleanly.
        std::fprintf(stdout, "\n restart failed: %s: %s\n", args[0], std::strerror(errno));
        std::fflush(stdout);
    }
    ::_exit(status);
}
