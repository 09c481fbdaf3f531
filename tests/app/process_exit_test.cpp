// The end of the process: a clean exit status with everything printed kept,
// no static destructors or atexit handlers, and a restart that takes the
// place of the ending process (same process id and standard streams, no other
// inherited descriptors). Each case runs in a forked child whose standard
// output is a pipe the test reads.
#include "app/process_exit.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

struct child_result {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string output;
};

child_result run_in_child(const std::function<void()>& body) {
    int out[2];
    if (::pipe(out) != 0) return {};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        body();
        ::_exit(99);  // final_exit returned
    }
    ::close(out[1]);
    child_result result;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

void print_at_exit() { std::printf("static end ran\n"); }

TEST(process_exit, ends_with_the_given_status_after_flushing_and_runs_no_static_end) {
    for (int status : {0, 1}) {
        const child_result r = run_in_child([status] {
            std::atexit(print_at_exit);
            std::printf("last line, still buffered");
            final_exit(status);
        });
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.output, "last line, still buffered");
    }
}

TEST(process_exit, a_restart_replaces_the_process_and_keeps_only_the_standard_streams) {
    const child_result r = run_in_child([] {
        const int extra = ::open("/dev/null", O_RDONLY);  // no close-on-exec flag
        std::printf("%d\n", static_cast<int>(::getpid()));
        const std::string script = "echo $$; [ -e /proc/self/fd/" + std::to_string(extra) + " ] && echo leaked; exit 0";
        set_exec_at_exit({"/bin/sh", "-c", script});
        final_exit(0);
    });
    EXPECT_EQ(r.status, 0);
    const std::size_t newline = r.output.find('\n');
    ASSERT_NE(newline, std::string::npos) << r.output;
    const std::string pid = r.output.substr(0, newline);
    EXPECT_EQ(r.output, pid + "\n" + pid + "\n");  // same process, same stdout, nothing leaked
}

TEST(process_exit, a_restart_that_cannot_start_still_ends_cleanly) {
    const child_result r = run_in_child([] {
        set_exec_at_exit({"/nonexistent/velkorant"});
        final_exit(0);
    });
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("restart failed: /nonexistent/velkorant"), std::string::npos) << r.output;
}

}  // namespace
