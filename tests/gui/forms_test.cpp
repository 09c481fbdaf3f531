// The main window form and its side forms: controls, ids, names, texts,
// handler wiring, layout, destruction; and the gallery of screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/treectrl.h>

#include "forms/dynamic_resource.h"
#include "forms/frame_base.h"
#include "forms/pictures.h"
#include "forms/side_forms.h"
#include "gui/form_checks.h"
#include "gui/gui_harness.h"
#include "ui/expandbar.h"
#include "ui/homepage.h"
#include "ui/infobar.h"
#include "ui/left_panel.h"
#include "ui/page_glcanvas.h"
#include "ui/sign_panel.h"
#include "ui/stamp_panel.h"
#include "widgets/wxt_bmpbutton_nofocus.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

using form_checks::check_handlers;
using form_checks::handler_row;
using form_checks::is;
using form_checks::recorder;
using form_checks::windows;

// One control of a form as its description gives it.
struct control_row {
    const char* member;
    form_checks::kind_test kind;
    int id;            // 0: any id
    const char* name;  // window name, nullptr: not checked
    const char* text;  // label or value, nullptr: not checked
    const char* tip;   // tool tip, nullptr: none
};

void check_controls(const windows& members, const std::vector<control_row>& rows) {
    form_checks::check_rows(members, rows, false, [](const control_row& r) {
        form_checks::control_expectation e;
        e.kind = r.kind;
        if (r.id != 0) e.id = r.id;
        e.name = r.name;
        if (r.text) e.text = wxString::FromUTF8(r.text);
        e.tip = r.tip;
        return e;
    });
}

// ----------------------------------------------------------------- frame_base

class probe_frame : public frame_base, public recorder {
public:
    probe_frame() : frame_base(nullptr, wxID_ANY, "Velkorant application", wxDefaultPosition, wxSize(1280, 800)) {}
    bool record = true;
    windows members() const {
        return {{"toolbar_panel", toolbar_panel}, {"home_button", home_button}, {"document_button", document_button},
                {"open_button", open_button}, {"previous_page_button", previous_page_button},
                {"next_page_button", next_page_button}, {"page_text", page_text},
                {"page_count_label", page_count_label}, {"fit_page_button", fit_page_button},
                {"fit_width_button", fit_width_button}, {"fit_height_button", fit_height_button},
                {"zoom_in_button", zoom_in_button}, {"zoom_out_button", zoom_out_button}, {"zoom_combo", zoom_combo},
                {"colour_panel", colour_panel}, {"colour_button", colour_button},
                {"sign_panel_button", sign_panel_button}, {"feedback_button", feedback_button},
                {"new_version_link", new_version_link}, {"info_bar", info_bar}, {"main_book", main_book},
                {"home_page", home_page}, {"content_panel", content_panel}, {"signatures_panel", signatures_panel},
                {"left_expandbar", left_expandbar}, {"page_view", page_view}, {"right_expandbar", right_expandbar},
                {"side_book", side_book}, {"signing_panel", signing_panel}, {"stamp_editor", stamp_editor}};
    }
    wxSimplebook* book() const { return main_book; }
    wxSimplebook* side() const { return side_book; }
    wxPanel* toolbar() const { return toolbar_panel; }
    wxPanel* content() const { return content_panel; }

protected:
    void on_close(wxCloseEvent& e) override {
        if (record)
            calls.push_back("on_close");
        else
            e.Skip();
    }
    void on_paint(wxPaintEvent& e) override {
        if (record)
            calls.push_back("on_paint");
        else
            e.Skip();
    }
    void on_size(wxSizeEvent& e) override {
        if (record)
            calls.push_back("on_size");
        else
            e.Skip();
    }
    RECORD(on_activate, wxActivateEvent)
    RECORD(on_activate_app, wxActivateEvent)
    RECORD(on_mouse_wheel, wxMouseEvent)
    RECORD(on_move, wxMoveEvent)
    RECORD(on_home_page, wxCommandEvent)
    RECORD(on_document_page, wxCommandEvent)
    RECORD(on_open_document, wxCommandEvent)
    RECORD(on_previous_page, wxCommandEvent)
    RECORD(on_next_page, wxCommandEvent)
    RECORD(on_page_number, wxCommandEvent)
    RECORD(on_fit_page, wxCommandEvent)
    RECORD(on_fit_width, wxCommandEvent)
    RECORD(on_fit_height, wxCommandEvent)
    RECORD(on_zoom_in, wxCommandEvent)
    RECORD(on_zoom_out, wxCommandEvent)
    RECORD(on_zoom_select, wxCommandEvent)
    RECORD(on_zoom_closeup, wxCommandEvent)
    RECORD(on_zoom_dropdown, wxCommandEvent)
    RECORD(on_zoom_enter, wxCommandEvent)
    RECORD(on_background_colour, wxCommandEvent)
    RECORD(on_sign_panel, wxCommandEvent)
    RECORD(on_feedback, wxCommandEvent)
    RECORD(on_new_version, wxMouseEvent)
};

const std::vector<control_row> frame_controls = {
    {"toolbar_panel", is<wxPanel>(), 0, "panel", nullptr, nullptr},
    {"home_button", is<wxBitmapButton>(), 1000, "button", nullptr, "Swith to home page (CTRL-H)"},
    {"document_button", is<wxBitmapButton>(), 1001, "button", nullptr, "Swith to document page (CTRL-D)"},
    {"open_button", is<wxBitmapButton>(), 1002, "button", nullptr, "Open/DragDrop document(CTRL-O)"},
    {"previous_page_button", is<wxBitmapButton>(), 1003, "button", nullptr, "Previous page (CTRL-P)"},
    {"next_page_button", is<wxBitmapButton>(), 1004, "button", nullptr, "Next Page (CTRL-N)"},
    {"page_text", is<wxTextCtrl>(), 0, "text", "1", "Current page number"},
    {"page_count_label", is<wxStaticText>(), 0, "staticText", "/1000", nullptr},
    {"fit_page_button", is<wxBitmapButton>(), 1007, "button", nullptr, "Show full page in the window (ALT-F)"},
    {"fit_width_button", is<wxBitmapButton>(), 1008, "button", nullptr,
     "Show full width of page in the window (ALT-W)"},
    {"fit_height_button", is<wxBitmapButton>(), 1009, "button", nullptr,
     "Show full height of page in the window (ALT-H)"},
    {"zoom_in_button", is<wxBitmapButton>(), 1005, "button", nullptr, "Zoom in (CTRL-PLUS)"},
    {"zoom_out_button", is<wxBitmapButton>(), 1006, "button", nullptr, "Zoom out (CTRL-MINUS)"},
    {"zoom_combo", is<wxComboBox>(), 1011, "comboBox", "100%", nullptr},
    {"colour_panel", is<wxPanel>(), 0, "panel", nullptr, nullptr},
    {"colour_button", is<wxButton>(), 1012, "button", "", "Document's background colour"},
    {"sign_panel_button", is<wxBitmapButton>(), 1010, "button", nullptr, "Sign panel (CTRL-K)"},
    {"feedback_button", is<wxBitmapButton>(), 1013, "button", nullptr, "Any suggestion?"},
    {"new_version_link", is<wxt_hyperlink>(), 0, "staticText", "New Version !", nullptr},
    {"info_bar", is<infobar>(), 0, "", nullptr, nullptr},
    {"main_book", is<wxSimplebook>(), 0, "", nullptr, nullptr},
    {"home_page", is<homepage>(), 0, "homepage", nullptr, nullptr},
    {"content_panel", is<wxPanel>(), 0, "panel", nullptr, nullptr},
    {"signatures_panel", is<left_panel>(), 0, "", nullptr, nullptr},
    {"left_expandbar", is<expandbar>(), 0, "expandbar-left", nullptr, "Signature details pane (CTRL-J)"},
    {"page_view", is<page_glcanvas>(), 0, "page_glcanvas_base", nullptr, nullptr},
    {"right_expandbar", is<expandbar>(), 0, "expandbar-right", nullptr, "Sign panel (CTRL-K)"},
    {"side_book", is<wxSimplebook>(), 0, "", nullptr, nullptr},
    {"signing_panel", is<sign_panel>(), 0, "", nullptr, nullptr},
    {"stamp_editor", is<stamp_panel>(), 0, "", nullptr, nullptr},
};

const std::vector<handler_row> frame_handlers = {
    {"on_activate", wxEVT_ACTIVATE, ""},
    {"on_activate_app", wxEVT_ACTIVATE_APP, ""},
    {"on_close", wxEVT_CLOSE_WINDOW, ""},
    {"on_mouse_wheel", wxEVT_MOUSEWHEEL, ""},
    {"on_move", wxEVT_MOVE, ""},
    {"on_paint", wxEVT_PAINT, ""},
    {"on_size", wxEVT_SIZE, ""},
    {"on_home_page", wxEVT_BUTTON, "home_button"},
    {"on_document_page", wxEVT_BUTTON, "document_button"},
    {"on_open_document", wxEVT_BUTTON, "open_button"},
    {"on_previous_page", wxEVT_BUTTON, "previous_page_button"},
    {"on_next_page", wxEVT_BUTTON, "next_page_button"},
    {"on_page_number", wxEVT_TEXT_ENTER, "page_text"},
    {"on_fit_page", wxEVT_BUTTON, "fit_page_button"},
    {"on_fit_width", wxEVT_BUTTON, "fit_width_button"},
    {"on_fit_height", wxEVT_BUTTON, "fit_height_button"},
    {"on_zoom_in", wxEVT_BUTTON, "zoom_in_button"},
    {"on_zoom_out", wxEVT_BUTTON, "zoom_out_button"},
    {"on_zoom_select", wxEVT_COMBOBOX, "zoom_combo"},
    {"on_zoom_closeup", wxEVT_COMBOBOX_CLOSEUP, "zoom_combo"},
    {"on_zoom_dropdown", wxEVT_COMBOBOX_DROPDOWN, "zoom_combo"},
    {"on_zoom_enter", wxEVT_TEXT_ENTER, "zoom_combo"},
    {"on_background_colour", wxEVT_BUTTON, "colour_button"},
    {"on_sign_panel", wxEVT_BUTTON, "sign_panel_button"},
    {"on_feedback", wxEVT_BUTTON, "feedback_button"},
    {"on_new_version", wxEVT_LEFT_UP, "new_version_link"},
};

TEST(frame_base, controls_texts_ids_and_books) {
    const int asserts = gui_test::assert_count();
    auto* f = new probe_frame;
    EXPECT_EQ(f->GetName(), "frame");
    EXPECT_EQ(f->GetMinSize(), wxSize(768, 512));
    check_controls(f->members(), frame_controls);
    ASSERT_EQ(f->book()->GetPageCount(), 2u);
    EXPECT_EQ(f->book()->GetPageText(0), "home page");
    EXPECT_EQ(f->book()->GetPageText(1), "content page");
    ASSERT_EQ(f->side()->GetPageCount(), 2u);
    EXPECT_EQ(f->side()->GetPageText(0), "signpanel");
    EXPECT_EQ(f->side()->GetPageText(1), "stamppanel");
    EXPECT_EQ(f->toolbar()->GetMinSize().y, 42);
    EXPECT_EQ(f->toolbar()->GetMaxSize().y, 84);
    windows m = f->members();
    for (const char* bar : {"left_expandbar", "right_expandbar"}) {
        EXPECT_EQ(m[bar]->GetMinSize().x, 20);
        EXPECT_EQ(m[bar]->GetMaxSize().x, 40);
    }
    EXPECT_EQ(m["toolbar_panel"]->GetBackgroundColour(), wxColour(60, 60, 60));
    EXPECT_EQ(m["info_bar"]->GetBackgroundColour(), wxColour(188, 220, 246));
    EXPECT_EQ(m["new_version_link"]->GetFont().GetStyle(), wxFONTSTYLE_ITALIC);
    EXPECT_TRUE(m["new_version_link"]->GetFont().GetUnderlined());
    EXPECT_EQ(f->GetBackgroundColour(), wxColour(150, 150, 150));
    f->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

TEST(frame_base, handlers_reach_the_overrides) {
    auto* f = new probe_frame;
    check_handlers(f, f->members(), frame_handlers, f->calls);
    f->Destroy();
}

TEST(frame_base, unhandled_close_lets_the_toolkit_destroy_the_frame) {
    auto* f = new probe_frame;
    f->record = false;
    f->Show();
    bool destroyed = false;
    f->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        if (e.GetEventObject() == f) destroyed = true;
        e.Skip();
    });
    f->Close();
    EXPECT_TRUE(gui_test::run_until([&] { return destroyed; }));
}

TEST(frame_base, laid_out_without_overlaps_on_both_pages) {
    auto* f = new probe_frame;
    f->record = false;
    f->Show();
    gui_test::settle();
    for (size_t page : {0u, 1u}) {
        f->book()->ChangeSelection(page);
        f->Layout();
        gui_test::settle(std::chrono::milliseconds(100));
        const auto faults = gui_test::layout_faults(f);
        EXPECT_TRUE(faults.empty()) << "page " << page << ": " << faults.front();
    }
    f->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

// ------------------------------------------------------------- the side forms

class probe_infobar : public infobar_base, public recorder {
public:
    explicit probe_infobar(wxWindow* parent) : infobar_base(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, 42)) {}
    windows members() const {
        return {{"infobar_bitmap", infobar_bitmap}, {"signature_details_button", signature_details_button},
                {"timestamp_details_button", timestamp_details_button}, {"mark_button", mark_button},
                {"message_label", message_label}, {"add_signature_button", add_signature_button},
                {"signature_pane_button", signature_pane_button}};
    }
    RECORD(on_bar_click, wxMouseEvent)
    RECORD(on_signature_details, wxCommandEvent)
    RECORD(on_timestamp_details, wxCommandEvent)
    RECORD(on_mark_button, wxCommandEvent)
    RECORD(on_add_signature, wxCommandEvent)
    RECORD(on_signature_pane, wxCommandEvent)
};

class probe_homepage : public homepage_base, public recorder {
public:
    explicit probe_homepage(wxWindow* parent)
        : homepage_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "homepage") {}
    windows members() const {
        return {{"nav_panel", nav_panel}, {"logo_bitmap", logo_bitmap}, {"recent_button", recent_button},
                {"settings_button", settings_button}, {"trustlist_button", trustlist_button},
                {"certstore_button", certstore_button}, {"shortcut_button", shortcut_button},
                {"about_button", about_button}, {"switch_hint_label", switch_hint_label}, {"page_book", page_book},
                {"bottom_line", bottom_line}, {"donate_panel", donate_panel}, {"announce_bitmap", announce_bitmap},
                {"donate_label", donate_label}, {"donate_button", donate_button}};
    }
    wxSimplebook* book() const { return page_book; }
    RECORD(on_init_dialog, wxInitDialogEvent)
    void on_size(wxSizeEvent& e) override {
        calls.push_back("on_size");
        e.Skip();
    }
    RECORD(on_donate, wxCommandEvent)
};

class probe_leftpanel : public leftpanel_base, public recorder {
public:
    explicit probe_leftpanel(wxWindow* parent) : leftpanel_base(parent, wxID_ANY, wxDefaultPosition, wxSize(200, -1)) {}
    windows members() const { return {{"title_label", title_label}, {"signature_tree", signature_tree}}; }
    wxTreeCtrl* tree() const { return signature_tree; }
    RECORD(on_left_down, wxMouseEvent)
    RECORD(on_left_up, wxMouseEvent)
    RECORD(on_title_left_down, wxMouseEvent)
    RECORD(on_title_left_up, wxMouseEvent)
    RECORD(on_tree_left_down, wxMouseEvent)
    RECORD(on_tree_left_up, wxMouseEvent)
    RECORD(on_tree_begin_label_edit, wxTreeEvent)
    RECORD(on_tree_item_collapsing, wxTreeEvent)
    RECORD(on_tree_item_expanding, wxTreeEvent)
    RECORD(on_tree_sel_changed, wxTreeEvent)
};

class probe_expandbar : public expandbar_base, public recorder {
public:
    explicit probe_expandbar(wxWindow* parent)
        : expandbar_base(parent, wxID_ANY, wxDefaultPosition, wxSize(20, -1), wxTAB_TRAVERSAL, "expandbar-left") {}
    windows members() const {
        return {{"arrow_left_button", arrow_left_button}, {"arrow_right_button", arrow_right_button}};
    }
    RECORD(on_enter, wxMouseEvent)
    RECORD(on_leave, wxMouseEvent)
    RECORD(on_left_down, wxMouseEvent)
    RECORD(on_left_up, wxMouseEvent)
    RECORD(on_arrow_click, wxCommandEvent)
    RECORD(on_arrow_leave, wxMouseEvent)
    RECORD(on_arrow2_click, wxCommandEvent)
    RECORD(on_arrow2_leave, wxMouseEvent)
};

struct side_host {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "side forms", wxDefaultPosition, wxSize(1100, 760));
    ~side_host() {
        frame->Destroy();
        gui_test::settle(std::chrono::milliseconds(30));
    }
};

TEST(infobar_base, controls_and_handlers) {
    side_host h;
    auto* bar = new probe_infobar(h.frame);
    EXPECT_EQ(bar->GetBackgroundColour(), wxColour(188, 220, 246));
    check_controls(bar->members(),
                   {{"infobar_bitmap", is<wxStaticBitmap>(), 0, "staticBitmap", nullptr, nullptr},
                    {"signature_details_button", is<wxBitmapButton>(), 1015, "button", nullptr,
                     "Show Signature Details (CTRL-SHIFT-S)"},
                    {"timestamp_details_button", is<wxBitmapButton>(), 1016, "button", nullptr,
                     "Show Timestamp Details (CTRL-SHIFT-T)"},
                    {"mark_button", is<wxBitmapButton>(), 0, "button", nullptr, nullptr},
                    {"message_label", is<wxStaticText>(), 0, "staticText", "", nullptr},
                    {"add_signature_button", is<wxt_colorbutton>(), 0, "button", "Add Signature...",
                     "Sign panel (CTRL-K)"},
                    {"signature_pane_button", is<wxt_colorbutton>(), 1017, "button", "Signature Details...",
                     "Signature details pane (CTRL-J)"}});
    windows m = bar->members();
    EXPECT_EQ(m["mark_button"]->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    EXPECT_FALSE(static_cast<wxBitmapButton*>(m["mark_button"])->GetBitmapCurrent().IsOk());
    EXPECT_EQ(m["message_label"]->GetFont().GetPointSize(), 12);
    EXPECT_EQ(m["add_signature_button"]->GetFont().GetPointSize(), 10);
    check_handlers(bar, m,
                   {{"on_bar_click", wxEVT_LEFT_UP, ""},
                    {"on_signature_details", wxEVT_BUTTON, "signature_details_button"},
                    {"on_timestamp_details", wxEVT_BUTTON, "timestamp_details_button"},
                    {"on_mark_button", wxEVT_BUTTON, "mark_button"},
                    {"on_add_signature", wxEVT_BUTTON, "add_signature_button"},
                    {"on_signature_pane", wxEVT_BUTTON, "signature_pane_button"}},
                   bar->calls);
}

TEST(homepage_base, controls_pages_and_handlers) {
    side_host h;
    auto* page = new probe_homepage(h.frame);
    EXPECT_EQ(page->GetName(), "homepage");
    EXPECT_EQ(page->GetBackgroundColour(), wxColour(50, 50, 50));
    std::vector<control_row> rows = {
        {"nav_panel", is<wxPanel>(), 0, "homepage_left", nullptr, nullptr},
        {"logo_bitmap", is<wxStaticBitmap>(), 0, "staticBitmap", nullptr, nullptr},
        {"recent_button", is<wxButton>(), 0, "button", "Recent", nullptr},
        {"settings_button", is<wxButton>(), 0, "button", "Settings", nullptr},
        {"trustlist_button", is<wxButton>(), 0, "button", "TrustList", nullptr},
        {"certstore_button", is<wxButton>(), 0, "button", "CertStore", nullptr},
        {"shortcut_button", is<wxButton>(), 0, "button", "Shortcut", nullptr},
        {"about_button", is<wxButton>(), 0, "button", "About", nullptr},
        {"switch_hint_label", is<wxStaticText>(), 0, "staticText", "CTRL-TAB Switch Panels", nullptr},
        {"page_book", is<wxSimplebook>(), 0, "", nullptr, nullptr},
        {"bottom_line", is<wxStaticLine>(), 0, "staticLine", nullptr, nullptr},
        {"donate_panel", is<wxPanel>(), 0, "panel", nullptr, nullptr},
        {"announce_bitmap", is<wxStaticBitmap>(), 0, "staticBitmap", nullptr, nullptr},
        {"donate_label", is<wxStaticText>(), 0, "staticText", "Free software, donate is welcome", nullptr},
        {"donate_button", is<wxt_bmpbutton_nofocus>(), 0, "button", nullptr, nullptr},
    };
    check_controls(page->members(), rows);
    const char* pages[][2] = {{"recent panel", "wn_recent"},       {"setting panel", "wn_setting"},
                              {"trustmgr panel", "wn_trustmgr"},   {"certstore panel", "wn_certstore"},
                              {"shortcut panel", "wn_shortcut"},   {"about panel", "wn_about"}};
    ASSERT_EQ(page->book()->GetPageCount(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(page->book()->GetPageText(i), pages[i][0]);
        EXPECT_EQ(page->book()->GetPage(i)->GetName(), pages[i][1]);
    }
    // The navigation buttons run top to bottom in page order.
    windows m = page->members();
    h.frame->Show();
    gui_test::settle(std::chrono::milliseconds(100));
    const char* order[] = {"recent_button", "settings_button", "trustlist_button",
                           "certstore_button", "shortcut_button", "about_button"};
    for (int i = 1; i < 6; ++i) EXPECT_LT(m[order[i - 1]]->GetPosition().y, m[order[i]]->GetPosition().y);
    for (const char* b : order) EXPECT_GE(m[b]->GetSize().y, 50);
    check_handlers(page, m,
                   {{"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_donate", wxEVT_BUTTON, "donate_button"}},
                   page->calls);
}

TEST(leftpanel_base, controls_tree_style_and_handlers) {
    side_host h;
    auto* pane = new probe_leftpanel(h.frame);
    check_controls(pane->members(), {{"title_label", is<wxStaticText>(), 0, "staticText", "Signatures Panel", nullptr},
                                     {"signature_tree", is<wxTreeCtrl>(), 1018, "treeCtrl", nullptr, nullptr}});
    for (long flag : {wxTR_HIDE_ROOT, wxTR_NO_LINES, wxTR_EDIT_LABELS, wxTR_TWIST_BUTTONS, wxTR_HAS_BUTTONS,
                      wxTR_LINES_AT_ROOT})
        EXPECT_TRUE(pane->tree()->HasFlag(flag)) << flag;
    h.frame->Show();
    gui_test::settle(std::chrono::milliseconds(100));
    EXPECT_GE(pane->members()["signature_tree"]->GetPosition().y, 40);
    check_handlers(pane, pane->members(),
                   {{"on_left_down", wxEVT_LEFT_DOWN, ""},
                    {"on_left_up", wxEVT_LEFT_UP, ""},
                    {"on_title_left_down", wxEVT_LEFT_DOWN, "title_label"},
                    {"on_title_left_up", wxEVT_LEFT_UP, "title_label"},
                    {"on_tree_left_down", wxEVT_LEFT_DOWN, "signature_tree"},
                    {"on_tree_left_up", wxEVT_LEFT_UP, "signature_tree"},
                    {"on_tree_begin_label_edit", wxEVT_TREE_BEGIN_LABEL_EDIT, "signature_tree"},
                    {"on_tree_item_collapsing", wxEVT_TREE_ITEM_COLLAPSING, "signature_tree"},
                    {"on_tree_item_expanding", wxEVT_TREE_ITEM_EXPANDING, "signature_tree"},
                    {"on_tree_sel_changed", wxEVT_TREE_SEL_CHANGED, "signature_tree"}},
                   pane->calls);
}

TEST(expandbar_base, both_arrows_share_one_tool_tip_and_handlers_reach_overrides) {
    side_host h;
    auto* bar = new probe_expandbar(h.frame);
    EXPECT_EQ(bar->GetName(), "expandbar-left");
    check_controls(bar->members(), {{"arrow_left_button", is<wxBitmapButton>(), 0, "button", nullptr,
                                     "Signature details pane (CTRL-J)"},
                                    {"arrow_right_button", is<wxBitmapButton>(), 0, "button", nullptr,
                                     "Signature details pane (CTRL-J)"}});
    check_handlers(bar, bar->members(),
                   {{"on_enter", wxEVT_ENTER_WINDOW, ""},
                    {"on_leave", wxEVT_LEAVE_WINDOW, ""},
                    {"on_left_down", wxEVT_LEFT_DOWN, ""},
                    {"on_left_up", wxEVT_LEFT_UP, ""},
                    {"on_arrow_click", wxEVT_BUTTON, "arrow_left_button"},
                    {"on_arrow_leave", wxEVT_LEAVE_WINDOW, "arrow_left_button"},
                    {"on_arrow2_click", wxEVT_BUTTON, "arrow_right_button"},
                    {"on_arrow2_leave", wxEVT_LEAVE_WINDOW, "arrow_right_button"}},
                   bar->calls);
}

TEST(side_forms, unhandled_events_go_on_to_default_handling) {
    side_host h;
    auto* pane = new left_panel(h.frame, wxDefaultPosition, wxSize(200, 300), wxEmptyString);
    wxCommandEvent e(wxEVT_BUTTON);
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetEventObject(pane);
    // The form's own body skips: nothing reports the event as handled.
    EXPECT_FALSE(pane->ProcessWindowEvent(up));
}

// ---------------------------------------------------------- resource holder

TEST(dynamic_resource, holds_the_doubled_pictures_and_is_never_shown) {
    const int asserts = gui_test::assert_count();
    auto* holder = new dynamic_resource(nullptr);
    EXPECT_EQ(holder->GetName(), "dialog");
    EXPECT_FALSE(holder->IsShown());
    EXPECT_EQ(holder->home_button->GetBitmap().GetSize(), wxSize(57, 56));
    EXPECT_EQ(holder->home_button->GetBitmapCurrent().GetSize(), wxSize(57, 56));
    EXPECT_EQ(holder->sign_panel_button->GetBitmap().GetSize(), wxSize(112, 56));
    EXPECT_EQ(holder->stamp_cloud_en_bitmap->GetBitmap().GetSize(), wxSize(216, 69));
    EXPECT_EQ(holder->stamp_cloud_en_bitmap_2x->GetBitmap().GetSize(), wxSize(300, 96));
    EXPECT_EQ(holder->sig_valid_bitmap->GetBitmap().GetSize(), wxSize(28, 28));
    EXPECT_EQ(holder->sig_valid_bitmap_2x->GetBitmap().GetSize(), wxSize(56, 56));
    EXPECT_EQ(holder->pen_bitmap->GetBitmap().GetSize(), wxSize(16, 16));
    EXPECT_EQ(holder->invalid_mark_bitmap->GetBitmap().GetSize(), wxSize(255, 256));
    EXPECT_EQ(holder->add_stamp_button->GetBitmapDisabled().GetSize(), wxSize(256, 256));
    EXPECT_FALSE(holder->recent_open_button->AcceptsFocusFromKeyboard());
    EXPECT_TRUE(holder->app_icon_bitmap->GetBitmap().IsOk());
    // The window icon is made from the application icon.
    wxIcon icon;
    icon.CopyFromBitmap(holder->app_icon_bitmap->GetBitmap());
    EXPECT_TRUE(icon.IsOk());
    holder->Destroy();
    gui_test::settle(std::chrono::milliseconds(20));
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// --------------------------------------------------------------- harness

TEST(harness, modal_dialogs_are_answered_by_the_test) {
    int answer = 0;
    wxTEST_DIALOG(answer = wxMessageBox("Continue?", "Velkorant", wxYES_NO),
                  wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_EQ(answer, wxYES);
}

// ---------------------------------------------------------------- gallery

// Saves a screenshot of each form for a person to look at (build/gallery).
TEST(gallery, main_window_and_side_forms) {
    auto* f = new probe_frame;
    f->record = false;
    // The whole window must fit the screen, also at 200 %.
    const wxSize screen = wxGetDisplaySize();
    f->SetSize(std::min(1280, screen.x - 40), std::min(800, screen.y - 60));
    f->Move(0, 0);
    f->book()->ChangeSelection(0);
    // Without a window manager the first map can land elsewhere and leave
    // stale pixels: show, settle and place again before the first picture.
    f->Show();
    gui_test::settle(std::chrono::milliseconds(300));
    f->Move(0, 0);
    f->Refresh();
    EXPECT_FALSE(gui_test::save_screenshot(f, "frame_home").empty());
    f->book()->ChangeSelection(1);
    f->Layout();
    gui_test::save_screenshot(f, "frame_document");
    windows m = f->members();
    gui_test::save_screenshot(m["toolbar_panel"], "toolbar");
    gui_test::save_screenshot(m["info_bar"], "infobar");
    gui_test::save_screenshot(m["signatures_panel"], "left_panel");
    gui_test::save_screenshot(m["left_expandbar"], "expandbar_left");
    f->book()->ChangeSelection(0);
    f->Layout();
    gui_test::save_screenshot(m["home_page"], "homepage");
    f->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

}  // namespace
