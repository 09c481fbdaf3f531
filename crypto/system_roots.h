#pragma once
// The distribution's maintained certificate set (ca-certificates), found the
// way OpenSSL finds it: the file named by SSL_CERT_FILE, else OpenSSL's
// default file (on Debian /usr/lib/ssl/cert.pem, a link to
// /etc/ssl/certs/ca-certificates.crt); when that holds no certificate, the
// hashed entries of the folders named by SSL_CERT_DIR (colon-separated), else
// of OpenSSL's default folder (on Debian /etc/ssl/certs). It is the approved
// part of the trust list.
#include <string>
#include <vector>

#include <openssl/x509.h>

struct system_root_set {
    std::string source;        // the file or folder(s) read; "" when none was found
    std::vector<X509*> certs;  // owned, in the order read, no two alike

    system_root_set() = default;
    system_root_set(const system_root_set&) = delete;
    system_root_set& operator=(const system_root_set&) = delete;
    system_root_set(system_root_set&& other) noexcept;
    system_root_set& operator=(system_root_set&& other) noexcept;
    ~system_root_set();
};

// Reads the set once (PEM; a block that is not a certificate is passed over).
system_root_set read_system_roots();

// The file and folder list that read_system_roots looks at, environment first.
std::string system_roots_file();
std::string system_roots_dirs();
