#include "crypto/ocsp_query.h"

#include "crypto/local_time.h"

#include <openssl/err.h>
#include <openssl/http.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <poll.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "app/diagnostics.h"

namespace {

constexpr int kWaitMilliseconds = 10 * 1000;

void say(const char* text) { diag_print("\n %s", text); }

// The OCSP URIs of the certificate's AIA extension, in order, without duplicates.
std::vector<std::string> ocsp_urls(X509* cert) {
    std::vector<std::string> urls;
    auto* aia = static_cast<AUTHORITY_INFO_ACCESS*>(
        X509_get_ext_d2i(cert, NID_info_access, nullptr, nullptr));
    if (aia == nullptr) return urls;
    for (int i = 0; i < sk_ACCESS_DESCRIPTION_num(aia); ++i) {
        ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(aia, i);
        if (OBJ_obj2nid(ad->method) != NID_ad_OCSP || ad->location->type != GEN_URI) continue;
        const ASN1_IA5STRING* uri = ad->location->d.uniformResourceIdentifier;
        if (uri == nullptr || uri->length <= 0) continue;
        std::string text(reinterpret_cast<const char*>(uri->data), static_cast<std::size_t>(uri->length));
        bool seen = false;
        for (const auto& u : urls) seen = seen || u == text;
        if (!seen) urls.push_back(text);
    }
    AUTHORITY_INFO_ACCESS_free(aia);
    return urls;
}

// Waits until the socket is readable or writable; 1 ready, 0 time-out, -1 error.
int wait_socket(int fd, bool for_write) {
    pollfd p{};
    p.fd = fd;
    p.events = for_write ? POLLOUT : POLLIN;
    for (;;) {
        int r = poll(&p, 1, kWaitMilliseconds);
        if (r < 0 && errno == EINTR) continue;
        return r < 0 ? -1 : (r == 0 ? 0 : 1);
    }
}

}  // namespace

void free_byte_buffers(byte_buffer* list, uint32_t count) {
    if (list == nullptr || count == 0) return;
    for (uint32_t i = 0; i < count; ++i) {
        std::free(list[i].data);
        list[i].data = nullptr;
        list[i].length = 0;
    }
    std::free(list);
}

OCSP_RESPONSE* ocsp_http_exchange(BIO* connection, const char* host, const char* path,
                                  STACK_OF(CONF_VALUE)* headers, OCSP_REQUEST* request) {
    if (connection == nullptr || request == nullptr) return nullptr;
    BIO_set_nbio(connection, 1);
    int rv = BIO_do_connect(connection);
    if (rv <= 0 && !BIO_should_retry(connection)) {
        say("Error connecting BIO");
        return nullptr;
    }
    int fd = -1;
    if (BIO_get_fd(connection, &fd) < 0 || fd < 0) {
        say("Can't get connection fd");
        return nullptr;
    }
    if (rv <= 0 && wait_socket(fd, true) == 0) {
        say("Timeout on connect");
        return nullptr;
    }

    OSSL_HTTP_REQ_CTX* ctx = OCSP_sendreq_new(connection, path != nullptr ? path : "/", nullptr, -1);
    if (ctx == nullptr) return nullptr;
    OCSP_RESPONSE* response = nullptr;
    bool has_host = false;
    bool ok = true;
    for (int i = 0; ok && i < sk_CONF_VALUE_num(headers); ++i) {
        CONF_VALUE* h = sk_CONF_VALUE_value(headers, i);
        if (h->name != nullptr && strcasecmp(h->name, "host") == 0) has_host = true;
        ok = OSSL_HTTP_REQ_CTX_add1_header(ctx, h->name, h->value) == 1;
    }
    if (ok && !has_host && host != nullptr) ok = OSSL_HTTP_REQ_CTX_add1_header(ctx, "Host", host) == 1;
    if (ok)
        ok = OSSL_HTTP_REQ_CTX_set1_req(ctx, "application/ocsp-request", ASN1_ITEM_rptr(OCSP_REQUEST),
                                        reinterpret_cast<const ASN1_VALUE*>(request)) == 1;
    while (ok) {
        rv = OSSL_HTTP_REQ_CTX_nbio_d2i(ctx, reinterpret_cast<ASN1_VALUE**>(&response),
                                        ASN1_ITEM_rptr(OCSP_RESPONSE));
        if (rv != -1) break;
        bool for_write;
        if (BIO_should_read(connection)) {
            for_write = false;
        } else if (BIO_should_write(connection)) {
            for_write = true;
        } else {
            say("Unexpected retry condition");
            break;
        }
        int w = wait_socket(fd, for_write);
        if (w == 0) {
            say("Timeout on request");
            break;
        }
        if (w < 0) {
            say("Select error");
            break;
        }
    }
    OSSL_HTTP_REQ_CTX_free(ctx);
    return response;
}

int query_ocsp(X509* cert, X509* issuer, unsigned char** out, uint32_t* out_length) {
    if (cert == nullptr) return 0;
    std::vector<std::string> urls = ocsp_urls(cert);
    if (urls.empty()) return 0;

    char* host = nullptr;
    char* port = nullptr;
    char* path = nullptr;
    int use_tls = 0;
    if (!OSSL_HTTP_parse_url(urls[0].c_str(), &use_tls, nullptr, &host, &port, nullptr, &path,
                             nullptr, nullptr)) {
        ERR_clear_error();
        return 0;
    }
    int result = 0;
    OCSP_REQUEST* request = nullptr;
    STACK_OF(CONF_VALUE)* headers = nullptr;
    BIO* connection = nullptr;
    SSL_CTX* tls_ctx = nullptr;
    OCSP_RESPONSE* response = nullptr;
    OCSP_BASICRESP* basic = nullptr;

    do {
        if (issuer == nullptr) {
            say("No issuer certificate specified");
            break;
        }
        request = OCSP_REQUEST_new();
        OCSP_CERTID* id = request != nullptr ? OCSP_cert_to_id(EVP_sha1(), cert, issuer) : nullptr;
        if (id == nullptr || OCSP_request_add0_id(request, id) == nullptr) {
            OCSP_CERTID_free(id);
            say("Error Creating OCSP request");
            break;
        }
        if (!X509V3_add_value("HOST", host, &headers)) {
            say("Error Creating OCSP request");
            break;
        }
        connection = BIO_new_connect(host);
        if (connection == nullptr || !BIO_set_conn_port(connection, port)) {
            say("Error creating connect BIO");
            break;
        }
        if (use_tls) {
            tls_ctx = SSL_CTX_new(TLS_client_method());
            BIO* tls = tls_ctx != nullptr ? BIO_new_ssl(tls_ctx, 1) : nullptr;
            if (tls == nullptr) {
                say("Error creating SSL context.");
                break;
            }
            SSL_CTX_set_mode(tls_ctx, SSL_MODE_AUTO_RETRY);
            connection = BIO_push(tls, connection);
        }
        response = ocsp_http_exchange(connection, host, path, headers, request);
        if (response == nullptr) {
            say("Error querying OCSP responder");
            break;
        }
        if (OCSP_response_status(response) != OCSP_RESPONSE_STATUS_SUCCESSFUL) break;
        basic = OCSP_response_get1_basic(response);
        if (basic == nullptr || OCSP_resp_count(basic) <= 0) break;
        OCSP_SINGLERESP* single = OCSP_resp_get0(basic, 0);
        int reason = 0;
        if (OCSP_single_get0_status(single, &reason, nullptr, nullptr, nullptr) != V_OCSP_CERTSTATUS_GOOD) {
            result = 1;
            break;
        }
        unsigned char* der = nullptr;
        int n = i2d_OCSP_RESPONSE(response, &der);
        if (n > 0 && out != nullptr && out_length != nullptr) {
            auto* copy = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(n)));
            if (copy != nullptr) {
                std::memcpy(copy, der, static_cast<std::size_t>(n));
                *out = copy;
                *out_length = static_cast<uint32_t>(n);
            }
        }
        OPENSSL_free(der);
        OCSP_BASICRESP* again = OCSP_response_get1_basic(response);
        if (again == nullptr) say("Error parsing response");
        OCSP_BASICRESP_free(again);
    } while (false);

    OCSP_BASICRESP_free(basic);
    OCSP_RESPONSE_free(response);
    BIO_free_all(connection);
    SSL_CTX_free(tls_ctx);
    sk_CONF_VALUE_pop_free(headers, X509V3_conf_free);
    OCSP_REQUEST_free(request);
    OPENSSL_free(host);
    OPENSSL_free(port);
    OPENSSL_free(path);
    ERR_clear_error();
    return result;
}

namespace {

// The same certificate authority: the same name and the same key (a copy
// of the issuer with another encoding answers as the issuer).
bool same_authority(X509* a, X509* b) {
    return X509_NAME_cmp(X509_get_subject_name(a), X509_get_subject_name(b)) == 0 &&
           EVP_PKEY_eq(X509_get0_pubkey(a), X509_get0_pubkey(b)) == 1;
}

// A response speaks for the certificate only when its issuer signed it, or a
// responder the issuer delegated: a certificate for id-kp-OCSPSigning that
// the issuer's key signed.
bool responder_authorised(OCSP_BASICRESP* basic, STACK_OF(X509)* chain) {
    X509* issuer = sk_X509_value(chain, 1);
    X509* responder = nullptr;
    if (OCSP_resp_get0_signer(basic, &responder, chain) != 1 || responder == nullptr) return false;
    if (same_authority(responder, issuer)) return true;
    EVP_PKEY* issuer_key = X509_get0_pubkey(issuer);
    return issuer_key != nullptr && X509_check_issued(issuer, responder) == X509_V_OK &&
           X509_verify(responder, issuer_key) == 1 && (X509_get_extended_key_usage(responder) & XKU_OCSP_SIGN) != 0;
}

}  // namespace

int check_ocsp_responses(STACK_OF(X509)* chain, const char* signing_time,
                         STACK_OF(OCSP_RESPONSE)* responses, int32_t* flag) {
    if (chain == nullptr || sk_X509_num(chain) < 2 || flag == nullptr) return 1;
    *flag = 1;
    const std::string signed_at = signing_time != nullptr ? signing_time : "";
    OCSP_CERTID* id = OCSP_cert_to_id(EVP_sha1(), sk_X509_value(chain, 0), sk_X509_value(chain, 1));
    if (id == nullptr) return 1;
    X509_STORE* store = X509_STORE_new();
    int result = store != nullptr ? 0 : 1;

    for (int i = 0; result == 0 && i < sk_OCSP_RESPONSE_num(responses); ++i) {
        OCSP_BASICRESP* basic = OCSP_response_get1_basic(sk_OCSP_RESPONSE_value(responses, i));
        // The responder's certificate comes with the response; its own chain
        // is not followed here.
        if (basic == nullptr || OCSP_basic_verify(basic, nullptr, store, OCSP_NOVERIFY) <= 0) {
            OCSP_BASICRESP_free(basic);
            result = 1;
            break;
        }
        // Signed, but by someone the issuer never named: it proves nothing.
        if (!responder_authorised(basic, chain)) {
            OCSP_BASICRESP_free(basic);
            continue;
        }
        for (int k = 0; *flag == 1 && k < OCSP_resp_count(basic); ++k) {
            OCSP_SINGLERESP* single = OCSP_resp_get0(basic, k);
            const OCSP_CERTID* single_id = OCSP_SINGLERESP_get0_id(single);
            ASN1_GENERALIZEDTIME* next_update = nullptr;
            int status = OCSP_single_get0_status(single, nullptr, nullptr, nullptr, &next_update);
            if (OCSP_id_cmp(id, single_id) != 0 || status != V_OCSP_CERTSTATUS_GOOD) continue;
            if (next_update == nullptr) {
                result = 1;
                break;
            }
            std::string text(reinterpret_cast<const char*>(next_update->data),
                             static_cast<std::size_t>(next_update->length));
            if (text.size() <= 14 || text[14] != 'Z') continue;
            std::string local = generalized_time_to_local_text(text);
            if (!local.empty() && signed_at < local) *flag = 0;
        }
        OCSP_BASICRESP_free(basic);
    }
    X509_STORE_free(store);
    OCSP_CERTID_free(id);
    ERR_clear_error();
    return result;
}
