#include "document/sigdata.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/ts.h>

#include "app/diagnostics.h"
#include "app/encoding.h"
#include "app/exceptionex.h"
#include "crypto/cert_loading.h"
#include "crypto/digests.h"
#include "crypto/local_time.h"
#include "crypto/ses_seal.h"
#include "crypto/timestamp_verify.h"
#include "platform/owned.h"

namespace {

constexpr const char* kTimeStampTokenOid = "1.2.840.113549.1.9.16.2.14";
constexpr int kNidGmSignedData = 1249;
// A time-stamp token may carry a token of its own; hostile data could nest
// them until the stack runs out.
constexpr int kMaxTokenDepth = 8;

using pkcs7_ptr = owned<PKCS7>;
using ses_ptr = owned<SES_Signature>;
using x509_ptr = owned<X509>;
using buffer_ptr = malloced<unsigned char>;

bool is_pkcs7_type(const char* type) {
    return std::strcmp(type, "dstn_pkcs7") == 0 || std::strcmp(type, "dstn_pkcs1") == 0 ||
           std::strcmp(type, "dstn_rfc3161ts") == 0 || std::strcmp(type, "dstn_gm_val") == 0;
}

PKCS7_SIGNER_INFO* first_signer_info(PKCS7* p7) {
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
    if (infos == nullptr || sk_PKCS7_SIGNER_INFO_num(infos) < 1) return nullptr;
    return sk_PKCS7_SIGNER_INFO_value(infos, 0);
}

std::string text_of(const ASN1_STRING* s) {
    if (s == nullptr || s->data == nullptr || s->length <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(s->data), static_cast<std::size_t>(s->length));
}

// The algorithm names of a signature, and the numbers when it has no name.
void set_algorithms(sigdata_record& s, int sig_nid, int digest_nid, bool with_digest_number) {
    s.sig_alg = signature_alg_name(sig_nid, digest_nid);
    if (s.sig_alg == "sigalg-unsupported")
        s.alg_numbers = with_digest_number ? std::to_string(sig_nid) + " - " + std::to_string(digest_nid)
                                           : std::to_string(sig_nid);
}

// The generation time of an RFC 3161 token, for tokens whose signer did not
// add a signingTime attribute: the token's time is what a time stamp is for.
std::string token_generation_time(PKCS7* p7) {
    TS_TST_INFO* info = PKCS7_to_TS_TST_INFO(p7);
    if (info == nullptr) {
        ERR_clear_error();
        return std::string();
    }
    std::string text = asn1_time_to_text(TS_TST_INFO_get_time(info));
    TS_TST_INFO_free(info);
    return text;
}

void parse_pkcs7_at(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s, int depth) {
    if (bytes == nullptr || length == 0) throw_ex_fmt("param error");
    s.type = type;
    pkcs7_ptr p7(parse_pkcs7_der(bytes, length));
    if (!p7) {
        ERR_clear_error();
        s.type = "dstn_unsup";
        throw_ex_fmt("not pkcs7 signed-data format");
    }
    X509* signer = nullptr;
    STACK_OF(X509)* certs = nullptr;
    pkcs7_signer_cert(p7.get(), &signer, &certs);
    if (signer != nullptr) build_x509ui(signer, s.signer);

    PKCS7_SIGNER_INFO* si = first_signer_info(p7.get());
    if (si != nullptr) {
        const int d = si->digest_alg ? OBJ_obj2nid(si->digest_alg->algorithm) : 0;
        const int e = si->digest_enc_alg ? OBJ_obj2nid(si->digest_enc_alg->algorithm) : 0;
        s.digest_alg = digest_alg_name(d);
        set_algorithms(s, e, d, true);
    }
    s.ts = nullptr;
    if (si != nullptr) {
        ASN1_TYPE* st = PKCS7_get_signed_attribute(si, NID_pkcs9_signingTime);
        if (st != nullptr && (st->type == V_ASN1_UTCTIME || st->type == V_ASN1_GENERALIZEDTIME))
            s.sign_time = asn1_time_to_text(reinterpret_cast<const ASN1_TIME*>(st->value.utctime));
    }
    if (s.sign_time.empty()) s.sign_time = token_generation_time(p7.get());
    s.digest_hex = pkcs7_signature_hash_hex(p7.get());

    unsigned char* der = nullptr;
    uint32_t der_length = 0;
    if (pkcs7_attribute_der(p7.get(), false, kTimeStampTokenOid, &der, &der_length) == 0) {
        buffer_ptr token(der);
        if (der_length > 0) {
            if (depth >= kMaxTokenDepth) throw_ex_fmt("%s(), time-stamp tokens nested too deep", "");
            s.ts = new sigdata_record();
            parse_pkcs7_at(token.get(), der_length, "dstn_pkcs7", *s.ts, depth + 1);
        }
    }
    s.seal = nullptr;
}

// The token of a signature value: the DER of the first signer's unsigned
// timeStampToken attribute, decoded; null when there is none.
pkcs7_ptr embedded_token(PKCS7* p7, bool* present) {
    *present = false;
    unsigned char* der = nullptr;
    uint32_t der_length = 0;
    if (pkcs7_attribute_der(p7, false, kTimeStampTokenOid, &der, &der_length) != 0) return nullptr;
    buffer_ptr owned(der);
    if (der_length == 0) return nullptr;
    *present = true;
    pkcs7_ptr token(parse_pkcs7_der(owned.get(), der_length));
    if (!token) throw_ex_fmt("%s", kUndefinedText);
    return token;
}

int32_t check_token(const unsigned char* value, uint32_t value_length, PKCS7* token, cert_chain_ui** out) {
    std::vector<chain_status> list;
    const int32_t code = verify_timestamp_token(value, value_length, token, list);
    auto chain = std::make_unique<cert_chain_ui>();
    certchain_to_ui(list, *chain);
    *out = chain.release();
    return code;
}

}  // namespace

void free_sigdata_record(sigdata_record* record) {
    if (record == nullptr) return;
    free_sigdata_record(record->ts);
    free_sigdata_record(record->seal);
    delete record;
}

bool parse_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s) {
    if (type == nullptr) return false;
    try {
        if (is_pkcs7_type(type))
            parse_pkcs7_sigdata(bytes, length, type, s);
        else if (std::strcmp(type, "dstn_gm_ses") == 0)
            parse_ses_sigdata(bytes, length, type, s);
        return true;
    } catch (const std::exception& ex) {
        diag_print("\n\n[ERROR] %s(), failed, type: %s [ERROR]\n", "", type);
        return false;
    }
}

void parse_pkcs7_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s) {
    parse_pkcs7_at(bytes, length, type, s, 0);
}

void parse_ses_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s) {
    if (bytes == nullptr || length == 0) throw_ex_fmt("%s, param error", "");
    s.type = type;
    ses_ptr parsed(parse_ses_signature(bytes, length));
    if (!parsed) {
        ERR_clear_error();
        s.type = "dstn_unsup";
        throw_ex_fmt("not ses signature format");
    }
    if (parsed->signer_cert != nullptr) build_x509ui(parsed->signer_cert, s.signer);
    s.digest_alg = parsed->digest_name != nullptr ? parsed->digest_name : digest_name_unsupport;
    set_algorithms(s, parsed->sigalg ? OBJ_obj2nid(parsed->sigalg) : 0, 0, false);
    s.ts = nullptr;
    if (parsed->tbs != nullptr) s.sign_time = generalized_time_to_local_text(text_of(parsed->tbs->time));
    if (parsed->ts != nullptr && parsed->ts->length > 0) {
        s.ts = new sigdata_record();
        parse_sigdata(parsed->ts->data, static_cast<uint32_t>(parsed->ts->length), "dstn_pkcs7", *s.ts);
    }
    if (parsed->tbs != nullptr && parsed->tbs->eseal != nullptr) {
        s.seal = new sigdata_record();
        fill_seal_sigdata(parsed->tbs->eseal, *s.seal);
    }
}

void fill_seal_sigdata(const SESeal* seal, sigdata_record& s) {
    if (seal == nullptr || seal->sealInfo == nullptr) throw_ex_fmt("%s, param error", "");
    const SES_ESPropertyInfo* prop = seal->sealInfo->prop;
    if (prop == nullptr) return;
    s.type = "dstn_gm_ses";
    if (seal->seal_cert != nullptr) build_x509ui(seal->seal_cert, s.signer);
    s.digest_alg = seal->seal_digest_name != nullptr ? seal->seal_digest_name : digest_name_unsupport;
    set_algorithms(s, seal->sigalg ? OBJ_obj2nid(seal->sigalg) : 0, 0, false);
    s.ts = nullptr;
    s.sign_time = generalized_time_to_local_text(text_of(prop->createDate));
    s.valid_from = generalized_time_to_local_text(text_of(prop->validStart));
    s.valid_to = generalized_time_to_local_text(text_of(prop->validEnd));
    s.seal = nullptr;
}

bool parse_sigdata_any(const unsigned char* bytes, uint32_t length, sigdata_record& s) {
    if (bytes != nullptr && length > 0) {
        auto* copy = static_cast<unsigned char*>(std::malloc(length));
        if (copy != nullptr) {
            std::memcpy(copy, bytes, length);
            uint32_t copy_length = length;
            contents_from_base64(&copy, &copy_length);
            buffer_ptr owned(copy);
            parse_sigdata(owned.get(), copy_length, "dstn_pkcs7", s);
            if (s.type == "dstn_pkcs7") return true;
            parse_sigdata(owned.get(), copy_length, "dstn_gm_ses", s);
            if (s.type == "dstn_gm_ses") return true;
        }
    }
    diag_print("\n\n[ERROR] %s(), unsupported signature data [ERROR]\n", "");
    return false;
}

void cert_chain_for_sigdata(const unsigned char* bytes, uint32_t length, const char* type, cert_chain_ui** out,
                            int32_t purpose) {
    if (type == nullptr || out == nullptr) return;
    if (is_pkcs7_type(type)) {
        pkcs7_ptr p7(bytes != nullptr && length > 0 ? parse_pkcs7_der(bytes, length) : nullptr);
        if (!p7) {
            ERR_clear_error();
            *out = nullptr;
            throw_ex_fmt("%s", kUndefinedText);
        }
        pkcs7_signer_chain(p7.get(), out, purpose);
    } else if (std::strcmp(type, "dstn_gm_ses") == 0) {
        ses_signer_chain(bytes, length, out, purpose);
    }
}

void pkcs7_signer_chain(PKCS7* p7, cert_chain_ui** out, int32_t purpose) {
    if (out == nullptr) throw_ex_fmt("%s", kUndefinedText);
    *out = nullptr;
    const int kind = p7 != nullptr ? OBJ_obj2nid(p7->type) : 0;
    X509* signer = nullptr;
    STACK_OF(X509)* certs = nullptr;
    if ((kind != NID_pkcs7_signed && kind != kNidGmSignedData) || pkcs7_signer_cert(p7, &signer, &certs) != 0 ||
        certs == nullptr || signer == nullptr)
        throw_ex_fmt("%s", kUndefinedText);
    std::vector<chain_status> list;
    verify_cert_chain(signer, certs, list, purpose);
    auto chain = std::make_unique<cert_chain_ui>();
    certchain_to_ui(list, *chain);
    *out = chain.release();
}

void ses_signer_chain(const unsigned char* bytes, uint32_t length, cert_chain_ui** out, int32_t purpose) {
    if (out == nullptr) throw_ex_fmt("%s", kUndefinedText);
    ses_ptr parsed(bytes != nullptr && length > 0 ? parse_ses_signature(bytes, length) : nullptr);
    if (!parsed) {
        ERR_clear_error();
        throw_ex_fmt("%s", kUndefinedText);
    }
    *out = nullptr;
    x509_ptr cert(parsed->cert != nullptr && parsed->cert->length > 0
                      ? decode_certificate(parsed->cert->data, static_cast<std::size_t>(parsed->cert->length), nullptr)
                      : nullptr);
    if (!cert) throw_ex_fmt("%s", kUndefinedText);
    std::vector<chain_status> list;
    verify_cert_chain(cert.get(), nullptr, list, purpose);
    cert.reset();
    auto chain = std::make_unique<cert_chain_ui>();
    certchain_to_ui(list, *chain);
    *out = chain.release();
}

int32_t timestamp_chain_pkcs7(const unsigned char* bytes, uint32_t length, cert_chain_ui** out) {
    if (out == nullptr) throw_ex_fmt("%s", kUndefinedText);
    *out = nullptr;
    if (bytes == nullptr || length == 0) throw_ex_fmt("%s", kUndefinedText);
    pkcs7_ptr p7(parse_pkcs7_der(bytes, length));
    PKCS7_SIGNER_INFO* si = p7 ? first_signer_info(p7.get()) : nullptr;
    if (si == nullptr || si->enc_digest == nullptr) {
        ERR_clear_error();
        throw_ex_fmt("%s", kUndefinedText);
    }
    bool present = false;
    pkcs7_ptr token = embedded_token(p7.get(), &present);
    if (!present) return sigerr_no_signatures;
    return check_token(si->enc_digest->data, static_cast<uint32_t>(si->enc_digest->length), token.get(), out);
}

int32_t timestamp_chain_ses(const unsigned char* bytes, uint32_t length, cert_chain_ui** out) {
    if (out == nullptr) throw_ex_fmt("%s", kUndefinedText);
    *out = nullptr;
    if (bytes == nullptr || length == 0) throw_ex_fmt("%s", kUndefinedText);
    ses_ptr parsed(parse_ses_signature(bytes, length));
    if (!parsed || parsed->sigval == nullptr) {
        ERR_clear_error();
        throw_ex_fmt("%s", kUndefinedText);
    }
    if (parsed->ts == nullptr || parsed->ts->length <= 0) return sigerr_no_signatures;
    pkcs7_ptr token(parse_pkcs7_der(parsed->ts->data, static_cast<uint32_t>(parsed->ts->length)));
    if (!token) {
        ERR_clear_error();
        throw_ex_fmt("%s", kUndefinedText);
    }
    return check_token(parsed->sigval->data, static_cast<uint32_t>(parsed->sigval->length), token.get(), out);
}

int32_t seal_chain_of(const unsigned char* bytes, uint32_t length, cert_chain_ui** out) {
    int32_t code = sigerr_unknown;
    try {
        if (bytes == nullptr || length == 0 || out == nullptr) throw_ex_fmt("invalid param");
        *out = nullptr;
        ses_ptr parsed(parse_ses_signature(bytes, length));
        if (!parsed) {
            ERR_clear_error();
            code = sigerr_sigdata;
            throw_ex_fmt("d2i_ses failed");
        }
        const SESeal* seal = parsed->tbs != nullptr ? parsed->tbs->eseal : nullptr;
        code = seal != nullptr && verify_ses_seal_signature(seal) == raw_verify_valid ? sigerr_okay
                                                                                    : sigerr_sealsig_invalid;
        auto chain = std::make_unique<cert_chain_ui>();
        if (seal != nullptr) verify_certchain_ui(seal->seal_cert, *chain);
        *out = chain.release();
    } catch (const std::exception& ex) {
        log_exception(ex);
    }
    return code;
}

void verify_certchain_ui(X509* cert, cert_chain_ui& chain) {
    if (cert == nullptr) return;
    std::vector<chain_status> list;
    verify_cert_chain(cert, nullptr, list, chain_purpose_none);
    certchain_to_ui(list, chain);
}

void certchain_to_ui(const std::vector<chain_status>& list, cert_chain_ui& chain) {
    chain.clear();
    for (const chain_status& element : list) {
        chain_cert_entry entry;
        entry.status = element.certerr;
        build_x509ui(element.certificate, entry.cert);
        chain.push_back(std::move(entry));
    }
}
