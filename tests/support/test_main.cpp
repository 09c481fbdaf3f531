// Shared test entry: every test executable starts here.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Only the executables that link the crypto library have it; in the others
// the weak reference stays null.
void unload_crypto_providers() __attribute__((weak));
// Only the executables that link the HTTP client have it.
void set_http_loopback_only(bool on) __attribute__((weak));

int main(int argc, char** argv) {
    // Tests run in a UTF-8 locale, as the program does.
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    // Never reach a proxy from a test.
    for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(v);
    // Nor the internet: only this machine's loopback interface.
    if (set_http_loopback_only != nullptr) set_http_loopback_only(true);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // The providers loaded at start-up, given back so that a leak checker
    // sees only what the tests themselves left.
    if (unload_crypto_providers != nullptr) unload_crypto_providers();
    return result;
}
