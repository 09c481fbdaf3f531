// The certificate dialogs driven as a user would: the certificate properties
// dialog (chain and file modes, Add Trust, the path tree and the field list,
// Save as DER), the make-or-import dialog (RSA into the system store, SM2
// into the program's store, PFX import) and the select dialog; and the
// window layer's call table. Screenshots go to the gallery.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/filedlg.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "app/screen_layout.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/pfx.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "dialogs/cert_details.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/cert_select_dlg.h"
#include "dialogs/dialog_support.h"
#include "dialogs/install_dialogs.h"
#include "gui/dialog_expectations.h"
#include "gui/dialog_fixtures.h"
#include "gui/gui_harness.h"
#include "ui/dialog_calls.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_hyperlink.h"


// The message a status line shows, also while it blinks.
static wxString shown_message(const wxt_active_textctrl* line) {
    return line->timer->IsRunning() ? line->saved_label : line->GetLabel();
}

// Reaches the dialogs' controls and handlers as the toolkit would.
struct cert_infodlg_probe {
    cert_infodlg& d;
    // The texts with the line breaks of wrapping (and their own) as blanks.
    static wxString flat(wxString text) {
        text.Replace("\n", " ");
        return text;
    }
    wxString status() const { return flat(d.purpose_label->GetLabel()); }
    wxString purposes() const { return flat(d.usage_label->GetLabel()); }
    bool trust_buttons_shown() const { return d.add_trust_button->IsShown() && d.add_trust_details_button->IsShown(); }
    bool any_trust_button_shown() const { return d.add_trust_button->IsShown() || d.add_trust_details_button->IsShown(); }
    wxTreeCtrl* tree() const { return d.chain_tree; }
    wxDataViewListCtrl* fields() const { return d.fields_list; }
    wxString value_box() const { return d.value_text->GetValue(); }
    wxString valid_dates() const { return d.valid_from_value_label->GetLabel(); }
    wxString information() const { return shown_message(d.information_label); }
    wxNotebook* book() const { return d.properties_book; }
    void add_trust() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_add_trust(e);
    }
    void select_tree(const wxTreeItemId& item) {
        d.chain_tree->SelectItem(item);
        wxTreeEvent e(wxEVT_TREE_SEL_CHANGED, d.chain_tree, item);
        d.on_chain_sel_changed(e);
    }
    void select_row(int row) {
        d.fields_list->SelectRow(row);
        wxDataViewEvent e(wxEVT_DATAVIEW_SELECTION_CHANGED, d.fields_list, d.fields_list->RowToItem(row));
        d.on_field_selected(e);
    }
    void save() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_save_certificate(e);
    }
    // The deepest item and the root of the path tree.
    wxTreeItemId root() const { return d.chain_tree->GetRootItem(); }
    wxTreeItemId deepest() const {
        wxTreeItemId item = root();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = d.chain_tree->GetFirstChild(item, cookie); child.IsOk();
             child = d.chain_tree->GetFirstChild(item, cookie))
            item = child;
        return item;
    }
};

struct cert_makedlg_probe {
    cert_makedlg& d;
    void fill_make(const wxString& name, const wxString& password, const wxString& algorithm, bool keep) {
        d.name_text->SetValue(name);
        d.password_text->SetValue(password);
        d.algorithm_combo->SetValue(algorithm);
        d.save_password_check->SetValue(keep);
    }
    void create() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_create(e);
    }
    void import(const std::string& path, const std::string& password, bool keep) {
        d.pfx_path_text->SetValue(wxString::FromUTF8(path));
        d.pfx_password_text->SetValue(wxString::FromUTF8(password));
        d.save_pfx_password_check->SetValue(keep);
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_import(e);
    }
    wxString create_line() const { return shown_message(d.create_result_label); }
    wxString import_line() const { return shown_message(d.import_result_label); }
    wxComboBox* combo() const { return d.algorithm_combo; }
};

struct cert_select_dlg_probe {
    cert_select_dlg& d;
    wxDataViewListCtrl* list() const { return d.cert_list; }
    bool details_shown() const { return d.details_panel->IsShown(); }
    wxString subject() const { return d.subject_label->GetLabel(); }
    wxString title() const { return d.title_label->GetLabel(); }
    void ok() {
        wxCommandEvent e(wxEVT_BUTTON);
        d.on_ok(e);
    }
    void create_import() {
        wxMouseEvent e(wxEVT_LEFT_UP);
        d.on_create_import(e);
    }
    void activate(int row) {
        wxDataViewEvent e(wxEVT_DATAVIEW_ITEM_ACTIVATED, d.cert_list, d.cert_list->RowToItem(row));
        d.on_item_activated(e);
    }
};

namespace {

using dialog_test::event_recorder;
using dialog_test::new_chain;
using dialog_test::record_of;
using dialog_test::shared_pki;
using gui_test::run_until;
using testsupport::shell_quote;

class cert_dialog : public dialog_test::data_folder_test {
protected:
    x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    x509ui root = record_of(shared_pki().f("root.pem"));
};

TEST_F(cert_dialog, add_trust_trusts_the_top_of_the_path_and_tells_three_windows) {
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_not_trusted));
    auto* main_window = new event_recorder(event_recorder::payload::x509);
    auto* opener = new event_recorder(event_recorder::payload::x509);
    auto* trust_page = new event_recorder(event_recorder::payload::trust_entry);
    dialog_receivers().main_window = [&] { return main_window; };
    dialog_receivers().trust_page = [&] { return trust_page; };
    {
        cert_infodlg d(opener, true, chain.get(), true, nullptr);
        cert_infodlg_probe p{d};
        EXPECT_TRUE(p.trust_buttons_shown());
        EXPECT_EQ(p.status(), "The certificate identity is NOT TRUSTED, it is intended for the following purpose(s): ");
        EXPECT_EQ(p.purposes(), "- Digital Signature, Non Repudiation, Key Encipherment - Client Authentication, "
                                "Email Protection");
        // The path: the top is the root item, the leaf the deepest.
        EXPECT_EQ(p.tree()->GetItemText(p.root()), "Velk Test Root");
        EXPECT_EQ(p.tree()->GetItemText(p.deepest()), "Alice Signer");

        p.select_tree(p.deepest());  // a selected leaf must not change what is trusted
        p.add_trust();
        EXPECT_TRUE(trust_list_find(root.certid));
        EXPECT_FALSE(trust_list_find(leaf.certid));
        for (const chain_cert_entry& e : *chain) EXPECT_EQ(e.status, certerr_okay);
        EXPECT_FALSE(p.any_trust_button_shown());
        EXPECT_EQ(p.status(), "The certificate is VALID, it is intended for the following purpose(s): ");
        ASSERT_TRUE(run_until([&] {
            return main_window->events.size() == 1 && opener->events.size() == 1 && trust_page->events.size() == 1;
        }));
        EXPECT_EQ(main_window->events[0].tag, "evt_addtrust");
        EXPECT_EQ(main_window->events[0].id, root.certid);
        EXPECT_EQ(opener->events[0].id, root.certid);
        EXPECT_EQ(trust_page->events[0].id, root.certid);
    }
    for (wxWindow* w : {static_cast<wxWindow*>(main_window), static_cast<wxWindow*>(opener),
                        static_cast<wxWindow*>(trust_page)})
        w->Destroy();
}

TEST_F(cert_dialog, without_status_every_certificate_reads_valid_and_zeros_reach_the_chain) {
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_build_chain));
    cert_infodlg d(nullptr, false, chain.get(), true, nullptr);
    cert_infodlg_probe p{d};
    EXPECT_FALSE(p.any_trust_button_shown());
    EXPECT_EQ(p.status(), "This certificate is intended for the following purpose(s): ");
    for (const chain_cert_entry& e : *chain) EXPECT_EQ(e.status, 0);
}

TEST_F(cert_dialog, an_expired_certificate_of_status_zero_reads_expired) {
    x509ui old = leaf;
    old.not_after = "2001-01-01 00:00:00";
    old.ext_key_usages.clear();
    old.key_usage.clear();
    std::unique_ptr<cert_chain_ui> chain(new_chain({old}, certerr_okay));
    cert_infodlg d(nullptr, true, chain.get(), true, nullptr);
    cert_infodlg_probe p{d};
    EXPECT_EQ(p.status(), "The certificate is expired, it is intended for the following purpose(s): ");
    EXPECT_EQ(p.purposes(), "");
    EXPECT_FALSE(p.any_trust_button_shown());
}

TEST_F(cert_dialog, a_field_row_stays_chosen_across_certificates_of_the_path) {
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_okay));
    cert_infodlg d(nullptr, true, chain.get(), true, nullptr);
    cert_infodlg_probe p{d};
    ASSERT_EQ(p.fields()->GetItemCount(), 18);
    const auto root_rows = certificate_detail_rows(root);
    p.select_row(4);  // the leaf's serial number
    EXPECT_EQ(p.value_box(), wxString::FromUTF8(leaf.serial_hex));
    p.select_tree(p.root());
    EXPECT_EQ(p.fields()->GetItemCount(), static_cast<int>(root_rows.size()));
    EXPECT_EQ(p.value_box(), root_rows[4].value);  // the same row of the other certificate
    EXPECT_EQ(p.fields()->GetSelectedRow(), wxNOT_FOUND);
    // The public-key row shows the description in the list and the key's bytes in the box.
    const int key_row = 7;
    ASSERT_EQ(root_rows[key_row].name, "Public key");
    p.select_row(key_row);
    EXPECT_EQ(p.value_box(), wxString::FromUTF8(root.public_key_hex));
    EXPECT_EQ(p.fields()->GetTextValue(key_row, 1), wxString::FromUTF8(root.key_text));
    // A row beyond the next certificate's list falls back to row 0.
    p.select_tree(p.deepest());
    p.select_row(17);
    p.select_tree(p.root());
    EXPECT_EQ(p.value_box(), "V3");
}

TEST_F(cert_dialog, save_writes_the_selected_certificate_as_der) {
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_okay));
    cert_infodlg d(nullptr, true, chain.get(), true, nullptr);
    cert_infodlg_probe p{d};
    p.select_tree(p.root());
    const std::string out = env->scratch->file("saved.cer");
    wxTEST_DIALOG(p.save(), wxExpectModal<wxFileDialog>(wxString::FromUTF8(out)));
    const std::string expected = env->scratch->file("expected.der");
    ASSERT_EQ(testsupport::run_command("openssl x509 -in " + shell_quote(shared_pki().f("root.pem")) +
                                       " -outform DER -out " + shell_quote(expected))
                  .status,
              0);
    EXPECT_EQ(testsupport::read_file(out), testsupport::read_file(expected));
    // Cancel writes nothing.
    const std::string none = env->scratch->file("none.cer");
    wxTEST_DIALOG(p.save(), wxExpectModal<wxFileDialog>(wxString::FromUTF8(none), wxID_CANCEL));
    EXPECT_FALSE(testsupport::file_exists(none));
}

TEST_F(cert_dialog, file_mode_reads_the_file_and_survives_a_damaged_one) {
    {
        cert_infodlg d(wxString::FromUTF8(shared_pki().f("leaf.pem")));
        cert_infodlg_probe p{d};
        EXPECT_FALSE(d.load_failed());
        EXPECT_EQ(p.status(), "This certificate is intended for the following purpose(s): ");
        d.InitDialog();
        EXPECT_EQ(d.GetTitle(), "Velkorant - leaf.pem");
        EXPECT_EQ(p.fields()->GetItemCount(), 18);
    }
    const std::string bad = env->scratch->file("bad.cer");
    testsupport::write_file(bad, "not a certificate");
    cert_infodlg d(wxString::FromUTF8(bad));
    cert_infodlg_probe p{d};
    EXPECT_TRUE(d.load_failed());
    EXPECT_EQ(p.fields()->GetItemCount(), 9);
    EXPECT_EQ(p.valid_dates(), "");
    EXPECT_EQ(p.tree()->GetCount(), 1u);
    d.InitDialog();
    EXPECT_EQ(p.information(), "File type is unsupported, or file is damaged");
}

TEST(dialog_placement, beside_the_opener_else_left_else_unmoved) {
    wxDialog d(nullptr, wxID_ANY, "", wxPoint(7, 9), wxSize(400, 300));
    const int saved = screen_scale_percent;
    screen_scale_percent = 100;
    EXPECT_TRUE(place_beside_opener(&d, wxRect(100, 100, 200, 100), 1920));
    EXPECT_EQ(d.GetPosition(), wxPoint(100 + 200 - 15, 100 + (100 - 300) / 2));
    screen_scale_percent = 200;  // the overlap doubles
    EXPECT_TRUE(place_beside_opener(&d, wxRect(1600, 100, 200, 100), 1920));
    EXPECT_EQ(d.GetPosition().x, 1600 + 30 - 400);
    d.Move(7, 9);
    EXPECT_FALSE(place_beside_opener(&d, wxRect(100, 100, 1750, 100), 1920));
    EXPECT_EQ(d.GetPosition(), wxPoint(7, 9));
    screen_scale_percent = saved;
}

// Shown dialogs of a kind (not those already on their way out).
template <class T>
size_t open_dialogs() {
    size_t n = 0;
    for (wxWindow* w : wxTopLevelWindows)
        if (dynamic_cast<T*>(w) && !w->IsBeingDeleted() && !wxPendingDelete.Member(w)) ++n;
    return n;
}

TEST_F(cert_dialog, the_call_table_opens_nothing_for_a_missing_chain_and_closes_document_dialogs) {
    dialog_calls() = dialog_call_table();
    EXPECT_FALSE(dialog_calls().certificate_chain);  // empty until the dialogs are installed
    install_dialogs();
    gui_test::settle();
    EXPECT_FALSE(dialog_calls().certificate_chain(nullptr, nullptr, true, true, nullptr, dialog_show::modal, ""));
    cert_chain_ui empty;
    EXPECT_FALSE(dialog_calls().certificate_chain(nullptr, &empty, true, true, nullptr, dialog_show::with_document, ""));
    EXPECT_EQ(open_dialogs<cert_infodlg>(), 0u);

    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_okay));
    ASSERT_TRUE(dialog_calls().certificate_chain(nullptr, chain.get(), true, true, nullptr, dialog_show::with_document,
                                                 "leaf.cer"));
    EXPECT_EQ(document_dialog_count(), 1u);
    EXPECT_EQ(open_dialogs<cert_infodlg>(), 1u);
    dialog_calls().close_document_dialogs();  // the document is closing
    EXPECT_EQ(document_dialog_count(), 0u);
    EXPECT_EQ(open_dialogs<cert_infodlg>(), 0u);

    // A dialog with its own copy outlives the opener's chain; closing it destroys it.
    ASSERT_TRUE(dialog_calls().certificate_chain(nullptr, chain.get(), true, true, nullptr, dialog_show::own_copy, ""));
    chain.reset();
    cert_infodlg* shown = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<cert_infodlg*>(w); d && !wxPendingDelete.Member(w)) shown = d;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->shown_chain()->front().cert.certid, leaf.certid);
    EXPECT_EQ(document_dialog_count(), 0u);
    shown->Close();
    EXPECT_EQ(open_dialogs<cert_infodlg>(), 0u);
    dialog_calls() = dialog_call_table();
    gui_test::settle();
}

// ------------------------------------------------------------------ make

class make_dialog : public dialog_test::data_folder_test {
protected:
    void SetUp() override {
        data_folder_test::SetUp();
        reports = {};
        dialog_reports().create_cert = [](bool made, bool stored, const std::wstring& subject, const std::string& alg,
                                          const std::string&) {
            reports.push_back(std::string(made ? "made" : "-") + (stored ? " stored " : " - ") +
                              wxString(subject).utf8_string() + " " + alg);
        };
        dialog_reports().import_pfx = [](bool stored, const x509ui& cert, const std::string&) {
            reports.push_back(std::string("import ") + (stored ? "stored " : "- ") + wxString(cert.subject_cn).utf8_string());
        };
        trust_page = new event_recorder(event_recorder::payload::trust_entry);
        store_page = new event_recorder(event_recorder::payload::store_entry);
        dialog_receivers().trust_page = [this] { return trust_page; };
        dialog_receivers().certstore_page = [this] { return store_page; };
    }
    void TearDown() override {
        dialog_reports() = dialog_report_hooks();
        trust_page->Destroy();
        store_page->Destroy();
        X509_free(cert);
        delete entry;
        data_folder_test::TearDown();
    }
    static std::vector<std::string> reports;
    event_recorder* trust_page = nullptr;
    event_recorder* store_page = nullptr;
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
};
std::vector<std::string> make_dialog::reports;

TEST_F(make_dialog, an_rsa_certificate_goes_to_the_system_store_and_the_trust_list) {
    cert_makedlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_makedlg_probe p{d};
    EXPECT_EQ(p.combo()->GetCount(), 2u);
    EXPECT_EQ(p.combo()->GetValue(), "RSA");
    p.fill_make("Bob Maker", "secret", "RSA", false);
    const std::string path = env->scratch->file("bob.pfx");
    wxTEST_DIALOG(p.create(), wxExpectModal<wxFileDialog>(wxString::FromUTF8(path)));
    ASSERT_NE(cert, nullptr);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->access.cert_type, cert_type_sysstore);
    EXPECT_EQ(entry->access.sysstore.store, "My");
    EXPECT_TRUE(entry->access.check_access());  // certificate and key reachable in the store
    EXPECT_TRUE(certstore_entries.empty());
    EXPECT_EQ(p.create_line(), "Create Succeed, and Import Succeed.");
    x509ui made;
    build_x509ui(cert, made);
    EXPECT_TRUE(trust_list_find(made.certid));
    EXPECT_EQ(made.ext_key_usages, std::vector<int32_t>{2});
    // The two copies in the store folder.
    EXPECT_TRUE(std::filesystem::exists(wxString(certstore_pfx_path(entry->info)).utf8_string()));
    EXPECT_TRUE(std::filesystem::exists(wxString(certstore_cer_path(entry->info)).utf8_string()));
    EXPECT_EQ(reports, std::vector<std::string>{"made stored /CN=Bob Maker sha256WithRSA"});
    ASSERT_TRUE(run_until([&] { return trust_page->events.size() == 1 && store_page->events.size() == 1; }));
    EXPECT_EQ(trust_page->events[0].id, made.certid);
    EXPECT_EQ(store_page->events[0].tag, "evt_addcert");
}

TEST_F(make_dialog, an_sm2_certificate_goes_to_the_program_store_with_its_password_when_asked) {
    cert_makedlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_makedlg_probe p{d};
    p.fill_make("Sm Two", "secret", "SM2", true);
    wxTEST_DIALOG(p.create(), wxExpectModal<wxFileDialog>(wxString::FromUTF8(env->scratch->file("sm.pfx"))));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->access.cert_type, cert_type_pfx);
    ASSERT_EQ(certstore_entries.size(), 1u);
    EXPECT_EQ(certstore_entries[0].access.pfx.pswd, "secret");
    EXPECT_EQ(reports, std::vector<std::string>{"made stored /CN=Sm Two sm3WithSM2"});
}

TEST_F(make_dialog, importing_an_sm2_pfx_twice_keeps_the_last_password_choice) {
    cert_makedlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_makedlg_probe p{d};
    p.import(shared_pki().f("sm2.p12"), "pw", true);
    EXPECT_EQ(p.import_line(), "Import Succeed!");
    ASSERT_EQ(certstore_entries.size(), 1u);
    EXPECT_EQ(certstore_entries[0].access.pfx.pswd, "pw");
    p.import(shared_pki().f("sm2.p12"), "pw", false);
    EXPECT_EQ(p.import_line(), "Import Succeed!");
    ASSERT_EQ(certstore_entries.size(), 1u);
    EXPECT_EQ(certstore_entries[0].access.pfx.pswd, "");
    EXPECT_EQ(reports, (std::vector<std::string>{"import stored SM2 Signer", "import stored SM2 Signer"}));
}

TEST_F(make_dialog, failures_say_what_went_wrong_and_make_nothing) {
    cert_makedlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_makedlg_probe p{d};
    p.fill_make("", "secret", "RSA", false);
    p.create();  // no file dialog: the name is missing
    EXPECT_EQ(p.create_line(), "Please fill fields: name/password.");
    p.fill_make("Carol", "secret", "RSA", false);
    wxTEST_DIALOG(p.create(), wxExpectModal<wxFileDialog>("", wxID_CANCEL));
    EXPECT_EQ(p.create_line(), "");
    EXPECT_TRUE(reports.empty());
    p.import(shared_pki().f("leaf.p12"), "wrong", false);
    EXPECT_EQ(p.import_line(), "Import Failed!, Please check pfx file and password.");
    EXPECT_EQ(cert, nullptr);
    EXPECT_EQ(entry, nullptr);
}

// ---------------------------------------------------------------- select

class select_dialog : public make_dialog {};

TEST_F(select_dialog, lists_the_store_selects_the_top_row_and_ok_returns_it) {
    {
        cert_makedlg make(nullptr, &cert, &entry, nullptr);
        cert_makedlg_probe{make}.import(shared_pki().f("sm2.p12"), "pw", true);
    }
    X509_free(cert);
    cert = nullptr;
    delete entry;
    entry = nullptr;
    ASSERT_EQ(collect_client_certificates(), 1u);
    cert_select_dlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_select_dlg_probe p{d};
    EXPECT_EQ(p.list()->GetItemCount(), 1);
    EXPECT_EQ(p.list()->GetSelectedRow(), 0);
    EXPECT_TRUE(p.details_shown());
    EXPECT_EQ(p.subject(), "SM2 Signer");
    EXPECT_EQ(p.title(), "Select a Digital Certificate");
    p.ok();
    ASSERT_NE(cert, nullptr);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->access.cert_type, cert_type_pfx);
}

TEST_F(select_dialog, a_trusted_store_certificate_is_offered_and_a_new_one_joins_at_the_top) {
    ASSERT_TRUE(import_pfx_to_store(wxString::FromUTF8(shared_pki().f("leaf.p12")).ToStdWstring(), L"pw",
                                    pfx_import_no_ui));
    EXPECT_EQ(collect_client_certificates(), 0u);  // its chain is not trusted yet
    X509* root_cert = load_certificate_file(shared_pki().f("root.pem").c_str());
    trust_list_import_cert(root_cert);
    X509_free(root_cert);
    ASSERT_EQ(collect_client_certificates(), 1u);
    EXPECT_EQ(select_cert_entries[0].access.cert_type, cert_type_sysstore);

    cert_select_dlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_select_dlg_probe p{d};
    ASSERT_EQ(p.list()->GetItemCount(), 1);
    // Create/Import: the make dialog imports an SM2 PFX; the list grows at its
    // front, and the row and details shown are the new certificate's.
    auto import_sm2 = [](cert_makedlg* m) {
        cert_makedlg_probe{*m}.import(shared_pki().f("sm2.p12"), "pw", false);
        return wxID_OK;
    };
    wxTEST_DIALOG(p.create_import(), wxExpectModal<cert_makedlg>(import_sm2));
    ASSERT_EQ(p.list()->GetItemCount(), 2);
    EXPECT_EQ(select_cert_entries.size(), 2u);
    EXPECT_EQ(p.list()->GetSelectedRow(), 0);
    EXPECT_EQ(p.subject(), "SM2 Signer");
    EXPECT_EQ(d.selected_entry(), 0);
    // The same certificate again only selects its row.
    wxTEST_DIALOG(p.create_import(), wxExpectModal<cert_makedlg>(import_sm2));
    EXPECT_EQ(p.list()->GetItemCount(), 2);
    // Double-click on the store certificate: selected and OK.
    p.activate(1);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->access.cert_type, cert_type_sysstore);
    ASSERT_NE(cert, nullptr);
}

TEST_F(select_dialog, ok_without_a_selection_returns_no_entry) {
    collect_client_certificates();
    cert_select_dlg d(nullptr, &cert, &entry, nullptr);
    d.InitDialog();
    cert_select_dlg_probe p{d};
    EXPECT_EQ(p.list()->GetItemCount(), 0);
    EXPECT_FALSE(p.details_shown());
    p.ok();
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(cert, nullptr);
}

}  // namespace
