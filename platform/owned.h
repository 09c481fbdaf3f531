#pragma once
// Owning pointers for C objects (OpenSSL objects, malloc'ed memory, C files)
// and a scope guard. The deleter is found from the pointer's type, so every
// user frees an object the same way:
//
//   owned<X509> cert(d2i_X509(...));            X509_free
//   owned<STACK_OF(X509)> chain(...);            the stack and its certificates
//   borrowed_x509_stack signers(...);            the stack only (certificates borrowed)
//   malloced<unsigned char> der(buffer);         std::free
//
// A type of a higher layer joins with one specialisation of owned_free beside
// its own declaration (see VELK_OWNED_FREE). MuPDF objects, which need their
// context to be dropped, have their owners in document/mupdf_owned.h.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

template <class T>
struct owned_free;  // static void release(T*) for each owned type

template <class T>
struct owned_deleter {
    void operator()(T* p) const noexcept {
        if (p) owned_free<T>::release(p);
    }
};

template <class T>
using owned = std::unique_ptr<T, owned_deleter<T>>;

#define VELK_OWNED_FREE(type, call)                  \
    template <>                                      \
    struct owned_free<type> {                        \
        static void release(type* p) noexcept { call; } \
    }

VELK_OWNED_FREE(X509, X509_free(p));
VELK_OWNED_FREE(X509_STORE, X509_STORE_free(p));
VELK_OWNED_FREE(X509_SIG, X509_SIG_free(p));
VELK_OWNED_FREE(PKCS7, PKCS7_free(p));
VELK_OWNED_FREE(BIO, BIO_free_all(p));  // a whole chain (a single BIO is a chain of one)
VELK_OWNED_FREE(EVP_MD_CTX, EVP_MD_CTX_free(p));
VELK_OWNED_FREE(EVP_MD, EVP_MD_free(p));
VELK_OWNED_FREE(EVP_CIPHER_CTX, EVP_CIPHER_CTX_free(p));
VELK_OWNED_FREE(EVP_PKEY, EVP_PKEY_free(p));
VELK_OWNED_FREE(STACK_OF(X509), sk_X509_pop_free(p, X509_free));
VELK_OWNED_FREE(STACK_OF(ASN1_TYPE), sk_ASN1_TYPE_pop_free(p, ASN1_TYPE_free));
VELK_OWNED_FREE(FILE, std::fclose(p));

// A stack whose certificates belong to someone else: only the stack is freed.
struct borrowed_x509_stack_deleter {
    void operator()(STACK_OF(X509) * s) const noexcept { sk_X509_free(s); }
};
using borrowed_x509_stack = std::unique_ptr<STACK_OF(X509), borrowed_x509_stack_deleter>;

// Memory from malloc/calloc/realloc (and OpenSSL's default allocator).
struct malloc_deleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using malloced = std::unique_ptr<T, malloc_deleter>;

// Memory OpenSSL allocated for the caller (i2d_* output, ASN1_item_i2d, ...).
struct openssl_free_deleter {
    void operator()(void* p) const noexcept { OPENSSL_free(p); }
};
template <class T>
using openssl_malloced = std::unique_ptr<T, openssl_free_deleter>;

// Runs its function when the scope ends, on every path, unless dismissed.
template <class F>
class scope_exit {
public:
    explicit scope_exit(F f) : f_(std::move(f)) {}
    scope_exit(scope_exit&& other) noexcept : f_(std::move(other.f_)), active_(other.active_) { other.active_ = false; }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() {
        if (active_) f_();
    }
    void dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

template <class F>
scope_exit<F> on_scope_exit(F f) {
    return scope_exit<F>(std::move(f));
}
