#pragma once
// Helpers shared by every test executable: shell commands, scratch folders,
// whole-file reads and writes, and a loopback HTTP server.
#include <clocale>
#include <string>

#include <gtest/gtest.h>
#include <sys/types.h>

namespace testsupport {

struct command_result {
    int status = -1;     // the command's exit code (-1 when it could not run)
    std::string output;  // its standard output and standard error
};

// Runs a shell command; stderr is merged into the output.
command_result run_command(const std::string& command);

// Quotes a text for the shell.
std::string shell_quote(const std::string& text);

// A fresh folder under the private temporary folder, removed with its contents.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Puts the process's C locale back as it was when the restorer was made.
class locale_restorer {
public:
    locale_restorer() : saved_(std::setlocale(LC_ALL, nullptr)) {}
    ~locale_restorer() { std::setlocale(LC_ALL, saved_.c_str()); }
    locale_restorer(const locale_restorer&) = delete;
    locale_restorer& operator=(const locale_restorer&) = delete;

private:
    std::string saved_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& data);
bool file_exists(const std::string& path);

// The folder of the test helpers (scripts beside this file).
std::string support_dir();
// The external corpus of signed PDFs and seals (VELK_CORPUS_DIR overrides the
// folder beside the checkout). It may be missing on a bare clone: tests that
// read it start with REQUIRE_CORPUS().
std::string corpus_dir();
bool corpus_available();
#define REQUIRE_CORPUS()                                                                       \
    do {                                                                                       \
        if (!testsupport::corpus_available())                                                  \
            GTEST_SKIP() << "external corpus not found at " << testsupport::corpus_dir();      \
    } while (0)

// Writes a small valid PDF (pages of width x height points with a line of
// text each) and returns its path; for tests that need an unsigned source.
std::string write_minimal_pdf(const std::string& path, int pages = 1, int width = 612, int height = 792);
// Writes a PDF of about `megabytes` MB, streamed to the file: one page
// showing a large uncompressed grey picture of varied bytes.
std::string write_large_pdf(const std::string& path, int megabytes);

// A small file system of its own (tmpfs) mounted on `dir` with the mount
// options given (e.g. "size=2m" or "ro,size=1m"), unmounted when destroyed.
// Only root may mount: mounted() tells whether it worked.
class scratch_mount {
public:
    scratch_mount(const std::string& dir, const std::string& options);
    ~scratch_mount();
    scratch_mount(const scratch_mount&) = delete;
    scratch_mount& operator=(const scratch_mount&) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_ = false;
};
// Fills the file system of `dir` with a file named `name` until only about
// `bytes` remain free (rounded to its blocks); false when it cannot.
bool leave_free_space(const std::string& dir, const std::string& name, unsigned long long bytes);

// An HTTP server on 127.0.0.1 on a free port, driven by a routes table (see
// loopback_server.py); it logs every request and stops when destroyed (or by
// itself after its time limit).
class loopback_server {
public:
    // routes_json: the routes table as JSON text. tls_cert/tls_key: serve HTTPS.
    explicit loopback_server(const std::string& routes_json, const std::string& tls_cert = "",
                             const std::string& tls_key = "");
    ~loopback_server();
    loopback_server(const loopback_server&) = delete;
    loopback_server& operator=(const loopback_server&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    int request_count() const;
    // The n-th request (from 1): its body and its path with query.
    std::string request_body(int n) const;
    std::string request_path(int n) const;
    std::string request_method(int n) const;

private:
    scratch_dir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    bool tls_ = false;
};

// A port on 127.0.0.1 that nothing listens on (bound, then closed).
int unused_port();

// Points OpenSSL's certificate set variables (SSL_CERT_FILE, SSL_CERT_DIR) at
// the given file and folder for the object's life, so that the trust list's
// approved roots come from the test and not from the machine; an empty text
// names nothing there. The old values come back on destruction.
class system_roots_override {
public:
    system_roots_override(const std::string& file, const std::string& dir = "/nonexistent-cert-dir");
    ~system_roots_override();
    system_roots_override(const system_roots_override&) = delete;
    system_roots_override& operator=(const system_roots_override&) = delete;

private:
    std::string old_file_, old_dir_;
    bool had_file_ = false, had_dir_ = false;
};

}  // namespace testsupport
