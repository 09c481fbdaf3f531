// The error-text table, in English and with the embedded Chinese catalogue.
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "app/ui_language.h"

#include <gtest/gtest.h>

#include "catalogue_fixture.h"

#include <cerrno>
#include <clocale>
#include <langinfo.h>
#include <memory>

#include <wx/init.h>
#include <wx/arrstr.h>
#include <wx/translation.h>

namespace {

const std::wstring kOpenFailed = L"unable to open file. File type is unsupported, or file is damaged";

struct table_case {
    const char* english;
    const wchar_t* display;
};

const table_case kEnglishCases[] = {
    {"File not exist", L"File not exist"},
    {"File not exist.", L"Unknown error occured"},          // equals row: the whole text only
    {"file not exist", L"Unknown error occured"},           // case counts
    {"(), Failed to add timestamp: http 500", L"Failed to add timestamp, try again, or check URL"},
    {"Failed to create a pkcs7 signature, rc=3", L"Failed to create a pkcs7 signature"},
    {"x Failed to access system certificate", L"Failed to access system certificate"},
    {"Failed to access pfx certificate", L"Failed to access pfx certificate"},
    {"signature field name exist", L"signature field name exist"},
    {"signature field name exist: Sig1", L"Unknown error occured"},
    {"unable to open file", kOpenFailed.c_str()},
    {"unable to open file x.pdf", L"Unknown error occured"},  // equals, not contains
    {"mupdf: cannot tell in file", kOpenFailed.c_str()},
    {"(), add ltv failed", L"Failed to add LTV for signature"},
    {"saltvalue", L"Failed to add LTV for signature"},       // the three letters anywhere
    {"LTV failed", L"Unknown error occured"},
    // Earlier rows win over "ltv" further on in the text.
    {"Failed to add timestamp for ltv", L"Failed to add timestamp, try again, or check URL"},
    {"dstpath is inaccessible", L"Save path is opened, close it first"},
    // A write that failed names its cause, whatever the file is called.
    {"buff2filew() failed, no space left on the disk,  file: /x/ltv.pdf",
     L"No space left on the disk, free some space or choose another folder"},
    {"failed to save pdf file: 2, the folder is not writable", L"The folder cannot be written, choose another folder"},
    {"(), Failed to load image: stamp.png", L"The image of the stamp is invalid, please change it"},
    {"get sign cert failed", L"get sign cert failed"},
    {"get sign cert failed!", L"Unknown error occured"},
    {"", L"Unknown error occured"},
    {"Succeed", L"Unknown error occured"},
};

}  // namespace

TEST(ErrorTexts, EnglishTable) {
    for (const auto& c : kEnglishCases) EXPECT_EQ(translate_error_message(c.english), c.display) << c.english;
}

class ChineseCatalogue : public catalogue_test {};

TEST_F(ChineseCatalogue, EmbeddedCatalogueIsFoundWhateverTheLetterCase) {
    // A wxTranslations owns what its loader returns and frees it (the
    // toolkit does not export the catalogue's destructor).
    struct one_catalogue : wxTranslationsLoader {
        wxString domain, lang;
        wxMsgCatalog* LoadCatalog(const wxString&, const wxString&) override {
            return load_embedded_catalogue(domain, lang);
        }
        wxArrayString GetAvailableTranslations(const wxString&) const override { return wxArrayString(1, &lang); }
    };
    for (const auto& [domain, lang] : {std::pair("velkorant", "zh_CN"), std::pair("VELKORANT", "zh_cn")}) {
        SCOPED_TRACE(domain);
        wxTranslations translations;
        auto* loader = new one_catalogue;
        loader->domain = domain;
        loader->lang = lang;
        translations.SetLoader(loader);
        translations.SetLanguage("zh_CN");
        ASSERT_TRUE(translations.AddCatalog("velkorant"));
        const wxString* text = translations.GetTranslatedString("File not exist", "velkorant");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->ToStdWstring(), L"文件不存在");
    }
    EXPECT_EQ(load_embedded_catalogue("velkorant", "fr_FR"), nullptr);
    EXPECT_EQ(load_embedded_catalogue("other", "zh_CN"), nullptr);
}

TEST_F(ChineseCatalogue, DisplayTextsComeOutInChinese) {
    set_ui_language_setting("中文");
    // The machine need not have a zh_CN locale: the catalogue loads all the same.
    ASSERT_TRUE(setup_ui_language(*locale_));
    EXPECT_EQ(translate_error_message("File not exist"), L"文件不存在");
    EXPECT_EQ(translate_error_message("(), Failed to add timestamp: 404"), L"添加时间戳失败，请重试或检查 URL");
    EXPECT_EQ(translate_error_message("unable to open file"), L"无法打开文件。文件类型不受支持，或文件已损坏");
    EXPECT_EQ(translate_error_message("add ltv"), L"为签名添加 LTV 失败");
    EXPECT_EQ(translate_error_message("something else"), L"未知错误");
    EXPECT_EQ(translate_error_message("buff2filew() failed, no space left on the disk,  file: a.pdf"),
              L"磁盘空间不足，请释放空间或选择其他文件夹");
    EXPECT_EQ(translate_error_message("buff2filew() failed, the folder is not writable,  file: a.pdf"),
              L"无法写入该文件夹，请选择其他文件夹");
    // The C run-time locale is UTF-8, so narrow error texts hold the Chinese intact.
    EXPECT_STREQ(nl_langinfo(CODESET), "UTF-8");
    EXPECT_EQ(mb_to_wide(wide_to_mb(translate_error_message("get sign cert failed"))), L"获取签名证书失败");
}

TEST_F(ChineseCatalogue, EnglishInterfaceAddsNoChineseCatalogue) {
    set_ui_language_setting("English");
    EXPECT_FALSE(setup_ui_language(*locale_));
    EXPECT_EQ(translate_error_message("get sign cert failed"), L"get sign cert failed");
    EXPECT_STREQ(nl_langinfo(CODESET), "UTF-8");
}

TEST(ErrorTexts, WriteFailureCauses) {
    for (int e : {ENOSPC, EDQUOT}) EXPECT_STREQ(write_failure_cause(e), "no space left on the disk");
    for (int e : {EACCES, EPERM, EROFS}) EXPECT_STREQ(write_failure_cause(e), "the folder is not writable");
    for (int e : {0, ENOENT, EBUSY, EIO}) EXPECT_EQ(write_failure_cause(e), nullptr);
}
