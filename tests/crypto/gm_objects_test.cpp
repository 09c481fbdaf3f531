#include "crypto/crypto_init.h"

#include <gtest/gtest.h>
#include <openssl/objects.h>

#include <cstring>

namespace {

// Set up before any test can create an object, as the program does at start.
const bool set_up_first = (init_crypto(), true);

struct object_numbers {
    int gm_signed, gm_data, sm2sign, hmac_sm3, next_free;
};

object_numbers current() {
    return {nid_gm_signed_data, nid_gm_data, nid_sm2sign, nid_hmac_sm3, OBJ_new_nid(0)};
}

}  // namespace

TEST(CryptoInit, GmObjectNumbersFixedAndSecondCallChangesNothing) {
    ASSERT_TRUE(set_up_first);
    ASSERT_TRUE(crypto_initialised);
    object_numbers first = current();
    EXPECT_EQ(first.gm_data, 1248);
    EXPECT_EQ(first.gm_signed, 1249);
    EXPECT_EQ(first.sm2sign, 1250);
    EXPECT_EQ(first.hmac_sm3, 1251);

    init_crypto();
    object_numbers second = current();
    EXPECT_EQ(second.gm_data, 1248);
    EXPECT_EQ(second.gm_signed, 1249);
    EXPECT_EQ(second.sm2sign, 1250);
    EXPECT_EQ(second.hmac_sm3, 1251);
    EXPECT_EQ(second.next_free, first.next_free) << "the second call created objects";

    EXPECT_EQ(OBJ_txt2nid("1.2.156.10197.6.1.4.2.2"), 1249);
    EXPECT_STREQ(OBJ_nid2sn(1249), "gm-signedData");
    EXPECT_STREQ(OBJ_nid2ln(1248), "gm-pkcs7-data");
    EXPECT_STREQ(OBJ_nid2sn(1250), "SM2SIGN");
    EXPECT_EQ(OBJ_sn2nid("gm-pkcs7"), NID_undef);
    EXPECT_EQ(OBJ_txt2nid("1.2.156.10197.1.401.2"), nid_hmac_sm3);
    EXPECT_STREQ(OBJ_nid2ln(nid_hmac_sm3), "hmacWithSM3");
}

TEST(CryptoInit, OidTextToNidTable) {
    init_crypto();
    int before = OBJ_new_nid(0);
    struct row {
        const char* oid;
        int nid;
    };
    const row fixed[] = {
        {"1.2.840.113549.1.9.3", 50},
        {"1.2.840.113549.1.9.4", 51},
        {"1.2.840.113549.1.1.11", 668},
        {"1.2.840.113549.1.9.16.2.14", 225},
        {"1.2.840.113549.1.9.5", 0},         // signingTime is not in the table
        {"1.2.840.113549.1.9.4 ", 0},        // compared exactly
        {"", 0},
    };
    for (const auto& r : fixed) {
        int32_t nid = -7;
        EXPECT_EQ(oid_text_to_nid(r.oid, &nid), 0);
        EXPECT_EQ(nid, r.nid) << "'" << r.oid << "'";
    }

    int32_t revoke1 = 0, revoke2 = 0, embed = 0;
    oid_text_to_nid("1.2.840.113583.1.1.8", &revoke1);
    oid_text_to_nid("1.2.840.113583.1.1.8", &revoke2);
    oid_text_to_nid("1.2.156.150570.2.2.1", &embed);
    EXPECT_GT(revoke1, 1251);
    EXPECT_EQ(revoke1, revoke2);
    EXPECT_STREQ(OBJ_nid2sn(revoke1), "pdfcertrevoke");
    EXPECT_STREQ(OBJ_nid2ln(embed), "embedgmsignature");
    EXPECT_GT(embed, 1251);
    EXPECT_NE(embed, revoke1);
    EXPECT_EQ(OBJ_new_nid(0), before) << "lookups must not create objects after set-up";
}
