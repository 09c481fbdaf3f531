// The words for result codes and the certificate detail rows: every code has
// its sentence (also codes outside the ranges), the summary line prefers the
// signature's reason, the usage names, and the rows of the certificate dialog
// for real certificates made with openssl.
#include <gtest/gtest.h>

#include "dialogs/cert_details.h"
#include "gui/dialog_fixtures.h"
#include "ui/status_texts.h"

namespace {

using dialog_test::record_of;
using dialog_test::shared_pki;

TEST(status_texts, every_signature_code_has_its_sentence) {
    const struct {
        int code;
        const char* text;
    } rows[] = {
        {-1, "Signatrue can not been verified"},
        {0, "Signature is VALID"},
        {1, "Signature is INVALID"},
        {2, "There are errors in the formatting or information contained in this signature"},
        {3, "Unsupported Signatrue"},
        {4, "File is MODIFIED since signed"},
        {5, "File is not modified since signed"},
        {6, "File have no signatures"},
        {7, "Signature have no certificates"},
        {8, "Signature's certificate is not allowed by electronic seal"},
        {9, "Electronic seal's signature is INVALID"},
        {10, "Electronic seal's identify is INVALID"},
        {11, "Signature is expired"},
        {12, "Signature is added when certificate is invalid"},
        {13, "Signature is VALID"},
        {14, "There are errors in the formatting or information contained in this signature"},
        {15, "Unsupported algorithm"},
        {16, "Signing operation is need"},
        {17, "Signatrue can not been verified"},
        {-5, "Signatrue can not been verified"},
        {INT32_MIN, "Signatrue can not been verified"},
        {INT32_MAX, "Signatrue can not been verified"},
    };
    for (const auto& row : rows) EXPECT_EQ(signature_status_text(row.code), row.text) << row.code;
}

TEST(status_texts, every_certificate_code_has_its_sentence) {
    const struct {
        int code;
        const char* text;
    } rows[] = {
        {0, "The certificate is VALID"},
        {1, "The certificate is INVALID"},
        {2, "The certificate can not be verified"},
        {3, "The certificate's was Modified"},
        {4, "The certificate's have no issuer"},
        {5, "The certificate's signatrue is invalid"},
        {6, "The certificate is self signed"},
        {7, "The certificate identity is NOT TRUSTED"},
        {8, "The certificate is not valid yet"},
        {9, "The certificate is expired"},
        {10, "The certificate is revoked"},
        {11, "The certificate chain is broken"},
        {12, "The certificate have invalid signature algorithm"},
        {13, "The certificate can not be verified"},
        {14, "The certificate can not be verified"},
        {15, "The certificate can not be verified"},
        {-1, "The certificate can not be verified"},
        {INT32_MIN, "The certificate can not be verified"},
    };
    for (const auto& row : rows) EXPECT_EQ(certificate_status_text(row.code), row.text) << row.code;
}

TEST(status_texts, summary_line_gives_one_reason_signature_first) {
    EXPECT_EQ(signature_summary_line(0, 0), "Signature is VALID");
    EXPECT_EQ(signature_summary_line(13, 0), "Signature is VALID");
    EXPECT_EQ(signature_summary_line(13, 7), "Signature is INVALID: The certificate identity is NOT TRUSTED");
    EXPECT_EQ(signature_summary_line(4, 7), "Signature is INVALID: File is MODIFIED since signed");
    EXPECT_EQ(signature_summary_line(5, 0), "Signature is INVALID: File is not modified since signed");
    EXPECT_EQ(signature_summary_line(99, 0), "Signature is INVALID: Signatrue can not been verified");
    EXPECT_EQ(signature_summary_line(0, -3), "Signature is INVALID: The certificate can not be verified");
}

TEST(status_texts, chinese_interface_translates_and_keeps_unknown_ids_english) {
    dialog_test::chinese_ui chinese;
    ASSERT_TRUE(chinese.loaded);
    EXPECT_EQ(signature_status_text(0), wxString::FromUTF8("签名有效"));
    EXPECT_EQ(certificate_status_text(7), wxString::FromUTF8("证书身份不受信任"));
    EXPECT_EQ(signature_summary_line(4, 0), wxString::FromUTF8("签名无效：文件自签名后已被修改"));
    // A text the catalogue lacks stays English inside the translated line.
    EXPECT_EQ(wxGetTranslation("No such message id"), "No such message id");
}

TEST(usage_texts, extended_key_usage_names) {
    EXPECT_EQ(eku_names_text({2, 4}, false), "Client Authentication, Email Protection");
    EXPECT_EQ(eku_names_text({4, 2}, false), "Email Protection, Client Authentication");  // list order is kept
    EXPECT_EQ(eku_names_text({0, 0}, false), "");
    EXPECT_EQ(eku_names_text({}, false), "");
    EXPECT_EQ(eku_names_text({5, 0, 6}, false), "Trusted Timestamping, OCSP Signing");
    // Six names before a time-stamping one: a line break before it.
    EXPECT_EQ(eku_names_text({1, 2, 3, 4, 1, 2, 5}, false),
              "Server Authentication, Client Authentication, Code Signing, Email Protection, "
              "Server Authentication, Client Authentication,   \nTrusted Timestamping");
}

TEST(usage_texts, key_usage_names) {
    EXPECT_EQ(key_usage_names_text("Digital Signature, Non Repudiation", false), "Digital Signature, Non Repudiation");
    EXPECT_EQ(key_usage_names_text("Data Encipherment", false), "");
    EXPECT_EQ(key_usage_names_text("", false), "");
    EXPECT_EQ(key_usage_names_text("Digital Signature, Non Repudiation, Key Encipherment, Data Encipherment, Key "
                                   "Agreement, Certificate Sign, CRL Sign, Encipher Only, Decipher Only",
                                   false),
              "Digital Signature, Non Repudiation, Key Encipherment, Key Agreement, Certificate Sign, CRL Sign, "
              "\n  Encipher Only, Decipher Only");
    // Five names and nothing after them: the cut takes the line break away too.
    EXPECT_EQ(key_usage_names_text("Digital Signature, Non Repudiation, Key Encipherment, Key Agreement, "
                                   "Certificate Sign",
                                   false),
              "Digital Signature, Non Repudiation, Key Encipherment, Key Agreement, Certificate Sign");
}

class detail_rows : public dialog_test::data_folder_test {};

std::vector<std::string> names_of(const std::vector<cert_detail_row>& rows) {
    std::vector<std::string> names;
    for (const auto& r : rows) names.push_back(r.name.utf8_string());
    return names;
}

TEST_F(detail_rows, a_certificate_with_every_extension_gives_eighteen_rows) {
    const x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    const auto rows = certificate_detail_rows(leaf);
    EXPECT_EQ(names_of(rows),
              (std::vector<std::string>{"Version", "Subject", "Subject Alternative Name", "Issuer", "Serial number",
                                        "Signature algorithm", "Valid from", "Valid to", "Public key", "Key Usage",
                                        "Enhanced Key Usage", "Basic Constraints", "Subject Key Identifier",
                                        "Authority Key Identifier", "Authority Information access",
                                        "Certificate Policies", "CRL Distribution Points", "Sha1 Thumbprint"}));
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0].value, "V3");
    EXPECT_EQ(detail_row_column_text(rows[1]), "Alice Signer");       // the common name
    EXPECT_TRUE(rows[1].value.Contains("\n"));                         // the whole DN, a line each
    EXPECT_EQ(detail_row_column_text(rows[3]), "Velk Test Root");
    EXPECT_EQ(rows[10].value, "Client Authentication, Email Protection");  // untranslated, library order
    EXPECT_EQ(rows[17].value, wxString::FromUTF8(leaf.certid));
    // A multi-line value shows its first line, break included.
    const wxString aia = detail_row_column_text(rows[14]);
    EXPECT_TRUE(aia.EndsWith("\n")) << aia;
    EXPECT_EQ(aia.Freq('\n'), 1);
}

TEST_F(detail_rows, version_one_and_empty_records_give_the_nine_fixed_rows) {
    const std::vector<std::string> nine{"Version",    "Subject",  "Issuer",     "Serial number",  "Signature algorithm",
                                        "Valid from", "Valid to", "Public key", "Sha1 Thumbprint"};
    const x509ui v1 = record_of(shared_pki().f("v1.pem"));
    const auto rows = certificate_detail_rows(v1);
    EXPECT_EQ(names_of(rows), nine);
    EXPECT_EQ(rows[0].value, "V1");
    // No common name: the column shows the DN's first line.
    EXPECT_TRUE(rows[1].short_text.empty());
    EXPECT_EQ(detail_row_column_text(rows[1]), rows[1].value.BeforeFirst('\n') + (rows[1].value.Contains("\n") ? "\n" : ""));

    const auto empty = certificate_detail_rows(x509ui());
    EXPECT_EQ(names_of(empty), nine);
    for (const auto& r : empty) EXPECT_TRUE(r.value.empty()) << r.name;
}

}  // namespace
