#pragma once
// Signed bytes handed to a check as a reader rather than one buffer. The byte
// ranges of a large PDF are read from the file in blocks while the check
// consumes them, so no buffer of the file's size is ever made.
#include <openssl/bio.h>
#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <functional>

class byte_source {
public:
    virtual ~byte_source() = default;
    // Total number of bytes.
    virtual uint64_t size() const = 0;
    // Copies `length` bytes from `offset` (within size()) into `out`. False
    // when they cannot be read; the source is then marked failed.
    bool read(uint64_t offset, unsigned char* out, std::size_t length);
    // A read failed: a verdict reached over this source means nothing.
    bool failed() const { return failed_; }

protected:
    virtual bool read_bytes(uint64_t offset, unsigned char* out, std::size_t length) = 0;

private:
    bool failed_ = false;
};

// Bytes already in memory (not copied; they must outlive the source). Null
// data counts as no bytes.
class memory_byte_source : public byte_source {
public:
    memory_byte_source(const unsigned char* data, std::size_t length)
        : data_(data), length_(data != nullptr ? length : 0) {}
    uint64_t size() const override { return length_; }

protected:
    bool read_bytes(uint64_t offset, unsigned char* out, std::size_t length) override;

private:
    const unsigned char* data_;
    std::size_t length_;
};

// Size of the blocks read from a source.
constexpr std::size_t kByteSourceBlock = std::size_t(1) << 20;

// A read-only BIO delivering the source's bytes from its start (a fresh BIO
// starts again), read in blocks of kByteSourceBlock. A failed read ends the
// data early and marks the source failed. Free with BIO_free (the source is
// not owned).
BIO* new_byte_source_bio(byte_source& source);

// Hands every byte of the source, in order and in blocks, to `sink`, which
// returns false to stop. False when a read failed or the sink stopped.
bool for_each_block(byte_source& source, const std::function<bool(const unsigned char*, std::size_t)>& sink);

// The source's digest by the names of digest_by_name ("sm3", "sha1",
// "sha256", "sha384", "sha512") into a new malloc'ed buffer. An empty
// source, an unknown name or a failed read leave the outputs untouched.
void digest_source_by_name(byte_source& source, const char* name, unsigned char** out, uint32_t* out_length);
