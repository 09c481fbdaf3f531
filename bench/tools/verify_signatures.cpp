// Verification benchmark, our side: opens a PDF through our PDF layer, reads
// every signature's /ByteRange and /Contents, hashes the covered bytes
// straight from the file in one streaming pass and checks the PKCS#7
// signature over that digest. Prints one line per signature and the time.
//
// It stands in for the whole verification path until that is in the tree:
// loading, byte-range reading and hashing are the parts that cost with big
// files; the signature check itself is over a digest.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <openssl/evp.h>
#include <openssl/pkcs7.h>

#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "document/pdf_layer.h"

namespace {

// SHA-256 of [start, start + length) of the open file, read in 1 MiB blocks.
bool hash_range(FILE* f, int64_t start, int64_t length, EVP_MD_CTX* ctx) {
    static std::vector<unsigned char> block(1 << 20);
    if (fseeko(f, start, SEEK_SET) != 0) return false;
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length, static_cast<int64_t>(block.size())));
        const size_t got = std::fread(block.data(), 1, want, f);
        if (got != want) return false;
        EVP_DigestUpdate(ctx, block.data(), got);
        length -= static_cast<int64_t>(got);
    }
    return true;
}

// The messageDigest the first signer signed equals our digest, and the
// signer's signature over its attributes holds.
int check_signature(const std::vector<unsigned char>& contents, const unsigned char* digest, unsigned digest_length) {
    PKCS7* p7 = parse_pkcs7_der(contents.data(), static_cast<uint32_t>(contents.size()));
    if (p7 == nullptr) return 2;
    unsigned char* signed_digest = nullptr;
    uint32_t signed_length = 0;
    pkcs7_signer_digest(p7, &signed_digest, &signed_length);
    int status = 4;
    if (signed_digest != nullptr && signed_length == digest_length &&
        std::memcmp(signed_digest, digest, digest_length) == 0) {
        // The attributes' signature: PKCS7_signatureVerify over an empty data BIO
        // checks the signed attributes against the key and the messageDigest.
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
        X509* signer = nullptr;
        STACK_OF(X509)* certs = nullptr;
        pkcs7_signer_cert(p7, &signer, &certs);
        status = 1;
        if (si != nullptr && signer != nullptr) {
            EVP_PKEY* key = X509_get0_pubkey(signer);
            unsigned char* attrs = nullptr;
            int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &attrs,
                                     ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
            EVP_MD_CTX* ctx = EVP_MD_CTX_new();
            if (alen > 0 && EVP_DigestVerifyInit(ctx, nullptr, EVP_sha256(), nullptr, key) == 1 &&
                EVP_DigestVerify(ctx, si->enc_digest->data, si->enc_digest->length, attrs, alen) == 1)
                status = 0;
            EVP_MD_CTX_free(ctx);
            OPENSSL_free(attrs);
        }
    }
    std::free(signed_digest);
    PKCS7_free(p7);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s file.pdf\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    init_crypto();
    FPDF_InitLibrary();
    FPDF_DOCUMENT doc = FPDF_LoadDocument(argv[1], nullptr);
    if (doc == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const auto loaded = std::chrono::steady_clock::now();
    FILE* f = std::fopen(argv[1], "rb");
    int failures = 0;
    const int count = FPDF_GetSignatureCount(doc);
    for (int i = 0; i < count; ++i) {
        FPDF_SIGNATURE sig = FPDF_GetSignatureObject(doc, i);
        int ranges[4] = {0, 0, 0, 0};
        const int n = FPDFSignatureObj_GetByteRange(sig, ranges, 4);
        const unsigned long clen = FPDFSignatureObj_GetContents(sig, nullptr, 0);
        std::vector<unsigned char> contents(clen);
        FPDFSignatureObj_GetContents(sig, contents.data(), clen);
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
        bool ok = n == 4 && f != nullptr && ranges[0] == 0 && ranges[1] >= 0 && ranges[2] >= 0 && ranges[3] >= 0 &&
                  hash_range(f, ranges[0], ranges[1], ctx) && hash_range(f, ranges[2], ranges[3], ctx);
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned digest_length = 0;
        EVP_DigestFinal_ex(ctx, digest, &digest_length);
        EVP_MD_CTX_free(ctx);
        const int status = ok ? check_signature(contents, digest, digest_length) : -1;
        if (status != 0) ++failures;
        std::printf("signature %d: status %d\n", i + 1, status);
    }
    if (f != nullptr) std::fclose(f);
    FPDF_CloseDocument(doc);
    const auto end = std::chrono::steady_clock::now();
    std::printf("load %.3f s, total %.3f s\n", std::chrono::duration<double>(loaded - start).count(),
                std::chrono::duration<double>(end - start).count());
    return failures == 0 && count > 0 ? 0 : 1;
}
