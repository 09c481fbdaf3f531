#include "app/diagnostics.h"
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace {

// One line in one locked write, flushed at once.
void print_line(const char* format, va_list args) {
    flockfile(stdout);
    std::vfprintf(stdout, format, args);
    std::fflush(stdout);
    funlockfile(stdout);
}

}  // namespace

void diag_print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    print_line(format, args);
    va_end(args);
}

void diag_error(const char* function, const char* what) {
    diag_print("\n\n[ERROR] %s(), ex.what(): %s [ERROR]\n", function ? function : "", what ? what : "");
}

void diag_loaded(const char* function, int num) { diag_print("\n %s(), loaded num: %d", function ? function : "", num); }

namespace {

std::mutex repeat_mutex;
std::map<std::string, long>& repeat_counts() {
    static auto* counts = new std::map<std::string, long>;  // never destroyed: used up to the last exit line
    return *counts;
}

bool is_power_of_ten(long n) {
    while (n >= 10 && n % 10 == 0) n /= 10;
    return n == 1;
}

}  // namespace

void diag_repeated(const char* key, const char* format, ...) {
    long count = 0;
    {
        std::lock_guard<std::mutex> lock(repeat_mutex);
        count = ++repeat_counts()[key ? key : ""];
    }
    if (count == 1) {
        va_list args;
        va_start(args, format);
        print_line(format, args);
        va_end(args);
    } else if (count >= 10 && is_power_of_ten(count)) {
        diag_print("\n %s: %ld times so far\n", key ? key : "", count);
    }
}

void diag_repeat_end(const char* key) {
    long count = 0;
    {
        std::lock_guard<std::mutex> lock(repeat_mutex);
        auto it = repeat_counts().find(key ? key : "");
        if (it == repeat_counts().end()) return;
        count = it->second;
        repeat_counts().erase(it);
    }
    if (count > 1) diag_print("\n %s: %ld times in all\n", key ? key : "", count);
}
