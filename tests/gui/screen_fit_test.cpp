// Every dialog on the screen and closed by Escape: a dialog whose content is
// taller than the display's work area scrolls inside it, a dialog centred on
// a smaller opener never starts above the screen, and each dialog with a
// Close button ends on Escape, modal or not.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "app/screen_layout.h"
#include "app/settings.h"
#include "dialogs/agreement_dlg.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "gui/dialog_fixtures.h"
#include "gui/gui_harness.h"
#include "service/feedback_dlg.h"
#include "ui/donate_dlg.h"

namespace {

using namespace std::chrono_literals;
using dialog_test::make_result;
using dialog_test::new_chain;
using dialog_test::record_of;
using dialog_test::result_spec;
using dialog_test::shared_pki;

// A dialog with a Close button above content `content_height` pixels tall.
wxDialog* tall_dialog(int content_height) {
    auto* d = new wxDialog(nullptr, wxID_ANY, "tall", wxDefaultPosition, wxSize(400, 300));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* content = new wxPanel(d, wxID_ANY, wxDefaultPosition, wxSize(380, content_height));
    content->SetMinSize(wxSize(380, content_height));
    sizer->Add(content, 0, wxALL, 5);
    sizer->Add(new wxButton(d, wxID_CANCEL, "Close"), 0, wxALL, 5);
    d->SetSizer(sizer);
    return d;
}

TEST(screen_fit, content_taller_than_the_work_area_scrolls_inside_it) {
    auto* owner = new wxFrame(nullptr, wxID_ANY, "owner", wxPoint(0, 0), wxSize(300, 200));
    owner->Show();
    const wxRect area = display_client_area(owner);
    const int tall = area.height + 400;
    wxDialog* d = tall_dialog(tall);
    scale_dialog_to_screen(d);
    // Centred on an opener smaller than itself, as the signature properties
    // are centred on the main window: its top would be above the screen.
    d->CentreOnParent();
    d->Move(d->GetPosition().x, -200);
    d->Show();
    gui_test::settle(100ms);
    EXPECT_TRUE(area.Contains(d->GetScreenRect()));
    EXPECT_TRUE(gui_test::windows_off_the_screen().empty());
    wxWindow* scroller = fitted_scroller(d);
    ASSERT_NE(scroller, nullptr);
    // Everything is reachable by scrolling: the content and the Close button.
    EXPECT_GE(scroller->GetVirtualSize().y, tall);
    EXPECT_EQ(d->FindWindow(wxID_CANCEL)->GetParent(), scroller);
    EXPECT_TRUE(gui_test::layout_faults(d).empty());
    // Shown again after a move off the screen, it comes back.
    d->Hide();
    d->Move(area.GetRight() - 10, area.GetBottom() - 10);
    d->Show();
    gui_test::settle(50ms);
    EXPECT_TRUE(area.Contains(d->GetScreenRect()));
    d->Destroy();

    // A dialog that fits keeps its own layout.
    wxDialog* small = tall_dialog(100);
    scale_dialog_to_screen(small);
    small->Show();
    gui_test::settle(50ms);
    EXPECT_EQ(fitted_scroller(small), nullptr);
    small->Destroy();
    owner->Destroy();
    gui_test::settle(50ms);
}

// Ends a modal dialog that act() did not end, after a moment.
constexpr int no_answer = -77;
int modal_result(wxDialog* d, const std::function<void()>& act) {
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [d](wxTimerEvent&) {
        if (d->IsModal()) d->EndModal(no_answer);
    });
    d->CallAfter([&] {
        act();
        guard.StartOnce(300);
    });
    return d->ShowModal();
}

void press_escape(wxDialog* d) {
    wxKeyEvent k(wxEVT_CHAR_HOOK);
    k.m_keyCode = WXK_ESCAPE;
    k.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(k);
}

TEST(screen_fit, escape_closes_every_dialog_with_a_close_button) {
    dialog_test::data_env env;
    ASSERT_TRUE(shared_pki().ok) << shared_pki().log;
    const x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    const x509ui root = record_of(shared_pki().f("root.pem"));
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_not_trusted));
    result_spec spec;
    spec.with_timestamp = true;
    auto r = make_result(spec, leaf, root);
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
    const struct {
        const char* name;
        std::function<wxDialog*()> make;
    } cases[] = {
        {"signature properties", [&] { return new sig_infodlg(nullptr, 0, r->result); }},
        {"certificate properties", [&] { return new cert_infodlg(nullptr, true, chain.get(), true, nullptr); }},
        {"signature status", [&] { return new simple_sigdlg(nullptr, r->result); }},
        {"make certificate", [&] { return new cert_makedlg(nullptr, &cert, &entry, nullptr); }},
        {"feedback", [] { return new feedback_dlg(nullptr); }},
        {"agreement", [] { return new agreement_dlg(nullptr, 1); }},
        {"donation", [] { return new donate_dlg(nullptr, wxID_ANY, "", wxDefaultPosition, wxSize(761, 600), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wxDialog* d = c.make();
        EXPECT_NE(modal_result(d, [d] { press_escape(d); }), no_answer);
        d->Destroy();
        gui_test::settle(20ms);
    }
    // The modeless signature properties (from the signature tree) are destroyed.
    wxWeakRef<wxDialog> modeless(new sig_infodlg(nullptr, 0, r->result));
    modeless->Show();
    gui_test::settle(50ms);
    press_escape(modeless.get());
    EXPECT_TRUE(gui_test::run_until([&] { return !modeless; }, 2s));
}

}  // namespace
