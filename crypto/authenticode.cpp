// Our own Authenticode check of a downloaded installer (a PE image): the
// image's digest is computed again, the embedded SignedData must be valid over
// it, and its signer must be the maker's pinned certificate. Every failure
// gives false.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include "app/diagnostics.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/system_store.h"
#include "platform/owned.h"
#include "platform/resources.h"

namespace {

constexpr const char* spc_indirect_data_oid = "1.3.6.1.4.1.311.2.1.4";
constexpr const char* spc_pe_image_data_oid = "1.3.6.1.4.1.311.2.1.15";
constexpr std::uint64_t max_image_size = 1024ull * 1024 * 1024;  // 1 GiB

std::mutex pin_mutex;
std::vector<unsigned char> pin_override;

std::uint32_t read_u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t read_u16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Where the fields of the image that the digest leaves out lie.
struct pe_layout {
    std::uint64_t checksum_offset = 0;  // 4 bytes
    std::uint64_t secdir_offset = 0;    // 8 bytes: certificate table entry
    std::uint64_t table_offset = 0;     // certificate table (0 when unsigned)
    std::uint64_t table_size = 0;
};

bool parse_pe(const unsigned char* bytes, std::uint64_t size, pe_layout& layout) {
    if (!bytes || size < 64 || size > max_image_size) return false;
    if (bytes[0] != 'M' || bytes[1] != 'Z') return false;
    const std::uint64_t pe = read_u32(bytes + 0x3C);
    if (pe + 4 + 20 > size) return false;
    if (std::memcmp(bytes + pe, "PE\0\0", 4) != 0) return false;
    const std::uint64_t coff = pe + 4;
    const std::uint64_t optional_size = read_u16(bytes + coff + 16);
    const std::uint64_t opt = coff + 20;
    if (opt + optional_size > size || optional_size < 2) return false;
    const std::uint16_t magic = read_u16(bytes + opt);
    std::uint64_t rva_count_offset = 0, directories = 0;
    if (magic == 0x10b) {
        rva_count_offset = 92;
        directories = 96;
    } else if (magic == 0x20b) {
        rva_count_offset = 108;
        directories = 112;
    } else {
        return false;
    }
    // The certificate table is data directory 4; it must lie inside the optional header.
    if (directories + 5 * 8 > optional_size) return false;
    if (read_u32(bytes + opt + rva_count_offset) < 5) return false;
    layout.checksum_offset = opt + 64;
    layout.secdir_offset = opt + directories + 4 * 8;
    layout.table_offset = read_u32(bytes + layout.secdir_offset);
    layout.table_size = read_u32(bytes + layout.secdir_offset + 4);
    if (layout.table_offset == 0 || layout.table_size == 0) {
        layout.table_offset = layout.table_size = 0;
        return true;
    }
    // A signed image ends with its certificate table, which starts after the
    // headers on an eight-byte boundary; nothing unhashed may follow it.
    if (layout.table_offset < layout.secdir_offset + 8 || layout.table_offset % 8 != 0) return false;
    if (layout.table_offset + layout.table_size != size) return false;
    return true;
}

bool digest_ranges(const unsigned char* bytes, std::uint64_t size, const pe_layout& layout, const EVP_MD* md,
                   std::vector<unsigned char>& digest) {
    const std::uint64_t end = layout.table_offset ? layout.table_offset : size;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx) return false;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    bool ok = EVP_DigestInit_ex(ctx, md, nullptr) == 1 &&
              EVP_DigestUpdate(ctx, bytes, layout.checksum_offset) == 1 &&
              EVP_DigestUpdate(ctx, bytes + layout.checksum_offset + 4,
                               layout.secdir_offset - (layout.checksum_offset + 4)) == 1 &&
              EVP_DigestUpdate(ctx, bytes + layout.secdir_offset + 8, end - (layout.secdir_offset + 8)) == 1 &&
              EVP_DigestFinal_ex(ctx, out, &length) == 1;
    EVP_MD_CTX_free(ctx);
    if (ok) digest.assign(out, out + length);
    return ok;
}

bool object_is(const ASN1_OBJECT* object, const char* oid) {
    if (!object) return false;
    char text[80];
    if (OBJ_obj2txt(text, sizeof text, object, 1) <= 0) return false;
    return std::strcmp(text, oid) == 0;
}

STACK_OF(ASN1_TYPE)* decode_sequence(const ASN1_TYPE* type) {
    if (!type || type->type != V_ASN1_SEQUENCE || !type->value.sequence) return nullptr;
    const unsigned char* p = type->value.sequence->data;
    const long length = type->value.sequence->length;
    STACK_OF(ASN1_TYPE)* items = d2i_ASN1_SEQUENCE_ANY(nullptr, &p, length);
    if (items && p != type->value.sequence->data + length) {
        sk_ASN1_TYPE_pop_free(items, ASN1_TYPE_free);
        return nullptr;
    }
    return items;
}

X509* pinned_signer() {
    std::vector<unsigned char> der = authenticode_signer_pin();
    const unsigned char* p = der.data();
    return der.empty() ? nullptr : d2i_X509(nullptr, &p, static_cast<long>(der.size()));
}

bool verify_image(const unsigned char* bytes, std::uint64_t size) {
    pe_layout layout;
    if (!parse_pe(bytes, size, layout) || layout.table_offset == 0) return false;

    // WIN_CERTIFICATE: length, revision 2.0, type PKCS#7 SignedData.
    const unsigned char* table = bytes + layout.table_offset;
    if (layout.table_size < 8) return false;
    const std::uint64_t entry_length = read_u32(table);
    if (entry_length < 9 || entry_length > layout.table_size) return false;
    if (read_u16(table + 4) != 0x0200 || read_u16(table + 6) != 0x0002) return false;
    const unsigned char* p = table + 8;
    owned<PKCS7> p7(d2i_PKCS7(nullptr, &p, static_cast<long>(entry_length - 8)));
    if (!p7 || !PKCS7_type_is_signed(p7.get()) || !p7->d.sign || !p7->d.sign->contents) return false;

    // The signed content is an SpcIndirectDataContent for a PE image.
    PKCS7* content = p7->d.sign->contents;
    if (!object_is(content->type, spc_indirect_data_oid)) return false;
    const ASN1_TYPE* other = content->d.other;
    if (!other || other->type != V_ASN1_SEQUENCE || !other->value.sequence) return false;
    owned<STACK_OF(ASN1_TYPE)> indirect(decode_sequence(other));
    if (!indirect || sk_ASN1_TYPE_num(indirect.get()) != 2) return false;
    owned<STACK_OF(ASN1_TYPE)> data(decode_sequence(sk_ASN1_TYPE_value(indirect.get(), 0)));
    if (!data || sk_ASN1_TYPE_num(data.get()) < 1) return false;
    const ASN1_TYPE* data_type = sk_ASN1_TYPE_value(data.get(), 0);
    if (data_type->type != V_ASN1_OBJECT || !object_is(data_type->value.object, spc_pe_image_data_oid))
        return false;
    const ASN1_TYPE* digest_info = sk_ASN1_TYPE_value(indirect.get(), 1);
    if (digest_info->type != V_ASN1_SEQUENCE) return false;
    const unsigned char* dp = digest_info->value.sequence->data;
    owned<X509_SIG> sig(d2i_X509_SIG(nullptr, &dp, digest_info->value.sequence->length));
    if (!sig) return false;
    const X509_ALGOR* algorithm = nullptr;
    const ASN1_OCTET_STRING* claimed = nullptr;
    X509_SIG_get0(sig.get(), &algorithm, &claimed);
    const int md_nid = OBJ_obj2nid(algorithm->algorithm);
    if (md_nid != NID_sha256 && md_nid != NID_sha384 && md_nid != NID_sha512) return false;
    const EVP_MD* md = EVP_get_digestbynid(md_nid);
    std::vector<unsigned char> actual;
    if (!md || !digest_ranges(bytes, size, layout, md, actual)) return false;
    if (!claimed || static_cast<std::size_t>(claimed->length) != actual.size() ||
        std::memcmp(claimed->data, actual.data(), actual.size()) != 0)
        return false;

    // One signer, with signed attributes naming the content type, and it is the pinned one.
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7.get());
    if (!infos || sk_PKCS7_SIGNER_INFO_num(infos) != 1) return false;
    PKCS7_SIGNER_INFO* info = sk_PKCS7_SIGNER_INFO_value(infos, 0);
    if (!PKCS7_get_signed_attributes(info) || sk_X509_ATTRIBUTE_num(PKCS7_get_signed_attributes(info)) == 0)
        return false;
    ASN1_TYPE* content_type = PKCS7_get_signed_attribute(info, NID_pkcs9_contentType);
    if (!content_type || content_type->type != V_ASN1_OBJECT ||
        !object_is(content_type->value.object, spc_indirect_data_oid))
        return false;
    borrowed_x509_stack signers(PKCS7_get0_signers(p7.get(), nullptr, 0));
    if (!signers || sk_X509_num(signers.get()) != 1) return false;
    owned<X509> pin(pinned_signer());
    if (!pin || X509_cmp(sk_X509_value(signers.get(), 0), pin.get()) != 0) return false;

    // The signature over the content octets (without the SEQUENCE header, as
    // Authenticode signs them) and the message digest attribute.
    long inner_length = 0;
    int tag = 0, xclass = 0;
    const unsigned char* inner = other->value.sequence->data;
    const int ret = ASN1_get_object(&inner, &inner_length, &tag, &xclass, other->value.sequence->length);
    if ((ret & 0x80) || tag != V_ASN1_SEQUENCE || !(ret & V_ASN1_CONSTRUCTED)) return false;
    if (inner + inner_length != other->value.sequence->data + other->value.sequence->length) return false;
    owned<BIO> indata(BIO_new_mem_buf(inner, static_cast<int>(inner_length)));
    owned<X509_STORE> store(X509_STORE_new());
    if (!indata || !store) return false;
    return PKCS7_verify(p7.get(), nullptr, store.get(), indata.get(), nullptr, PKCS7_NOVERIFY | PKCS7_BINARY) == 1;
}

bool read_copy(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > max_image_size) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
    return true;
}

}  // namespace

void set_authenticode_signer_pin(const std::vector<unsigned char>& der) {
    std::lock_guard<std::mutex> lock(pin_mutex);
    pin_override = der;
}

std::vector<unsigned char> authenticode_signer_pin() {
    {
        std::lock_guard<std::mutex> lock(pin_mutex);
        if (!pin_override.empty()) return pin_override;
    }
    const std::string pem = platform::resource_bytes("AUTHENTICODE_SIGNER", "PEM");
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    std::vector<unsigned char> der;
    unsigned char* out = nullptr;
    const int length = cert ? i2d_X509(cert, &out) : 0;
    if (length > 0) der.assign(out, out + length);
    OPENSSL_free(out);
    X509_free(cert);
    return der;
}

bool authenticode_pe_digest(const unsigned char* bytes, std::size_t size, const EVP_MD* md,
                            std::vector<unsigned char>& digest) {
    pe_layout layout;
    if (!md || !parse_pe(bytes, size, layout)) return false;
    return digest_ranges(bytes, size, layout, md, digest);
}

bool verify_file_authenticode(const std::wstring& path) {
    bool passed = false;
    try {
        init_crypto();
        // The check reads one private copy of the file into memory, so the bytes
        // verified cannot change underneath it.
        std::vector<unsigned char> copy;
        if (!path.empty() && read_copy(wide_to_utf8(path), copy))
            passed = verify_image(copy.data(), copy.size());
    } catch (...) {
        passed = false;
    }
    ERR_clear_error();
    if (!passed) diag_print("\n\n[ERROR] %s(), return FALSE [ERROR]\n", "vfauth");
    return passed;
}
