// One MuPDF context per thread, all cloned from one base context that shares
// the resource store under real locks.
#include "document/conversion_context.h"

#include <mutex>
#include <stdexcept>

namespace {

std::mutex mupdf_locks[FZ_LOCK_MAX];

void lock_fn(void*, int lock) { mupdf_locks[lock].lock(); }
void unlock_fn(void*, int lock) { mupdf_locks[lock].unlock(); }

fz_context* base_context() {
    static fz_locks_context locks = {nullptr, lock_fn, unlock_fn};
    static fz_context* base = [] {
        fz_context* ctx = fz_new_context(nullptr, &locks, FZ_STORE_DEFAULT);
        if (!ctx) throw std::runtime_error("cannot create the MuPDF context");
        fz_try(ctx) { fz_register_document_handlers(ctx); }
        fz_catch(ctx) {}
        return ctx;
    }();
    return base;
}

struct thread_context {
    fz_context* ctx = nullptr;
    ~thread_context() {
        if (ctx) fz_drop_context(ctx);
    }
};

}  // namespace

fz_context* conversion_context() {
    thread_local thread_context local;
    if (!local.ctx) {
        local.ctx = fz_clone_context(base_context());
        if (!local.ctx) throw std::runtime_error("cannot clone the MuPDF context");
    }
    return local.ctx;
}
