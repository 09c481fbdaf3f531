// The sign operation: from a stamp and a task to a signed file through the
// open document, with the outcome reported once.
#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/sigerr.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "document/doc_pdfium.h"
#include "document/pdf_sign.h"
#include "document/sig_result.h"
#include "document/sign_operation.h"
#include "document/signing_suite.h"
#include "support/pki_fixture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstring>
#include <string>
#include <vector>

using testsupport::read_file;
using testsupport::run_command;
using testsupport::shell_quote;

namespace {

struct reported {
    int calls = 0;
    bool success = false;
    bool had_signer = false;
    std::string failure;
};
reported last_report;

void record_report(const sign_task&, const x509ui* signer, bool success, const std::string& failure) {
    ++last_report.calls;
    last_report.success = success;
    last_report.had_signer = signer != nullptr;
    last_report.failure = failure;
}

class sign_operation : public signing_suite {
protected:
    void SetUp() override {
        signing_suite::SetUp();
        if (HasFatalFailure()) return;
        saved_reporter = report_signing_outcome;
        report_signing_outcome = record_report;
        last_report = reported();
        is_timestamp = false;
    }
    void TearDown() override {
        report_signing_outcome = saved_reporter;
        current_document = nullptr;
    }

    std::string f(const std::string& name) const { return dir.file(name); }
    signing_outcome_reporter saved_reporter = nullptr;

    sigstampui pfx_stamp(bool visible) {
        sigstampui s;
        s.name = L"Approval";
        s.is_visible = visible;
        s.access.cert_type = cert_type_pfx;
        s.access.pfx.pfxfname = utf8_to_wide(pki->f("leaf.p12"));
        s.access.pfx.pswd = "pw";
        s.reason = L"Reviewed \u00e9";
        s.location = L"Lab";
        if (visible) {
            std::vector<unsigned char> rgba(40 * 20 * 4, 0);
            for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 3] = 255;  // red
            for (int x = 0; x < 4; ++x) rgba[x * 4 + 2] = 255, rgba[x * 4] = 0;  // a blue top-left mark
            const std::string png = f("stamp.png");
            lodepng_encode32_file(png.c_str(), rgba.data(), 40, 20);
            s.imgfname = utf8_to_wide(png);
        }
        return s;
    }

    std::string run(sign_task& task, const stamp_placement& placement) {
        try {
            build_sign_params(task, placement);
        } catch (const std::exception& ex) {
            return ex.what();
        }
        return "returned without a result";
    }

    testsupport::scratch_dir dir;
};

// Files left in the private temporary folder.
size_t temp_files() {
    auto r = run_command("ls -1 " + shell_quote(wide_to_utf8(dir_of(temp_path(L"x"), false))) + " | wc -l");
    return std::stoul(r.output);
}

TEST_F(sign_operation, visible_stamp_on_a_rotated_page_signs_and_cleans_up) {
    // One page turned by 90 degrees.
    const std::string plain = testsupport::write_minimal_pdf(f("plain.pdf"), 1, 300, 200);
    const std::string src = f("rotated.pdf");
    auto q = run_command("qpdf --rotate=+90 " + shell_quote(plain) + " " + shell_quote(src));
    ASSERT_EQ(q.status, 0) << q.output;
    doc_pdfium doc;
    doc.load(utf8_to_wide(src));
    int32_t w = 0, h = 0;
    doc.page_size(0, w, h);
    ASSERT_EQ(doc.rotation(), 90);
    current_document = &doc;

    sigstampui stamp = pfx_stamp(true);
    sign_task task;
    task.stamp = &stamp;
    task.source = utf8_to_wide(src);
    task.output = utf8_to_wide(f("out.pdf"));
    task.lock = 1;
    const size_t before = temp_files();
    EXPECT_EQ(run(task, stamp_placement{}), ", not painted page, or not painted stamp");
    EXPECT_EQ(last_report.calls, 0);

    EXPECT_EQ(run(task, stamp_placement{true, 50, 50, 130, 90}), "Succeed");
    EXPECT_EQ(last_report.calls, 1);
    EXPECT_TRUE(last_report.success);
    EXPECT_TRUE(last_report.had_signer);
    EXPECT_EQ(task.source, utf8_to_wide(src));
    EXPECT_EQ(temp_files(), before) << "the rotated picture copy is deleted";
    auto sig = run_command("pdfsig -nocert " + shell_quote(f("out.pdf")));
    EXPECT_NE(sig.output.find("Signature is Valid"), std::string::npos) << sig.output;
    const std::string bytes = read_file(f("out.pdf"));
    EXPECT_NE(bytes.find("/T(Approval)"), std::string::npos);
    EXPECT_NE(bytes.find("/SigFieldLock"), std::string::npos);
    EXPECT_NE(bytes.find("/M(D:"), std::string::npos);
    // The picture in the file is the stamp turned a quarter counter-clockwise: 20 x 40.
    auto img = run_command("pdfimages -list " + shell_quote(f("out.pdf")));
    EXPECT_NE(img.output.find("   20    40 "), std::string::npos) << img.output;
}

TEST_F(sign_operation, signing_in_place_goes_to_the_intermediate_path) {
    const std::string src = testsupport::write_minimal_pdf(f("doc.pdf"));
    const std::string original = read_file(src);
    doc_pdfium doc;
    doc.load(utf8_to_wide(src));
    current_document = &doc;
    sigstampui stamp = pfx_stamp(false);
    sign_task task;
    task.stamp = &stamp;
    task.source = utf8_to_wide(src);
    task.output = utf8_to_wide(dir.path() + "/./doc.pdf");  // the same file, named differently
    task.intermediate = utf8_to_wide(f("mid.pdf"));
    EXPECT_EQ(run(task, stamp_placement{}), "Succeed");
    EXPECT_EQ(read_file(src), original) << "the open source stays as it was";
    const std::string mid = read_file(f("mid.pdf"));
    ASSERT_GT(mid.size(), original.size());
    EXPECT_EQ(mid.compare(0, original.size(), original), 0);
}

TEST_F(sign_operation, failures_are_reported_and_passed_on) {
    const std::string src = testsupport::write_minimal_pdf(f("doc.pdf"));
    doc_pdfium doc;
    doc.load(utf8_to_wide(src));
    current_document = &doc;
    sign_task task;
    task.source = utf8_to_wide(src);
    task.output = utf8_to_wide(f("out.pdf"));

    struct row {
        const char* what;
        int kind;
        std::string pfx;
        std::string want;
    };
    for (const row& r : {row{"unknown kind", 2, "", "Failed to access certificate: unknown certificate type 2"},
                         row{"no kind", 0, "", "Failed to access certificate: unknown certificate type 0"},
                         row{"missing pfx", 1, "/nonexistent.p12", "Failed to access pfx certificate"}}) {
        SCOPED_TRACE(r.what);
        last_report = reported();
        sigstampui stamp = pfx_stamp(false);
        stamp.access.cert_type = r.kind;
        if (!r.pfx.empty()) stamp.access.pfx.pfxfname = utf8_to_wide(r.pfx);
        task.stamp = &stamp;
        EXPECT_EQ(run(task, stamp_placement{}), r.want);
        EXPECT_EQ(last_report.calls, 1);
        EXPECT_FALSE(last_report.success);
        EXPECT_EQ(last_report.failure, r.want);
        EXPECT_FALSE(testsupport::file_exists(f("out.pdf")));
    }
    // A field name longer than its field is refused, not cut or overflowed.
    sigstampui stamp = pfx_stamp(false);
    stamp.name = std::wstring(300, L'n');
    task.stamp = &stamp;
    EXPECT_EQ(run(task, stamp_placement{}), "(), the signature field name is too long");
    // The cloud form is not provided.
    stamp = pfx_stamp(false);
    stamp.is_localsign = false;
    EXPECT_EQ(run(task, stamp_placement{}), "(), not impl yet");
}

TEST_F(sign_operation, time_stamp_stamp_uses_its_own_server) {
    const std::string src = testsupport::write_minimal_pdf(f("doc.pdf"));
    doc_pdfium doc;
    doc.load(utf8_to_wide(src));
    current_document = &doc;
    sigstampui stamp;
    stamp.name = L"TS";
    stamp.is_localsign = false;
    stamp.is_visible = false;
    stamp.is_tsmode = true;
    stamp.tsurl = pki->url("/tsa");
    is_timestamp = true;
    timestamp_urls = {L"http://127.0.0.1:9/never-used"};
    sign_task task;
    task.stamp = &stamp;
    task.source = utf8_to_wide(src);
    task.output = utf8_to_wide(f("ts.pdf"));
    EXPECT_EQ(run(task, stamp_placement{}), "Succeed");
    EXPECT_FALSE(last_report.had_signer);
    EXPECT_NE(read_file(f("ts.pdf")).find("/ETSI.RFC3161"), std::string::npos);
    timestamp_urls.clear();
    is_timestamp = false;
}

TEST(rotate_stamp_picture, turns_by_the_page_rotation) {
    testsupport::scratch_dir dir;
    // 2 x 1: red, blue.
    const unsigned char px[] = {255, 0, 0, 255, 0, 0, 255, 255};
    const std::string png = dir.file("p.png");
    lodepng_encode32_file(png.c_str(), px, 2, 1);
    EXPECT_EQ(rotate_stamp_picture(utf8_to_wide(png), 0), utf8_to_wide(png));
    EXPECT_EQ(rotate_stamp_picture(utf8_to_wide(png), 720), utf8_to_wide(png));
    struct row {
        int rotation;
        unsigned w, h;
        unsigned char first_red;
    };
    // 90: counter-clockwise, the right (blue) pixel comes to the top.
    for (const row& r : {row{90, 1, 2, 0}, row{180, 2, 1, 0}, row{270, 1, 2, 255}, row{-90, 1, 2, 255}}) {
        SCOPED_TRACE(r.rotation);
        std::wstring out = rotate_stamp_picture(utf8_to_wide(png), r.rotation);
        ASSERT_NE(out, utf8_to_wide(png));
        EXPECT_EQ(out.substr(out.size() - 4), L".png");
        unsigned char* img = nullptr;
        unsigned w = 0, h = 0;
        ASSERT_EQ(lodepng_decode32_file(&img, &w, &h, wide_to_utf8(out).c_str()), 0u);
        EXPECT_EQ(w, r.w);
        EXPECT_EQ(h, r.h);
        EXPECT_EQ(img[0], r.first_red);
        std::free(img);
        std::remove(wide_to_utf8(out).c_str());
    }
    try {
        rotate_stamp_picture(utf8_to_wide(png), 45);
        ADD_FAILURE() << "no failure";
    } catch (const std::exception& ex) {
        EXPECT_STREQ(ex.what(), "(), save rotated tmp file faild");
    }
}

}  // namespace

// A PDF, its PFX and its stamp picture in a folder with a Chinese name: the
// document opens, signs into a Chinese file name and verifies, under the "C"
// locale (a program that never called setlocale) and under a UTF-8 locale.
TEST_F(sign_operation, chinese_folder_and_file_names_open_sign_and_verify_under_any_locale) {
    install_verification_services();
    const testsupport::locale_restorer restore;
    for (const char* locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        ASSERT_NE(setlocale(LC_ALL, locale), nullptr);
        const std::string folder = f(std::string("签名文件 ") + locale);
        ASSERT_EQ(run_command("mkdir " + shell_quote(folder)).status, 0);
        const std::string src = testsupport::write_minimal_pdf(folder + "/合同.pdf");
        const std::string pfx = folder + "/证书.p12";
        testsupport::write_file(pfx, read_file(pki->f("leaf.p12")));
        const std::string out = folder + "/已签名.pdf";

        doc_pdfium doc;
        ASSERT_NO_THROW(doc.load(utf8_to_wide(src)));
        current_document = &doc;
        sigstampui stamp = pfx_stamp(true);
        const std::string picture = folder + "/印章.png";
        testsupport::write_file(picture, read_file(wide_to_utf8(stamp.imgfname)));
        stamp.imgfname = utf8_to_wide(picture);
        stamp.access.pfx.pfxfname = utf8_to_wide(pfx);
        sign_task task;
        task.stamp = &stamp;
        task.source = utf8_to_wide(src);
        task.output = utf8_to_wide(out);
        EXPECT_EQ(run(task, stamp_placement{true, 50, 50, 130, 90}), "Succeed");
        auto sig = run_command("pdfsig -nocert " + shell_quote(out));
        EXPECT_NE(sig.output.find("Signature is Valid"), std::string::npos) << sig.output;

        doc_pdfium signed_doc;
        ASSERT_NO_THROW(signed_doc.load(utf8_to_wide(out)));
        current_document = &signed_doc;
        {
            trust_list_lock hold(trust_list_mutex);
            verify_open_document();
        }
        current_document = nullptr;
        ASSERT_EQ(signed_doc.topsigs.size(), 1u);
        // Intact: the signed ranges were read from the file (only the signer's
        // own clock in signingTime is noted).
        EXPECT_EQ(signed_doc.topsigs[0]->sig->status, sigerr_sigtime_local);
    }
}
