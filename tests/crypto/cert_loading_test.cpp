#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include <openssl/err.h>
#include <openssl/x509v3.h>

#include "cert_fixtures.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"

using certfix::openssl;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

namespace {

class CertLoading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir_ = new scratch_dir();
        certfix::make_self_signed(*dir_, "a", "/CN=First");
        certfix::make_self_signed(*dir_, "b", "/CN=Second");
        const std::string a = read_file(dir_->file("a.pem"));
        write_file(dir_->file("two.pem"), a + read_file(dir_->file("b.pem")));
        openssl("x509 -in " + dir_->file("a.pem") + " -outform DER -out " + dir_->file("a.der"));
        // The Base64 body alone, as copied from a mail.
        std::string body = a.substr(a.find('\n') + 1);
        body = body.substr(0, body.find("-----END"));
        write_file(dir_->file("a.b64"), body);
        openssl("pkcs12 -export -in " + dir_->file("a.pem") + " -inkey " + dir_->file("a.key") +
                " -passout pass: -out " + dir_->file("nopass.p12"));
        openssl("pkcs12 -export -in " + dir_->file("a.pem") + " -inkey " + dir_->file("a.key") +
                " -passout pass:secret -out " + dir_->file("pass.p12"));
        write_file(dir_->file("garbage.bin"), std::string("\x30\x82\x01\x00 not a certificate at all", 30));
        write_file(dir_->file("empty.txt"), "");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string cn_of_file(const std::string& name) {
        X509* cert = load_certificate_file(dir_->file(name).c_str());
        if (!cert) return "(none)";
        std::string s = certfix::subject_line(cert);
        X509_free(cert);
        return s;
    }
    static scratch_dir* dir_;
};
scratch_dir* CertLoading::dir_ = nullptr;

TEST_F(CertLoading, LoadsEverySupportedFileForm) {
    struct { const char* file; const char* subject; } cases[] = {
        {"a.pem", "/CN=First"},   {"two.pem", "/CN=First"},     {"a.der", "/CN=First"},
        {"a.b64", "/CN=First"},   {"nopass.p12", "/CN=First"},  {"pass.p12", "(none)"},
        {"garbage.bin", "(none)"}, {"empty.txt", "(none)"},     {"missing.pem", "(none)"},
    };
    for (const auto& c : cases) EXPECT_EQ(cn_of_file(c.file), c.subject) << c.file;
    // Failed attempts leave nothing behind in the thread's error queue.
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(CertLoading, DecodesBytesWithPassword) {
    const std::string p12 = read_file(dir_->file("pass.p12"));
    auto bytes = reinterpret_cast<const unsigned char*>(p12.data());
    X509* cert = decode_certificate(bytes, p12.size(), "secret");
    ASSERT_NE(cert, nullptr);
    EXPECT_EQ(certfix::subject_line(cert), "/CN=First");
    X509_free(cert);
    EXPECT_EQ(decode_certificate(bytes, p12.size(), "wrong"), nullptr);
    EXPECT_EQ(decode_certificate(bytes, p12.size(), nullptr), nullptr);
    EXPECT_EQ(decode_certificate(nullptr, 10, nullptr), nullptr);

    for (const char* name : {"a.der", "two.pem"}) {
        const std::string data = read_file(dir_->file(name));
        X509* c = decode_certificate(reinterpret_cast<const unsigned char*>(data.data()), data.size(), nullptr);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(certfix::subject_line(c), "/CN=First");
        X509_free(c);
    }
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(CertLoading, SelfSignedRootByNameWhenKeyIdsDiffer) {
    scratch_dir dir;
    // A CA and a leaf with the same name: issuer == subject, but the leaf's
    // key identifiers differ and its signature is by another key.
    certfix::make_self_signed(dir, "ca", "/CN=Same", "-addext basicConstraints=critical,CA:TRUE");
    openssl("req -new -newkey rsa:2048 -nodes -subj /CN=Same -keyout " + dir.file("leaf.key") + " -out " +
            dir.file("leaf.csr") + " 2>&1");
    write_file(dir.file("ext.cnf"), "subjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
    openssl("x509 -req -in " + dir.file("leaf.csr") + " -CA " + dir.file("ca.pem") + " -CAkey " +
            dir.file("ca.key") + " -set_serial 7 -days 5 -extfile " + dir.file("ext.cnf") + " -out " +
            dir.file("leaf.pem") + " 2>&1");
    X509* leaf = load_certificate_file(dir.file("leaf.pem").c_str());
    X509* ca = load_certificate_file(dir.file("ca.pem").c_str());
    ASSERT_TRUE(leaf && ca);
    EXPECT_NE(X509_self_signed(leaf, 0), 1);
    EXPECT_TRUE(is_self_signed_root(leaf));
    EXPECT_TRUE(is_self_signed_root(ca));
    EXPECT_FALSE(is_self_signed_root(nullptr));
    EXPECT_TRUE(is_ca_certificate(ca));
    EXPECT_FALSE(is_ca_certificate(leaf));
    X509_free(leaf);
    X509_free(ca);
}

TEST_F(CertLoading, ExpiryAndPurposes) {
    X509* cert = load_certificate_file(dir_->file("a.pem").c_str());
    ASSERT_NE(cert, nullptr);
    bool error = true;
    EXPECT_FALSE(check_cert_expiry(cert, &error));
    EXPECT_FALSE(error);
    // Exactly now is not expired; one second ago is.
    time_t now = std::time(nullptr);
    ASSERT_TRUE(X509_time_adj_ex(X509_getm_notAfter(cert), 0, 2, &now));
    EXPECT_FALSE(cert_expired_checked(cert));
    ASSERT_TRUE(X509_time_adj_ex(X509_getm_notAfter(cert), 0, -1, &now));
    EXPECT_TRUE(cert_expired_checked(cert));
    X509_free(cert);

    scratch_dir dir;
    certfix::make_self_signed(dir, "server", "/CN=S", "-addext extendedKeyUsage=serverAuth");
    certfix::make_self_signed(dir, "client", "/CN=C", "-addext extendedKeyUsage=serverAuth,clientAuth");
    X509* server = load_certificate_file(dir.file("server.pem").c_str());
    X509* client = load_certificate_file(dir.file("client.pem").c_str());
    ASSERT_TRUE(server && client);
    EXPECT_FALSE(cert_has_eku(server, "1.3.6.1.5.5.7.3.2"));
    EXPECT_TRUE(cert_has_eku(client, "1.3.6.1.5.5.7.3.2"));
    EXPECT_FALSE(cert_has_eku(client, "1.3.6.1.5.5.7.3.1"));  // only clientAuth is recognised
    X509* none = load_certificate_file(dir_->file("a.pem").c_str());
    EXPECT_FALSE(cert_has_eku(none, "1.3.6.1.5.5.7.3.2"));
    X509_free(none);
    X509_free(server);
    X509_free(client);
}

TEST(MemBio, RoundTrip) {
    const unsigned char bytes[] = {1, 2, 3, 4};
    BIO* in = mem_bio_from_bytes(bytes, sizeof bytes);
    unsigned char* out = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(mem_bio_to_buffer(in, &out, &length), 0);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), std::string("\1\2\3\4", 4));
    std::free(out);
    BIO_free(in);
    BIO* empty = BIO_new(BIO_s_mem());
    EXPECT_EQ(mem_bio_to_buffer(empty, &out, &length), 1);
    EXPECT_EQ(mem_bio_to_buffer(nullptr, &out, &length), 1);
    BIO_free(empty);
}

}  // namespace
