#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include <openssl/asn1.h>

#include "cert_fixtures.h"
#include "crypto/local_time.h"

namespace {

using certfix::zone_guard;

std::string local_of(const char* text, int digits) {
    char* buffer = asn1_time_text_to_local(text, digits);
    std::string s = buffer ? buffer : "(null)";
    std::free(buffer);
    return s;
}

std::string text_of(const char* asn1_text) {
    ASN1_TIME* t = ASN1_TIME_new();
    EXPECT_TRUE(ASN1_TIME_set_string(t, asn1_text)) << asn1_text;
    std::string s = asn1_time_to_text(t);
    ASN1_TIME_free(t);
    return s;
}

TEST(LocalTime, HalfHourZone) {
    zone_guard zone("Asia/Kolkata");
    EXPECT_EQ(local_of("491231235959Z", 2), "2050-01-01 05:29:59");
    EXPECT_EQ(local_of("500101000000Z", 2), "1950-01-01 05:30:00");
    EXPECT_EQ(local_of("20230313123509Z", 4), "2023-03-13 18:05:09");
    EXPECT_EQ(text_of("20230313123509Z"), "2023-03-13 18:05:09");
    EXPECT_EQ(text_of("230313183000Z"), "2023-03-14 00:00:00");
    EXPECT_EQ(generalized_time_to_local_text("20231231203000Z"), "2024-01-01 02:00:00");
    EXPECT_EQ(generalized_time_to_local_text("20231231203000"), "");
    char* t = time_to_text(0);
    EXPECT_STREQ(t, "1970-01-01 05:30:00");
    std::free(t);
}

TEST(LocalTime, EachInstantUsesItsOwnDaylightSaving) {
    // Whatever today's offset is, winter and summer instants get their own.
    zone_guard zone("Europe/Berlin");
    EXPECT_EQ(local_of("20230115120000Z", 4), "2023-01-15 13:00:00");
    EXPECT_EQ(local_of("20230715120000Z", 4), "2023-07-15 14:00:00");
    // Across the spring change (2023-03-26 01:00 UTC).
    EXPECT_EQ(text_of("20230326005959Z"), "2023-03-26 01:59:59");
    EXPECT_EQ(text_of("20230326010000Z"), "2023-03-26 03:00:00");
    zone_guard zone2("America/New_York");
    EXPECT_EQ(text_of("20231105055959Z"), "2023-11-05 01:59:59");  // EDT
    EXPECT_EQ(text_of("20231105060000Z"), "2023-11-05 01:00:00");  // EST
}

TEST(LocalTime, EpochOfAsn1Times) {
    zone_guard zone("Asia/Kolkata");
    struct { int type; const char* text; int64_t seconds; int error; } cases[] = {
        {V_ASN1_UTCTIME, "700101000000Z", 0, 0},
        {V_ASN1_UTCTIME, "700101000000+0100", -3600, 0},
        {V_ASN1_UTCTIME, "7001010000Z", 0, 0},               // no seconds
        {V_ASN1_UTCTIME, "491231235959Z", 2524607999, 0},
        {V_ASN1_GENERALIZEDTIME, "20000229120000.123Z", 951825600, 0},
        {V_ASN1_GENERALIZEDTIME, "20000229120000-0530", 951825600 + 19800, 0},
        {V_ASN1_GENERALIZEDTIME, "19700101053000", 0, 0},     // no zone: local time
        {V_ASN1_UTCTIME, "701301000000Z", 0, 1},              // month 13
        {V_ASN1_UTCTIME, "700101240000Z", 0, 1},              // hour 24
        {V_ASN1_UTCTIME, "700101000000+1300", 0, 1},          // zone beyond 12 hours
        {V_ASN1_UTCTIME, "700101000000Zjunk", 0, 1},
        {V_ASN1_UTCTIME, "700101000000", 0, 1},               // UTCTime needs a zone
        {V_ASN1_OCTET_STRING, "700101000000Z", 0, 1},
    };
    for (const auto& c : cases) {
        ASN1_STRING* t = ASN1_STRING_type_new(c.type);
        ASN1_STRING_set(t, c.text, -1);
        int error = -1;
        int64_t seconds = asn1_time_to_epoch(t, &error);
        EXPECT_EQ(error, c.error) << c.text;
        if (c.error == 0) {
            EXPECT_EQ(seconds, c.seconds) << c.text;
        }
        ASN1_STRING_free(t);
    }
}

TEST(LocalTime, NotPassedAndOffset) {
    EXPECT_TRUE(time_text_not_passed(now_local_text()) || time_text_not_passed("9999"));
    EXPECT_TRUE(time_text_not_passed("9999-01-01 00:00:00"));
    EXPECT_FALSE(time_text_not_passed("2000-01-01 00:00:00"));
    EXPECT_FALSE(time_text_not_passed(""));
    {
        zone_guard zone("Asia/Kolkata");
        const int offset = local_utc_offset_hours();  // hour difference: 5 or 6 by the minute
        EXPECT_TRUE(offset == 5 || offset == 6) << offset;
    }
    {
        zone_guard zone("Pacific/Kiritimati");  // UTC+14 folds into -12..+12
        EXPECT_EQ(local_utc_offset_hours(), -10);
    }
}

}  // namespace
