#include "app/encoding.h"

#include "platform/owned.h"

#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>
#include <memory>

const std::string base64_alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace {
// Random bytes fixed in the source: stored passwords are only hidden from a
// casual reader of the settings file, and must unseal on every start.
const unsigned char kSealKey[12] = {0x5b, 0xe2, 0x91, 0x0c, 0x7f, 0x3a, 0xd8, 0x46, 0xa1, 0x6e, 0x27, 0xc4};

int base64_value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}
}  // namespace

std::string base64_encode(const unsigned char* bytes, std::size_t length) {
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += base64_alphabet[(v >> 18) & 63];
        out += base64_alphabet[(v >> 12) & 63];
        out += base64_alphabet[(v >> 6) & 63];
        out += base64_alphabet[v & 63];
    }
    std::size_t rest = length - i;
    if (rest == 1) {
        uint32_t v = bytes[i] << 16;
        out += base64_alphabet[(v >> 18) & 63];
        out += base64_alphabet[(v >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out += base64_alphabet[(v >> 18) & 63];
        out += base64_alphabet[(v >> 12) & 63];
        out += base64_alphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::vector<unsigned char> base64_decode(const std::string& text) {
    std::vector<unsigned char> out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t group = 0;
    int n = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n') continue;
        int v = base64_value(c);
        if (v < 0) break;  // "=" or any other character ends the text
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++n == 4) {
            out.push_back(static_cast<unsigned char>(group >> 16));
            out.push_back(static_cast<unsigned char>(group >> 8));
            out.push_back(static_cast<unsigned char>(group));
            group = 0;
            n = 0;
        }
    }
    if (n > 1) {
        group <<= 6 * (4 - n);
        out.push_back(static_cast<unsigned char>(group >> 16));
        if (n == 3) out.push_back(static_cast<unsigned char>(group >> 8));
    }
    return out;
}

bool contents_from_base64(unsigned char** buffer, uint32_t* length) {
    if (!buffer || !length || !*buffer || *length == 0 || (*buffer)[0] != 'M') return false;
    std::size_t text_len = strnlen(reinterpret_cast<const char*>(*buffer), *length);
    std::vector<unsigned char> decoded = base64_decode(std::string(reinterpret_cast<const char*>(*buffer), text_len));
    unsigned char* fresh = static_cast<unsigned char*>(std::malloc(decoded.empty() ? 1 : decoded.size()));
    if (!fresh) return false;
    if (!decoded.empty()) std::memcpy(fresh, decoded.data(), decoded.size());
    std::free(*buffer);
    *buffer = fresh;
    *length = static_cast<uint32_t>(decoded.size());
    return true;
}

std::string bytes_to_hex(const unsigned char* bytes, std::size_t count, bool reversed) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 2);
    for (std::size_t k = 0; k < count; ++k) {
        unsigned char b = bytes[reversed ? count - 1 - k : k];
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::vector<unsigned char> seal_key_bytes() {
    std::vector<unsigned char> key(16, 0);
    std::memcpy(key.data(), kSealKey, sizeof kSealKey);
    return key;
}

int aes128_ecb_crypt(const unsigned char* data, std::size_t length, int direction,
                     unsigned char** out, std::size_t* out_length) {
    if ((direction != 0 && direction != 1) || !out || !out_length) return -1;
    owned<EVP_CIPHER_CTX> ctx(EVP_CIPHER_CTX_new());
    std::vector<unsigned char> key = seal_key_bytes();
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr, direction) != 1)
        return -1;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);  // the padding is ours, see below

    std::size_t r = length % 16;
    std::size_t pad = direction == 1 ? 16 - r : (r == 0 ? 0 : 16 - r);
    std::size_t total = length + pad;
    std::vector<unsigned char> in(total, static_cast<unsigned char>(pad));
    if (length) std::memcpy(in.data(), data, length);

    unsigned char* result = static_cast<unsigned char*>(std::malloc(total + 1));
    if (!result) return -1;
    int produced = 0;
    if (total && EVP_CipherUpdate(ctx.get(), result, &produced, in.data(), static_cast<int>(total)) != 1) {
        std::free(result);
        return -1;
    }
    std::size_t size = total;
    if (direction == 0 && size > 0) {
        unsigned n = result[size - 1];
        bool valid = n >= 1 && n <= 16 && n <= size;
        for (std::size_t k = 0; valid && k < n; ++k) valid = result[size - 1 - k] == n;
        if (valid) {
            std::memset(result + size - n, 0, n);
            size -= n;
        }
    }
    *out = result;
    *out_length = size;
    return 0;
}

std::string seal_password(const std::string& password) {
    unsigned char* out = nullptr;
    std::size_t out_len = 0;
    if (aes128_ecb_crypt(reinterpret_cast<const unsigned char*>(password.data()), password.size(), 1, &out, &out_len) != 0)
        return {};
    std::string sealed = base64_encode(out, out_len);
    std::free(out);
    return sealed;
}

std::string unseal_password(const std::string& sealed) {
    std::vector<unsigned char> bytes = base64_decode(sealed);
    unsigned char* out = nullptr;
    std::size_t out_len = 0;
    if (aes128_ecb_crypt(bytes.data(), bytes.size(), 0, &out, &out_len) != 0) return {};
    std::size_t n = strnlen(reinterpret_cast<const char*>(out), out_len);
    std::string password(reinterpret_cast<const char*>(out), n);
    std::free(out);
    return password;
}
