// The signature dialogs driven on verification results built from a small
// PKI: the properties dialog (pages, texts, embedded time stamp and seal,
// trust added from a certificate dialog, standalone signature files, the
// Close button's room) and the small status dialog with its two links.
#include <gtest/gtest.h>

#include <memory>

#include <wx/button.h>
#include <wx/dataview.h>
#include <wx/notebook.h>
#include <wx/stattext.h>

#include "app/thread_event.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/cert_select_dlg.h"
#include "dialogs/dialog_support.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "gui/dialog_expectations.h"
#include "gui/dialog_fixtures.h"
#include "gui/gui_harness.h"
#include "ui/dialog_calls.h"
#include "widgets/wxt_hyperlink.h"


struct sig_infodlg_probe {
    sig_infodlg& d;
    wxString summary() const { return d.summary_text; }
    wxString validity() const { return d.validity_text; }
    wxString validity_caption() const { return d.signature_validity_title_label->GetLabel(); }
    wxString embedded_caption() const { return d.embedded_title_label->GetLabel(); }
    wxString details_label() const { return d.embedded_details_button->GetLabel(); }
    wxString ts_summary() const { return d.ts_summary_text; }
    wxString ts_note() const { return d.ts_validity_text; }
    wxDataViewListCtrl* list() const { return d.embedded_list; }
    wxNotebook* book() const { return d.properties_book; }
    wxButton* close() const { return d.close_button; }
    wxButton* details() const { return d.embedded_details_button; }
    wxButton* signer_button() const { return d.signer_certificate_button; }
    bool embedded_shown() const { return d.embedded_list->IsShown(); }
    void embedded_details() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_embedded_details(e);
    }
    void signer_certificate() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_show_signer_cert(e);
    }
};

struct cert_infodlg_view {
    static bool shows_status(const cert_infodlg& d);
};

struct simple_sigdlg_probe {
    simple_sigdlg& d;
    wxString line(int i) const {
        const wxStaticText* lines[] = {d.status_label, d.integrity_label, d.identity_label};
        return lines[i]->GetLabel();
    }
    bool red(int i) const {
        const wxStaticText* lines[] = {d.status_label, d.integrity_label, d.identity_label};
        return lines[i]->GetForegroundColour() == *wxRED;
    }
    bool links_shown() const { return d.signature_properties_link->IsShown() && d.certificate_link->IsShown(); }
    bool any_link_shown() const { return d.signature_properties_link->IsShown() || d.certificate_link->IsShown(); }
    void properties() {
        wxMouseEvent e(wxEVT_LEFT_UP);
        d.on_signature_properties(e);
    }
    void certificate() {
        wxMouseEvent e(wxEVT_LEFT_UP);
        d.on_certificate(e);
    }
};

namespace {

using dialog_test::make_result;
using dialog_test::record_of;
using dialog_test::result_spec;
using dialog_test::shared_pki;
using gui_test::run_until;

class sig_dialog : public dialog_test::data_folder_test {
protected:
    x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    x509ui root = record_of(shared_pki().f("root.pem"));
};

TEST_F(sig_dialog, a_valid_signature_with_a_time_stamp_fills_both_pages) {
    result_spec spec;
    spec.with_timestamp = true;
    auto r = make_result(spec, leaf, root);
    sig_infodlg d(nullptr, 0, r->result);
    sig_infodlg_probe p{d};
    EXPECT_TRUE(d.timestamp_page_shown());
    EXPECT_EQ(p.summary(), "Signature is VALID. \n\nSigner: Alice Signer<alice@example.org>\n\nSigning time: "
                           "2026-01-02 03:04:06\n\nSignature algorithm: sha256WithRSAEncryption\n\n");
    EXPECT_EQ(p.validity().Freq('\n') >= 2, true);
    EXPECT_TRUE(p.validity().StartsWith("File is not modified since signed, The certificate is VALID. "));
    EXPECT_TRUE(p.validity().Contains("Signature includes an embedded timestamp, Timstamp time: 2026-01-02 03:04:06"));
    EXPECT_EQ(p.embedded_caption(), "Timestamp signature");
    EXPECT_EQ(p.details_label(), "Timestamp details...");
    ASSERT_EQ(p.list()->GetItemCount(), 1);
    EXPECT_EQ(p.list()->GetTextValue(0, 1), "sha256WithRSAEncryption");
    EXPECT_TRUE(p.ts_summary().StartsWith("Timestamp is VALID, Singing time is Verified for this signature.\n\n"
                                          "Signer: Velk Test Root"));
    EXPECT_TRUE(p.ts_note().StartsWith("Signature includes an embedded timestamp.\n\nTimestamp are signed just as "
                                       "document are signed."));
    // The details button with the one row: the Timestamp page.
    p.embedded_details();
    EXPECT_EQ(p.book()->GetSelection(), 1);
}

TEST_F(sig_dialog, without_a_time_stamp_the_page_goes_and_the_time_is_local) {
    auto r = make_result(result_spec{}, leaf, root);
    sig_infodlg d(nullptr, 1, r->result);  // asked for the Timestamp page
    sig_infodlg_probe p{d};
    EXPECT_FALSE(d.timestamp_page_shown());
    EXPECT_EQ(p.book()->GetSelection(), 0);
    EXPECT_TRUE(p.summary().Contains("Signing time: 2026-01-02 03:04:05(local time)"));
    EXPECT_EQ(p.summary().Freq('\n'), 8);  // always four blank-line separators
    EXPECT_EQ(p.embedded_caption(), "Embedded Signatures( none )");
    EXPECT_FALSE(p.list()->IsEnabled());
    EXPECT_FALSE(p.details()->IsEnabled());
}

TEST_F(sig_dialog, verdict_and_validity_follow_the_codes) {
    const struct {
        int sig, cert;
        const char* verdict;
        const char* validity_start;
    } rows[] = {
        {0, 0, "Signature is VALID. ", "File is not modified since signed, The certificate is VALID. "},
        {13, 0, "Signature is VALID. ", "File is not modified since signed, The certificate is VALID. "},
        {4, 0, "Signature is INVALID. ", "File is MODIFIED since signed. The certificate is VALID. "},
        {0, 7, "Signature is INVALID. ", "File is not modified since signed, The certificate identity is NOT TRUSTED. "},
    };
    for (const auto& row : rows) {
        result_spec spec;
        spec.sig_status = row.sig;
        spec.signer_status = row.cert;
        auto r = make_result(spec, leaf, root);
        sig_infodlg d(nullptr, 0, r->result);
        sig_infodlg_probe p{d};
        EXPECT_TRUE(p.summary().StartsWith(row.verdict)) << row.sig << "/" << row.cert << ": " << p.summary();
        EXPECT_TRUE(p.validity().StartsWith(row.validity_start)) << p.validity();
    }
    // No signer chain is no verified certificate, and no certificate to show.
    result_spec spec;
    spec.with_chain = false;
    auto r = make_result(spec, leaf, root);
    sig_infodlg d(nullptr, 0, r->result);
    sig_infodlg_probe p{d};
    EXPECT_TRUE(p.summary().StartsWith("Signature is INVALID. "));
    EXPECT_TRUE(p.validity().Contains("The certificate can not be verified. "));
    EXPECT_FALSE(p.signer_button()->IsEnabled());
}

TEST_F(sig_dialog, both_dialogs_say_what_came_after_the_signing) {
    revision_changes signed_again;
    signed_again.later_revisions = 1;
    signed_again.signatures_added = 1;
    revision_changes rewritten;
    rewritten.later_revisions = 1;
    rewritten.other_changes = true;
    rewritten.permitted = false;
    const struct {
        int sig;
        const revision_changes* later;
        const char* validity_start;
        const char* status_line;
    } rows[] = {
        {13, &signed_again, "Later revisions: 1 signature added, The certificate is VALID. ",
         "- Later revisions: 1 signature added"},
        {4, &rewritten, "File is MODIFIED since signed. Later revisions: content changed. The certificate is VALID. ",
         "- File is MODIFIED since signed"},
    };
    for (const auto& row : rows) {
        result_spec spec;
        spec.sig_status = row.sig;
        auto r = make_result(spec, leaf, root);
        r->result->later = *row.later;
        sig_infodlg d(nullptr, 0, r->result);
        EXPECT_TRUE(sig_infodlg_probe{d}.validity().StartsWith(row.validity_start)) << sig_infodlg_probe{d}.validity();
        simple_sigdlg brief(nullptr, r->result);
        EXPECT_EQ(simple_sigdlg_probe{brief}.line(1), row.status_line);
    }
}

TEST_F(sig_dialog, a_certification_signature_and_a_document_time_stamp_say_so) {
    result_spec spec;
    auto r = make_result(spec, leaf, root);
    r->field.certified = 1;
    r->field.permission = 2;
    {
        sig_infodlg d(nullptr, 0, r->result);
        EXPECT_TRUE(sig_infodlg_probe{d}.validity().EndsWith(
            "\n\nThe certificate has specified Form Fill-in, Signing are allowed for this document. No other changes "
            "are permitted."));
    }
    result_spec dts;
    dts.type = "dstn_rfc3161ts";
    auto t = make_result(dts, root, root);
    sig_infodlg d(nullptr, 0, t->result);
    d.InitDialog();
    sig_infodlg_probe p{d};
    EXPECT_EQ(p.book()->GetPageText(0), "Timestamp signature");
    EXPECT_FALSE(p.embedded_shown());
    EXPECT_TRUE(p.validity().EndsWith("\n\nSignature is a document timestamp signature, can prove this file's exist time."))
        << p.validity();
}

TEST_F(sig_dialog, a_seal_takes_the_place_of_the_time_stamp_and_opens_its_maker) {
    result_spec spec;
    spec.with_timestamp = true;
    auto r = make_result(spec, leaf, root);
    auto* seal = new sigdata_record;
    seal->type = "dstn_gm_ses";
    seal->signer = root;
    seal->sig_alg = "SM3withSM2";
    r->result->sig->data->seal = seal;
    r->result->seal = new sig_status_cell;
    r->result->seal->status = 0;
    r->result->seal->data = seal;
    r->result->seal_chain = dialog_test::new_chain({root}, certerr_okay);
    sig_infodlg d(nullptr, 0, r->result);
    sig_infodlg_probe p{d};
    EXPECT_EQ(p.embedded_caption(), "Electronic seal");
    EXPECT_EQ(p.details_label(), "Seal maker's Certificate...");
    ASSERT_EQ(p.list()->GetItemCount(), 1);
    EXPECT_EQ(p.list()->GetTextValue(0, 1), "SM3withSM2");
    bool seal_chain = false;
    wxTEST_DIALOG(p.embedded_details(), wxExpectModal<cert_infodlg>([&](cert_infodlg* c) {
                      seal_chain = c->shown_chain() == r->result->seal_chain;
                      return wxID_OK;
                  }));
    EXPECT_TRUE(seal_chain);
    EXPECT_EQ(p.book()->GetSelection(), 0);
}

TEST_F(sig_dialog, trust_added_from_the_signer_certificate_refreshes_the_verdict) {
    result_spec spec;
    spec.signer_status = certerr_not_trusted;
    auto r = make_result(spec, leaf, root);
    sig_infodlg d(nullptr, 0, r->result);
    sig_infodlg_probe p{d};
    EXPECT_TRUE(p.summary().StartsWith("Signature is INVALID. "));
    // The certificate dialog is opened on the signer chain with status and trust offer; its Add
    // Trust queues "evt_addtrust" to this dialog.
    bool offered = false;
    wxTEST_DIALOG(p.signer_certificate(), wxExpectModal<cert_infodlg>([&](cert_infodlg* c) {
                      offered = c->shown_chain() == r->result->signer_chain;
                      wxCommandEvent e(wxEVT_BUTTON);
                      c->GetEventHandler()->ProcessEvent(e);  // nothing: a plain command
                      return wxID_OK;
                  }));
    EXPECT_TRUE(offered);
    post_thread_event(&d, wxt_thread_event(evt_addtrust, new x509ui(root)));
    ASSERT_TRUE(run_until([&] { return p.summary().StartsWith("Signature is VALID. "); }));
    EXPECT_EQ(r->result->signer_chain->front().status, certerr_okay);
}

TEST_F(sig_dialog, a_standalone_signature_file_shows_its_data_without_verdict) {
    const std::string bytes = testsupport::read_file(shared_pki().f("sig.p7s"));
    auto* record = new sigdata_record;
    ASSERT_TRUE(parse_sigdata_any(reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<uint32_t>(bytes.size()), *record));
    sig_infodlg d(nullptr, record);
    sig_infodlg_probe p{d};
    EXPECT_TRUE(p.summary().StartsWith("Signer: Alice Signer<alice@example.org>")) << p.summary();
    EXPECT_TRUE(p.summary().Contains("\n\nData digest: "));
    EXPECT_EQ(p.validity_caption(), "Validaty Summary( none )");
    EXPECT_FALSE(d.timestamp_page_shown());
    ASSERT_TRUE(p.signer_button()->IsEnabled());  // the chain was built from the record
    bool plain = false;
    wxTEST_DIALOG(p.signer_certificate(), wxExpectModal<cert_infodlg>([&](cert_infodlg* c) {
                      plain = c->shown_chain() && c->shown_chain()->front().cert.certid == record->signer.certid;
                      return wxID_OK;
                  }));
    EXPECT_TRUE(plain);
}

TEST_F(sig_dialog, the_close_button_keeps_its_height_in_english_and_chinese) {
    // Without a time stamp the dialog keeps the form's height, where GTK's
    // texts used to squeeze the Close button.
    result_spec spec;
    spec.signer_status = certerr_not_trusted;
    auto r = make_result(spec, leaf, root);
    for (bool chinese : {false, true}) {
        std::unique_ptr<dialog_test::chinese_ui> zh;
        if (chinese) zh = std::make_unique<dialog_test::chinese_ui>();
        auto* d = new sig_infodlg(nullptr, 0, r->result);
        d->InitDialog();
        d->Show();
        gui_test::settle(std::chrono::milliseconds(100));
        sig_infodlg_probe p{*d};
        const wxRect close = p.close()->GetRect();
        EXPECT_GE(close.height, p.close()->GetBestSize().y) << chinese;
        EXPECT_LE(close.GetBottom(), d->GetClientSize().y) << chinese;
        d->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
    }
}

// ------------------------------------------------------------ status dialog

TEST_F(sig_dialog, status_dialog_lines_follow_the_codes) {
    const struct {
        int sig, cert;
        bool chain, record;
        bool full;
        const char* l0;
        const char* l1;
        const char* l2;
        bool red0, red1, red2;
    } rows[] = {
        {0, 0, true, true, true, "Signature is VALID. Signed by Alice Signer<alice@example.org>",
         "- File is not modified since signed", "- Certificate's identity is VALID", false, false, false},
        {4, 0, true, true, true, "Signature is INVALID! Signed by Alice Signer<alice@example.org>",
         "- File is MODIFIED since signed", "- Certificate's identity is VALID", true, true, false},
        {13, 7, true, true, true, "Signature is INVALID! Signed by Alice Signer<alice@example.org>",
         "- File is not modified since signed", "- The certificate identity is NOT TRUSTED", true, false, true},
        {3, 0, true, true, false, "Unsupported Signatrue", "", "", true, false, false},
        {-1, 0, true, true, false, "Signature is INVALID. Signatrue can not been verified", "", "", true, false, false},
        {0, 0, false, true, false,
         "Signature is INVALID. There are errors in the formatting or information contained in this signature", "", "",
         true, false, false},
        {11, 0, true, false, false,
         "Signature is INVALID. There are errors in the formatting or information contained in this signature", "", "",
         true, false, false},
    };
    for (const auto& row : rows) {
        result_spec spec;
        spec.sig_status = row.sig;
        spec.signer_status = row.cert;
        spec.with_chain = row.chain;
        spec.with_record = row.record;
        auto r = make_result(spec, leaf, root);
        simple_sigdlg d(nullptr, r->result);
        simple_sigdlg_probe p{d};
        SCOPED_TRACE(row.l0);
        EXPECT_EQ(d.full_form(), row.full);
        EXPECT_EQ(p.line(0), row.l0);
        EXPECT_EQ(p.line(1), row.l1);
        EXPECT_EQ(p.line(2), row.l2);
        EXPECT_EQ(p.red(0), row.red0);
        EXPECT_EQ(p.red(1), row.red1);
        EXPECT_EQ(p.red(2), row.red2);
        EXPECT_EQ(p.links_shown(), row.full);
        if (!row.full) {
            EXPECT_FALSE(p.any_link_shown());
        }
    }
}

TEST_F(sig_dialog, status_dialog_links_open_document_dialogs_that_close_with_the_document) {
    auto* main_window = new wxFrame(nullptr, wxID_ANY, "main");
    dialog_receivers().main_window = [&] { return main_window; };
    auto r = make_result(result_spec{}, leaf, root);
    for (int link = 0; link < 2; ++link) {
        auto* d = new simple_sigdlg(nullptr, r->result);
        simple_sigdlg_probe p{*d};
        if (link == 0)
            p.properties();
        else
            p.certificate();
        EXPECT_EQ(document_dialog_count(), 1u) << link;
        EXPECT_TRUE(run_until([&] { return d == nullptr || !wxTopLevelWindows.Find(d) || wxPendingDelete.Member(d); }));
        close_document_dialogs();  // the document closes: the opened dialog goes with it
        EXPECT_EQ(document_dialog_count(), 0u);
        gui_test::settle(std::chrono::milliseconds(50));
    }
    main_window->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

}  // namespace

namespace {

// Labels still in English although the catalogue translates them.
void untranslated_labels(wxWindow* w, std::vector<std::string>& left) {
    if (auto* control = dynamic_cast<wxControl*>(w)) {
        const wxString label = control->GetLabel();
        if (!label.empty() && wxGetTranslation(label) != label) left.push_back(label.utf8_string());
    }
    for (wxWindow* child : w->GetChildren()) untranslated_labels(child, left);
}

TEST_F(sig_dialog, chinese_dialogs_leave_no_translatable_label_in_english) {
    dialog_test::chinese_ui chinese;
    ASSERT_TRUE(chinese.loaded);
    result_spec spec;
    spec.with_timestamp = true;
    auto r = make_result(spec, leaf, root);
    std::unique_ptr<cert_chain_ui> chain(dialog_test::new_chain({leaf, root}, certerr_not_trusted));
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
    std::vector<std::unique_ptr<wxDialog>> dialogs;
    dialogs.emplace_back(new sig_infodlg(nullptr, 0, r->result));
    dialogs.emplace_back(new simple_sigdlg(nullptr, r->result));
    dialogs.emplace_back(new cert_infodlg(nullptr, true, chain.get(), true, nullptr));
    dialogs.emplace_back(new cert_makedlg(nullptr, &cert, &entry, nullptr));
    dialogs.emplace_back(new cert_select_dlg(nullptr, &cert, &entry, nullptr));
    for (auto& d : dialogs) {
        d->InitDialog();
        std::vector<std::string> left;
        untranslated_labels(d.get(), left);
        EXPECT_EQ(left, std::vector<std::string>()) << d->GetTitle().utf8_string();
        EXPECT_TRUE(d->GetTitle().StartsWith("Velkorant - ")) << d->GetTitle().utf8_string();
    }
    EXPECT_TRUE(dialogs[0]->GetTitle().EndsWith(wxString::FromUTF8("签名属性")));
}

}  // namespace
