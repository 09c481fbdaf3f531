#include "crypto/timestamp_request.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"

#include <curl/curl.h>
#include <openssl/asn1t.h>
#include <openssl/objects.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

ASN1_SEQUENCE(MessageImprint) = {
    ASN1_SIMPLE(MessageImprint, hashAlgorithm, X509_ALGOR),
    ASN1_SIMPLE(MessageImprint, hashedMessage, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(MessageImprint)
IMPLEMENT_ASN1_FUNCTIONS(MessageImprint)

ASN1_SEQUENCE(TimeStampReq) = {
    ASN1_SIMPLE(TimeStampReq, version, ASN1_INTEGER),
    ASN1_SIMPLE(TimeStampReq, messageImprint, MessageImprint),
    ASN1_OPT(TimeStampReq, reqPolicy, ASN1_OBJECT),
    ASN1_OPT(TimeStampReq, nonce, ASN1_INTEGER),
    ASN1_SIMPLE(TimeStampReq, certReq, ASN1_BOOLEAN),
    ASN1_IMP_SEQUENCE_OF_OPT(TimeStampReq, extensions, X509_EXTENSION, 0),
} ASN1_SEQUENCE_END(TimeStampReq)
IMPLEMENT_ASN1_FUNCTIONS(TimeStampReq)

ASN1_SEQUENCE(PKIStatusInfo) = {
    ASN1_SIMPLE(PKIStatusInfo, status, ASN1_INTEGER),
    ASN1_SEQUENCE_OF_OPT(PKIStatusInfo, statusString, ASN1_UTF8STRING),
    ASN1_OPT(PKIStatusInfo, failInfo, ASN1_BIT_STRING),
} ASN1_SEQUENCE_END(PKIStatusInfo)
IMPLEMENT_ASN1_FUNCTIONS(PKIStatusInfo)

ASN1_SEQUENCE(TimeStampResp) = {
    ASN1_SIMPLE(TimeStampResp, status, PKIStatusInfo),
    ASN1_OPT(TimeStampResp, token, PKCS7),
} ASN1_SEQUENCE_END(TimeStampResp)
IMPLEMENT_ASN1_FUNCTIONS(TimeStampResp)

namespace {

const char kFailurePrefix[] = "Failed to add timestamp - ";

size_t collect_reply(char* data, size_t size, size_t count, void* user) {
    auto* reply = static_cast<std::vector<unsigned char>*>(user);
    if (data == nullptr || reply == nullptr) return 0;
    reply->insert(reply->end(), data, data + size * count);
    return size * count;
}

// DER of a TimeStampReq for a digest made with md; empty on failure.
std::vector<unsigned char> build_request_der(const unsigned char* digest, unsigned int digest_length,
                                             const EVP_MD* md) {
    std::vector<unsigned char> der;
    if (md == nullptr || digest == nullptr || digest_length == 0) return der;
    TimeStampReq* req = TimeStampReq_new();
    if (req == nullptr) return der;
    bool ok = ASN1_INTEGER_set(req->version, 1) &&
              X509_ALGOR_set0(req->messageImprint->hashAlgorithm, OBJ_nid2obj(EVP_MD_get_type(md)),
                              V_ASN1_NULL, nullptr) &&
              ASN1_OCTET_STRING_set(req->messageImprint->hashedMessage, digest,
                                    static_cast<int>(digest_length));
    req->certReq = 0xff;
    if (ok) {
        unsigned char* out = nullptr;
        int n = i2d_TimeStampReq(req, &out);
        if (n > 0) der.assign(out, out + n);
        OPENSSL_free(out);
    }
    TimeStampReq_free(req);
    return der;
}

struct curl_handles {
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    ~curl_handles() {
        curl_slist_free_all(headers);
        if (curl != nullptr) curl_easy_cleanup(curl);
    }
};

// POSTs the request; returns "" on success, else the transfer's error text.
std::string post_request(const char* url, const std::vector<unsigned char>& body,
                         std::vector<unsigned char>* reply) {
    curl_handles h;
    h.curl = curl_easy_init();
    if (h.curl == nullptr) return curl_easy_strerror(CURLE_FAILED_INIT);
    for (const char* line : {"Content-Type: application/timestamp-query",
                             "Accept: application/timestamp-reply", "User-Agent: Transport",
                             "Cache-Control: no-cache"}) {
        curl_slist* grown = curl_slist_append(h.headers, line);
        if (grown == nullptr) return curl_easy_strerror(CURLE_OUT_OF_MEMORY);
        h.headers = grown;
    }
    curl_easy_setopt(h.curl, CURLOPT_URL, url);
    curl_easy_setopt(h.curl, CURLOPT_HTTPHEADER, h.headers);
    curl_easy_setopt(h.curl, CURLOPT_POST, 1L);
    curl_easy_setopt(h.curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h.curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(h.curl, CURLOPT_WRITEFUNCTION, collect_reply);
    curl_easy_setopt(h.curl, CURLOPT_WRITEDATA, reply);
    curl_easy_setopt(h.curl, CURLOPT_NOSIGNAL, 1L);
    // The sign worker must not hang on a dead server: bound the connect and
    // give up on a transfer that stalls, without limiting a slow answer.
    curl_easy_setopt(h.curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(h.curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h.curl, CURLOPT_LOW_SPEED_TIME, 60L);
    CURLcode rc = curl_easy_perform(h.curl);
    if (rc != CURLE_OK) return curl_easy_strerror(rc);
    return "";
}

[[noreturn]] void fail(const std::string& reason) {
    std::string text = std::string(kFailurePrefix) + reason;
    diag_print("\n\n[ERROR] %s(), %s [ERROR]\n", "", text.c_str());
    throw exceptionex(text);
}

}  // namespace

int request_timestamp(const unsigned char* data, uint32_t length, const char* url, const EVP_MD* md,
                      unsigned char** token, uint32_t* token_length) {
    if (url == nullptr) return -1;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digest_length = 0;
    if (md == nullptr ||
        !EVP_Digest(data != nullptr ? data : reinterpret_cast<const unsigned char*>(""), length, digest,
                    &digest_length, md, nullptr))
        fail("failed to build timestamp request");
    return request_timestamp_for_digest(digest, digest_length, url, md, token, token_length);
}

int request_timestamp_for_digest(const unsigned char* digest, unsigned int digest_length, const char* url,
                                 const EVP_MD* md, unsigned char** token, uint32_t* token_length) {
    if (url == nullptr) return -1;

    std::vector<unsigned char> request = build_request_der(digest, digest_length, md);
    if (request.empty()) fail("failed to build timestamp request");

    std::vector<unsigned char> reply;
    std::string transfer_error = post_request(url, request, &reply);
    if (!transfer_error.empty()) fail(transfer_error);

    const unsigned char* p = reply.data();
    TimeStampResp* resp =
        reply.empty() ? nullptr : d2i_TimeStampResp(nullptr, &p, static_cast<long>(reply.size()));
    if (resp == nullptr) fail("failed to decode timestamp reply");

    long status = ASN1_INTEGER_get(resp->status->status);
    if (status != 0) {
        TimeStampResp_free(resp);
        fail("reply status: " + std::to_string(status));
    }
    // A granted reply must carry the token: without it the caller would sign
    // without the time stamp it asked for.
    if (resp->token == nullptr) {
        TimeStampResp_free(resp);
        fail("reply granted without a token");
    }
    unsigned char* der = nullptr;
    int n = i2d_PKCS7(resp->token, &der);
    TimeStampResp_free(resp);
    if (n <= 0) {
        OPENSSL_free(der);
        fail("failed to encode timestamp token");
    }
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(n)));
    if (copy == nullptr) {
        OPENSSL_free(der);
        fail("out of memory");
    }
    std::memcpy(copy, der, static_cast<std::size_t>(n));
    OPENSSL_free(der);
    if (token != nullptr) {
        *token = copy;
    } else {
        std::free(copy);
    }
    if (token_length != nullptr) *token_length = static_cast<uint32_t>(n);
    return 0;
}
