#pragma once
// Shell fixtures for the GM and signature tests: a scratch folder that runs
// openssl, the suites that share one such folder, RSA and SM2 certificates,
// PEM loading, and an SM2/SM3 SignedData made with our GM signing step.
#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "crypto/gm_pkcs7.h"
#include "support/test_support.h"

namespace gm_test {

// A scratch folder removed when the object goes, where shell commands run.
class scratch_dir : public testsupport::scratch_dir {
public:
    // Runs a shell command in the folder; true when it exits with 0.
    bool run(const std::string& command) const {
        std::string full = "cd '" + path() + "' && (" + command + ") >>log.txt 2>&1";
        return std::system(full.c_str()) == 0;
    }
    std::string log() const { return read_text("log.txt"); }

    std::vector<unsigned char> read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }
    std::string read_text(const std::string& name) const {
        auto b = read(name);
        return std::string(b.begin(), b.end());
    }
    void write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void write_text(const std::string& name, const std::string& text) const {
        write(name, std::vector<unsigned char>(text.begin(), text.end()));
    }
};

// A suite whose fixtures SetUpTestSuite makes once in one scratch folder:
// dir holds them, ok tells whether making them worked. A suite that tears
// down more calls shared_dir_suite::TearDownTestSuite() last.
template <class Suite>
class shared_dir_suite : public ::testing::Test {
protected:
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static inline scratch_dir* dir = nullptr;
    static inline bool ok = false;
};

// Shell commands that make an RSA CA, ca.key and ca.pem, named /CN=<cn>. It
// issues the SM2 certificates: OpenSSL 3.0 cannot self-sign SM2.
inline std::string rsa_ca_commands(const std::string& cn) {
    return "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj /CN=" + cn;
}

// Shell commands that make an SM2 key and a certificate for /CN=<cn> issued
// by that CA; x509_options go to "openssl x509 -req" (how to pick a serial).
inline std::string sm2_cert_commands(const std::string& key, const std::string& cert, const std::string& cn,
                                     const std::string& x509_options = "") {
    const std::string csr = cert + ".csr";
    return "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out " + key +
           " && openssl req -new -key " + key + " -subj /CN=" + cn + " -sm3 -out " + csr +
           " && openssl x509 -req -in " + csr + " -CA ca.pem -CAkey ca.key " + x509_options + " -days 30 -out " +
           cert;
}

inline X509* load_cert(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return nullptr;
    X509* c = PEM_read_X509(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    return c;
}

inline EVP_PKEY* load_key(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return nullptr;
    EVP_PKEY* k = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    return k;
}

// A detached SignedData with one SM2/SM3 signer info (the content type its
// one signed attribute) finished by our GM step with the default distid;
// nullptr when that step fails, its errors left in the queue.
inline PKCS7* sm2_signed_data(const std::string& content, X509* cert, EVP_PKEY* key) {
    PKCS7* p7 = PKCS7_new();
    PKCS7_set_type(p7, NID_pkcs7_signed);
    PKCS7_content_new(p7, NID_pkcs7_data);
    PKCS7_SIGNER_INFO* si = PKCS7_SIGNER_INFO_new();
    ASN1_INTEGER_set(si->version, 1);
    X509_NAME_set(&si->issuer_and_serial->issuer, X509_get_issuer_name(cert));
    ASN1_INTEGER_free(si->issuer_and_serial->serial);
    si->issuer_and_serial->serial = ASN1_INTEGER_dup(X509_get0_serialNumber(cert));
    EVP_PKEY_up_ref(key);
    si->pkey = key;
    X509_ALGOR_set0(si->digest_alg, OBJ_nid2obj(NID_sm3), V_ASN1_NULL, nullptr);
    X509_ALGOR_set0(si->digest_enc_alg, OBJ_nid2obj(NID_SM2_with_SM3), V_ASN1_UNDEF, nullptr);
    PKCS7_add_signer(p7, si);
    PKCS7_add_signed_attribute(si, NID_pkcs9_contentType, V_ASN1_OBJECT, OBJ_nid2obj(NID_pkcs7_data));
    PKCS7_add_certificate(p7, cert);
    PKCS7_set_detached(p7, 1);
    BIO* bio = PKCS7_dataInit(p7, nullptr);
    BIO_write(bio, content.data(), static_cast<int>(content.size()));
    (void)BIO_flush(bio);
    int r = gm::PKCS7_dataFinal_ex(p7, bio, sm2_distid_params());
    BIO_free_all(bio);
    if (r != 1) {
        PKCS7_free(p7);
        return nullptr;
    }
    return p7;
}

}  // namespace gm_test
