// The English catalogue: message ids stay as they are (the Chinese catalogue
// and stored data key on them), and the English interface reads these
// corrected texts in their place.
#include "app/exceptionex.h"
#include "app/ui_language.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include "catalogue_fixture.h"

#include <clocale>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <wx/init.h>
#include <wx/translation.h>

namespace {

// Every id whose English text differs from the id itself.
const std::map<std::string, std::string> kCorrected = {
    {"- digital signaure, encryption...",
     "- digital signature, encryption..."},
    {"All signatrues are valid",
     "All signatures are valid"},
    {"Anotations, form fill-in, and digital signatures",
     "Annotations, form fill-in, and digital signatures"},
    {"Any files you 've opened will appear here.\nPress UP/DOWN key to select one, Press SPACE key to open it, Press Delete will remove it from the list. ",
     "Any files you've opened will appear here.\nPress UP/DOWN to select one, press SPACE to open it, press Delete to remove it from the list. "},
    {"CertStore - certificate is unvailable",
     "CertStore - certificate is unavailable"},
    {"Certifcate is not exist in store, Import it again",
     "Certificate does not exist in the store, import it again"},
    {"Certificate detail infomation",
     "Certificate detail information"},
    {"Certificates you can use it to sign files. Double-Click/Enter to view details",
     "Certificates you can use to sign files. Double-Click/Enter to view details"},
    {"Cloud Signing won't upload your document to server,\nit only caculate a digest and request a signature from server.",
     "Cloud Signing won't upload your document to the server,\nit only calculates a digest and requests a signature from the server."},
    {"Collecting exist Digital Certificates...",
     "Collecting existing Digital Certificates..."},
    {"Create Succeed, But Failed to import it to Certificate Store.",
     "Created, but failed to import it to the Certificate Store."},
    {"Create Succeed, and Import Succeed.",
     "Created and imported."},
    {"Default documet timestamp",
     "Default document timestamp"},
    {"Delete this certificate will make all SignatureStamps that use this certificate invalid! \nConfirm to Delete?",
     "Deleting this certificate will make all SignatureStamps that use this certificate invalid! \nConfirm to Delete?"},
    {"Electronic seal's identify is INVALID",
     "Electronic seal's identity is INVALID"},
    {"File have no signatures",
     "File has no signatures"},
    {"File not exist",
     "File does not exist"},
    {"Free software, donate is welcome",
     "Free software, donations are welcome"},
    {"Import Succeed!",
     "Import succeeded!"},
    {"Local Signing sign document totally in your local machine.\n",
     "Local Signing signs the document entirely on your local machine.\n"},
    {"Make a free selfsigned certificate, signed files need to be add trust by recepient manually",
     "Make a free self-signed certificate, signed files need to be trusted by the recipient manually"},
    {"Not Allow signing",
     "Signing not allowed"},
    {"Open recent opened file at startup",
     "Open recently opened file at startup"},
    {"Please fill cloud signing infomation",
     "Please fill in the cloud signing information"},
    {"Please fill your contact infomation",
     "Please fill in your contact information"},
    {"Remenber client certificate",
     "Remember client certificate"},
    {"Reseting...Please wait for a moment",
     "Resetting... Please wait for a moment"},
    {"Say somthing about this app",
     "Say something about this app"},
    {"Say somthing...",
     "Say something..."},
    {"Select a image file",
     "Select an image file"},
    {"Select a stamp, then drag a rectangel in a page.\nRight click view/modify stamp detail info.\n",
     "Select a stamp, then drag a rectangle on a page.\nRight-click to view/modify the stamp's details.\n"},
    {"Seriel No: ",
     "Serial No: "},
    {"Signatrue Validation Status",
     "Signature Validation Status"},
    {"Signatrue can not been verified",
     "Signature cannot be verified"},
    {"Signature have no certificates",
     "Signature has no certificates"},
    {"Signing operation is need",
     "Signing operation is needed"},
    {"Store Certificates are list here",
     "Store certificates are listed here"},
    {"Swith to document page (CTRL-D)",
     "Switch to document page (CTRL-D)"},
    {"Swith to home page (CTRL-H)",
     "Switch to home page (CTRL-H)"},
    {"The certificate have invalid signature algorithm",
     "The certificate has an invalid signature algorithm"},
    {"The certificate's have no issuer",
     "The certificate has no issuer"},
    {"The certificate's signatrue is invalid",
     "The certificate's signature is invalid"},
    {"The certificate's was Modified",
     "The certificate was modified"},
    {"There is new version now~~~",
     "There is a new version now~~~"},
    {"This's a Free Software, your donation is a great support !",
     "This is free software, your donation is a great support!"},
    {"Timestamp URL is begin with \"http(s)://\", please check it",
     "Timestamp URL must begin with \"http(s)://\", please check it"},
    {"Timestamp are signed just as document are signed.",
     "Timestamps are signed just as documents are signed."},
    {"Timestamp is VALID, Singing time is Verified for this signature.",
     "Timestamp is VALID, Signing time is Verified for this signature."},
    {"Timstamp time: ",
     "Timestamp time: "},
    {"Trusted Certificate are list here",
     "Trusted certificates are listed here"},
    {"URL begin with \"http(s)://\", up to 5 URLs, the newly added overrides the last",
     "URLs begin with \"http(s)://\", up to 5 URLs, the newly added overrides the last"},
    {"Unknown error occured",
     "Unknown error occurred"},
    {"Unsupported Signatrue",
     "Unsupported Signature"},
    {"Validaty Summary",
     "Validity Summary"},
    {"You can also manually import certificates that your trust here.Double-Click/Enter\nto view details",
     "You can also manually import certificates that you trust here. Double-Click/Enter\nto view details"},
    {"click right blank area ouf of page",
     "click right blank area out of page"},
    {"it's Encrypted at local",
     "it's encrypted locally"},
    {"signature field name exist",
     "signature field name exists"},
    {"can prove this file's exist time",
     "can prove when this file existed"},
};

// The entries of a compiled (little-endian) message catalogue, header left out.
std::map<std::string, std::string> catalogue_entries(const platform::embedded_resource& mo) {
    auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, mo.data + at, 4);
        return v;
    };
    std::map<std::string, std::string> entries;
    if (mo.size < 20 || word(0) != 0x950412deu) return entries;
    const std::uint32_t count = word(8), ids = word(12), texts = word(16);
    auto text_at = [&](std::uint32_t table, std::uint32_t i) {
        return std::string(reinterpret_cast<const char*>(mo.data) + word(table + 8 * i + 4), word(table + 8 * i));
    };
    for (std::uint32_t i = 0; i < count; ++i)
        if (!text_at(ids, i).empty()) entries[text_at(ids, i)] = text_at(texts, i);
    return entries;
}

class EnglishCatalogue : public catalogue_test {};

}  // namespace

TEST_F(EnglishCatalogue, HoldsExactlyTheCorrectedIds) {
    const auto* mo = platform::find_resource("VELKORANT_EN", "MOFILE");
    ASSERT_NE(mo, nullptr);
    const auto entries = catalogue_entries(*mo);
    EXPECT_EQ(entries, kCorrected);
    for (const auto& [id, english] : entries) EXPECT_NE(id, english) << "an entry that changes nothing";
}

TEST_F(EnglishCatalogue, EnglishInterfaceReadsTheCorrectedTexts) {
    set_ui_language_setting("English");
    // The result tells whether the Chinese catalogue was added.
    EXPECT_FALSE(setup_ui_language(*locale_));
    for (const auto& [id, english] : kCorrected)
        EXPECT_EQ(wxGetTranslation(wxString::FromUTF8(id)).utf8_string(), english) << id;
    // Correctly spelt ids read as they are.
    EXPECT_EQ(wxGetTranslation("Signature Properties"), "Signature Properties");
    EXPECT_EQ(translate_error_message("File not exist"), L"File does not exist");
    EXPECT_EQ(translate_error_message("something else"), L"Unknown error occurred");
}

TEST_F(EnglishCatalogue, ChineseInterfaceKeysOnTheSameIds) {
    set_ui_language_setting("中文");
    ASSERT_TRUE(setup_ui_language(*locale_));
    EXPECT_EQ(wxGetTranslation("Signatrue Validation Status"), wxString::FromUTF8("签名验证状态"));
    EXPECT_EQ(wxGetTranslation("Validaty Summary"), wxString::FromUTF8("有效性概要"));
    EXPECT_EQ(wxGetTranslation("Trusted Certificate are list here"), wxString::FromUTF8("受信任的证书列在此处"));
}
