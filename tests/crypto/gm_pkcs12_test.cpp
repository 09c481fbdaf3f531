#include "crypto/crypto_init.h"
#include "crypto/gm_pkcs12.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>

#include <algorithm>

TEST(GmPkcs12, GmDataLabelledPfxParses) {
    init_crypto();
    gm_test::scratch_dir dir;
    ASSERT_TRUE(dir.run(
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout k.pem -out c.pem -days 30 -subj /CN=Pfx && "
        "openssl pkcs12 -export -in c.pem -inkey k.pem -passout pass:pw -out p.pfx"))
        << dir.log();
    std::vector<unsigned char> der = dir.read("p.pfx");
    // Relabel the authSafe content type data -> gm-data by hand: the GM OID
    // is one byte longer, so the two enclosing lengths grow by one.
    const std::vector<unsigned char> data_oid = {0x06, 0x09, 0x2A, 0x86, 0x48, 0x86,
                                                 0xF7, 0x0D, 0x01, 0x07, 0x01};
    auto at = std::search(der.begin(), der.end(), data_oid.begin(), data_oid.end());
    ASSERT_NE(at, der.end());
    std::vector<unsigned char> gm(der.begin(), at);
    const unsigned char gm_oid[] = {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55,
                                    0x06, 0x01, 0x04, 0x02, 0x01};
    gm.insert(gm.end(), gm_oid, gm_oid + sizeof gm_oid);
    gm.insert(gm.end(), at + static_cast<long>(data_oid.size()), der.end());
    // Fix the two enclosing lengths (PFX and ContentInfo, both long form 0x82).
    auto bump = [&](std::size_t pos) {
        ASSERT_EQ(gm[pos], 0x82);
        unsigned v = (gm[pos + 1] << 8 | gm[pos + 2]) + 1;
        gm[pos + 1] = static_cast<unsigned char>(v >> 8);
        gm[pos + 2] = static_cast<unsigned char>(v & 0xFF);
    };
    bump(1);
    std::size_t ci = static_cast<std::size_t>(at - der.begin()) - 4;  // ContentInfo header
    ASSERT_EQ(gm[ci], 0x30);
    bump(ci + 1);

    const unsigned char* p = gm.data();
    PKCS12* stock = d2i_PKCS12(nullptr, &p, static_cast<long>(gm.size()));
    ASSERT_NE(stock, nullptr);
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    EXPECT_EQ(PKCS12_parse(stock, "pw", &key, &cert, nullptr), 0) << "stock accepted gm-data";
    PKCS12_free(stock);
    ERR_clear_error();

    PKCS12* p12 = gm_d2i_pkcs12(gm.data(), static_cast<long>(gm.size()));
    ASSERT_NE(p12, nullptr);
    EXPECT_EQ(PKCS12_verify_mac(p12, "pw", -1), 1);
    ASSERT_EQ(PKCS12_parse(p12, "pw", &key, &cert, nullptr), 1);
    EXPECT_NE(key, nullptr);
    EXPECT_NE(cert, nullptr);
    EVP_PKEY_free(key);
    X509_free(cert);
    PKCS12_free(p12);

    // A plain PFX passes through unchanged.
    p12 = gm_d2i_pkcs12(der.data(), static_cast<long>(der.size()));
    ASSERT_NE(p12, nullptr);
    EXPECT_EQ(PKCS12_verify_mac(p12, "pw", -1), 1);
    PKCS12_free(p12);
}
