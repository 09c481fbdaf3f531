#include "app/encoding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

TEST(Base64, PaddingByLength) {
    const unsigned char b[] = {'a', 'b', 'c'};
    EXPECT_EQ(base64_encode(b, 3), "YWJj");
    EXPECT_EQ(base64_encode(b, 2), "YWI=");
    EXPECT_EQ(base64_encode(b, 1), "YQ==");
    EXPECT_EQ(base64_encode(b, 0), "");
}

TEST(Base64, DecodeSkipsLineBreaksAndStopsAtPaddingOrJunk) {
    std::string one_line = base64_encode(std::string(100, '\x7f') + "tail");
    std::string broken;
    for (std::size_t i = 0; i < one_line.size(); i += 16) broken += one_line.substr(i, 16) + "\r\n";
    EXPECT_EQ(base64_decode(broken), base64_decode(one_line));
    EXPECT_EQ(base64_decode("YQ==YWJj"), std::vector<unsigned char>({'a'}));
    EXPECT_EQ(base64_decode("YWJj*YWJj"), std::vector<unsigned char>({'a', 'b', 'c'}));
}

TEST(Hex, UpperCaseAndReversed) {
    const unsigned char b[] = {0x01, 0xab};
    EXPECT_EQ(bytes_to_hex(b, 2, false), "01AB");
    EXPECT_EQ(bytes_to_hex(b, 2, true), "AB01");
    EXPECT_EQ(bytes_to_hex(b, 0, false), "");
}

TEST(Base64, ContentsReplacedOnlyWhenBase64OfDer) {
    const unsigned char der[] = {0x30, 0x03, 0x02, 0x01, 0x05};
    uint32_t len = sizeof der;
    auto* buf = static_cast<unsigned char*>(std::malloc(len));
    std::memcpy(buf, der, len);
    EXPECT_FALSE(contents_from_base64(&buf, &len));
    EXPECT_EQ(buf[0], 0x30);

    std::string text = base64_encode(der, sizeof der);  // starts with "M"
    uint32_t tlen = static_cast<uint32_t>(text.size());
    auto* tbuf = static_cast<unsigned char*>(std::malloc(tlen));
    std::memcpy(tbuf, text.data(), tlen);
    ASSERT_TRUE(contents_from_base64(&tbuf, &tlen));
    ASSERT_EQ(tlen, sizeof der);
    EXPECT_EQ(std::memcmp(tbuf, der, tlen), 0);
    std::free(buf);
    std::free(tbuf);
    EXPECT_FALSE(contents_from_base64(nullptr, &len));
}

TEST(Sealing, RoundTripsAndSizes) {
    for (int n : {0, 1, 15, 16, 17, 40}) {
        std::string pw;
        for (int i = 0; i < n; ++i) pw += static_cast<char>('A' + i % 26);
        std::string sealed = seal_password(pw);
        EXPECT_EQ(unseal_password(sealed), pw) << n;
        EXPECT_EQ(sealed.size(), n <= 15 ? 24u : (n <= 31 ? 44u : 64u)) << n;
    }
    EXPECT_EQ(unseal_password(""), "");
}

TEST(Sealing, MatchesOpensslCommandLine) {
    // An independent judge: `openssl enc -aes-128-ecb -K <key>` must give the same text.
    const std::string password = "s3cret-Pässword";
    std::string key_hex = bytes_to_hex(seal_key_bytes());
    std::string cmd = "printf '%s' '" + password + "' | openssl enc -aes-128-ecb -K " + key_hex + " -a -A";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::array<char, 256> buf{};
    std::string got;
    while (fgets(buf.data(), buf.size(), p)) got += buf.data();
    ASSERT_EQ(pclose(p), 0);
    EXPECT_EQ(got, seal_password(password));
}
