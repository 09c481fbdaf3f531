#pragma once
// A small PKI made with the openssl command line, with its loopback peers:
// root -> intermediate -> RSA and EC signers (PFX files "leaf.p12", "ec.p12",
// "revoked.p12", "noaia.p12", password "pw"), a TSA behind the loopback HTTP
// server ("/tsa" grants, "/reject" refuses, "/garbage", "/notoken", "/error")
// and an OCSP responder (openssl ocsp) named in the certificates. Files lie
// in dir(): root.pem, inter.pem, leaf.pem, ec.pem, tsa.pem, cas.pem, ...
// Everything stops when the object is destroyed.
#include <memory>
#include <string>
#include <sys/types.h>

#include "support/test_support.h"

namespace testsupport {

class test_pki {
public:
    test_pki();
    ~test_pki();
    test_pki(const test_pki&) = delete;
    test_pki& operator=(const test_pki&) = delete;

    bool ok() const { return ok_; }
    const std::string& setup_log() const { return log_; }
    const std::string& dir() const { return dir_.path(); }
    std::string f(const std::string& name) const { return dir_.file(name); }
    std::string url(const std::string& path) const { return http_->url(path); }
    loopback_server& http() { return *http_; }
    int ocsp_port() const { return ocsp_port_; }
    int dead_port() const { return dead_port_; }  // a port nothing listens on
    // Runs a shell script in dir(); true when it exits with 0.
    bool sh(const std::string& script, std::string* log = nullptr) const;

private:
    scratch_dir dir_;
    std::unique_ptr<loopback_server> http_;
    int ocsp_port_ = 0;
    int dead_port_ = 0;
    pid_t ocsp_pid_ = -1;
    std::string log_;
    bool ok_ = false;
};

}  // namespace testsupport
