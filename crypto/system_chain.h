#pragma once
// The system certificate store's chain engine, as chain building sees it.
//
// Chain building asks the system store for the chain of a certificate it
// could not complete from the trust list's cache. The store itself lives
// elsewhere; it registers its chain function here at start-up, so the chain
// code does not depend on it. Without a registered source the system store
// contributes nothing.
#include <openssl/x509.h>

// Returns a new stack with the chain the system store builds for cert (cert
// first, root last) or null. The caller frees the stack and its certificates.
using system_chain_source = STACK_OF(X509)* (*)(X509* cert);

// Registers (or, with null, removes) the source. Call before workers start.
void set_system_chain_source(system_chain_source source);

// The registered source's chain for cert; null without a source.
STACK_OF(X509)* system_chain_for(X509* cert);
