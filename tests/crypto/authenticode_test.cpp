// The installer check: PE images made at test time (tests/crypto/make_pe.py),
// signed with osslsigncode, which also cross-checks our digest.
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/system_store.h"
#include "support/test_support.h"

namespace {

using testsupport::run_command;
using testsupport::shell_quote;

std::vector<unsigned char> pem_file_der(const std::string& path) {
    BIO* bio = BIO_new_file(path.c_str(), "r");
    X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    std::vector<unsigned char> der;
    unsigned char* out = nullptr;
    int length = cert ? i2d_X509(cert, &out) : 0;
    if (length > 0) der.assign(out, out + length);
    OPENSSL_free(out);
    X509_free(cert);
    return der;
}

class authenticode_test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir_ = new testsupport::scratch_dir();
        const std::string d = dir_->path() + "/";
        const std::string script =
            "set -e; cd " + shell_quote(d) + "\n"
            "python3 " + shell_quote(std::string(VELK_SOURCE_DIR) + "/tests/crypto/make_pe.py") + " plain.exe\n"
            "cs='-addext extendedKeyUsage=codeSigning -addext basicConstraints=critical,CA:FALSE'\n"
            // The pinned signer, a stranger with a self-signed certificate, and a CA-issued signer.
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=Pinned $cs -keyout pin.key -out pin.pem\n"
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=Stranger $cs -keyout self.key -out self.pem\n"
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=SomeCA -keyout ca.key -out ca.pem\n"
            "openssl req -newkey rsa:2048 -nodes -subj /CN=Other -keyout other.key -out other.csr\n"
            "printf 'extendedKeyUsage=codeSigning\\nbasicConstraints=critical,CA:FALSE\\n' > ext.cnf\n"
            "openssl x509 -req -in other.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -extfile ext.cnf -out other.pem\n"
            "sign() { osslsigncode sign -h sha256 -certs $1 -key $2 $4 -in plain.exe -out $3 >/dev/null; }\n"
            "sign pin.pem pin.key pinned.exe\n"
            "sign self.pem self.key self.exe\n"
            "sign other.pem other.key other.exe '-ac ca.pem'\n"
            // A stranger's signature that carries the pinned certificate alongside.
            "sign self.pem self.key carries_pin.exe '-ac pin.pem'\n"
            "printf 'just some text, not a program\\n' > text.exe\n";
        auto result = run_command("(" + script + ") 2>&1");
        ASSERT_EQ(result.status, 0) << result.output;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { set_authenticode_signer_pin(pem_file_der(file("pin.pem"))); }
    void TearDown() override { set_authenticode_signer_pin({}); }

    static std::string file(const std::string& name) { return dir_->file(name); }
    static bool check(const std::string& name) { return verify_file_authenticode(utf8_to_wide(file(name))); }

    static testsupport::scratch_dir* dir_;
};
testsupport::scratch_dir* authenticode_test::dir_ = nullptr;

TEST_F(authenticode_test, only_the_pinned_signer_passes) {
    EXPECT_TRUE(check("pinned.exe"));
    EXPECT_FALSE(check("self.exe"));         // self-signed, not the pin
    EXPECT_FALSE(check("other.exe"));        // another signer with its CA
    EXPECT_FALSE(check("carries_pin.exe"));  // the pin only rides along
    EXPECT_FALSE(check("plain.exe"));        // unsigned
    EXPECT_FALSE(check("text.exe"));         // not a PE image
    EXPECT_FALSE(check("missing.exe"));
    EXPECT_FALSE(verify_file_authenticode(L""));

    // The compiled-in signer is a certificate, and it is not the test's pin.
    set_authenticode_signer_pin({});
    std::vector<unsigned char> builtin = authenticode_signer_pin();
    ASSERT_FALSE(builtin.empty());
    const unsigned char* p = builtin.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(builtin.size()));
    ASSERT_NE(cert, nullptr);
    X509_free(cert);
    EXPECT_FALSE(check("pinned.exe"));
}

TEST_F(authenticode_test, one_changed_byte_fails) {
    const std::string signed_bytes = testsupport::read_file(file("pinned.exe"));
    ASSERT_GT(signed_bytes.size(), 1024u);
    // Code, a header field, the signature's own bytes, and bytes appended after the signature.
    const std::vector<std::size_t> offsets = {0x200 + 5, 0x40 + 4 + 2, signed_bytes.size() - 40};
    for (std::size_t offset : offsets) {
        std::string changed = signed_bytes;
        changed[offset] = static_cast<char>(changed[offset] ^ 0x01);
        testsupport::write_file(file("flipped.exe"), changed);
        EXPECT_FALSE(check("flipped.exe")) << "offset " << offset;
    }
    testsupport::write_file(file("appended.exe"), signed_bytes + std::string(8, '\0'));
    EXPECT_FALSE(check("appended.exe"));
    testsupport::write_file(file("cut.exe"), signed_bytes.substr(0, signed_bytes.size() - 16));
    EXPECT_FALSE(check("cut.exe"));
    testsupport::write_file(file("header_only.exe"), signed_bytes.substr(0, 0x90));
    EXPECT_FALSE(check("header_only.exe"));
    // The checksum is outside the digest: a changed checksum still passes.
    std::string checksum_changed = signed_bytes;
    checksum_changed[0x40 + 24 + 64] ^= 0x5A;
    testsupport::write_file(file("checksum.exe"), checksum_changed);
    EXPECT_TRUE(check("checksum.exe"));
}

TEST_F(authenticode_test, digest_agrees_with_osslsigncode) {
    auto result = run_command("osslsigncode verify -in " + shell_quote(file("pinned.exe")) + " -CAfile " +
                              shell_quote(file("pin.pem")) + " 2>&1");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(result.output, m, std::regex("Calculated message digest\\s*:\\s*([0-9A-F]+)")))
        << result.output;
    const std::string bytes = testsupport::read_file(file("pinned.exe"));
    std::vector<unsigned char> digest;
    ASSERT_TRUE(authenticode_pe_digest(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                       EVP_sha256(), digest));
    std::string hex;
    for (unsigned char b : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    EXPECT_EQ(hex, m[1].str());
    // The unsigned image gives the same digest as the signed one.
    const std::string plain = testsupport::read_file(file("plain.exe"));
    std::vector<unsigned char> plain_digest;
    ASSERT_TRUE(authenticode_pe_digest(reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                                       EVP_sha256(), plain_digest));
    EXPECT_EQ(plain_digest, digest);
}

}  // namespace
