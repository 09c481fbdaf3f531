// Long-term validation: does the PDF carry revocation data that shows each
// signer certificate good at its signing time?
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <openssl/ocsp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/cert_chain.h"
#include "crypto/digests.h"
#include "crypto/local_time.h"
#include "crypto/ocsp_query.h"
#include "crypto/revocation_archive.h"
#include "document/sigcheck.h"
#include "platform/owned.h"

namespace {

const char kRevocationArchiveOid[] = "1.2.840.113583.1.1.8";

void diagnostic(const char* text) { diag_print("\n %s", text); }

// The signing time of the record: the signature's own (time stamp, else
// signingTime), else /M. "" when none.
std::string signing_time_of(PKCS7* p7, const sigcheck_record& r) {
    std::string t;
    if (pkcs7_signing_time(p7, &t) == 0 && !t.empty()) return t;
    if (std::strlen(r.mtime) >= 16) {
        malloced<char> local(asn1_time_text_to_local(r.mtime + 2, 4));
        if (local && *local) return local.get();
    }
    return "";
}

// The CRLs of the archive: enabled when one that does not list the signer,
// signed by the signer's issuer, is next updated after the signing time.
bool crls_cover(STACK_OF(X509_CRL) * crls, STACK_OF(X509) * chain, const std::string& t) {
    X509* signer = sk_X509_value(chain, 0);
    X509* issuer = sk_X509_value(chain, 1);
    EVP_PKEY* issuer_key = X509_get0_pubkey(issuer);
    for (int i = 0; i < sk_X509_CRL_num(crls); ++i) {
        X509_CRL* crl = sk_X509_CRL_value(crls, i);
        X509_REVOKED* revoked = nullptr;
        if (X509_CRL_get0_by_cert(crl, &revoked, signer) == 1) continue;
        // A list anyone could have written proves nothing.
        if (!issuer_key || X509_CRL_verify(crl, issuer_key) != 1) continue;
        std::string next = asn1_time_to_text(X509_CRL_get0_nextUpdate(crl));
        if (!next.empty() && t < next) return true;
    }
    return false;
}

void check_one(FPDF_DOCUMENT doc, sigcheck_record& r) {
    owned<PKCS7> p7(parse_pkcs7_der(r.contents, r.contents_len));
    if (!p7) {
        diagnostic("parse pkcs7 failed");
        return;
    }
    std::string t = signing_time_of(p7.get(), r);
    if (t.empty()) {
        diagnostic("no signing time in both sig and pdf");
        return;
    }
    X509* signer = nullptr;
    STACK_OF(X509)* certs = nullptr;
    pkcs7_signer_cert(p7.get(), &signer, &certs);
    owned<STACK_OF(X509)> chain(sk_X509_new_null());
    if (!chain) return;
    if (signer) build_cert_chain(signer, certs, chain.get());
    if (sk_X509_num(chain.get()) < 2) {
        // Every verification of such a document meets it again: told once, with a count.
        diag_repeated("no certchain to veirify ocsp for ltv", "\n %s", "no certchain to veirify ocsp for ltv");
        return;
    }

    unsigned char* der = nullptr;
    uint32_t der_len = 0;
    if (pkcs7_attribute_der(p7.get(), true, kRevocationArchiveOid, &der, &der_len) == 0 && der && der_len) {
        malloced<unsigned char> der_owner(der);
        const unsigned char* p = der;
        owned<pdf_revocation_archive> archive(
            d2i_pdf_revocation_archive(nullptr, &p, static_cast<long>(der_len)));
        if (!archive) return;
        if (archive->ocsps) {
            int32_t flag = 1;
            int c = check_ocsp_responses(chain.get(), t.c_str(), archive->ocsps, &flag);
            r.ltv_enabled = (c == 0 && flag == 0) ? 1 : 0;
        } else if (archive->crls) {
            r.ltv_enabled = crls_cover(archive->crls, chain.get(), t) ? 1 : 0;
        }
        return;
    }
    std::free(der);
    std::string key = sha1_hex(r.contents, r.contents_len);
    if (key.empty()) {
        diagnostic("calculate vri hash failed");
        return;
    }
    read_vri_ocsps(chain.get(), t.c_str(), doc, key, &r.ltv_enabled);
}

}  // namespace

void check_ltv(FPDF_DOCUMENT doc, sigcheck_record* records, int32_t count) {
    if (!records) return;
    for (int32_t i = 0; i < count; ++i) {
        sigcheck_record& r = records[i];
        r.ltv_enabled = 0;
        try {
            check_one(doc, r);
        } catch (const std::exception& ex) {
            r.ltv_enabled = 0;
            diag_error("", ex.what());
        }
    }
}

void read_vri_ocsps(STACK_OF(X509) * chain, const char* signing_time, FPDF_DOCUMENT doc, const std::string& vri_key,
                    int32_t* flag) {
    *flag = 0;
    std::vector<std::vector<unsigned char>> buffers;
    {
        std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
        int n = FPDF_GetVRIOCSPCount(doc, vri_key.c_str());
        for (int i = 0; i < n; ++i) {
            unsigned long len = FPDF_GetVRIOCSPLength(doc, vri_key.c_str(), i);
            if (len == 0) {
                diag_print("\n %s(), ocsp%d len is less than 0", "", i);
                return;
            }
            if (len > kMaxVriOcspBytes) {
                diag_print("\n %s(), ocsp%d len overflow", "", i);
                return;
            }
            std::vector<unsigned char> buffer(len);
            if (FPDF_GetVRIOCSP(doc, vri_key.c_str(), i, buffer.data(), len) != len) return;
            buffers.push_back(std::move(buffer));
        }
    }
    owned<STACK_OF(OCSP_RESPONSE)> list(sk_OCSP_RESPONSE_new_null());
    if (!list) return;
    for (const auto& buffer : buffers) {
        const unsigned char* p = buffer.data();
        OCSP_RESPONSE* response = d2i_OCSP_RESPONSE(nullptr, &p, static_cast<long>(buffer.size()));
        if (!response) return;
        if (!sk_OCSP_RESPONSE_push(list.get(), response)) {
            OCSP_RESPONSE_free(response);
            return;
        }
    }
    int32_t f = 1;
    check_ocsp_responses(chain, signing_time, list.get(), &f);
    *flag = f == 0 ? 1 : 0;
}
