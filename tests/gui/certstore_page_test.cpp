// The certificate store page over a real store folder: fill order, one row
// per certificate whatever "evt_addcert" repeats, removal with its question,
// and a loader that fails still giving the buttons back.
#include <gtest/gtest.h>

#include <filesystem>
#include <malloc.h>
#include <string>
#include <vector>

#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/testing.h>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/crypto_init.h"
#include "crypto/x509ui.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/certstore_panel.h"

namespace fs = std::filesystem;
using testsupport::shell_quote;

namespace {

class store_probe : public certstore_panel {
public:
    using certstore_panel::certstore_panel;
    using certstore_base::cert_list;
    using certstore_base::create_import_button;
    using certstore_base::refresh_button;
    using certstore_base::remove_button;
    void click(wxButton* button) {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    void select(int row) {
        cert_list->SelectRow(unsigned(row));
        wxDataViewEvent changed(wxEVT_DATAVIEW_SELECTION_CHANGED, cert_list, cert_list->RowToItem(row));
        cert_list->GetEventHandler()->ProcessEvent(changed);
    }
};

class CertStorePage : public ::testing::Test {
protected:
    void SetUp() override {
        init_crypto();
        set_data_root(dir_.file("home"));
        data_ = app_data_dir();
        certstore_entries.clear();
        syscert_entries.clear();
        trust_list_ready = true;
        frame_ = new wxFrame(nullptr, wxID_ANY, "store", wxPoint(0, 0), wxSize(1100, 760));
        frame_->SetSizer(new wxBoxSizer(wxVERTICAL));
    }
    void TearDown() override {
        frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        stop_workers = false;
        wait_until([] { return running_workers.load() == 0; });
        certstore_entries.clear();
        syscert_entries.clear();
        trust_list_ready = false;
        set_data_root(dir_.file("gone"));
    }
    // A self-signed PFX copied into the store folder and registered.
    certstore_sumfile_entry add_pfx(const std::string& name) {
        const std::string key = dir_.file(name + ".key"), pem = dir_.file(name + ".pem"), pfx = dir_.file(name + ".pfx");
        const auto made = testsupport::run_command(
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 -subj /CN=" + name +
            " -keyout " + shell_quote(key) + " -out " + shell_quote(pem) +
            " 2>&1 && openssl pkcs12 -export -inkey " + shell_quote(key) + " -in " + shell_quote(pem) +
            " -passout pass:pw -out " + shell_quote(pfx) + " 2>&1");
        EXPECT_EQ(made.status, 0) << made.output;
        certstore_sumfile_entry entry;
        X509* cert = load_certificate_file(pem.c_str());
        fill_cert_info(cert, entry.info);
        X509_free(cert);
        entry.access.cert_type = cert_type_pfx;
        entry.access.pfx.certfname = certstore_cer_path(entry.info);
        entry.access.pfx.pfxfname = certstore_pfx_path(entry.info);
        entry.access.pfx.pswd = "pw";
        fs::copy_file(pem, wide_to_utf8(entry.access.pfx.certfname), fs::copy_options::overwrite_existing);
        fs::copy_file(pfx, wide_to_utf8(entry.access.pfx.pfxfname), fs::copy_options::overwrite_existing);
        EXPECT_TRUE(entry.add_to_store());
        return entry;
    }
    store_probe* show() {
        auto* page = new store_probe(frame_);
        frame_->GetSizer()->Add(page, 1, wxEXPAND);
        frame_->Show();
        frame_->Layout();
        EXPECT_TRUE(gui_test::run_until([page] { return page->create_import_button->IsEnabled(); }));
        return page;
    }
    static std::vector<std::wstring> subjects(store_probe* page) {
        std::vector<std::wstring> out;
        for (unsigned i = 0; i < unsigned(page->cert_list->GetItemCount()); ++i)
            out.push_back(page->row_entry(i)->info.subject);
        return out;
    }

    testsupport::scratch_dir dir_;
    std::string data_;
    wxFrame* frame_ = nullptr;
};

TEST_F(CertStorePage, fills_in_store_order_and_adds_each_certificate_once) {
    const certstore_sumfile_entry a = add_pfx("alpha"), b = add_pfx("beta");
    store_probe* page = show();
    EXPECT_EQ(subjects(page), (std::vector<std::wstring>{L"alpha", L"beta"}));
    EXPECT_EQ(page->cert_list->GetTextValue(0, 2), wxGetTranslation(L"PFX FILE"));
    EXPECT_FALSE(page->remove_button->IsEnabled());

    // A new certificate told twice: one row.
    const certstore_sumfile_entry c = add_pfx("gamma");
    for (int i = 0; i < 2; ++i)
        post_thread_event(page, wxt_thread_event(evt_addcert, new certstore_sumfile_entry(c)));
    // An event that is not the loader's never refills the list.
    post_thread_event(page, wxt_thread_event(evt_update));
    gui_test::settle(std::chrono::milliseconds(100));
    EXPECT_EQ(subjects(page), (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
}

TEST_F(CertStorePage, remove_asks_then_deletes_files_and_entry) {
    const certstore_sumfile_entry a = add_pfx("alpha"), b = add_pfx("beta");
    store_probe* page = show();

    // No: nothing changes.
    page->select(1);
    EXPECT_TRUE(page->remove_button->IsEnabled());
    wxTEST_DIALOG(page->click(page->remove_button), wxExpectModal<wxMessageDialog>(wxNO));
    EXPECT_EQ(subjects(page).size(), 2u);
    EXPECT_TRUE(fs::exists(wide_to_utf8(b.access.pfx.pfxfname)));

    // Yes on the last row: files and entry go, the row before is selected.
    wxTEST_DIALOG(page->click(page->remove_button), wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_EQ(subjects(page), (std::vector<std::wstring>{L"alpha"}));
    EXPECT_FALSE(fs::exists(wide_to_utf8(b.access.pfx.pfxfname)));
    EXPECT_FALSE(fs::exists(wide_to_utf8(b.access.pfx.certfname)));
    EXPECT_EQ(testsupport::read_file(certstore_file).find("beta"), std::string::npos);
    EXPECT_EQ(page->cert_list->GetSelectedRow(), 0);

    // The only row: nothing left selected, Remove off.
    wxTEST_DIALOG(page->click(page->remove_button), wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_TRUE(subjects(page).empty());
    EXPECT_FALSE(page->remove_button->IsEnabled());
    EXPECT_TRUE(certstore_entries.empty());
}

TEST_F(CertStorePage, a_failed_load_gives_the_buttons_back) {
    add_pfx("alpha");
    stop_workers = true;  // the loader's wait ends without a list
    store_probe* page = show();
    EXPECT_TRUE(page->refresh_button->IsEnabled());
    EXPECT_TRUE(subjects(page).empty());
    stop_workers = false;
    page->click(page->refresh_button);
    EXPECT_TRUE(gui_test::run_until([page] { return page->cert_list->GetItemCount() == 1; }));
    EXPECT_TRUE(page->refresh_button->IsEnabled());
}

TEST_F(CertStorePage, the_certificate_dialogs_add_trust_notice_is_freed) {
    // The certificate dialog opened from this page posts "evt_addtrust" with
    // a record to its parent. Large records make a leak show in the heap.
    store_probe* page = show();
    gui_test::settle(std::chrono::milliseconds(50));
    const auto heap = [] { const auto m = mallinfo2(); return m.uordblks + m.hblkhd; };
    const std::size_t before = heap();
    constexpr int kNotices = 40;
    for (int i = 0; i < kNotices; ++i) {
        auto* record = new x509ui();
        record->der.assign(512 * 1024, 0x30);
        post_thread_event(page, wxt_thread_event(evt_addtrust, record));
    }
    gui_test::settle(std::chrono::milliseconds(100));
    const std::size_t after = heap();
    EXPECT_LT(after, before + kNotices * 512 * 1024 / 4) << "bytes kept: " << (after - before);
    EXPECT_TRUE(subjects(page).empty());
}

}  // namespace
