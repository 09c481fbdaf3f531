#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cert_fixtures.h"
#include "app/text_utils.h"
#include "crypto/cert_info.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/local_time.h"
#include "crypto/pfx.h"
#include "crypto/x509ui.h"

using certfix::openssl;
using testsupport::scratch_dir;
using testsupport::write_file;

namespace {

const char* const kConfig = R"([req]
distinguished_name = dn
x509_extensions = ext
prompt = no
[dn]
C = CN
O = Org
CN = Name
emailAddress = a@b.c
[ext]
subjectKeyIdentifier = hash
certificatePolicies = @pol1, 2.5.29.32.0
crlDistributionPoints = URI:http://crl.test/a.crl, dp2
[dp2]
relativename = rdn
[rdn]
CN = rel
[pol1]
policyIdentifier = 1.2.3.4
CPS.1 = http://cps.test/
userNotice.1 = @notice
[notice]
explicitText = "Explicit"
organization = "Org"
noticeNumbers = 1, 2
)";

class X509ui : public ::testing::Test {
protected:
    void SetUp() override { init_crypto(); }
    scratch_dir dir_;
};

TEST_F(X509ui, ExtensionTextsOfCommandLineCertificate) {
    write_file(dir_.file("x.cnf"), kConfig);
    openssl("req -x509 -newkey rsa:2048 -nodes -days 3 -config " + dir_.file("x.cnf") + " -keyout " +
            dir_.file("x.key") + " -out " + dir_.file("x.pem") +
            " -addext basicConstraints=critical,CA:TRUE,pathlen:0"
            " -addext keyUsage=critical,digitalSignature,nonRepudiation"
            " -addext extendedKeyUsage=timeStamping,serverAuth,1.2.3.4.5"
            " -addext 'subjectAltName=DNS:example.org,email:a@b.c,IP:10.1.2.3,IP:2001:db8::1,URI:http://x.test/y,"
            "otherName:1.3.6.1.4.1.311.20.2.3;UTF8:user@dom'"
            " -addext 'authorityInfoAccess=OCSP;URI:http://ocsp.test/,caIssuers;URI:http://ca.test/ca.cer' 2>&1");
    x509ui ui;
    x509ui_from_file(utf8_to_wide(dir_.file("x.pem")), ui);

    EXPECT_EQ(ui.version, "V3");
    EXPECT_EQ(ui.subject_dn, L"E = a@b.c\nCN = Name\nO = Org\nC = CN");
    EXPECT_EQ(ui.issuer_dn, ui.subject_dn);
    EXPECT_EQ(ui.subject_cn, L"Name");
    EXPECT_EQ(ui.issuer_cn, L"Name");
    EXPECT_EQ(ui.subject_email, "a@b.c");
    EXPECT_EQ(ui.sig_alg, "sha256WithRSA");
    EXPECT_EQ(ui.sig_alg_number, "");
    EXPECT_EQ(ui.key_text, "RSA (2048 Bits)");
    EXPECT_EQ(ui.key_usage, "Digital Signature, Non Repudiation");
    EXPECT_EQ(ui.basic_constraints, "Subject Type=CA\r\nPath Length Constraint=0");
    EXPECT_EQ(ui.ext_key_usages, (std::vector<int32_t>{eku_other, eku_server_auth, eku_time_stamping}));
    EXPECT_EQ(ui.subject_alt_names,
              L"DNS Name=example.org\nEmail Address=a@b.c\nIP Address=10.1.2.3\n"
              L"IP Address=2001:DB8:0:0:0:0:0:1\nURI=http://x.test/y\nmsUPN=user@dom\n");
    EXPECT_EQ(ui.authority_info_access,
              "[1]Authority Info Access\n    Access Method=OCSP Responder (1.3.6.1.5.5.7.48.1)\n"
              "    Alternative Name:\n        URL=http://ocsp.test/\n"
              "[2]Authority Info Access\n    Access Method=CA Issuers (1.3.6.1.5.5.7.48.2)\n"
              "    Alternative Name:\n        URL=http://ca.test/ca.cer\n");
    EXPECT_EQ(ui.crl_dist_points,
              "[1]CRL Distribution Point\n    Distribution Point Name:\n        Full Name:\n"
              "            URI=http://crl.test/a.crl\n\n"
              "[2]CRL Distribution Point\n    Distribution Point Name:\n        Relative Name:\n"
              "            CN = rel\n");
    EXPECT_EQ(ui.cert_policies,
              "[1]Certificate Policy:\n    Policy Identifier=1.2.3.4\n"
              "    [1,1]Policy Qualifier Info:\n        Policy Qualifier Id=CPS\n        Qualifier:\n"
              "            http://cps.test/\n"
              "    [1,2]Policy Qualifier Info:\n        Policy Qualifier Id=User Notice\n        Qualifier:\n"
              "            Org - #1, #2\n    Explicit\n"
              "[2]Certificate Policy:\n    Policy Identifier=2.5.29.32.0\n");

    // Identifiers and raw values agree with the command line.
    const std::string der_sha1 = openssl("x509 -in " + dir_.file("x.pem") + " -outform DER | sha1sum");
    std::string upper = der_sha1.substr(0, 40);
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ui.certid, upper);
    EXPECT_EQ(ui.der_len(), ui.der.size());
    std::string serial = openssl("x509 -in " + dir_.file("x.pem") + " -noout -serial");
    serial = serial.substr(serial.find('=') + 1);
    serial = serial.substr(0, serial.find('\n'));
    // The serial's content bytes: a leading 00 when its top bit is set.
    EXPECT_TRUE(ui.serial_hex == serial || ui.serial_hex == "00" + serial) << ui.serial_hex << " " << serial;
    std::string skid = openssl("x509 -in " + dir_.file("x.pem") + " -noout -ext subjectKeyIdentifier");
    skid = skid.substr(skid.find('\n') + 1);
    std::string skid_hex;
    for (char c : skid)
        if (std::isxdigit(static_cast<unsigned char>(c))) skid_hex += c;
    EXPECT_EQ(ui.subject_key_id, skid_hex);
    EXPECT_EQ(ui.authority_key_id, "");
    EXPECT_EQ(ui.public_key_hex.size(), 270u * 2);  // RSA 2048 SubjectPublicKey
    EXPECT_EQ(ui.signature_hex.size(), 256u * 2);
    EXPECT_EQ(ui.not_before.size(), 19u);
    EXPECT_LT(ui.not_before, ui.not_after);

    // Copies are deep.
    x509ui copy = ui;
    ui.der.clear();
    EXPECT_EQ(copy.der.size(), copy.der_len());
    EXPECT_FALSE(copy.der.empty());

    auto skid_name = x509ui_skid_and_name(copy);
    EXPECT_EQ(skid_name.first, skid_hex);
    EXPECT_EQ(skid_name.second, L"E = a@b.c CN = Name O = Org C = CN");
}

TEST_F(X509ui, CertificateWithoutExtensions) {
    openssl("req -new -newkey rsa:2048 -nodes -subj /CN=plain -keyout " + dir_.file("k.pem") + " -out " +
            dir_.file("n.csr") + " 2>&1");
    openssl("x509 -req -in " + dir_.file("n.csr") + " -signkey " + dir_.file("k.pem") + " -out " +
            dir_.file("n.pem") + " 2>&1");
    X509* cert = load_certificate_file(dir_.file("n.pem").c_str());
    ASSERT_NE(cert, nullptr);
    x509ui ui;
    build_x509ui(cert, ui);
    EXPECT_EQ(ui.key_usage, "");
    EXPECT_EQ(ui.basic_constraints, "");
    EXPECT_TRUE(ui.ext_key_usages.empty());
    EXPECT_EQ(ui.cert_policies + ui.crl_dist_points + ui.authority_info_access + ui.subject_key_id, "");
    EXPECT_EQ(ui.subject_alt_names, L"");
    EXPECT_EQ(ui.subject_email, "");
    auto akid_name = x509_akid_and_issuer_name(cert);
    EXPECT_EQ(akid_name.first, "");
    EXPECT_EQ(akid_name.second, L"CN = plain");
    X509_free(cert);

    x509ui untouched;
    build_x509ui(nullptr, untouched);
    EXPECT_EQ(untouched.version, "");
    EXPECT_THROW(x509ui_from_file(L"/nonexistent/file.cer", untouched), std::exception);
}

TEST_F(X509ui, CaWithoutPathLength) {
    certfix::make_self_signed(dir_, "ca", "/CN=CA", "-addext basicConstraints=critical,CA:TRUE");
    X509* cert = load_certificate_file(dir_.file("ca.pem").c_str());
    ASSERT_NE(cert, nullptr);
    x509ui ui;
    build_x509ui(cert, ui);
    EXPECT_EQ(ui.basic_constraints, "Subject Type=CA\r\nPath Length Constraint=None");
    X509_free(cert);
}

TEST_F(X509ui, GmCorpusPfxDisplayRecord) {
    REQUIRE_CORPUS();
    certfix::zone_guard zone("Asia/Shanghai");
    const std::string path = testsupport::corpus_dir() + "/gm/USER.p12";
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    load_pfx(path.c_str(), "777777", &cert, &chain, &key);
    ASSERT_NE(cert, nullptr);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(sk_X509_num(chain), 1);
    EXPECT_EQ(sk_X509_value(chain, 0), cert);

    x509ui ui;
    build_x509ui(cert, ui);
    EXPECT_EQ(ui.version, "V3");
    EXPECT_EQ(ui.sig_alg, "sm3WithSM2");
    EXPECT_EQ(ui.key_text, "SM2 (256 Bits)");
    EXPECT_EQ(ui.subject_cn, L"Test Certificate");
    EXPECT_EQ(ui.subject_dn, L"CN = Test Certificate\nL = Hangzhou\nS = Zhejiang\nO = OFD R&W\nC = CN");
    EXPECT_EQ(ui.issuer_cn, L"OFD Reader and WriterROOT Certificate");
    EXPECT_EQ(ui.serial_hex, "01719D2DAB60");
    EXPECT_EQ(ui.not_before, "2020-04-21 22:39:08");
    EXPECT_EQ(ui.not_after, "2022-04-21 22:39:08");
    EXPECT_EQ(ui.key_usage, "Digital Signature, Non Repudiation, Certificate Sign");
    EXPECT_EQ(ui.ext_key_usages, (std::vector<int32_t>{eku_client_auth}));
    EXPECT_EQ(ui.basic_constraints, "Subject Type=End Entity\r\nPath Length Constraint=None");
    EXPECT_EQ(ui.certid, "BEC51E64D7C8416FBF001B48F8F39A9A79B03F07");
    EXPECT_EQ(ui.public_key_hex.substr(0, 10), "040CD16493");

    cert_info info;
    fill_cert_info(cert, info);
    EXPECT_EQ(info.subject, L"Test Certificate");
    EXPECT_EQ(info.issuer, L"OFD Reader and WriterROOT Certificate");
    EXPECT_EQ(info.sn, "01719D2DAB60");
    EXPECT_EQ(info.expired, "2022-04-21 22:39:08");
    EXPECT_TRUE(info.der.empty());

    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
}

TEST(CertDisplayName, Cases) {
    EXPECT_EQ(cert_display_name(L"Name", L"O = Org"), L"Name");
    EXPECT_EQ(cert_display_name(L"", L"OU = Dept\nO = Org\nC = CN"), L"Org");
    EXPECT_EQ(cert_display_name(L"", L"C = CN\nO = Org"), L"Org");
    EXPECT_EQ(cert_display_name(L"", L"C = CN\nOU = Dept"), L"");
}

}  // namespace
