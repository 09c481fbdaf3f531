#include "app/diagnostics.h"
#include <cstdarg>
#include <cstdio>

void diag_print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    flockfile(stdout);
    std::vfprintf(stdout, format, args);
    std::fflush(stdout);
    funlockfile(stdout);
    va_end(args);
}

void diag_error(const char* function, const char* what) {
    diag_print("\n\n[ERROR] %s(), ex.what(): %s [ERROR]\n", function ? function : "", what ? what : "");
}

void diag_loaded(const char* function, int num) { diag_print("\n %s(), loaded num: %d", function ? function : "", num); }
