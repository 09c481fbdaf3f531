#include "app/encoding.h"
#include "app/exceptionex.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/signature_verify.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<unsigned char>;

const std::string kContent = "The signed bytes of a PDF, detached.";

using gm_test::load_cert;
using gm_test::load_key;

int verify(const bytes& sig, const std::string& data) {
    return verify_pkcs7_detached(sig.data(), static_cast<uint32_t>(sig.size()),
                                 reinterpret_cast<const unsigned char*>(data.data()),
                                 static_cast<uint32_t>(data.size()));
}

// Decodes, lets the caller change the PKCS#7, and encodes it again.
bytes rewrite(const bytes& der, const std::function<void(PKCS7*)>& change, bool gm = false) {
    PKCS7* p7 = parse_pkcs7_der(der.data(), static_cast<uint32_t>(der.size()));
    if (p7 == nullptr) return {};
    change(p7);
    bytes out = gm_i2d_pkcs7(p7, gm);
    PKCS7_free(p7);
    return out;
}

PKCS7_SIGNER_INFO* first_si(PKCS7* p7) {
    return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
}

// Puts another certificate in place of the PKCS#7's certificates.
void replace_certs(PKCS7* p7, X509* cert) {
    sk_X509_pop_free(p7->d.sign->cert, X509_free);
    p7->d.sign->cert = nullptr;
    PKCS7_add_certificate(p7, cert);
}

void corrupt_signature(PKCS7* p7) {
    ASN1_OCTET_STRING* sig = first_si(p7)->enc_digest;
    sig->data[sig->length / 2] ^= 0x01;
}

void use_hmac_digest(PKCS7* p7) {
    X509_ALGOR_set0(first_si(p7)->digest_alg, OBJ_nid2obj(NID_hmacWithSHA256), V_ASN1_NULL, nullptr);
}

// A detached SignedData with one SM2/SM3 signer info finished by our GM step.
bytes sm2_sign(const std::string& content, X509* cert, EVP_PKEY* key, bool gm_labels) {
    PKCS7* p7 = gm_test::sm2_signed_data(content, cert, key);
    bytes out = p7 != nullptr ? gm_i2d_pkcs7(p7, gm_labels) : bytes{};
    PKCS7_free(p7);
    ERR_clear_error();
    return out;
}

class SignatureVerify : public gm_test::shared_dir_suite<SignatureVerify> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        dir->write_text("data.bin", kContent);
        ok = dir->run(
            // RSA signer and an impostor with the same name and serial.
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout rk.pem -out rc.pem -days 30 "
            "-set_serial 77 -subj /CN=Signer && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout rk2.pem -out rc2.pem -days 30 "
            "-set_serial 77 -subj /CN=Signer && "
            "openssl cms -sign -binary -in data.bin -signer rc.pem -inkey rk.pem -md sha256 "
            "-outform DER -out rsa.p7s && "
            "openssl cms -sign -binary -nocerts -in data.bin -signer rc.pem -inkey rk.pem "
            "-outform DER -out rsa_nocert.p7s && "
            "openssl crl2pkcs7 -nocrl -certfile rc.pem -outform DER -out certsonly.p7s && "
            "openssl dgst -sha256 -sign rk.pem -out rsa.raw data.bin && " +
            // SM2 signers (issued by an RSA CA: OpenSSL 3.0 cannot self-sign SM2).
            gm_test::rsa_ca_commands("TestCA") + " && for n in 1 2; do " +
            gm_test::sm2_cert_commands("sk$n.pem", "sc$n.pem", "SM2Signer", "-set_serial 99") +
            " || exit 1; done && "
            "openssl x509 -in sc1.pem -pubkey -noout > spub.pem && "
            "openssl dgst -sm3 -sign sk1.pem -sigopt distid:1234567812345678 -out sm2.raw data.bin");
    }
};

struct table_case {
    const char* name;
    bytes signature;
    std::string data;
    int expected;
};

void run_table(const std::vector<table_case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.signature.empty());
        EXPECT_EQ(verify(c.signature, c.data), c.expected);
        EXPECT_EQ(ERR_peek_error(), 0u) << "error queue left behind";
    }
}

}  // namespace

TEST_F(SignatureVerify, RsaResultCodes) {
    ASSERT_TRUE(ok) << dir->log();
    const bytes sig = dir->read("rsa.p7s");
    X509* impostor = load_cert(dir->file("rc2.pem"));
    ASSERT_NE(impostor, nullptr);
    run_table({
        {"valid", sig, kContent, sigerr_okay},
        {"valid, GM labels", rewrite(sig, [](PKCS7*) {}, true), kContent, sigerr_okay},
        {"modified data", sig, kContent + "x", sigerr_modified},
        {"corrupted signature", rewrite(sig, corrupt_signature), kContent, sigerr_invalid},
        {"wrong key", rewrite(sig, [&](PKCS7* p7) { replace_certs(p7, impostor); }), kContent,
         sigerr_invalid},
        {"signer certificate not included", dir->read("rsa_nocert.p7s"), kContent, sigerr_unknown},
        {"HMAC digest", rewrite(sig, use_hmac_digest), kContent, sigerr_notsup_alg},
        {"no signer infos", dir->read("certsonly.p7s"), kContent, sigerr_no_signatures},
    });
    X509_free(impostor);
}

TEST_F(SignatureVerify, Sm2ResultCodes) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("sc1.pem"));
    X509* impostor = load_cert(dir->file("sc2.pem"));
    EVP_PKEY* key = load_key(dir->file("sk1.pem"));
    ASSERT_TRUE(cert && impostor && key);
    const bytes sig = sm2_sign(kContent, cert, key, false);
    const bytes gm_sig = sm2_sign(kContent, cert, key, true);
    ASSERT_FALSE(sig.empty());
    run_table({
        {"valid", sig, kContent, sigerr_okay},
        {"valid, gm-signedData", gm_sig, kContent, sigerr_okay},
        {"modified data", gm_sig, "changed", sigerr_modified},
        {"corrupted signature", rewrite(sig, corrupt_signature), kContent, sigerr_invalid},
        {"wrong key", rewrite(sig, [&](PKCS7* p7) { replace_certs(p7, impostor); }), kContent,
         sigerr_invalid},
        {"signer certificate not included",
         rewrite(sig, [](PKCS7* p7) {
             sk_X509_pop_free(p7->d.sign->cert, X509_free);
             p7->d.sign->cert = nullptr;
         }),
         kContent, sigerr_unknown},
        {"HMAC-SM3 digest",
         rewrite(sig, [](PKCS7* p7) {
             X509_ALGOR_set0(first_si(p7)->digest_alg, OBJ_nid2obj(nid_hmac_sm3), V_ASN1_NULL,
                             nullptr);
         }),
         kContent, sigerr_notsup_alg},
    });
    EVP_PKEY_free(key);
    X509_free(impostor);
    X509_free(cert);
}

TEST_F(SignatureVerify, MalformedInputGivesCodes) {
    ASSERT_TRUE(ok) << dir->log();
    const bytes sig = dir->read("rsa.p7s");
    const unsigned char* d = reinterpret_cast<const unsigned char*>(kContent.data());
    EXPECT_EQ(verify_pkcs7_detached(nullptr, 10, d, 5), sigerr_unknown);
    EXPECT_EQ(verify_pkcs7_detached(sig.data(), 0, d, 5), sigerr_unknown);
    EXPECT_EQ(verify_pkcs7_detached(sig.data(), static_cast<uint32_t>(sig.size()), nullptr, 5),
              sigerr_unknown);
    EXPECT_EQ(verify(bytes(300, 0x30), kContent), sigerr_sigdata);
    EXPECT_EQ(verify(bytes{'%', 'P', 'D', 'F'}, kContent), sigerr_sigdata);
    // Every truncation of a good signature gives a code (most: not parsable).
    for (std::size_t n = 1; n < sig.size(); n += 37) {
        int r = verify(bytes(sig.begin(), sig.begin() + static_cast<long>(n)), kContent);
        EXPECT_TRUE(r == sigerr_sigdata || r == sigerr_unknown) << n << ": " << r;
    }
    // A PKCS#7 of another type.
    PKCS7* data = PKCS7_new();
    PKCS7_set_type(data, NID_pkcs7_data);
    ASN1_OCTET_STRING_set(data->d.data, reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ(verify(gm_i2d_pkcs7(data, false), kContent), sigerr_notsup_type);
    PKCS7_free(data);
    // An unknown digest algorithm cannot even be set up.
    EXPECT_EQ(verify(rewrite(sig, [](PKCS7* p7) {
                  X509_ALGOR_set0(first_si(p7)->digest_alg, OBJ_nid2obj(NID_id_GostR3411_94),
                                  V_ASN1_NULL, nullptr);
                  X509_ALGOR* alg = sk_X509_ALGOR_value(p7->d.sign->md_algs, 0);
                  X509_ALGOR_set0(alg, OBJ_nid2obj(NID_id_GostR3411_94), V_ASN1_NULL, nullptr);
              }),
                     kContent),
              sigerr_unknown);
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(SignatureVerify, SigvalNormalForm) {
    // 64 raw bytes that are neither an OCTET STRING nor an sm2_sigval.
    bytes raw(64);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<unsigned char>(0xA0 + i);
    auto* buffer = static_cast<unsigned char*>(std::malloc(raw.size()));
    std::memcpy(buffer, raw.data(), raw.size());
    uint32_t length = static_cast<uint32_t>(raw.size());
    sigval_to_octet_string(&buffer, &length);
    ASSERT_EQ(length, 66u);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(buffer[1], 64);
    EXPECT_EQ(bytes(buffer + 2, buffer + 66), raw);

    // An OCTET STRING stays as it is.
    bytes before(buffer, buffer + length);
    sigval_to_octet_string(&buffer, &length);
    EXPECT_EQ(bytes(buffer, buffer + length), before);
    std::free(buffer);

    // An OCTET STRING followed by more bytes is not one: it is wrapped whole.
    bytes tail = {0x04, 0x01, 0x55, 0x99};
    buffer = static_cast<unsigned char*>(std::malloc(tail.size()));
    std::memcpy(buffer, tail.data(), tail.size());
    length = static_cast<uint32_t>(tail.size());
    sigval_to_octet_string(&buffer, &length);
    EXPECT_EQ(bytes(buffer, buffer + length), (bytes{0x04, 0x04, 0x04, 0x01, 0x55, 0x99}));
    std::free(buffer);

    // Nothing to do for nothing.
    unsigned char* none = nullptr;
    uint32_t zero = 0;
    sigval_to_octet_string(&none, &zero);
    EXPECT_EQ(none, nullptr);
}

TEST_F(SignatureVerify, RawSm2ValueWrappedAndVerified) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("sc1.pem"));
    ASSERT_NE(cert, nullptr);
    const bytes raw = dir->read("sm2.raw");
    const auto* d = reinterpret_cast<const unsigned char*>(kContent.data());
    EXPECT_EQ(verify_sm2_raw(d, kContent.size(), cert, raw.data(), raw.size()), raw_verify_valid);
    EXPECT_EQ(verify_sm2_raw(d, kContent.size() - 1, cert, raw.data(), raw.size()),
              raw_verify_invalid);
    EXPECT_EQ(verify_sm2_raw(d, kContent.size(), nullptr, raw.data(), raw.size()),
              raw_verify_unavailable);

    STACK_OF(X509)* certs = sk_X509_new_null();
    sk_X509_push(certs, cert);
    auto* buffer = static_cast<unsigned char*>(std::malloc(raw.size()));
    std::memcpy(buffer, raw.data(), raw.size());
    uint32_t length = static_cast<uint32_t>(raw.size());
    sigval_to_octet_string(&buffer, &length);
    EXPECT_EQ(length, raw.size() + 2);
    wrap_raw_signature_as_pkcs7(certs, 5, raw_key_kind_sm2, &buffer, &length);
    bytes wrapped(buffer, buffer + length);
    std::free(buffer);
    // gm-signedData, detached.
    static const bytes gm_signed_oid = {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55,
                                        0x06, 0x01, 0x04, 0x02, 0x02};
    EXPECT_NE(std::search(wrapped.begin(), wrapped.end(), gm_signed_oid.begin(),
                          gm_signed_oid.end()),
              wrapped.end());
    EXPECT_EQ(verify(wrapped, kContent), sigerr_okay);
    EXPECT_EQ(verify(wrapped, kContent + "!"), sigerr_invalid);

    // A value that is not an OCTET STRING cannot be wrapped.
    buffer = static_cast<unsigned char*>(std::malloc(3));
    std::memcpy(buffer, "\x30\x01\x00", 3);
    length = 3;
    EXPECT_THROW(wrap_raw_signature_as_pkcs7(certs, 5, raw_key_kind_sm2, &buffer, &length),
                 std::exception);
    std::free(buffer);
    sk_X509_pop_free(certs, X509_free);
}

TEST_F(SignatureVerify, RawPkcs1ValueRecoveredWrappedAndVerified) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("rc.pem"));
    X509* other = load_cert(dir->file("rc2.pem"));
    ASSERT_TRUE(cert && other);
    const bytes raw = dir->read("rsa.raw");
    ASSERT_EQ(raw.size(), 256u);
    auto* buffer = static_cast<unsigned char*>(std::malloc(raw.size()));
    std::memcpy(buffer, raw.data(), raw.size());
    uint32_t length = static_cast<uint32_t>(raw.size());
    sigval_to_octet_string(&buffer, &length);
    ASSERT_EQ(length, 260u);

    int kind = 0;
    unsigned char* digest = nullptr;
    uint32_t digest_length = 0;
    ASSERT_TRUE(recover_pkcs1_digest(buffer, length, cert, &kind, &digest, &digest_length));
    EXPECT_EQ(kind, 2);
    const int recovered_kind = kind;
    ASSERT_TRUE(dir->run("openssl dgst -sha256 -binary data.bin > data.sha256"));
    EXPECT_EQ(bytes(digest, digest + digest_length), dir->read("data.sha256"));
    std::free(digest);
    digest = nullptr;
    EXPECT_FALSE(recover_pkcs1_digest(buffer, length, other, &kind, &digest, &digest_length));
    EXPECT_EQ(digest, nullptr);
    EXPECT_FALSE(recover_pkcs1_digest(raw.data(), 5, cert, &kind, &digest, &digest_length));
    EXPECT_FALSE(pkcs1_verify_recover(raw.data(), static_cast<uint32_t>(raw.size()), nullptr, &kind,
                                      &digest, &digest_length));

    STACK_OF(X509)* certs = sk_X509_new_null();
    sk_X509_push(certs, cert);
    wrap_raw_signature_as_pkcs7(certs, recovered_kind, raw_key_kind_rsa, &buffer, &length);
    bytes wrapped(buffer, buffer + length);
    std::free(buffer);
    EXPECT_EQ(verify(wrapped, kContent), sigerr_okay);
    EXPECT_EQ(verify(wrapped, "other"), sigerr_invalid);
    // The independent judge agrees.
    dir->write("wrapped.p7s", wrapped);
    EXPECT_TRUE(dir->run("openssl cms -verify -binary -inform DER -in wrapped.p7s -content data.bin "
                         "-noverify -out /dev/null"))
        << dir->log();

    EXPECT_EQ(verify_raw_with_digest(reinterpret_cast<const unsigned char*>(kContent.data()),
                                     kContent.size(), NID_sha256, cert, raw.data(), raw.size()),
              raw_verify_valid);
    EXPECT_EQ(verify_raw_with_digest(reinterpret_cast<const unsigned char*>(kContent.data()),
                                     kContent.size(), NID_sha256, other, raw.data(), raw.size()),
              raw_verify_invalid);
    sk_X509_pop_free(certs, X509_free);
    X509_free(other);
}

TEST_F(SignatureVerify, BuilderCodesAndAttributes) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("rc.pem"));
    ASSERT_NE(cert, nullptr);
    unsigned char* cert_der = nullptr;
    int cert_len = i2d_X509(cert, &cert_der);
    const unsigned char sig[] = {1, 2, 3, 4};
    const unsigned char md[32] = {9};
    const unsigned char value[] = {0x30, 0x03, 0x02, 0x01, 0x05};
    const byte_span values[] = {{value, sizeof value}};
    const builder_attribute extra[] = {{"1.2.840.113583.1.1.8", values, 1}};
    const byte_span good_ders[] = {{cert_der, static_cast<uint32_t>(cert_len)}};
    const byte_span bad_ders[] = {{sig, sizeof sig}};

    auto build = [&](const std::function<void(signed_data_request&)>& set, bytes* out) {
        signed_data_request r;
        r.digest_kind = 2;
        r.cert_ders = good_ders;
        r.cert_der_count = 1;
        r.signature_kind = 2;
        r.signature = sig;
        r.signature_len = sizeof sig;
        r.pending = true;
        r.p7 = PKCS7_new();
        set(r);
        unsigned char* der = nullptr;
        uint32_t len = 0;
        int code = build_signed_data(&r, &der, &len);
        if (out != nullptr && der != nullptr) out->assign(der, der + len);
        if (code == 0) {
            EXPECT_FALSE(r.pending);
        }
        std::free(der);
        PKCS7_free(r.p7);
        return code;
    };
    bytes der;
    EXPECT_EQ(build([](signed_data_request&) {}, &der), 0);
    EXPECT_FALSE(der.empty());
    EXPECT_EQ(build([](signed_data_request& r) { r.pending = false; }, nullptr), 5);
    EXPECT_EQ(build([](signed_data_request& r) { r.cert_der_count = 0; }, nullptr), 2);
    EXPECT_EQ(build([&](signed_data_request& r) { r.cert_ders = bad_ders; }, nullptr), 16);
    EXPECT_EQ(build([](signed_data_request& r) { r.digest_kind = 9; }, nullptr), 14);
    EXPECT_EQ(build([](signed_data_request& r) {
                  PKCS7_free(r.p7);
                  r.p7 = nullptr;
              }, nullptr),
              3);

    // With a message digest: contentType, messageDigest and the extra attribute.
    bytes with_attrs;
    ASSERT_EQ(build([&](signed_data_request& r) {
                  r.message_digest = md;
                  r.message_digest_len = sizeof md;
                  r.signed_attrs = extra;
                  r.signed_attr_count = 1;
                  r.unsigned_attrs = extra;
                  r.unsigned_attr_count = 1;
              }, &with_attrs),
              0);
    PKCS7* p7 = parse_pkcs7_der(with_attrs.data(), static_cast<uint32_t>(with_attrs.size()));
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = first_si(p7);
    EXPECT_EQ(si->enc_digest->length, 4);
    EXPECT_NE(PKCS7_get_signed_attribute(si, NID_pkcs9_contentType), nullptr);
    ASN1_OCTET_STRING* got = PKCS7_digest_from_attributes(si->auth_attr);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->length, 32);
    int32_t revoke_nid = 0;
    oid_text_to_nid("1.2.840.113583.1.1.8", &revoke_nid);
    ASN1_TYPE* v = PKCS7_get_signed_attribute(si, revoke_nid);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, V_ASN1_SEQUENCE);
    EXPECT_NE(PKCS7_get_attribute(si, revoke_nid), nullptr);
    EXPECT_EQ(p7->d.sign->contents->d.data, nullptr) << "must be detached";
    PKCS7_free(p7);
    OPENSSL_free(cert_der);
    X509_free(cert);
}

namespace {

// Serves the bytes like a file would; reads past `fail_from` fail.
class test_source : public byte_source {
public:
    test_source(const std::string& data, uint64_t fail_from = UINT64_MAX) : data_(data), fail_from_(fail_from) {}
    uint64_t size() const override { return data_.size(); }

protected:
    bool read_bytes(uint64_t offset, unsigned char* out, std::size_t length) override {
        if (offset + length > fail_from_) return false;
        std::memcpy(out, data_.data() + offset, length);
        return true;
    }

private:
    const std::string& data_;
    uint64_t fail_from_;
};

}  // namespace

// Data larger than a read block, checked from a source: the verdicts of the
// buffer form, a change in a later block found, and a failed read reported.
TEST_F(SignatureVerify, StreamedDataAcrossBlocks) {
    ASSERT_TRUE(ok) << dir->log();
    std::string big(2 * kByteSourceBlock + 12345, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
    dir->write_text("big.bin", big);
    ASSERT_TRUE(dir->run("openssl cms -sign -binary -in big.bin -signer rc.pem -inkey rk.pem -md sha256 "
                         "-outform DER -out big.p7s && "
                         "openssl dgst -sm3 -sign sk1.pem -sigopt distid:1234567812345678 -out big.raw big.bin"))
        << dir->log();
    const bytes rsa = dir->read("big.p7s");

    // The SM2 value signs the data itself (no attributes): wrapped as PKCS#7.
    X509* cert = load_cert(dir->file("sc1.pem"));
    ASSERT_NE(cert, nullptr);
    STACK_OF(X509)* certs = sk_X509_new_null();
    sk_X509_push(certs, cert);
    const bytes raw = dir->read("big.raw");
    auto* buffer = static_cast<unsigned char*>(std::malloc(raw.size()));
    std::memcpy(buffer, raw.data(), raw.size());
    uint32_t length = static_cast<uint32_t>(raw.size());
    sigval_to_octet_string(&buffer, &length);
    wrap_raw_signature_as_pkcs7(certs, 5, raw_key_kind_sm2, &buffer, &length);
    const bytes sm2(buffer, buffer + length);
    std::free(buffer);
    sk_X509_pop_free(certs, X509_free);

    std::string changed = big;
    changed[2 * kByteSourceBlock + 7] ^= 0x20;
    struct stream_case {
        const char* name;
        const bytes& signature;
        const std::string& data;
        int expected;
    };
    for (const auto& c : std::vector<stream_case>{{"RSA", rsa, big, sigerr_okay},
                                                 {"RSA, changed in the last block", rsa, changed, sigerr_modified},
                                                 {"SM2 value", sm2, big, sigerr_okay},
                                                 {"SM2 value, changed in the last block", sm2, changed,
                                                  sigerr_invalid}}) {
        SCOPED_TRACE(c.name);
        test_source source(c.data);
        EXPECT_EQ(verify_pkcs7_detached(c.signature.data(), static_cast<uint32_t>(c.signature.size()), source),
                  c.expected);
        EXPECT_FALSE(source.failed());
        EXPECT_EQ(verify(c.signature, c.data), c.expected) << "the buffer form agrees";

        test_source failing(c.data, kByteSourceBlock + 100);
        EXPECT_NE(verify_pkcs7_detached(c.signature.data(), static_cast<uint32_t>(c.signature.size()), failing),
                  sigerr_okay);
        EXPECT_TRUE(failing.failed());
    }
    const std::string nothing;
    test_source empty(nothing);
    EXPECT_EQ(verify_pkcs7_detached(rsa.data(), static_cast<uint32_t>(rsa.size()), empty), sigerr_unknown);
}
