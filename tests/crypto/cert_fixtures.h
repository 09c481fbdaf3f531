#pragma once
// Certificates made at test time with the openssl command line.
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>
#include <openssl/x509.h>

#include "support/test_support.h"

namespace certfix {

// Runs an openssl command line (arguments after "openssl") and fails the test on error.
inline std::string openssl(const std::string& args) {
    auto result = testsupport::run_command("openssl " + args);
    EXPECT_EQ(result.status, 0) << "openssl " << args << "\n" << result.output;
    return result.output;
}

// A self-signed RSA certificate and key in dir: <name>.pem, <name>.key.
inline void make_self_signed(const testsupport::scratch_dir& dir, const std::string& name,
                             const std::string& subject, const std::string& extra = "") {
    openssl("req -x509 -newkey rsa:2048 -nodes -days 30 -subj " + testsupport::shell_quote(subject) +
            " -keyout " + dir.file(name + ".key") + " -out " + dir.file(name + ".pem") + " " + extra + " 2>&1");
}

inline std::string subject_line(X509* cert) {
    char buffer[512];
    X509_NAME_oneline(X509_get_subject_name(cert), buffer, sizeof buffer);
    return buffer;
}

// Switches the process's time zone for one test.
class zone_guard {
public:
    explicit zone_guard(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~zone_guard() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

}  // namespace certfix
