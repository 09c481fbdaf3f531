#include "crypto/byte_source.h"

#include "crypto/digests.h"

#include <openssl/err.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

bool byte_source::read(uint64_t offset, unsigned char* out, std::size_t length) {
    if (failed_) return false;
    if (offset > size() || length > size() - offset || !read_bytes(offset, out, length)) failed_ = true;
    return !failed_;
}

bool memory_byte_source::read_bytes(uint64_t offset, unsigned char* out, std::size_t length) {
    if (length) std::memcpy(out, data_ + offset, length);
    return true;
}

namespace {

struct source_bio_state {
    byte_source* source;
    uint64_t next = 0;  // where the next block starts in the source
    std::vector<unsigned char> block;
    std::size_t used = 0;  // bytes of block already handed out
};

int source_bio_create(BIO* bio) {
    BIO_set_init(bio, 0);
    BIO_set_data(bio, nullptr);
    return 1;
}

int source_bio_destroy(BIO* bio) {
    delete static_cast<source_bio_state*>(BIO_get_data(bio));
    BIO_set_data(bio, nullptr);
    return 1;
}

int source_bio_read(BIO* bio, char* out, size_t wanted, size_t* got) {
    *got = 0;
    BIO_clear_retry_flags(bio);
    auto* st = static_cast<source_bio_state*>(BIO_get_data(bio));
    if (st == nullptr || wanted == 0) return 0;
    if (st->used == st->block.size()) {
        const uint64_t left = st->source->size() - st->next;
        if (left == 0) return 0;
        const std::size_t n = left < kByteSourceBlock ? static_cast<std::size_t>(left) : kByteSourceBlock;
        st->block.resize(n);
        st->used = 0;
        if (!st->source->read(st->next, st->block.data(), n)) {
            st->block.clear();
            return 0;
        }
        st->next += n;
    }
    const std::size_t n = std::min(wanted, st->block.size() - st->used);
    std::memcpy(out, st->block.data() + st->used, n);
    st->used += n;
    *got = n;
    return 1;
}

long source_bio_ctrl(BIO* bio, int cmd, long, void*) {
    auto* st = static_cast<source_bio_state*>(BIO_get_data(bio));
    if (st == nullptr) return 0;
    switch (cmd) {
        case BIO_CTRL_EOF:
            return st->used == st->block.size() && st->next == st->source->size() ? 1 : 0;
        case BIO_CTRL_PENDING: {
            const uint64_t left = (st->source->size() - st->next) + (st->block.size() - st->used);
            return left > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(left);
        }
        case BIO_CTRL_FLUSH:
            return 1;
        default:
            return 0;
    }
}

const BIO_METHOD* source_bio_method() {
    static const BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "byte source");
        if (m != nullptr) {
            BIO_meth_set_create(m, source_bio_create);
            BIO_meth_set_destroy(m, source_bio_destroy);
            BIO_meth_set_read_ex(m, source_bio_read);
            BIO_meth_set_ctrl(m, source_bio_ctrl);
        }
        return m;
    }();
    return method;
}

}  // namespace

BIO* new_byte_source_bio(byte_source& source) {
    const BIO_METHOD* method = source_bio_method();
    if (method == nullptr) return nullptr;
    BIO* bio = BIO_new(method);
    if (bio == nullptr) return nullptr;
    auto* st = new (std::nothrow) source_bio_state{&source};
    if (st == nullptr) {
        BIO_free(bio);
        return nullptr;
    }
    BIO_set_data(bio, st);
    BIO_set_init(bio, 1);
    return bio;
}

bool for_each_block(byte_source& source, const std::function<bool(const unsigned char*, std::size_t)>& sink) {
    const uint64_t total = source.size();
    if (total == 0) return !source.failed();
    std::vector<unsigned char> block(total < kByteSourceBlock ? static_cast<std::size_t>(total) : kByteSourceBlock);
    for (uint64_t at = 0; at < total;) {
        const uint64_t left = total - at;
        const std::size_t n = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        if (!source.read(at, block.data(), n) || !sink(block.data(), n)) return false;
        at += n;
    }
    return true;
}

void digest_source_by_name(byte_source& source, const char* name, unsigned char** out, uint32_t* out_length) {
    if (name == nullptr || source.size() == 0) return;
    const EVP_MD* md = digest_method_by_name(name);
    if (md == nullptr) return;
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int value_length = 0;
    if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1 ||
        !for_each_block(source, [&](const unsigned char* p, std::size_t n) {
            return EVP_DigestUpdate(ctx.get(), p, n) == 1;
        }) ||
        EVP_DigestFinal_ex(ctx.get(), value, &value_length) != 1) {
        ERR_clear_error();
        return;
    }
    auto* copy = static_cast<unsigned char*>(std::malloc(value_length));
    if (copy == nullptr) return;
    std::memcpy(copy, value, value_length);
    *out = copy;
    *out_length = value_length;
}
