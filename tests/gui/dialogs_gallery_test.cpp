// Screenshots of the certificate and signature dialogs for a person to look
// at: English and Chinese (and 200 % when the gallery runs with GDK_SCALE=2),
// each opened where the program opens it and checked to lie inside the
// display's work area.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <wx/frame.h>
#include <wx/notebook.h>

#include "app/screen_layout.h"
#include "crypto/certstore.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/cert_select_dlg.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "gui/dialog_fixtures.h"
#include "gui/gui_harness.h"

namespace {

using dialog_test::make_result;
using dialog_test::new_chain;
using dialog_test::record_of;
using dialog_test::result_spec;
using dialog_test::shared_pki;

wxNotebook* notebook_of(wxWindow* w) {
    for (wxWindow* child : w->GetChildren()) {
        if (auto* book = dynamic_cast<wxNotebook*>(child)) return book;
        if (wxNotebook* inner = notebook_of(child)) return inner;
    }
    return nullptr;
}

// The main window as a first start places it: the work area's height.
struct main_window_stand_in {
    main_window_stand_in() : frame(new wxFrame(nullptr, wxID_ANY, "Velkorant")) {
        wxPoint position;
        wxSize size;
        place_main_window(frame, position, size);
        frame->Show();
        gui_test::settle(std::chrono::milliseconds(100));
    }
    ~main_window_stand_in() {
        frame->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
    }
    wxRect rect() const { return frame->GetScreenRect(); }
    wxFrame* frame;
};

// Shows the dialog modeless where the program puts it (`place`, before it is
// shown), on notebook page `page` (when it has one), checks that every window
// is inside the screen, saves the screenshot and destroys the dialog.
void shoot(const std::function<wxDialog*()>& make, const std::string& name, int page = -1,
           const std::function<void(wxDialog*)>& place = nullptr) {
    wxDialog* d = make();
    if (place) place(d);
    if (wxNotebook* book = notebook_of(d); book && page >= 0 && page < static_cast<int>(book->GetPageCount()))
        book->ChangeSelection(page);
    d->Show();
    gui_test::settle(std::chrono::milliseconds(100));
    for (const std::string& fault : gui_test::windows_off_the_screen()) ADD_FAILURE() << name << ": " << fault;
    // Content too tall for the screen scrolls up and down, never across.
    if (wxWindow* scroller = fitted_scroller(d))
        EXPECT_LE(scroller->GetVirtualSize().x, scroller->GetClientSize().x) << name;
    gui_test::save_screenshot(d, name);
    d->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

void centre_on_parent(wxDialog* d) { d->CentreOnParent(); }

TEST(gallery, certificate_and_signature_dialogs) {
    dialog_test::data_env env;
    ASSERT_TRUE(shared_pki().ok) << shared_pki().log;
    const x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    const x509ui root = record_of(shared_pki().f("root.pem"));
    main_window_stand_in main;
    wxFrame* parent = main.frame;
    const wxRect opener = main.rect();
    for (bool chinese : {false, true}) {
        std::unique_ptr<dialog_test::chinese_ui> zh;
        if (chinese) {
            zh = std::make_unique<dialog_test::chinese_ui>();
            ASSERT_TRUE(zh->loaded);
        }
        const std::string lang = chinese ? "_zh" : "_en";
        std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_not_trusted));
        for (int page : {0, 1})
            shoot([&] { return static_cast<wxDialog*>(new cert_infodlg(parent, true, chain.get(), true, &opener)); },
                  "dlg_cert_page" + std::to_string(page) + lang, page);

        X509* cert = nullptr;
        certstore_sumfile_entry* entry = nullptr;
        shoot([&] { return static_cast<wxDialog*>(new cert_makedlg(parent, &cert, &entry, &opener)); }, "dlg_cert_make" + lang);
        certstore_sumfile_entry offered;
        offered.access.cert_type = cert_type_pfx;
        offered.info.subject = L"Alice Signer";
        offered.info.issuer = L"Velk Test Root";
        offered.info.expired = "2027-06-30 12:00:00";
        offered.info.sn = "15C102DFDB624AFB";
        select_cert_entries = {offered, offered};
        select_cert_entries[1].info.subject = L"SM2 Signer";
        shoot([&] { return static_cast<wxDialog*>(new cert_select_dlg(parent, &cert, &entry, &opener)); }, "dlg_cert_select" + lang);

        result_spec valid;
        valid.with_timestamp = true;
        auto r = make_result(valid, leaf, root);
        for (int page : {0, 1})
            shoot([&] { return static_cast<wxDialog*>(new sig_infodlg(parent, 0, r->result)); },
                  "dlg_sig_page" + std::to_string(page) + lang, page, centre_on_parent);
        result_spec untrusted;
        untrusted.signer_status = certerr_not_trusted;
        auto u = make_result(untrusted, leaf, root);
        shoot([&] { return static_cast<wxDialog*>(new sig_infodlg(parent, 0, u->result)); }, "dlg_sig_untrusted" + lang, -1,
              centre_on_parent);

        shoot([&] { return static_cast<wxDialog*>(new simple_sigdlg(parent, r->result)); }, "dlg_status_valid" + lang);
        result_spec modified;
        modified.sig_status = sigerr_modified;
        modified.signer_status = certerr_not_trusted;
        auto m = make_result(modified, leaf, root);
        shoot([&] { return static_cast<wxDialog*>(new simple_sigdlg(parent, m->result)); }, "dlg_status_modified" + lang);
        result_spec unsupported;
        unsupported.sig_status = sigerr_notsup_type;
        auto s = make_result(unsupported, leaf, root);
        shoot([&] { return static_cast<wxDialog*>(new simple_sigdlg(parent, s->result)); }, "dlg_status_unsupported" + lang);
    }
}

}  // namespace
