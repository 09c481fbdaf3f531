#include "app/exceptionex.h"

#include <gtest/gtest.h>

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
