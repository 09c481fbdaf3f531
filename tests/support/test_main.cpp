// Shared test entry: every test executable starts here.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    // Tests run in a UTF-8 locale, as the program does.
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    // Never reach a proxy from a test.
    for (const char* v : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        unsetenv(v);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
