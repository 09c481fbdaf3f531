// The approved roots come from the system certificate set: a document whose
// chain ends in a root of that set (here a copy of the machine's set with a
// test root added, named by SSL_CERT_FILE) reads valid without any trust
// action; withdrawing the root turns the verdict red, also after a restart;
// the reset brings it back.
#include <gtest/gtest.h>

#include <memory>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/system_roots.h"
#include "crypto/trust_list.h"
#include "document/doc_base.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "document/sig_result.h"
#include "tests/document/signed_pdf_fixture.h"

using namespace testsupport;

namespace {

class SystemRoots : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        install_verification_services();
        p_ = new sigfix::pki;
    }
    static void TearDownTestSuite() {
        delete p_;
        p_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(p_->ok) << p_->log;
        set_data_root(data_.path() + "/");
        certcache_dir = app_data_dir() + "certcache/";
        trust_list_file = app_data_dir() + kTrustListFileName;
        make_private_dirs(certcache_dir);
        trust_list.clear();
        trust_list_id.clear();
        // The machine's set (when it has one) with the test root at its end.
        const std::string machine = read_system_roots().source;
        std::string bundle = file_exists(machine) ? read_file(machine) : std::string();
        machine_roots_ = 0;
        for (std::size_t at = 0; (at = bundle.find("-----BEGIN CERTIFICATE-----", at)) != std::string::npos; ++at)
            ++machine_roots_;
        write_file(data_.file("roots.pem"), bundle + "\n" + read_file(p_->f("ca.pem")));
        roots_ = std::make_unique<system_roots_override>(data_.file("roots.pem"));
        X509* root = load_certificate_file(p_->f("ca.pem").c_str());
        root_id_ = x509_certid(root);
        X509_free(root);
    }
    void TearDown() override {
        roots_.reset();
        trust_list.clear();
        trust_list_id.clear();
        certcache_dir.clear();
        trust_list_file.clear();
        trust_list_ready = false;
        set_data_root("");
    }

    // A start: the stored list, then the system set read by the start-up worker.
    static void start() {
        trust_list.clear();
        load_trust_list(app_data_dir());
        trust_list_rebuild_thread();
        ASSERT_TRUE(trust_list_ready.load());
    }
    bool signed_document_is_valid() {
        const std::string pdf = sigfix::sign_pdf(read_file(write_minimal_pdf(data_.file("source.pdf"))), {},
                                                 [](const std::string& d) {
                                                     return sigfix::cms_sign(*p_, "rsa", d, "-certfile ca.pem");
                                                 });
        EXPECT_FALSE(pdf.empty()) << p_->log;
        write_file(data_.file("signed.pdf"), pdf);
        auto doc = std::make_unique<doc_pdfium>();
        doc->load(utf8_to_wide(data_.file("signed.pdf")));
        current_document = doc.get();
        {
            trust_list_lock hold(trust_list_mutex);
            verify_open_document();
        }
        current_document = nullptr;
        EXPECT_EQ(doc->topsigs.size(), 1u);
        if (doc->topsigs.empty()) return false;
        const cert_chain_ui* chain = doc->topsigs[0]->signer_chain;
        EXPECT_TRUE(chain && !chain->empty());
        if (!chain || chain->empty()) return false;
        EXPECT_EQ(chain->front().status == certerr_okay, doc->topsigs[0]->check_valid());
        return doc->topsigs[0]->check_valid();
    }

    static sigfix::pki* p_;
    scratch_dir data_;
    std::unique_ptr<system_roots_override> roots_;
    std::string root_id_;
    int machine_roots_ = 0;
};
sigfix::pki* SystemRoots::p_ = nullptr;

TEST_F(SystemRoots, a_root_of_the_system_set_is_trusted_until_withdrawn_and_the_reset_brings_it_back) {
    start();
    int approved = 0;
    for (const auto& [id, e] : trust_list) approved += e.sys && e.anchors_trust();
    EXPECT_EQ(approved, machine_roots_ + 1);  // every root of the set, parsed once, none twice
    EXPECT_EQ(system_roots_source, data_.file("roots.pem"));
    EXPECT_TRUE(signed_document_is_valid()) << "no trust action was taken";

    // Withdrawn as the trust-list page does it: red, and still red after a restart.
    {
        trust_list_lock lock(trust_list_mutex);
        trust_list.at(root_id_).usr_untrust = true;
        save_trust_list();
    }
    EXPECT_FALSE(signed_document_is_valid());
    start();
    EXPECT_TRUE(trust_list.at(root_id_).usr_untrust);
    EXPECT_FALSE(signed_document_is_valid());

    reset_trust_list_to_system();
    EXPECT_TRUE(trust_list.at(root_id_).anchors_trust());
    EXPECT_TRUE(signed_document_is_valid());
    start();
    EXPECT_TRUE(signed_document_is_valid());
}

}  // namespace
