#include "app/exceptionex.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

// Wide messages: cut at 1023 wide characters (not dropped when they overflow)
// and carried as UTF-8 narrow text.
TEST(ResultConventionWide, LongMessagesAreCutAndTextStaysUtf8) {
    std::wstring big(5000, L'签');
    try {
        throw_ex_wfmt(L"%ls", big.c_str());
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).size(), 1023u * 3);  // each 签 is three UTF-8 bytes
    }
    EXPECT_STREQ(exceptionex(L"(), 文件").what(), "(), 文件");
}

// The same under the "C" locale (a program that never called setlocale).
TEST(ResultConventionWide, TextStaysUtf8UnderTheCLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    const std::string text = exceptionex(L"buff2filew() failed, file: /tmp/\u6587\u4ef6.pdf").what();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, "buff2filew() failed, file: /tmp/\xe6\x96\x87\xe4\xbb\xb6.pdf");
}
