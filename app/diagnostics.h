#pragma once
// Diagnostic lines: printf-style texts on the standard output, each written in
// one call and flushed, so that the lines of a run that ends abruptly are kept
// and lines of different threads do not interleave.
//
// The two forms every component shares:
//   failure   "\n\n[ERROR] %s(), ex.what(): %s [ERROR]\n"
//   progress  "\n %s(), loaded num: %d"
// Other diagnostic texts go through diag_print so that all of them reach the
// same stream in order.

void diag_print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The failure form; `function` is the name printed before "()" (usually "").
void diag_error(const char* function, const char* what);

// The progress form.
void diag_loaded(const char* function, int num);

// A failure that may repeat (an unreachable server, the same missing chain):
// the first occurrence under `key` is printed with `format`; later ones are
// only counted, with one count line at the 10th, 100th, 1000th... so that a
// long outage prints a handful of lines, not one per attempt.
// diag_repeat_end(key) prints how often it repeated (when it did) and forgets
// the key, so that a later outage is printed again. Both are thread-safe.
void diag_repeated(const char* key, const char* format, ...) __attribute__((format(printf, 2, 3)));
void diag_repeat_end(const char* key);
