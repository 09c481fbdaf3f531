#include "crypto/system_chain.h"

#include <atomic>

namespace {
std::atomic<system_chain_source> registered_source{nullptr};
}

void set_system_chain_source(system_chain_source source) { registered_source.store(source); }

STACK_OF(X509)* system_chain_for(X509* cert) {
    system_chain_source source = registered_source.load();
    if (!source || !cert) return nullptr;
    return source(cert);
}
