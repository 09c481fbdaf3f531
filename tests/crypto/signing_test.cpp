// Detached signing, time stamps and OCSP against loopback peers: a TSA
// (openssl ts -reply behind the loopback HTTP server), an OCSP responder
// (openssl ocsp), rejecting and broken servers and a closed port. What we
// make is judged by the openssl command line.
#include "crypto/crypto_init.h"
#include "crypto/local_time.h"
#include "crypto/ocsp_query.h"
#include "crypto/pkcs7_sign.h"
#include "crypto/pfx.h"
#include "crypto/revocation_archive.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "app/data_dirs.h"
#include "crypto/timestamp_request.h"
#include "support/pki_fixture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ocsp.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>
#include <curl/curl.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>
#include <thread>
#include <chrono>

using testsupport::run_command;
using testsupport::shell_quote;

namespace {

const char kPassword[] = "pw";

struct pki_world {
    testsupport::test_pki pki;
    std::string f(const std::string& name) const { return pki.f(name); }
};

pki_world* world = nullptr;

class signing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        world = new pki_world;
        // Issuers met while signing go to a trust list and store of our own.
        set_data_root(world->pki.dir() + "/data/");
        certcache_dir = app_data_dir() + "certcache/";
    }
    static void TearDownTestSuite() {
        trust_list.clear();
        certcache_dir.clear();
        set_data_root("");
        delete world;
        world = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(world->pki.ok()) << world->pki.setup_log(); }

    static std::string f(const std::string& n) { return world->f(n); }
    static std::string url(const std::string& path) { return world->pki.url(path); }
};

std::string read_bytes(const std::string& path) { return testsupport::read_file(path); }

struct der_buffer {
    unsigned char* data = nullptr;
    uint32_t length = 0;
    ~der_buffer() { std::free(data); }
    std::string str() const { return std::string(reinterpret_cast<char*>(data), length); }
};

PKCS7* decode(const der_buffer& b) {
    const unsigned char* p = b.data;
    return d2i_PKCS7(nullptr, &p, b.length);
}

PKCS7_SIGNER_INFO* first_signer(PKCS7* p7) {
    return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
}

X509* load_pem(const std::string& path) {
    FILE* fp = std::fopen(path.c_str(), "r");
    if (fp == nullptr) return nullptr;
    X509* c = PEM_read_X509(fp, nullptr, nullptr, nullptr);
    std::fclose(fp);
    return c;
}

std::string sign_pfx(const std::string& data, const std::string& pfx, const char* tsa, int revocation,
                     der_buffer* out) {
    try {
        p7sign_pfx(reinterpret_cast<const unsigned char*>(data.data()), static_cast<uint32_t>(data.size()),
                   pfx.c_str(), kPassword, tsa, revocation, &out->data, &out->length);
        return "Succeed";
    } catch (const std::exception& ex) {
        return ex.what();
    }
}

std::string cms_verify(const std::string& sig_path, const std::string& data_path) {
    auto r = run_command("openssl cms -verify -binary -inform DER -in " + shell_quote(sig_path) + " -content " +
                         shell_quote(data_path) + " -CAfile " + shell_quote(world->f("root.pem")) +
                         " -purpose any -out /dev/null 2>&1");
    return r.status == 0 ? "ok" : r.output;
}

std::string ts_error(const std::string& server_path) {
    const unsigned char data[] = "abc";
    unsigned char* token = nullptr;
    uint32_t length = 0;
    try {
        request_timestamp(data, 3, world->pki.url(server_path).c_str(), EVP_sha256(), &token, &length);
    } catch (const std::exception& ex) {
        return ex.what();
    }
    std::free(token);
    return "no error";
}

}  // namespace

TEST_F(signing, rsa_and_ec_signatures_verify_with_openssl_cms) {
    std::string data = read_bytes(f("data4097.bin"));  // fed in two chunks, 4096 and 1
    for (const char* name : {"leaf", "ec"}) {
        SCOPED_TRACE(name);
        der_buffer sig;
        ASSERT_EQ(sign_pfx(data, f(std::string(name) + ".p12"), nullptr, 0, &sig), "Succeed");
        ASSERT_GT(sig.length, 0u);
        testsupport::write_file(f(std::string(name) + ".sig"), sig.str());
        EXPECT_EQ(cms_verify(f(std::string(name) + ".sig"), f("data4097.bin")), "ok");

        PKCS7* p7 = decode(sig);
        ASSERT_NE(p7, nullptr);
        PKCS7_SIGNER_INFO* si = first_signer(p7);
        EXPECT_EQ(sk_PKCS7_SIGNER_INFO_num(PKCS7_get_signer_info(p7)), 1);
        EXPECT_TRUE(PKCS7_get_detached(p7));
        EXPECT_EQ(ASN1_INTEGER_get(si->version), 1);
        EXPECT_EQ(OBJ_obj2nid(si->digest_alg->algorithm), NID_sha256);
        int enc = OBJ_obj2nid(si->digest_enc_alg->algorithm);
        if (std::string(name) == "leaf") {
            EXPECT_EQ(enc, NID_sha256WithRSAEncryption);
            ASSERT_NE(si->digest_enc_alg->parameter, nullptr);
            EXPECT_EQ(si->digest_enc_alg->parameter->type, V_ASN1_NULL);
        } else {
            EXPECT_EQ(enc, NID_ecdsa_with_SHA256);
        }
        EXPECT_NE(PKCS7_get_signed_attribute(si, NID_pkcs9_contentType), nullptr);
        EXPECT_NE(PKCS7_get_signed_attribute(si, NID_pkcs9_signingTime), nullptr);
        EXPECT_NE(PKCS7_get_signed_attribute(si, NID_pkcs9_messageDigest), nullptr);
        EXPECT_EQ(PKCS7_get_signed_attribute(si, pdf_revocation_attribute_nid()), nullptr);
        EXPECT_LE(sk_X509_ATTRIBUTE_num(si->unauth_attr), 0);
        // Signer first, then its issuer, each once (the PFX gives the signer twice).
        STACK_OF(X509)* certs = p7->d.sign->cert;
        ASSERT_GE(sk_X509_num(certs), 2);
        X509* leaf = load_pem(f(std::string(name) + ".pem"));
        X509* inter = load_pem(f("inter.pem"));
        EXPECT_EQ(X509_cmp(sk_X509_value(certs, 0), leaf), 0);
        EXPECT_EQ(X509_cmp(sk_X509_value(certs, 1), inter), 0);
        int copies = 0;
        for (int i = 0; i < sk_X509_num(certs); ++i) copies += X509_cmp(sk_X509_value(certs, i), leaf) == 0;
        EXPECT_EQ(copies, 1);
        X509_free(leaf);
        X509_free(inter);
        PKCS7_free(p7);
    }
    // Changed data no longer verifies.
    std::string changed = data;
    changed[100] ^= 1;
    testsupport::write_file(f("changed.bin"), changed);
    EXPECT_NE(cms_verify(f("leaf.sig"), f("changed.bin")), "ok");
}

TEST_F(signing, sm2_signature_verifies_with_openssl_dgst_and_distid) {
    X509* made = nullptr;
    ASSERT_EQ(make_self_signed_pfx("/CN=Velk SM2 Signer", pfx_key_sm2, pfx_digest_sm3, {NID_client_auth}, kPassword,
                                   L"", &made),
              1);  // an empty output path fails after the certificate is made
    X509_free(made);
    std::wstring wpath;
    for (char c : f("sm2.p12")) wpath.push_back(static_cast<wchar_t>(c));
    ASSERT_EQ(make_self_signed_pfx("/CN=Velk SM2 Signer", pfx_key_sm2, pfx_digest_sm3, {NID_client_auth}, kPassword,
                                   wpath, &made),
              0);
    ASSERT_NE(made, nullptr);
    {
        FILE* fp = std::fopen(f("sm2.pem").c_str(), "w");
        PEM_write_X509(fp, made);
        std::fclose(fp);
    }
    X509_free(made);

    std::string data = "SM2 signed bytes of a PDF";
    der_buffer sig;
    ASSERT_EQ(sign_pfx(data, f("sm2.p12"), nullptr, 0, &sig), "Succeed");
    PKCS7* p7 = decode(sig);
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    EXPECT_EQ(OBJ_obj2nid(si->digest_alg->algorithm), NID_sm3);
    EXPECT_EQ(OBJ_obj2nid(si->digest_enc_alg->algorithm), NID_SM2_with_SM3);
    EXPECT_TRUE(si->digest_enc_alg->parameter == nullptr || si->digest_enc_alg->parameter->type == V_ASN1_UNDEF);

    // The signed attributes as signed (a SET), the signature value and the
    // messageDigest, then openssl's own SM3 and SM2 as judges.
    unsigned char* attrs = nullptr;
    int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &attrs, ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    ASSERT_GT(alen, 0);
    testsupport::write_file(f("sm2.attrs"), std::string(reinterpret_cast<char*>(attrs), alen));
    OPENSSL_free(attrs);
    testsupport::write_file(f("sm2.sigval"), std::string(reinterpret_cast<char*>(si->enc_digest->data),
                                                         si->enc_digest->length));
    testsupport::write_file(f("sm2.data"), data);
    ASN1_OCTET_STRING* md = PKCS7_digest_from_attributes(si->auth_attr);
    ASSERT_NE(md, nullptr);
    std::string md_hex;
    for (int i = 0; i < md->length; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", md->data[i]);
        md_hex += b;
    }
    PKCS7_free(p7);

    auto digest = run_command("cd " + shell_quote(world->pki.dir()) + " && openssl dgst -sm3 -r sm2.data");
    EXPECT_EQ(digest.output.substr(0, 64), md_hex);
    auto verify = run_command("cd " + shell_quote(world->pki.dir()) +
                              " && openssl x509 -in sm2.pem -pubkey -noout > sm2.pub"
                              " && openssl dgst -sm3 -verify sm2.pub -sigopt distid:1234567812345678"
                              " -signature sm2.sigval sm2.attrs 2>&1");
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(verify.output.find("Verified OK"), std::string::npos) << verify.output;
}

TEST_F(signing, embedded_time_stamp_token_verifies_with_openssl_ts) {
    std::string data = "time-stamped content";
    testsupport::write_file(f("ts.data"), data);
    der_buffer sig;
    std::string tsa = url("/tsa");
    ASSERT_EQ(sign_pfx(data, f("leaf.p12"), tsa.c_str(), 0, &sig), "Succeed");
    testsupport::write_file(f("ts.sig"), sig.str());
    EXPECT_EQ(cms_verify(f("ts.sig"), f("ts.data")), "ok");

    PKCS7* p7 = decode(sig);
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    ASSERT_EQ(sk_X509_ATTRIBUTE_num(si->unauth_attr), 1);
    ASN1_TYPE* token = PKCS7_get_attribute(si, NID_id_smime_aa_timeStampToken);
    ASSERT_NE(token, nullptr);
    ASSERT_EQ(token->type, V_ASN1_SEQUENCE);
    testsupport::write_file(f("ts.token"), std::string(reinterpret_cast<char*>(token->value.sequence->data),
                                                       token->value.sequence->length));
    testsupport::write_file(f("ts.sigval"), std::string(reinterpret_cast<char*>(si->enc_digest->data),
                                                        si->enc_digest->length));
    PKCS7_free(p7);
    auto r = run_command("cd " + shell_quote(world->pki.dir()) +
                         " && openssl ts -verify -token_in -in ts.token -data ts.sigval -CAfile root.pem"
                         " -untrusted tsa.pem 2>&1");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("OK"), std::string::npos) << r.output;
}

TEST_F(signing, time_stamp_failures_give_their_texts) {
    const unsigned char data[] = "x";
    unsigned char* token = nullptr;
    uint32_t length = 0;
    int before = world->pki.http().request_count();
    EXPECT_EQ(request_timestamp(data, 1, nullptr, EVP_sha256(), &token, &length), -1);
    EXPECT_EQ(world->pki.http().request_count(), before);

    EXPECT_EQ(ts_error("/reject"), "Failed to add timestamp - reply status: 2");
    EXPECT_EQ(ts_error("/garbage"), "Failed to add timestamp - failed to decode timestamp reply");
    EXPECT_EQ(ts_error("/error"), "Failed to add timestamp - failed to decode timestamp reply");
    EXPECT_EQ(ts_error("/notoken"), "Failed to add timestamp - reply granted without a token");
    std::string closed = "http://127.0.0.1:" + std::to_string(world->pki.dead_port()) + "/";
    unsigned char* t2 = nullptr;
    std::string text;
    try {
        request_timestamp(data, 1, closed.c_str(), EVP_sha256(), &t2, &length);
    } catch (const std::exception& ex) {
        text = ex.what();
    }
    EXPECT_EQ(text, std::string("Failed to add timestamp - ") + curl_easy_strerror(CURLE_COULDNT_CONNECT));

    // The request as sent: the headers and a DER TimeStampReq with certReq.
    EXPECT_EQ(ts_error("/tsa"), "no error");
    int n = world->pki.http().request_count();
    std::string body = world->pki.http().request_body(n);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(body.data());
    TimeStampReq* req = d2i_TimeStampReq(nullptr, &p, static_cast<long>(body.size()));
    ASSERT_NE(req, nullptr);
    EXPECT_EQ(ASN1_INTEGER_get(req->version), 1);
    EXPECT_NE(req->certReq, 0);
    EXPECT_EQ(req->nonce, nullptr);
    EXPECT_EQ(OBJ_obj2nid(req->messageImprint->hashAlgorithm->algorithm), NID_sha256);
    EXPECT_EQ(req->messageImprint->hashedMessage->length, 32);
    TimeStampReq_free(req);

    // A failing time stamp fails the whole signing with its text.
    der_buffer sig;
    std::string reject = url("/reject");
    EXPECT_EQ(sign_pfx("data", f("leaf.p12"), reject.c_str(), 0, &sig), "Failed to add timestamp - reply status: 2");
    EXPECT_EQ(sig.data, nullptr);
    // An empty URL is no time stamp.
    der_buffer plain;
    EXPECT_EQ(sign_pfx("data", f("leaf.p12"), "", 0, &plain), "Succeed");
}

TEST_F(signing, revocation_archive_holds_the_chains_ocsp_responses) {
    std::string data = "long-term validation";
    testsupport::write_file(f("ltv.data"), data);
    der_buffer sig;
    ASSERT_EQ(sign_pfx(data, f("leaf.p12"), nullptr, 1, &sig), "Succeed");
    testsupport::write_file(f("ltv.sig"), sig.str());
    EXPECT_EQ(cms_verify(f("ltv.sig"), f("ltv.data")), "ok");

    PKCS7* p7 = decode(sig);
    ASSERT_NE(p7, nullptr);
    ASN1_TYPE* attr = PKCS7_get_signed_attribute(first_signer(p7), pdf_revocation_attribute_nid());
    ASSERT_NE(attr, nullptr) << "no revocation attribute";
    ASSERT_EQ(attr->type, V_ASN1_SEQUENCE);
    const unsigned char* p = attr->value.sequence->data;
    pdf_revocation_archive* archive = d2i_pdf_revocation_archive(nullptr, &p, attr->value.sequence->length);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->crls, nullptr);
    ASSERT_EQ(sk_OCSP_RESPONSE_num(archive->ocsps), 2);

    // Leaf by intermediate first, then intermediate by root; both good.
    X509* root = load_pem(f("root.pem"));
    X509* inter = load_pem(f("inter.pem"));
    X509* leaf = load_pem(f("leaf.pem"));
    X509* subjects[2][2] = {{leaf, inter}, {inter, root}};
    for (int i = 0; i < 2; ++i) {
        OCSP_BASICRESP* basic = OCSP_response_get1_basic(sk_OCSP_RESPONSE_value(archive->ocsps, i));
        ASSERT_NE(basic, nullptr);
        OCSP_CERTID* id = OCSP_cert_to_id(EVP_sha1(), subjects[i][0], subjects[i][1]);
        int status = -1;
        EXPECT_EQ(OCSP_resp_find_status(basic, id, &status, nullptr, nullptr, nullptr, nullptr), 1) << i;
        EXPECT_EQ(status, V_OCSP_CERTSTATUS_GOOD);
        OCSP_CERTID_free(id);
        OCSP_BASICRESP_free(basic);
    }

    // The check over these responses: good at the signing time.
    STACK_OF(X509)* chain = sk_X509_new_null();
    sk_X509_push(chain, leaf);
    sk_X509_push(chain, inter);
    int32_t flag = -1;
    EXPECT_EQ(check_ocsp_responses(chain, now_local_text().c_str(), archive->ocsps, &flag), 0);
    EXPECT_EQ(flag, 0);
    // After nextUpdate (and at exactly nextUpdate) the responses do not cover the signing.
    flag = -1;
    EXPECT_EQ(check_ocsp_responses(chain, "2999-01-01 00:00:00", archive->ocsps, &flag), 0);
    EXPECT_EQ(flag, 1);
    {
        OCSP_BASICRESP* basic = OCSP_response_get1_basic(sk_OCSP_RESPONSE_value(archive->ocsps, 0));
        ASN1_GENERALIZEDTIME* next = nullptr;
        OCSP_single_get0_status(OCSP_resp_get0(basic, 0), nullptr, nullptr, nullptr, &next);
        ASSERT_NE(next, nullptr);
        std::string at = generalized_time_to_local_text(
            std::string(reinterpret_cast<char*>(next->data), next->length));
        OCSP_BASICRESP_free(basic);
        flag = -1;
        EXPECT_EQ(check_ocsp_responses(chain, at.c_str(), archive->ocsps, &flag), 0);
        EXPECT_EQ(flag, 1);
    }
    // A chain of one: 1, flag untouched.
    STACK_OF(X509)* one = sk_X509_new_null();
    sk_X509_push(one, leaf);
    flag = 7;
    EXPECT_EQ(check_ocsp_responses(one, now_local_text().c_str(), archive->ocsps, &flag), 1);
    EXPECT_EQ(flag, 7);
    sk_X509_free(one);
    // A response whose signature is broken: 1.
    {
        OCSP_BASICRESP* basic = OCSP_response_get1_basic(sk_OCSP_RESPONSE_value(archive->ocsps, 0));
        ASSERT_NE(basic, nullptr);
        auto* signature = const_cast<ASN1_OCTET_STRING*>(OCSP_resp_get0_signature(basic));
        signature->data[signature->length / 2] ^= 0x01;
        OCSP_RESPONSE* broken = OCSP_response_create(OCSP_RESPONSE_STATUS_SUCCESSFUL, basic);
        OCSP_BASICRESP_free(basic);
        ASSERT_NE(broken, nullptr);
        if (broken != nullptr) {
            STACK_OF(OCSP_RESPONSE)* list = sk_OCSP_RESPONSE_new_null();
            sk_OCSP_RESPONSE_push(list, broken);
            EXPECT_EQ(check_ocsp_responses(chain, now_local_text().c_str(), list, &flag), 1);
            sk_OCSP_RESPONSE_pop_free(list, OCSP_RESPONSE_free);
        }
    }
    sk_X509_free(chain);
    X509_free(root);
    X509_free(inter);
    X509_free(leaf);
    pdf_revocation_archive_free(archive);
    PKCS7_free(p7);
}

TEST_F(signing, signing_goes_on_without_revocation_data_when_ocsp_fails) {
    // No OCSP address, a revoked signer, a self-signed signer: signed, no attribute.
    for (const char* pfx : {"noaia.p12", "revoked.p12", "sm2.p12"}) {
        SCOPED_TRACE(pfx);
        if (!testsupport::file_exists(f(pfx))) continue;  // sm2.p12 comes from the SM2 test
        der_buffer sig;
        ASSERT_EQ(sign_pfx("data", f(pfx), nullptr, 1, &sig), "Succeed");
        PKCS7* p7 = decode(sig);
        ASSERT_NE(p7, nullptr);
        EXPECT_EQ(PKCS7_get_signed_attribute(first_signer(p7), pdf_revocation_attribute_nid()), nullptr);
        PKCS7_free(p7);
    }
}

TEST_F(signing, ocsp_query_results) {
    X509* inter = load_pem(f("inter.pem"));
    struct row {
        const char* cert;
        X509* issuer;
        int result;
        bool data;
    } rows[] = {
        {"leaf.pem", inter, 0, true},      // good
        {"revoked.pem", inter, 1, false},  // revoked
        {"noaia.pem", inter, 0, false},    // no responder named
        {"dead.pem", inter, 0, false},     // closed port
        {"garbage.pem", inter, 0, false},  // reply that is not OCSP
        {"leaf.pem", nullptr, 0, false},   // no issuer
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.cert);
        X509* cert = load_pem(f(r.cert));
        ASSERT_NE(cert, nullptr);
        unsigned char* out = nullptr;
        uint32_t length = 0;
        EXPECT_EQ(query_ocsp(cert, r.issuer, &out, &length), r.result);
        EXPECT_EQ(out != nullptr, r.data);
        EXPECT_EQ(length > 0, r.data);
        std::free(out);
        X509_free(cert);
    }
    X509_free(inter);
}

TEST_F(signing, key_and_argument_failures) {
    der_buffer sig;
    EXPECT_EQ(sign_pfx("data", f("missing.p12"), nullptr, 0, &sig), "Failed to access pfx certificate");
    EXPECT_EQ(sig.data, nullptr);
    // Null out-parameters: nothing happens.
    EXPECT_NO_THROW(p7sign_pfx(reinterpret_cast<const unsigned char*>("x"), 1, f("leaf.p12").c_str(), kPassword,
                               nullptr, 0, nullptr, nullptr));
    // A key that is not the certificate's is refused, whatever the two
    // algorithms are and whatever was signed before.
    auto read_key = [](const std::string& path) {
        FILE* fp = std::fopen(path.c_str(), "r");
        EVP_PKEY* key = fp != nullptr ? PEM_read_PrivateKey(fp, nullptr, nullptr, nullptr) : nullptr;
        if (fp != nullptr) std::fclose(fp);
        return key;
    };
    X509* sm2 = nullptr;  // an empty output path fails after the certificate is made
    make_self_signed_pfx("/CN=Velk SM2 Signer", pfx_key_sm2, pfx_digest_sm3, {NID_client_auth}, kPassword, L"", &sm2);
    ASSERT_NE(sm2, nullptr);
    X509* rsa_cert = load_pem(f("leaf.pem"));
    X509* ec_cert = load_pem(f("ec.pem"));
    EVP_PKEY* rsa = read_key(f("leaf.key"));
    EVP_PKEY* ec = read_key(f("ec.key"));
    EVP_PKEY* other_sm2 = EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2");
    ASSERT_TRUE(rsa_cert && ec_cert && rsa && ec && other_sm2);
    struct row {
        const char* name;
        X509* cert;
        EVP_PKEY* key;
        const char* failure;
    };
    const row rows[] = {
        {"RSA key, SM2 certificate", sm2, rsa, "add signer failed"},
        {"another SM2 key, SM2 certificate", sm2, other_sm2, "add signer failed"},
        {"SM2 key, RSA certificate", rsa_cert, other_sm2, "add signer failed"},
        {"EC key, RSA certificate", rsa_cert, ec, "add signer failed"},
        {"RSA key, EC certificate", ec_cert, rsa, "add signer failed"},
        {"RSA key, its own certificate", rsa_cert, rsa, ""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        BIO* in = BIO_new_mem_buf("x", 1);
        der_buffer out;
        std::string text;
        try {
            build_pkcs7_signature(in, r.cert, nullptr, r.key, nullptr, 0, &out.data, &out.length);
        } catch (const std::exception& ex) {
            text = ex.what();
        }
        BIO_free(in);
        EXPECT_EQ(text, r.failure);
        EXPECT_EQ(out.data != nullptr, r.failure[0] == '\0');
    }
    for (EVP_PKEY* k : {rsa, ec, other_sm2}) EVP_PKEY_free(k);
    for (X509* c : {sm2, rsa_cert, ec_cert}) X509_free(c);
    // The store path without such a certificate.
    std::string text;
    try {
        p7sign_syscert(reinterpret_cast<const unsigned char*>("x"), 1, "MY", L"nobody", L"nobody", "00", nullptr, 0,
                       &sig.data, &sig.length);
    } catch (const std::exception& ex) {
        text = ex.what();
    }
    EXPECT_EQ(text, "Failed to access system certificate");
}

TEST_F(signing, store_certificate_signs_and_verifies) {
    std::wstring pfx;
    for (char c : f("leaf.p12")) pfx.push_back(static_cast<wchar_t>(c));
    ASSERT_TRUE(import_pfx_to_store(pfx, L"pw", pfx_import_no_ui));
    std::string data = "signed with a store key";
    testsupport::write_file(f("store.data"), data);
    der_buffer sig;
    p7sign_syscert(reinterpret_cast<const unsigned char*>(data.data()), static_cast<uint32_t>(data.size()), "MY",
                   L"Velk Test Inter", L"Velk RSA Signer", "2001", nullptr, 0, &sig.data, &sig.length);
    ASSERT_GT(sig.length, 0u);
    testsupport::write_file(f("store.sig"), sig.str());
    EXPECT_EQ(cms_verify(f("store.sig"), f("store.data")), "ok");
}

TEST(byte_buffers, free_clears_every_entry) {
    free_byte_buffers(nullptr, 3);
    auto* list = static_cast<byte_buffer*>(std::calloc(2, sizeof(byte_buffer)));
    list[0].data = static_cast<unsigned char*>(std::malloc(4));
    list[0].length = 4;
    free_byte_buffers(list, 0);  // count 0: nothing freed
    EXPECT_NE(list[0].data, nullptr);
    free_byte_buffers(list, 2);
}
