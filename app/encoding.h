#pragma once
// Byte-to-text encodings (Base64, upper-case hex) and the sealing of stored passwords.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The standard Base64 alphabet (RFC 4648).
extern const std::string base64_alphabet;

// Standard Base64 with "=" padding and no line breaks.
std::string base64_encode(const unsigned char* bytes, std::size_t length);
inline std::string base64_encode(const std::string& bytes) {
    return base64_encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
// Lenient decoding: CR and LF are skipped; it stops at the first "=" or any
// other character outside the alphabet and keeps the bytes decoded so far.
std::vector<unsigned char> base64_decode(const std::string& text);

// When the malloc'ed buffer holds Base64 text of DER (it starts with "M"),
// replaces it by the decoded bytes (new malloc'ed buffer) and returns true.
bool contents_from_base64(unsigned char** buffer, uint32_t* length);

// Two upper-case hex digits per byte, first byte first (or last first when reversed).
std::string bytes_to_hex(const unsigned char* bytes, std::size_t count, bool reversed = false);
inline std::string bytes_to_hex(const std::vector<unsigned char>& bytes, bool reversed = false) {
    return bytes_to_hex(bytes.data(), bytes.size(), reversed);
}

// AES-128-ECB under the program's sealing key with PKCS#7-style padding.
// direction 1 encrypts, 0 decrypts. Returns 0 and a malloc'ed buffer the
// caller frees, or -1 on failure.
int aes128_ecb_crypt(const unsigned char* data, std::size_t length, int direction,
                     unsigned char** out, std::size_t* out_length);

// The 16-byte AES key used for sealing (12 fixed random bytes + 4 zero bytes).
std::vector<unsigned char> seal_key_bytes();

// Password sealing for the settings and store files; empty text on failure.
std::string seal_password(const std::string& password);
std::string unseal_password(const std::string& sealed);
