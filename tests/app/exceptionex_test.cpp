#include "app/exceptionex.h"
#include "app/diagnostics.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ResultConvention, SuccessIsExactlySucceed) {
    EXPECT_FALSE(is_failure_exception(exceptionex("Succeed")));
    for (const char* t : {"succeed", "Succeed ", "", "Failed"}) {
        EXPECT_TRUE(is_failure_exception(exceptionex(t))) << t;
        EXPECT_FALSE(is_success_exception(exceptionex(t))) << t;
    }
}

TEST(ResultConvention, ThrowHelpers) {
    int x = 0;
    EXPECT_NO_THROW(throw_if_null(&x));
    EXPECT_NO_THROW(throw_if_false(true));
    try { throw_if_null(nullptr); FAIL(); } catch (const std::exception& e) { EXPECT_STREQ(e.what(), "Undefined"); }
    try { throw_failed(); FAIL(); } catch (const std::exception& e) { EXPECT_STREQ(e.what(), "Failed"); }
    try { throw_ex_fmt("%s(), failed", ""); FAIL(); } catch (const std::exception& e) { EXPECT_STREQ(e.what(), "(), failed"); }
    try { throw_ex_wfmt(L"%ls(), wide %d", L"", 7); FAIL(); } catch (const std::exception& e) { EXPECT_STREQ(e.what(), "(), wide 7"); }
}

TEST(ResultConvention, LongMessagesAreCut) {
    std::string big(5000, 'x');
    try { throw_ex_fmt("%s", big.c_str()); } catch (const std::exception& e) { EXPECT_EQ(std::string(e.what()).size(), 1023u); }
}

TEST(ResultConvention, CheckResultPassesFailureOnAsPlainException) {
    EXPECT_NO_THROW(check_result(exceptionex("Succeed")));
    try {
        check_result(exceptionex("(), broken"));
        FAIL();
    } catch (const exceptionex&) {
        FAIL() << "must not be an exceptionex";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "(), broken");
    }
}

TEST(ResultConvention, DiagnosticLinesGoToStandardOutputInTheSharedForms) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    diag_error("", "bad input");
    diag_loaded("", 7);
    log_exception(exceptionex("no file"));
    diag_print("\n %s(), %s", "", "other");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n\n[ERROR] (), ex.what(): bad input [ERROR]\n"
              "\n (), loaded num: 7"
              "\n\n[ERROR] (), ex.what(): no file [ERROR]\n"
              "\n (), other");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
