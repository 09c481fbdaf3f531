#pragma once
// PKCS#12 files whose authenticated-safe content is labelled gm-data.
#include <openssl/pkcs12.h>

// DER PFX → PKCS12. When the outer content type is gm-data it is read as
// data (the MAC covers only the content octets, so it still verifies).
PKCS12* gm_d2i_pkcs12(const unsigned char* der, long length);
