// The panel forms of the side bar and of the home page: controls, texts,
// ids, names, initial states, pictures and handler wiring, each checked
// against a table of the form; layout at the size the form is shown at;
// building and destroying without toolkit asserts; the gallery.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/sizer.h>

#include "forms/about_base.h"
#include "forms/certstore_base.h"
#include "forms/listrow_base.h"
#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "forms/recent_base.h"
#include "forms/setting_base.h"
#include "forms/shortcut_base.h"
#include "forms/sign_panel_base.h"
#include "forms/stamp_panel_base.h"
#include "forms/trustmgr_base.h"
#include "gui/form_checks.h"
#include "gui/gui_harness.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_bmpbutton_nofocus.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

using form_checks::handler_row;
using form_checks::is;
using form_checks::kind_test;
using form_checks::recorder;
using form_checks::text_of;
using form_checks::windows;

// One control as its form describes it. text: label or value (nullptr: not
// checked; wrapped at a width, line breaks stand in for spaces); tip: tool
// tip (nullptr: none).
struct control_row {
    const char* member;
    kind_test kind;
    const char* name;
    const char* text;
    const char* tip;
};

// The table names every member; every control has a toolkit-made id.
void check_controls(const windows& members, const std::vector<control_row>& rows) {
    form_checks::check_rows(members, rows, true, [](const control_row& r) {
        form_checks::control_expectation e;
        e.kind = r.kind;
        e.toolkit_id = true;
        e.name = r.name;
        if (r.text) e.text = wxString::FromUTF8(r.text);
        e.text_may_wrap = true;
        e.tip = r.tip;
        return e;
    });
}

// The panels' size handlers let the event go on to lay the form out.
void check_panel_handlers(wxWindow* form, const windows& members, const std::vector<handler_row>& rows,
                    std::vector<std::string>& calls, std::vector<wxObject*>& objects) {
    form_checks::check_handlers(form, members, rows, calls, objects, form_checks::size_events::size_may_cascade);
}

// The same picture: same size and the same pixels and alpha.
bool same_picture(const wxBitmap& shown, const wxBitmap& expected) {
    if (!shown.IsOk() || !expected.IsOk() || shown.GetSize() != expected.GetSize()) return false;
    const wxImage a = shown.ConvertToImage(), b = expected.ConvertToImage();
    const size_t n = static_cast<size_t>(a.GetWidth()) * a.GetHeight();
    if (std::memcmp(a.GetData(), b.GetData(), n * 3) != 0) return false;
    if (a.HasAlpha() != b.HasAlpha()) return false;
    return !a.HasAlpha() || std::memcmp(a.GetAlpha(), b.GetAlpha(), n) == 0;
}

wxBitmap picture_of(wxWindow* w) {
    if (auto* s = dynamic_cast<wxStaticBitmap*>(w)) return s->GetBitmap();
    if (auto* b = dynamic_cast<wxAnyButton*>(w)) return b->GetBitmap();
    return wxBitmap();
}

// Shown descendants with no area.
std::vector<std::string> empty_controls(wxWindow* parent) {
    std::vector<std::string> found;
    for (wxWindow* child : parent->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown()) continue;
        const wxSize s = child->GetSize();
        if (s.x <= 0 || s.y <= 0) {
            // An empty label has nothing to show; the form leaves such cells blank on purpose.
            auto* label = dynamic_cast<wxStaticText*>(child);
            if (!label || !label->GetLabel().empty())
                found.push_back(wxString(child->GetClassInfo()->GetClassName()).utf8_string() + " \"" +
                                child->GetLabel().utf8_string() + "\"");
        }
        for (const std::string& f : empty_controls(child)) found.push_back(f);
    }
    return found;
}

// A frame that hosts one form at the size it is shown at in the program,
// clipped to the screen (the gallery also runs at 200 %).
struct host {
    wxFrame* frame;
    explicit host(const wxSize& size) {
        const wxSize screen = wxGetDisplaySize();
        frame = new wxFrame(nullptr, wxID_ANY, "panel forms", wxPoint(0, 0),
                            wxSize(std::min(size.x, screen.x - 40), std::min(size.y, screen.y - 60)));
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
    }
    // Holds the form, widening the frame where the form needs more than the
    // asked size to show whole.
    void hold(wxWindow* form) {
        frame->GetSizer()->Add(form, 1, wxEXPAND);
        const wxSize screen = wxGetDisplaySize();
        const wxSize client = frame->GetClientSize();
        // A scrolled window reports a small best size: ask its sizer.
        int needed = form->GetBestSize().x;
        for (wxWindow* child : form->GetChildren())
            if (dynamic_cast<wxScrolledWindow*>(child) && child->GetSizer())
                needed = std::max(needed, child->GetSizer()->GetMinSize().x + 10);
        needed = std::min(needed, screen.x - 40);
        if (needed > client.x) frame->SetClientSize(needed, client.y);
        frame->Layout();
    }
    ~host() {
        frame->Destroy();
        gui_test::settle(std::chrono::milliseconds(30));
    }
};

void expect_sound_layout(wxWindow* form) {
    wxGetTopLevelParent(form)->Show();
    form->GetParent()->Layout();
    gui_test::settle(std::chrono::milliseconds(100));
    for (const std::string& f : gui_test::layout_faults(form)) ADD_FAILURE() << f;
    for (const std::string& f : empty_controls(form)) ADD_FAILURE() << f << " has no area";
}

// Sizes the forms are shown at: the side panels in the main window's side
// bar, the pages in the home page's book, a recent-files row as its page
// makes it.
const wxSize side_size(360, 1000);
const wxSize page_size(1000, 800);

const wxColour white(255, 255, 255);
const wxColour side_grey(60, 60, 60);
const wxColour page_grey(50, 50, 50);

// ---------------------------------------------------------------- sign_panel

class probe_sign_panel : public sign_panel_base, public recorder {
public:
    explicit probe_sign_panel(wxWindow* parent) : sign_panel_base(parent, wxID_ANY, wxDefaultPosition, wxSize(360, -1)) {}
    windows members() const {
        return {{"body_panel", body_panel},
                {"title_label", title_label},
                {"hint_label", hint_label},
                {"stamp_list_panel", stamp_list_panel},
                {"add_stamp_button", add_stamp_button},
                {"add_stamp_small_button", add_stamp_small_button},
                {"top_stamp_button", top_stamp_button},
                {"remove_stamp_button", remove_stamp_button},
                {"selected_caption_label", selected_caption_label},
                {"selected_stamp_label", selected_stamp_label},
                {"subject_caption_label", subject_caption_label},
                {"subject_label", subject_label},
                {"separator_line", separator_line},
                {"certify_mode_radio", certify_mode_radio},
                {"sign_mode_radio", sign_mode_radio},
                {"permission_label", permission_label},
                {"permission_text", permission_text},
                {"lock_document_check", lock_document_check},
                {"sign_result_label", sign_result_label},
                {"password_text", password_text},
                {"start_sign_button", start_sign_button}};
    }
    RECORD_SKIP(on_size, wxSizeEvent)
    RECORD(on_title_left_down, wxMouseEvent)
    RECORD(on_title_left_up, wxMouseEvent)
    RECORD(on_hint_left_down, wxMouseEvent)
    RECORD(on_hint_left_up, wxMouseEvent)
    RECORD(on_list_left_down, wxMouseEvent)
    RECORD(on_list_left_up, wxMouseEvent)
    RECORD(on_add_stamp, wxCommandEvent)
    RECORD(on_add_stamp_right_up, wxMouseEvent)
    RECORD(on_add_stamp_small, wxCommandEvent)
    RECORD(on_top_stamp, wxCommandEvent)
    RECORD(on_remove_stamp, wxCommandEvent)
    RECORD(on_certify_mode, wxCommandEvent)
    RECORD(on_sign_mode, wxCommandEvent)
    RECORD(on_lock_document, wxCommandEvent)
    RECORD(on_start_sign, wxCommandEvent)
};

TEST(sign_panel_base, controls_states_pictures_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(side_size);
        auto* p = new probe_sign_panel(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetBackgroundColour(), side_grey);
        const char* add_tip = "Add a new certificate stamp";
        check_controls(
            p->members(),
            {{"body_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
             {"title_label", is<wxStaticText>(), "staticText", "Signature Make Panel", nullptr},
             {"hint_label", is<wxStaticText>(), "staticText",
              "Select a stamp, then drag a rectangel in a page.\nRight click view/modify stamp detail info.\n",
              nullptr},
             {"stamp_list_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
             {"add_stamp_button", is<wxBitmapButton>(), "button", nullptr, add_tip},
             {"add_stamp_small_button", is<wxBitmapButton>(), "button", nullptr, add_tip},
             {"top_stamp_button", is<wxBitmapButton>(), "button", nullptr, "Top the selected certificate stamp"},
             {"remove_stamp_button", is<wxBitmapButton>(), "button", nullptr,
              "Remove the selected certificate stamp"},
             {"selected_caption_label", is<wxStaticText>(), "staticText", "Selected: ", nullptr},
             {"selected_stamp_label", is<wxStaticText>(), "staticText", "MyLabel", nullptr},
             {"subject_caption_label", is<wxStaticText>(), "staticText", "Subject: ", nullptr},
             {"subject_label", is<wxStaticText>(), "staticText", "MyLabel", nullptr},
             {"separator_line", is<wxStaticLine>(), "staticLine", nullptr, nullptr},
             {"certify_mode_radio", is<wxRadioButton>(), "radioButton", "Certify mode",
              "if you are the author of this file"},
             {"sign_mode_radio", is<wxRadioButton>(), "radioButton", "Sign mode", "countersign this file"},
             {"permission_label", is<wxStaticText>(), "staticText", "certify permission", nullptr},
             {"permission_text", is<wxTextCtrl>(), "text", "", nullptr},
             {"lock_document_check", is<wxCheckBox>(), "check", "Lock document after signing", nullptr},
             {"sign_result_label", is<wxt_active_textctrl>(), "staticText", "sign succeed / error msg", nullptr},
             {"password_text", is<wxTextCtrl>(), "text", "", nullptr},
             {"start_sign_button", is<wxt_colorbutton>(), "button", "Start Sign", nullptr}});
        windows m = p->members();
        auto* certify = static_cast<wxRadioButton*>(m["certify_mode_radio"]);
        auto* sign = static_cast<wxRadioButton*>(m["sign_mode_radio"]);
        EXPECT_TRUE(certify->GetValue());
        EXPECT_FALSE(sign->GetValue());
        EXPECT_TRUE(certify->HasFlag(wxRB_GROUP));
        sign->SetValue(true);
        EXPECT_FALSE(certify->GetValue()) << "one radio group";
        EXPECT_FALSE(static_cast<wxCheckBox*>(m["lock_document_check"])->GetValue());
        EXPECT_TRUE(m["password_text"]->HasFlag(wxTE_PASSWORD));
        EXPECT_TRUE(m["subject_label"]->HasFlag(wxST_ELLIPSIZE_MIDDLE));
        EXPECT_TRUE(m["hint_label"]->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
        EXPECT_FALSE(m["stamp_list_panel"]->HasFlag(wxHSCROLL));
        EXPECT_EQ(m["stamp_list_panel"]->GetMinSize().y, 320);
        EXPECT_EQ(m["title_label"]->GetMaxSize().y, 40);
        EXPECT_EQ(m["title_label"]->GetFont().GetPointSize(), 10);
        EXPECT_EQ(m["title_label"]->GetFont().GetFaceName(), "Segoe UI");
        EXPECT_EQ(m["start_sign_button"]->GetFont().GetPointSize(), 12);
        EXPECT_EQ(m["start_sign_button"]->GetMinSize().y, 40);
        for (const char* white_text : {"title_label", "hint_label", "subject_label", "certify_mode_radio",
                                       "lock_document_check", "sign_result_label"})
            EXPECT_EQ(m[white_text]->GetForegroundColour(), white) << white_text;
        auto* add = static_cast<wxBitmapButton*>(m["add_stamp_button"]);
        EXPECT_EQ(add->GetParent(), m["stamp_list_panel"]);
        EXPECT_TRUE(same_picture(add->GetBitmap(), bitmap_add_stamp_128()));
        EXPECT_TRUE(same_picture(add->GetBitmapCurrent(), bitmap_add_stamp_hover_128()));
        EXPECT_TRUE(same_picture(add->GetBitmapFocus(), bitmap_add_stamp_hover_128()));
        EXPECT_TRUE(same_picture(picture_of(m["top_stamp_button"]), bitmap_move_top_32()));
        EXPECT_TRUE(same_picture(static_cast<wxBitmapButton*>(m["top_stamp_button"])->GetBitmapCurrent(),
                                 bitmap_move_top_hover_32()));
        EXPECT_TRUE(same_picture(picture_of(m["remove_stamp_button"]), bitmap_minus_32()));
        EXPECT_TRUE(same_picture(picture_of(m["add_stamp_small_button"]), bitmap_plus_32()));
        expect_sound_layout(p);
        check_panel_handlers(p, m,
                             {{"on_size", wxEVT_SIZE, ""},
                              {"on_title_left_down", wxEVT_LEFT_DOWN, "body_panel"},
                              {"on_title_left_up", wxEVT_LEFT_UP, "body_panel"},
                              {"on_hint_left_down", wxEVT_LEFT_DOWN, "hint_label"},
                              {"on_hint_left_up", wxEVT_LEFT_UP, "hint_label"},
                              {"on_list_left_down", wxEVT_LEFT_DOWN, "stamp_list_panel"},
                              {"on_list_left_up", wxEVT_LEFT_UP, "stamp_list_panel"},
                              {"on_add_stamp", wxEVT_BUTTON, "add_stamp_button"},
                              {"on_add_stamp_right_up", wxEVT_RIGHT_UP, "add_stamp_button"},
                              {"on_add_stamp_small", wxEVT_BUTTON, "add_stamp_small_button"},
                              {"on_top_stamp", wxEVT_BUTTON, "top_stamp_button"},
                              {"on_remove_stamp", wxEVT_BUTTON, "remove_stamp_button"},
                              {"on_certify_mode", wxEVT_RADIOBUTTON, "certify_mode_radio"},
                              {"on_sign_mode", wxEVT_RADIOBUTTON, "sign_mode_radio"},
                              {"on_lock_document", wxEVT_CHECKBOX, "lock_document_check"},
                              {"on_start_sign", wxEVT_BUTTON, "start_sign_button"}},
                             p->calls, p->objects);
        // The title has no handler of its own: its clicks reach nothing.
        EXPECT_TRUE(form_checks::reaches_no_handler(m["title_label"], wxEVT_LEFT_UP, p->calls));
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// --------------------------------------------------------------- stamp_panel

class probe_stamp_panel : public stamp_panel_base, public recorder {
public:
    explicit probe_stamp_panel(wxWindow* parent) : stamp_panel_base(parent) {}
    windows members() const {
        return {{"scroll_panel", scroll_panel},
                {"title_label", title_label},
                {"cloud_note_label", cloud_note_label},
                {"local_signing_button", local_signing_button},
                {"cloud_signing_button", cloud_signing_button},
                {"stamp_name_bitmap", stamp_name_bitmap},
                {"stamp_name_label", stamp_name_label},
                {"stamp_name_text", stamp_name_text},
                {"stamp_name_tip_label", stamp_name_tip_label},
                {"signing_book", signing_book},
                {"local_page", local_page},
                {"stamp_image_panel", stamp_image_panel},
                {"stamp_image_bitmap", stamp_image_bitmap},
                {"stamp_image_label", stamp_image_label},
                {"visible_radio", visible_radio},
                {"invisible_radio", invisible_radio},
                {"stamp_image_hint_label", stamp_image_hint_label},
                {"stamp_image_button", stamp_image_button},
                {"certificate_bitmap", certificate_bitmap},
                {"certificate_label", certificate_label},
                {"create_import_link", create_import_link},
                {"certificate_hint_label", certificate_hint_label},
                {"store_certificate_label", store_certificate_label},
                {"store_certificate_text", store_certificate_text},
                {"select_certificate_button", select_certificate_button},
                {"certificate_state_label", certificate_state_label},
                {"certificate_status_label", certificate_status_label},
                {"certificate_info_bitmap", certificate_info_bitmap},
                {"cloud_page", cloud_page},
                {"timestamp_radio", timestamp_radio},
                {"timestamp_setting_link", timestamp_setting_link},
                {"tsurl_label", tsurl_label},
                {"tsurl_combo", tsurl_combo},
                {"cloud_account_radio", cloud_account_radio},
                {"cloud_address_label", cloud_address_label},
                {"cloud_address_text", cloud_address_text},
                {"cloud_user_label", cloud_user_label},
                {"cloud_user_text", cloud_user_text},
                {"cloud_password_label", cloud_password_label},
                {"cloud_password_text", cloud_password_text},
                {"cloud_services_label", cloud_services_label},
                {"cloud_services_panel", cloud_services_panel},
                {"product_logo_bitmap", product_logo_bitmap},
                {"other_bitmap", other_bitmap},
                {"other_label", other_label},
                {"expand_other_check", expand_other_check},
                {"reason_label", reason_label},
                {"reason_text", reason_text},
                {"location_label", location_label},
                {"location_text", location_text},
                {"contact_label", contact_label},
                {"contact_text", contact_text},
                {"contact_hint_label", contact_hint_label},
                {"result_tip_label", result_tip_label},
                {"save_button", save_button},
                {"cancel_button", cancel_button},
                {"service_logo_bitmap", service_logo_bitmap}};
    }
    wxSimplebook* book() const { return signing_book; }
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD_SKIP(on_size, wxSizeEvent)
    RECORD(on_title_left_down, wxMouseEvent)
    RECORD(on_title_left_up, wxMouseEvent)
    RECORD(on_local_signing, wxCommandEvent)
    RECORD(on_cloud_signing, wxCommandEvent)
    RECORD(on_stamp_name, wxCommandEvent)
    RECORD(on_visible, wxCommandEvent)
    RECORD(on_invisible, wxCommandEvent)
    RECORD(on_stamp_image, wxCommandEvent)
    RECORD(on_create_import, wxMouseEvent)
    RECORD(on_select_certificate, wxCommandEvent)
    RECORD(on_certificate_info, wxMouseEvent)
    RECORD(on_timestamp_mode, wxCommandEvent)
    RECORD(on_timestamp_setting, wxMouseEvent)
    RECORD(on_tsurl_select, wxCommandEvent)
    RECORD(on_tsurl_dropdown, wxCommandEvent)
    RECORD(on_cloud_account, wxCommandEvent)
    RECORD(on_expand_other, wxCommandEvent)
    RECORD(on_save, wxCommandEvent)
    RECORD(on_cancel, wxCommandEvent)
};

TEST(stamp_panel_base, controls_pages_states_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(wxSize(520, 1000));
        auto* p = new probe_stamp_panel(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetBackgroundColour(), side_grey);
        const auto label = is<wxStaticText>();
        const auto tip = is<wxt_active_textctrl>();
        const auto bitmap = is<wxStaticBitmap>();
        const auto text = is<wxTextCtrl>();
        const auto radio = is<wxRadioButton>();
        const auto colour_button = is<wxt_colorbutton>();
        const auto panel = is<wxPanel>();
        check_controls(
            p->members(),
            {{"scroll_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
             {"title_label", label, "staticText", "Stamp Make Panel", nullptr},
             {"cloud_note_label", label, "staticText",
              "Cloud Signing won't upload your document to server,\nit only caculate a digest and request a "
              "signature from server.",
              nullptr},
             {"local_signing_button", colour_button, "button", "Local Signing", nullptr},
             {"cloud_signing_button", colour_button, "button", "Cloud Signing", nullptr},
             {"stamp_name_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"stamp_name_label", label, "staticText", "Stamp name", nullptr},
             {"stamp_name_text", text, "text", "", nullptr},
             {"stamp_name_tip_label", tip, "staticText", "Empty", nullptr},
             {"signing_book", is<wxSimplebook>(), "", nullptr, nullptr},
             {"local_page", panel, "panel", nullptr, nullptr},
             {"stamp_image_panel", panel, "panel", nullptr, nullptr},
             {"stamp_image_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"stamp_image_label", label, "staticText", "Stamp image", nullptr},
             {"visible_radio", radio, "radioButton", "visible", nullptr},
             {"invisible_radio", radio, "radioButton", "invisible", nullptr},
             {"stamp_image_hint_label", tip, "staticText",
              "* For visible signature, it is required.\nClick the image to add a PNG image / modify image for the "
              "stamp.",
              nullptr},
             {"stamp_image_button", is<wxBitmapButton>(), "button", nullptr, nullptr},
             {"certificate_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"certificate_label", label, "staticText", "Certificate", nullptr},
             {"create_import_link", is<wxt_hyperlink>(), "staticText", "Create/Import...", nullptr},
             {"certificate_hint_label", tip, "staticText", "* Select a signing certificate from certificate store.",
              nullptr},
             {"store_certificate_label", label, "staticText", "Store certificate:", nullptr},
             {"store_certificate_text", text, "text", "", nullptr},
             {"select_certificate_button", colour_button, "button", "Select", nullptr},
             {"certificate_state_label", label, "staticText", "Certificate state:", nullptr},
             {"certificate_status_label", tip, "staticText", "this certificate is EXPIRED!this certificate is EXPIRED",
              nullptr},
             {"certificate_info_bitmap", bitmap, "staticBitmap", nullptr, "Certificate detail infomation"},
             {"cloud_page", panel, "panel", nullptr, nullptr},
             {"timestamp_radio", radio, "radioButton", "Timestamp", nullptr},
             {"timestamp_setting_link", is<wxt_hyperlink>(), "staticText", "Setting...", nullptr},
             {"tsurl_label", label, "staticText", "Timestamp url *", nullptr},
             {"tsurl_combo", is<wxComboBox>(), "comboBox", nullptr, nullptr},
             {"cloud_account_radio", radio, "radioButton", "Cloud account", nullptr},
             {"cloud_address_label", label, "staticText", "Address *", nullptr},
             {"cloud_address_text", text, "text", "", nullptr},
             {"cloud_user_label", label, "staticText", "User name *", nullptr},
             {"cloud_user_text", text, "text", "", nullptr},
             {"cloud_password_label", label, "staticText", "Password *", nullptr},
             {"cloud_password_text", text, "text", "", nullptr},
             {"cloud_services_label", label, "staticText", "Supported Cloud signing service", nullptr},
             {"cloud_services_panel", panel, "panel", nullptr, nullptr},
             {"product_logo_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"other_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"other_label", label, "staticText", "Other information [optional]", nullptr},
             {"expand_other_check", is<wxCheckBox>(), "check", "Expand", nullptr},
             {"reason_label", label, "staticText", "Reason: ", nullptr},
             {"reason_text", text, "text", "", nullptr},
             {"location_label", label, "staticText", "Location: ", nullptr},
             {"location_text", text, "text", "", nullptr},
             {"contact_label", label, "staticText", "Contact: ", nullptr},
             {"contact_text", text, "text", "", nullptr},
             {"contact_hint_label", label, "staticText", "email / tel no...", nullptr},
             {"result_tip_label", tip, "staticText", "result remind tip", nullptr},
             {"save_button", colour_button, "button", "Save", nullptr},
             {"cancel_button", colour_button, "button", "Cancel", nullptr},
             {"service_logo_bitmap", bitmap, "staticBitmap", nullptr, nullptr}});
        windows m = p->members();
        // Two pages, page texts never shown; the local page shows first.
        ASSERT_EQ(p->book()->GetPageCount(), 2u);
        EXPECT_EQ(p->book()->GetPage(0), m["local_page"]);
        EXPECT_EQ(p->book()->GetPage(1), m["cloud_page"]);
        EXPECT_EQ(p->book()->GetPageText(0), "a page");
        EXPECT_EQ(p->book()->GetSelection(), 0);
        // Initial states and the two radio groups.
        auto value = [&](const char* member) { return static_cast<wxRadioButton*>(m[member])->GetValue(); };
        EXPECT_TRUE(value("visible_radio"));
        EXPECT_FALSE(value("invisible_radio"));
        EXPECT_TRUE(value("timestamp_radio"));
        EXPECT_FALSE(value("cloud_account_radio"));
        static_cast<wxRadioButton*>(m["cloud_account_radio"])->SetValue(true);
        EXPECT_FALSE(value("timestamp_radio"));
        EXPECT_TRUE(value("visible_radio")) << "the groups are independent";
        EXPECT_TRUE(static_cast<wxCheckBox*>(m["expand_other_check"])->GetValue());
        auto* combo = static_cast<wxComboBox*>(m["tsurl_combo"]);
        EXPECT_EQ(combo->GetCount(), 0u);
        EXPECT_TRUE(combo->HasFlag(wxCB_READONLY));
        EXPECT_TRUE(m["store_certificate_text"]->HasFlag(wxTE_READONLY));
        EXPECT_TRUE(m["cloud_password_text"]->HasFlag(wxTE_PASSWORD));
        // Lengths: 128 for the stamp name, 255 for the other entries.
        for (auto [member, limit] : std::vector<std::pair<const char*, size_t>>{
                 {"stamp_name_text", 128}, {"reason_text", 255}, {"location_text", 255}, {"contact_text", 255},
                 {"cloud_address_text", 255}, {"cloud_user_text", 255}, {"cloud_password_text", 255}}) {
            auto* t = static_cast<wxTextCtrl*>(m[member]);
            t->WriteText(wxString(wxUniChar('x'), limit));
            t->SetInsertionPointEnd();
            t->WriteText("y");
            EXPECT_EQ(t->GetValue(), wxString(wxUniChar('x'), limit)) << member;
            t->ChangeValue(wxString());
        }
        // Colours, fonts and pictures.
        EXPECT_EQ(m["local_signing_button"]->GetBackgroundColour(), wxColour(40, 200, 49));
        EXPECT_EQ(m["cloud_signing_button"]->GetBackgroundColour(), wxColour(192, 192, 192));
        EXPECT_EQ(m["local_signing_button"]->GetMinSize(), wxSize(150, 30));
        EXPECT_EQ(m["local_signing_button"]->GetSize().y, 30);
        EXPECT_EQ(m["certificate_status_label"]->GetForegroundColour(), wxColour(255, 0, 0));
        EXPECT_EQ(m["other_label"]->GetForegroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
        EXPECT_TRUE(m["create_import_link"]->GetFont().GetUnderlined());
        EXPECT_TRUE(m["timestamp_setting_link"]->GetFont().GetUnderlined());
        EXPECT_EQ(m["title_label"]->GetFont().GetPointSize(), 10);
        EXPECT_EQ(m["save_button"]->GetMinSize().y, 40);
        EXPECT_EQ(m["cancel_button"]->GetMinSize().y, 40);
        auto* image = static_cast<wxBitmapButton*>(m["stamp_image_button"]);
        EXPECT_TRUE(same_picture(image->GetBitmap(), bitmap_add_stamp_128()));
        EXPECT_TRUE(same_picture(image->GetBitmapDisabled(), bitmap_add_stamp_disabled_128()));
        EXPECT_TRUE(same_picture(image->GetBitmapCurrent(), bitmap_add_stamp_hover_128()));
        const std::pair<const char*, wxBitmap*> pictures[] = {
            {"stamp_name_bitmap", &bitmap_user_32()},       {"stamp_image_bitmap", &bitmap_stamp_32()},
            {"certificate_bitmap", &bitmap_certificate_32()}, {"certificate_info_bitmap", &bitmap_info_32()},
            {"product_logo_bitmap", &bitmap_logo_103x30()}, {"service_logo_bitmap", &bitmap_ca_logo_124x33()},
            {"other_bitmap", &bitmap_flag_32()}};
        for (const auto& [member, expected] : pictures)
            EXPECT_TRUE(same_picture(picture_of(m[member]), *expected)) << member;
        // Save is the default item of the window that holds the panel.
        EXPECT_EQ(h.frame->GetDefaultItem(), m["save_button"]);
        // Both pages lay out soundly; the cloud page exists from the start.
        expect_sound_layout(p);
        p->book()->ChangeSelection(1);
        expect_sound_layout(p);
        EXPECT_TRUE(m["cloud_password_text"]->IsShownOnScreen());
        p->book()->ChangeSelection(0);
        check_panel_handlers(p, m,
                             {{"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                              {"on_size", wxEVT_SIZE, ""},
                              {"on_title_left_down", wxEVT_LEFT_DOWN, "scroll_panel"},
                              {"on_title_left_up", wxEVT_LEFT_UP, "scroll_panel"},
                              {"on_local_signing", wxEVT_BUTTON, "local_signing_button"},
                              {"on_cloud_signing", wxEVT_BUTTON, "cloud_signing_button"},
                              {"on_stamp_name", wxEVT_TEXT, "stamp_name_text"},
                              {"on_visible", wxEVT_RADIOBUTTON, "visible_radio"},
                              {"on_invisible", wxEVT_RADIOBUTTON, "invisible_radio"},
                              {"on_stamp_image", wxEVT_BUTTON, "stamp_image_button"},
                              {"on_create_import", wxEVT_LEFT_UP, "create_import_link"},
                              {"on_select_certificate", wxEVT_BUTTON, "select_certificate_button"},
                              {"on_certificate_info", wxEVT_LEFT_UP, "certificate_info_bitmap"},
                              {"on_timestamp_mode", wxEVT_RADIOBUTTON, "timestamp_radio"},
                              {"on_timestamp_setting", wxEVT_LEFT_UP, "timestamp_setting_link"},
                              {"on_tsurl_select", wxEVT_COMBOBOX, "tsurl_combo"},
                              {"on_tsurl_dropdown", wxEVT_COMBOBOX_DROPDOWN, "tsurl_combo"},
                              {"on_cloud_account", wxEVT_RADIOBUTTON, "cloud_account_radio"},
                              {"on_expand_other", wxEVT_CHECKBOX, "expand_other_check"},
                              {"on_save", wxEVT_BUTTON, "save_button"},
                              {"on_cancel", wxEVT_BUTTON, "cancel_button"}},
                             p->calls, p->objects);
        // Typing into the stamp name reaches its handler.
        p->calls.clear();
        static_cast<wxTextCtrl*>(m["stamp_name_text"])->SetValue("seal");
        EXPECT_EQ(p->calls, std::vector<std::string>{"on_stamp_name"});
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// ------------------------------------------------------------------ settings

class probe_setting : public setting_base, public recorder {
public:
    explicit probe_setting(wxWindow* parent)
        : setting_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_setting") {}
    windows members() const {
        return {{"body_panel", body_panel},
                {"general_bitmap", general_bitmap},
                {"general_label", general_label},
                {"check_update_check", check_update_check},
                {"open_recent_check", open_recent_check},
                {"remember_position_check", remember_position_check},
                {"page_size_label", page_size_label},
                {"full_page_radio", full_page_radio},
                {"full_width_radio", full_width_radio},
                {"full_height_radio", full_height_radio},
                {"associate_files_check", associate_files_check},
                {"text_style_label", text_style_label},
                {"reopen_note_label", reopen_note_label},
                {"text_compact_radio", text_compact_radio},
                {"text_middle_radio", text_middle_radio},
                {"text_loose_radio", text_loose_radio},
                {"disable_tooltip_check", disable_tooltip_check},
                {"signing_bitmap", signing_bitmap},
                {"signing_label", signing_label},
                {"remember_client_cert_check", remember_client_cert_check},
                {"invalid_marker_check", invalid_marker_check},
                {"add_timestamp_check", add_timestamp_check},
                {"tsurl_label", tsurl_label},
                {"tsurl_combo", tsurl_combo},
                {"tsurl_delete_button", tsurl_delete_button},
                {"add_ltv_check", add_ltv_check},
                {"other_bitmap", other_bitmap},
                {"other_label", other_label},
                {"restart_note_label", restart_note_label},
                {"restart_button", restart_button},
                {"theme_label", theme_label},
                {"theme_dark_radio", theme_dark_radio},
                {"theme_light_radio", theme_light_radio},
                {"theme_system_radio", theme_system_radio},
                {"language_label", language_label},
                {"language_combo", language_combo}};
    }
    RECORD_SKIP(on_size, wxSizeEvent)
    RECORD(on_check_update, wxCommandEvent)
    RECORD(on_open_recent, wxCommandEvent)
    RECORD(on_remember_position, wxCommandEvent)
    RECORD(on_full_page, wxCommandEvent)
    RECORD(on_full_width, wxCommandEvent)
    RECORD(on_full_height, wxCommandEvent)
    RECORD(on_associate_files, wxCommandEvent)
    RECORD(on_text_compact, wxCommandEvent)
    RECORD(on_text_middle, wxCommandEvent)
    RECORD(on_text_loose, wxCommandEvent)
    RECORD(on_disable_tooltip, wxCommandEvent)
    RECORD(on_remember_client_cert, wxCommandEvent)
    RECORD(on_invalid_marker, wxCommandEvent)
    RECORD(on_add_timestamp, wxCommandEvent)
    RECORD(on_tsurl_select, wxCommandEvent)
    RECORD(on_tsurl_dropdown, wxCommandEvent)
    RECORD(on_tsurl_kill_focus, wxFocusEvent)
    RECORD(on_tsurl_delete, wxCommandEvent)
    RECORD(on_add_ltv, wxCommandEvent)
    RECORD(on_restart, wxCommandEvent)
    RECORD(on_theme_dark, wxCommandEvent)
    RECORD(on_theme_light, wxCommandEvent)
    RECORD(on_theme_system, wxCommandEvent)
    RECORD(on_language_select, wxCommandEvent)
    RECORD(on_language_kill_focus, wxFocusEvent)
};

TEST(setting_base, controls_states_groups_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_setting(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_setting");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        EXPECT_EQ(p->GetFont().GetPointSize(), 12);
        const auto label = is<wxStaticText>();
        const auto check = is<wxCheckBox>();
        const auto radio = is<wxRadioButton>();
        const auto bitmap = is<wxStaticBitmap>();
        check_controls(
            p->members(),
            {{"body_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
             {"general_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"general_label", label, "staticText", "General", nullptr},
             {"check_update_check", check, "check", "Check update at startup", nullptr},
             {"open_recent_check", check, "check", "Open recent opened file at startup", nullptr},
             {"remember_position_check", check, "check", "Remember window position and size", nullptr},
             {"page_size_label", label, "staticText", "Default page size", nullptr},
             {"full_page_radio", radio, "radioButton", "full page", nullptr},
             {"full_width_radio", radio, "radioButton", "full width", nullptr},
             {"full_height_radio", radio, "radioButton", "full height", nullptr},
             {"associate_files_check", check, "check",
              "Associate file type with this application(*.pdf *.cer *.crt)", nullptr},
             {"text_style_label", label, "staticText", "Text file style", nullptr},
             {"reopen_note_label", label, "staticText", "(need reopen file)", nullptr},
             {"text_compact_radio", radio, "radioButton", "compact", nullptr},
             {"text_middle_radio", radio, "radioButton", "middle", nullptr},
             {"text_loose_radio", radio, "radioButton", "loose", nullptr},
             {"disable_tooltip_check", check, "check", "Disable tooltip", nullptr},
             {"signing_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"signing_label", label, "staticText", "Signing and Verifying", nullptr},
             {"remember_client_cert_check", check, "check", "Remenber client certificate", nullptr},
             {"invalid_marker_check", check, "check", "Add a red fork marker on invalid signatures", nullptr},
             {"add_timestamp_check", check, "check", "Add timestamp in signature", nullptr},
             {"tsurl_label", label, "staticText", "Timestamp URLs", nullptr},
             {"tsurl_combo", is<wxComboBox>(), "comboBox", maker_timestamp_url,
              "URL begin with \"http(s)://\", up to 5 URLs, the newly added overrides the last"},
             {"tsurl_delete_button", is<wxt_colorbutton>(), "button", "Delete", nullptr},
             {"add_ltv_check", check, "check", "Add LTV", nullptr},
             {"other_bitmap", bitmap, "staticBitmap", nullptr, nullptr},
             {"other_label", label, "staticText", "Other", nullptr},
             {"restart_note_label", label, "staticText", "(need restart application)", nullptr},
             {"restart_button", is<wxt_colorbutton>(), "button", "Restart", nullptr},
             {"theme_label", label, "staticText", "Colour theme", nullptr},
             {"theme_dark_radio", radio, "radioButton", "Dark", nullptr},
             {"theme_light_radio", radio, "radioButton", "Light", nullptr},
             {"theme_system_radio", radio, "radioButton", "System", nullptr},
             {"language_label", label, "staticText", "Language", nullptr},
             {"language_combo", is<wxComboBox>(), "comboBox", "English", nullptr}});
        windows m = p->members();
        const std::pair<const char*, bool> checks[] = {
            {"check_update_check", false},        {"open_recent_check", true},     {"remember_position_check", true},
            {"associate_files_check", false},     {"disable_tooltip_check", false}, {"remember_client_cert_check", true},
            {"invalid_marker_check", false},      {"add_timestamp_check", true},    {"add_ltv_check", true}};
        for (const auto& [member, checked] : checks)
            EXPECT_EQ(static_cast<wxCheckBox*>(m[member])->GetValue(), checked) << member;
        // Three independent radio groups, each started by its first button.
        const std::vector<std::vector<const char*>> groups = {
            {"full_page_radio", "full_width_radio", "full_height_radio"},
            {"text_compact_radio", "text_middle_radio", "text_loose_radio"},
            {"theme_dark_radio", "theme_light_radio", "theme_system_radio"}};
        auto radio_of = [&](const char* member) { return static_cast<wxRadioButton*>(m[member]); };
        for (const auto& group : groups) {
            EXPECT_TRUE(radio_of(group[0])->HasFlag(wxRB_GROUP));
            EXPECT_FALSE(radio_of(group[1])->HasFlag(wxRB_GROUP));
            EXPECT_FALSE(radio_of(group[2])->HasFlag(wxRB_GROUP));
        }
        for (const auto& group : groups) radio_of(group[2])->SetValue(true);
        for (const auto& group : groups) {
            EXPECT_TRUE(radio_of(group[2])->GetValue()) << group[2];
            EXPECT_FALSE(radio_of(group[0])->GetValue()) << group[0];
        }
        auto* language = static_cast<wxComboBox*>(m["language_combo"]);
        EXPECT_TRUE(language->HasFlag(wxCB_READONLY));
        EXPECT_EQ(language->GetCount(), 1u);
        EXPECT_EQ(language->GetSelection(), 0);
        auto* tsurl = static_cast<wxComboBox*>(m["tsurl_combo"]);
        EXPECT_FALSE(tsurl->HasFlag(wxCB_READONLY));
        EXPECT_EQ(tsurl->GetCount(), 0u);
        EXPECT_EQ(tsurl->GetSize().x, 300);
        EXPECT_EQ(m["body_panel"]->GetMinSize().y, 600);
        EXPECT_FALSE(m["body_panel"]->HasFlag(wxHSCROLL));
        for (const auto& [member, w] : m) {
            if (dynamic_cast<wxStaticBitmap*>(w) || member == "body_panel") continue;
            EXPECT_EQ(w->GetForegroundColour(), white) << member;
        }
        EXPECT_TRUE(same_picture(picture_of(m["general_bitmap"]), bitmap_settings_general_28()));
        EXPECT_TRUE(same_picture(picture_of(m["signing_bitmap"]), bitmap_settings_sign_28x25()));
        EXPECT_TRUE(same_picture(picture_of(m["other_bitmap"]), bitmap_settings_other_28()));
        expect_sound_layout(p);
        // The column of groups keeps 8 of 10 parts of the width.
        const int column_left = m["general_bitmap"]->GetPosition().x;
        const int body_width = m["body_panel"]->GetClientSize().x;
        EXPECT_NEAR(column_left, body_width / 10 + 5, 8);
        check_panel_handlers(p, m,
                             {{"on_size", wxEVT_SIZE, ""},
                              {"on_check_update", wxEVT_CHECKBOX, "check_update_check"},
                              {"on_open_recent", wxEVT_CHECKBOX, "open_recent_check"},
                              {"on_remember_position", wxEVT_CHECKBOX, "remember_position_check"},
                              {"on_full_page", wxEVT_RADIOBUTTON, "full_page_radio"},
                              {"on_full_width", wxEVT_RADIOBUTTON, "full_width_radio"},
                              {"on_full_height", wxEVT_RADIOBUTTON, "full_height_radio"},
                              {"on_associate_files", wxEVT_CHECKBOX, "associate_files_check"},
                              {"on_text_compact", wxEVT_RADIOBUTTON, "text_compact_radio"},
                              {"on_text_middle", wxEVT_RADIOBUTTON, "text_middle_radio"},
                              {"on_text_loose", wxEVT_RADIOBUTTON, "text_loose_radio"},
                              {"on_disable_tooltip", wxEVT_CHECKBOX, "disable_tooltip_check"},
                              {"on_remember_client_cert", wxEVT_CHECKBOX, "remember_client_cert_check"},
                              {"on_invalid_marker", wxEVT_CHECKBOX, "invalid_marker_check"},
                              {"on_add_timestamp", wxEVT_CHECKBOX, "add_timestamp_check"},
                              {"on_tsurl_select", wxEVT_COMBOBOX, "tsurl_combo"},
                              {"on_tsurl_dropdown", wxEVT_COMBOBOX_DROPDOWN, "tsurl_combo"},
                              {"on_tsurl_kill_focus", wxEVT_KILL_FOCUS, "tsurl_combo"},
                              {"on_tsurl_delete", wxEVT_BUTTON, "tsurl_delete_button"},
                              {"on_add_ltv", wxEVT_CHECKBOX, "add_ltv_check"},
                              {"on_restart", wxEVT_BUTTON, "restart_button"},
                              {"on_theme_dark", wxEVT_RADIOBUTTON, "theme_dark_radio"},
                              {"on_theme_light", wxEVT_RADIOBUTTON, "theme_light_radio"},
                              {"on_theme_system", wxEVT_RADIOBUTTON, "theme_system_radio"},
                              {"on_language_select", wxEVT_COMBOBOX, "language_combo"},
                              {"on_language_kill_focus", wxEVT_KILL_FOCUS, "language_combo"}},
                             p->calls, p->objects);
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// ---------------------------------------------------- trust list, cert store

// The details grid and the list colours both list pages share.
std::vector<control_row> details_rows() {
    const auto label = is<wxStaticText>();
    return {{"subject_caption_label", label, "staticText", "Subject: ", nullptr},
            {"subject_value_label", label, "staticText", "MyLabel", nullptr},
            {"issuer_caption_label", label, "staticText", "Issuer: ", nullptr},
            {"issuer_value_label", label, "staticText", "MyLabel", nullptr},
            {"expired_caption_label", label, "staticText", "Expired: ", nullptr},
            {"expired_value_label", label, "staticText", "MyLabel", nullptr},
            {"sn_caption_label", label, "staticText", "Sn: ", nullptr},
            {"sn_value_label", label, "staticText", "MyLabel", nullptr}};
}

struct column_row {
    const char* title;
    bool icon;  // icon and text
    wxAlignment alignment;
    bool hidden;
};

void check_columns(wxDataViewListCtrl* list, const std::vector<wxDataViewColumn*>& members,
                   const std::vector<column_row>& rows) {
    ASSERT_EQ(list->GetColumnCount(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].title);
        wxDataViewColumn* c = list->GetColumn(i);
        EXPECT_EQ(c, members[i]);
        EXPECT_EQ(c->GetTitle(), rows[i].title);
        EXPECT_EQ(c->GetRenderer()->GetVariantType(), rows[i].icon ? "wxDataViewIconText" : "string");
        EXPECT_EQ(c->GetAlignment() & wxALIGN_CENTER_HORIZONTAL, rows[i].alignment & wxALIGN_CENTER_HORIZONTAL);
        EXPECT_EQ(c->IsHidden(), rows[i].hidden);
        EXPECT_EQ(c->IsSortable(), !rows[i].hidden);
        EXPECT_EQ(c->IsResizeable(), !rows[i].hidden);
    }
    EXPECT_EQ(list->GetName(), "dataviewCtrl");
    EXPECT_EQ(list->GetSize(), wxSize(700, 300));
    EXPECT_EQ(list->GetForegroundColour(), white);
    EXPECT_EQ(list->GetBackgroundColour(), wxColour(48, 48, 48));
    EXPECT_FALSE(list->HasFlag(wxDV_MULTIPLE));
}

class probe_trustmgr : public trustmgr_base, public recorder {
public:
    explicit probe_trustmgr(wxWindow* parent)
        : trustmgr_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_trustmgr") {}
    windows members() const {
        return {{"scroll_panel", scroll_panel},
                {"title_label", title_label},
                {"trust_source_link", trust_source_link},
                {"hint_label", hint_label},
                {"cert_list", cert_list},
                {"result_label", result_label},
                {"add_trusted_button", add_trusted_button},
                {"distrust_button", distrust_button},
                {"reset_button", reset_button},
                {"info_label", info_label},
                {"subject_caption_label", subject_caption_label},
                {"subject_value_label", subject_value_label},
                {"issuer_caption_label", issuer_caption_label},
                {"issuer_value_label", issuer_value_label},
                {"expired_caption_label", expired_caption_label},
                {"expired_value_label", expired_value_label},
                {"sn_caption_label", sn_caption_label},
                {"sn_value_label", sn_value_label}};
    }
    std::vector<wxDataViewColumn*> columns() const {
        return {key_column, name_column, issuer_column, source_column, expired_column};
    }
    wxDataViewListCtrl* list() const { return cert_list; }
    RECORD_SKIP(on_size, wxSizeEvent)
    RECORD(on_item_activated, wxDataViewEvent)
    RECORD(on_selection_changed, wxDataViewEvent)
    RECORD(on_list_kill_focus, wxFocusEvent)
    RECORD(on_add_trusted, wxCommandEvent)
    RECORD(on_distrust, wxCommandEvent)
    RECORD(on_reset, wxCommandEvent)
};

TEST(trustmgr_base, controls_columns_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_trustmgr(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_trustmgr");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        EXPECT_EQ(p->GetFont().GetPointSize(), 12);
        const auto label = is<wxStaticText>();
        std::vector<control_row> rows = {
            {"scroll_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
            {"title_label", label, "staticText", "Trusted Certificate are list here", nullptr},
            {"trust_source_link", is<wxt_hyperlink>(), "staticText",
             "Source of Trust obtained from Velkorant Approved Trust List(VATL)", nullptr},
            {"hint_label", label, "staticText",
             "You can also manually import certificates that your trust here.Double-Click/Enter\nto view details",
             nullptr},
            {"cert_list", is<wxDataViewListCtrl>(), "dataviewCtrl", nullptr, nullptr},
            {"result_label", label, "staticText", "Operation result!", nullptr},
            {"add_trusted_button", is<wxButton>(), "button", "Add Trusted Certificate", nullptr},
            {"distrust_button", is<wxButton>(), "button", "Distrust Selected Certificate", nullptr},
            {"reset_button", is<wxButton>(), "button", "Reset", nullptr},
            {"info_label", label, "staticText",
             "This is a list of the Digital Certificate that are available for you on this computer. They are used "
             "when you sign or verify a file. Only those files signed with trusted certificate can be successfully "
             "verified.",
             nullptr}};
        for (const control_row& r : details_rows()) rows.push_back(r);
        check_controls(p->members(), rows);
        check_columns(p->list(), p->columns(),
                      {{"Name", false, wxALIGN_LEFT, true},
                       {"Name", true, wxALIGN_LEFT, false},
                       {"Issuer", false, wxALIGN_LEFT, false},
                       {"Trust Source", true, wxALIGN_CENTER, false},
                       {"Expired", false, wxALIGN_CENTER, false}});
        windows m = p->members();
        EXPECT_EQ(m["title_label"]->GetFont().GetPointSize(), 14);
        const wxFont link = m["trust_source_link"]->GetFont();
        EXPECT_EQ(link.GetPointSize(), 9);
        EXPECT_EQ(link.GetStyle(), wxFONTSTYLE_ITALIC);
        EXPECT_TRUE(link.GetUnderlined());
        EXPECT_FALSE(m["hint_label"]->GetFont().GetUnderlined());
        EXPECT_EQ(m["result_label"]->GetFont().GetPointSize(), 10);
        EXPECT_FALSE(m["scroll_panel"]->HasFlag(wxHSCROLL));
        const std::pair<const char*, std::pair<wxBitmap*, wxBitmap*>> buttons[] = {
            {"add_trusted_button", {&bitmap_plus_32(), &bitmap_plus_hover_32()}},
            {"distrust_button", {&bitmap_minus_32(), &bitmap_minus_hover_32()}},
            {"reset_button", {&bitmap_reset_32(), &bitmap_reset_hover_32()}}};
        for (const auto& [member, pictures] : buttons) {
            auto* b = static_cast<wxButton*>(m[member]);
            EXPECT_TRUE(same_picture(b->GetBitmap(), *pictures.first)) << member;
            EXPECT_TRUE(same_picture(b->GetBitmapCurrent(), *pictures.second)) << member;
            EXPECT_TRUE(same_picture(b->GetBitmapFocus(), *pictures.second)) << member;
            EXPECT_EQ(b->GetBackgroundColour(), page_grey);
            EXPECT_EQ(b->GetForegroundColour(), white);
        }
        // A row carries five values, the first the hidden key.
        wxVector<wxVariant> row;
        row.push_back(wxVariant("key-1"));
        row.push_back(wxVariant(wxDataViewIconText("Alice")));
        row.push_back(wxVariant("Root CA"));
        row.push_back(wxVariant(wxDataViewIconText("VATL")));
        row.push_back(wxVariant("No"));
        p->list()->AppendItem(row);
        EXPECT_EQ(p->list()->GetTextValue(0, 0), "key-1");
        expect_sound_layout(p);
        check_panel_handlers(p, m,
                             {{"on_size", wxEVT_SIZE, ""},
                              {"on_item_activated", wxEVT_DATAVIEW_ITEM_ACTIVATED, "cert_list"},
                              {"on_selection_changed", wxEVT_DATAVIEW_SELECTION_CHANGED, "cert_list"},
                              {"on_list_kill_focus", wxEVT_KILL_FOCUS, "cert_list"},
                              {"on_add_trusted", wxEVT_BUTTON, "add_trusted_button"},
                              {"on_distrust", wxEVT_BUTTON, "distrust_button"},
                              {"on_reset", wxEVT_BUTTON, "reset_button"}},
                             p->calls, p->objects);
        // Only the page's own size event is connected.
        EXPECT_TRUE(form_checks::reaches_no_handler(m["cert_list"], wxEVT_SIZE, p->calls));
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

class probe_certstore : public certstore_base, public recorder {
public:
    explicit probe_certstore(wxWindow* parent)
        : certstore_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_certstore") {}
    windows members() const {
        return {{"scroll_panel", scroll_panel},
                {"title_label", title_label},
                {"hint_label", hint_label},
                {"cert_list", cert_list},
                {"result_label", result_label},
                {"create_import_button", create_import_button},
                {"remove_button", remove_button},
                {"refresh_button", refresh_button},
                {"subject_caption_label", subject_caption_label},
                {"subject_value_label", subject_value_label},
                {"issuer_caption_label", issuer_caption_label},
                {"issuer_value_label", issuer_value_label},
                {"expired_caption_label", expired_caption_label},
                {"expired_value_label", expired_value_label},
                {"sn_caption_label", sn_caption_label},
                {"sn_value_label", sn_value_label},
                {"info_label", info_label}};
    }
    std::vector<wxDataViewColumn*> columns() const { return {name_column, issuer_column, store_column, expired_column}; }
    wxDataViewListCtrl* list() const { return cert_list; }
    RECORD_SKIP(on_size, wxSizeEvent)
    RECORD(on_item_activated, wxDataViewEvent)
    RECORD(on_selection_changed, wxDataViewEvent)
    RECORD(on_list_kill_focus, wxFocusEvent)
    RECORD_SKIP(on_list_size, wxSizeEvent)
    RECORD(on_create_import, wxCommandEvent)
    RECORD(on_remove, wxCommandEvent)
    RECORD(on_refresh, wxCommandEvent)
};

TEST(certstore_base, controls_columns_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_certstore(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_certstore");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        const auto label = is<wxStaticText>();
        std::vector<control_row> rows = {
            {"scroll_panel", is<wxScrolledWindow>(), "panel", nullptr, nullptr},
            {"title_label", label, "staticText", "Store Certificates are list here", nullptr},
            {"hint_label", label, "staticText",
             "Certificates you can use it to sign files. Double-Click/Enter to view details", nullptr},
            {"cert_list", is<wxDataViewListCtrl>(), "dataviewCtrl", nullptr, nullptr},
            {"result_label", label, "staticText", "Operation result!", nullptr},
            {"create_import_button", is<wxButton>(), "button", "Create/Import", nullptr},
            {"remove_button", is<wxButton>(), "button", "Remove",
             "Remove from application certificate store, don't support remove it from system certificate store"},
            {"refresh_button", is<wxButton>(), "button", "Refresh", nullptr},
            {"info_label", label, "staticText",
             "This is a list of the Digital Certificate that are available for you on this computer. They are used "
             "when you sign or verify a file. ",
             nullptr}};
        for (const control_row& r : details_rows()) rows.push_back(r);
        check_controls(p->members(), rows);
        check_columns(p->list(), p->columns(),
                      {{"Name", true, wxALIGN_LEFT, false},
                       {"Issuer", false, wxALIGN_LEFT, false},
                       {"Store", false, wxALIGN_CENTER, false},
                       {"Expired", false, wxALIGN_CENTER, false}});
        windows m = p->members();
        EXPECT_TRUE(same_picture(static_cast<wxButton*>(m["refresh_button"])->GetBitmap(), bitmap_refresh_32()));
        EXPECT_TRUE(
            same_picture(static_cast<wxButton*>(m["refresh_button"])->GetBitmapCurrent(), bitmap_refresh_hover_32()));
        EXPECT_TRUE(same_picture(static_cast<wxButton*>(m["create_import_button"])->GetBitmap(), bitmap_plus_32()));
        EXPECT_TRUE(same_picture(static_cast<wxButton*>(m["remove_button"])->GetBitmap(), bitmap_minus_32()));
        expect_sound_layout(p);
        // The details grid sits above the explanation.
        EXPECT_LT(m["sn_value_label"]->GetPosition().y, m["info_label"]->GetPosition().y);
        check_panel_handlers(p, m,
                             {{"on_size", wxEVT_SIZE, ""},
                              {"on_item_activated", wxEVT_DATAVIEW_ITEM_ACTIVATED, "cert_list"},
                              {"on_selection_changed", wxEVT_DATAVIEW_SELECTION_CHANGED, "cert_list"},
                              {"on_list_kill_focus", wxEVT_KILL_FOCUS, "cert_list"},
                              {"on_list_size", wxEVT_SIZE, "cert_list"},
                              {"on_create_import", wxEVT_BUTTON, "create_import_button"},
                              {"on_remove", wxEVT_BUTTON, "remove_button"},
                              {"on_refresh", wxEVT_BUTTON, "refresh_button"}},
                             p->calls, p->objects);
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// -------------------------------------------------------- recent files, row

class probe_recent : public recent_base, public recorder {
public:
    explicit probe_recent(wxWindow* parent)
        : recent_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_recent") {}
    windows members() const {
        return {{"open_button", open_button}, {"empty_label", empty_label}, {"hint_label", hint_label}};
    }
    RECORD(on_open_click, wxCommandEvent)
};

class probe_listrow : public listrow_base, public recorder {
public:
    explicit probe_listrow(wxWindow* parent) : listrow_base(parent, wxID_ANY, wxDefaultPosition, wxSize(870, 45)) {}
    windows members() const {
        return {{"select_check", select_check},
                {"icon_bitmap", icon_bitmap},
                {"path_label", path_label},
                {"remove_bitmap", remove_bitmap}};
    }
    RECORD(on_enter, wxMouseEvent)
    RECORD(on_leave, wxMouseEvent)
    RECORD(on_dclick, wxMouseEvent)
    RECORD(on_left_up, wxMouseEvent)
    void on_paint(wxPaintEvent& e) override {
        calls.push_back("on_paint");
        e.Skip();
    }
    RECORD(on_check, wxCommandEvent)
    RECORD(on_check_kill_focus, wxFocusEvent)
    RECORD(on_icon_dclick, wxMouseEvent)
    RECORD(on_icon_left_up, wxMouseEvent)
    RECORD(on_path_dclick, wxMouseEvent)
    RECORD(on_path_left_up, wxMouseEvent)
    RECORD(on_remove_left_up, wxMouseEvent)
};

TEST(recent_base, controls_pictures_and_rows_below) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_recent(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_recent");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        check_controls(p->members(),
                       {{"open_button", is<wxt_bmpbutton_nofocus>(), "button", nullptr,
                         "Click/Dragdrop to open a document"},
                        {"empty_label", is<wxStaticText>(), "staticText", "There aren't any recent files.", nullptr},
                        {"hint_label", is<wxStaticText>(), "staticText",
                         "Any files you 've opened will appear here.\nPress UP/DOWN key to select one, Press SPACE "
                         "key to open it, Press Delete will remove it from the list. ",
                         nullptr}});
        windows m = p->members();
        auto* open = static_cast<wxBitmapButton*>(m["open_button"]);
        EXPECT_TRUE(same_picture(open->GetBitmap(), bitmap_recent_open_128()));
        EXPECT_TRUE(same_picture(open->GetBitmapFocus(), bitmap_recent_open_hover_128()));
        EXPECT_TRUE(same_picture(open->GetBitmapCurrent(), bitmap_recent_open_hover_128()));
        EXPECT_FALSE(open->GetBitmapDisabled().IsOk() && !same_picture(open->GetBitmapDisabled(), open->GetBitmap()));
        EXPECT_FALSE(open->AcceptsFocusFromKeyboard());
        EXPECT_EQ(m["hint_label"]->GetFont().GetStyle(), wxFONTSTYLE_ITALIC);
        EXPECT_EQ(m["hint_label"]->GetFont().GetPointSize(), 9);
        // The page adds its rows to the form's own sizer, below the hint.
        auto* row = new probe_listrow(p);
        p->GetSizer()->Add(row, 0, wxALL | wxEXPAND, 5);
        p->GetSizer()->AddStretchSpacer();
        p->Layout();
        expect_sound_layout(p);
        EXPECT_GT(row->GetPosition().y, m["hint_label"]->GetRect().GetBottom());
        check_panel_handlers(p, m, {{"on_open_click", wxEVT_BUTTON, "open_button"}}, p->calls, p->objects);
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

TEST(listrow_base, controls_size_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(wxSize(900, 200));
        auto* r = new probe_listrow(h.frame);
        h.frame->GetSizer()->Add(r, 0, wxALL | wxEXPAND, 5);
        h.frame->Layout();
        EXPECT_EQ(r->GetName(), "");
        EXPECT_EQ(r->GetMaxSize(), wxSize(-1, 90));
        EXPECT_EQ(r->GetBackgroundColour(), page_grey);
        check_controls(r->members(), {{"select_check", is<wxCheckBox>(), "check", "", nullptr},
                                      {"icon_bitmap", is<wxStaticBitmap>(), "staticBitmap", nullptr, nullptr},
                                      {"path_label", is<wxStaticText>(), "staticText", "./test.pdf", nullptr},
                                      {"remove_bitmap", is<wxStaticBitmap>(), "staticBitmap", nullptr, nullptr}});
        windows m = r->members();
        EXPECT_FALSE(static_cast<wxCheckBox*>(m["select_check"])->GetValue());
        EXPECT_FALSE(m["select_check"]->HasFlag(wxCHK_3STATE));
        EXPECT_TRUE(m["path_label"]->HasFlag(wxST_ELLIPSIZE_MIDDLE));
        EXPECT_TRUE(same_picture(picture_of(m["icon_bitmap"]), bitmap_file_32()));
        EXPECT_TRUE(same_picture(picture_of(m["remove_bitmap"]), bitmap_remove_file_24()));
        expect_sound_layout(r);
        // A long path is shortened in the middle, never wrapped onto a second line.
        const int one_line = m["path_label"]->GetSize().y;
        static_cast<wxStaticText*>(m["path_label"])->SetLabel(wxString(wxUniChar('d'), 400) + "/file.pdf");
        r->Layout();
        EXPECT_EQ(m["path_label"]->GetSize().y, one_line);
        EXPECT_LE(m["path_label"]->GetRect().GetRight(), m["remove_bitmap"]->GetPosition().x);
        check_panel_handlers(r, m,
                             {{"on_enter", wxEVT_ENTER_WINDOW, ""},
                              {"on_leave", wxEVT_LEAVE_WINDOW, ""},
                              {"on_dclick", wxEVT_LEFT_DCLICK, ""},
                              {"on_left_up", wxEVT_LEFT_UP, ""},
                              {"on_paint", wxEVT_PAINT, ""},
                              {"on_check", wxEVT_CHECKBOX, "select_check"},
                              {"on_check_kill_focus", wxEVT_KILL_FOCUS, "select_check"},
                              {"on_icon_dclick", wxEVT_LEFT_DCLICK, "icon_bitmap"},
                              {"on_icon_left_up", wxEVT_LEFT_UP, "icon_bitmap"},
                              {"on_path_dclick", wxEVT_LEFT_DCLICK, "path_label"},
                              {"on_path_left_up", wxEVT_LEFT_UP, "path_label"},
                              {"on_remove_left_up", wxEVT_LEFT_UP, "remove_bitmap"}},
                             r->calls, r->objects);
        // A double click on the remove icon reaches no handler.
        EXPECT_TRUE(form_checks::reaches_no_handler(m["remove_bitmap"], wxEVT_LEFT_DCLICK, r->calls));
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// ------------------------------------------------------------------ shortcuts

class probe_shortcut : public shortcut_base {
public:
    explicit probe_shortcut(wxWindow* parent)
        : shortcut_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_shortcut") {}
    wxScrolledWindow* table() const { return table_panel; }
    // The table's controls in reading order.
    std::vector<wxWindow*> cells() const {
        return {function_header_label, hotkey_header_label, mouse_header_label,
                home_function_label, home_hotkey_text, home_mouse_label,
                document_group_label,
                document_function_label, document_hotkey_text, document_mouse_label,
                details_pane_function_label, details_pane_hotkey_text, details_pane_mouse_label,
                sign_pane_function_label, sign_pane_hotkey_text, sign_pane_mouse_label,
                full_page_function_label, full_page_hotkey_text, full_page_mouse_label,
                full_width_function_label, full_width_hotkey_text, full_width_mouse_label,
                full_height_function_label, full_height_hotkey_text, full_height_mouse_label,
                home_end_function_label, home_end_hotkey_text, home_end_mouse_label,
                next_previous_function_label, next_previous_hotkey_text, next_previous_mouse_label,
                zoom_function_label, zoom_hotkey_text, zoom_mouse_label,
                edge_function_label, edge_hotkey_text,
                signed_group_label,
                certificate_function_label, certificate_hotkey_text, certificate_mouse_label,
                signature_function_label, signature_hotkey_text, signature_mouse_label};
    }
};

TEST(shortcut_base, table_texts_colours_and_no_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_shortcut(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_shortcut");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        EXPECT_EQ(p->table()->GetMinSize().y, 600);
        EXPECT_FALSE(p->table()->HasFlag(wxHSCROLL));
        // Text, kind ('l' static text, 'k' read-only hot-key text) and colour
        // ('w' white, 'h' highlight text, 'g' group heading, '-' none).
        struct cell {
            const char* text;
            char kind;
            char colour;
        };
        const cell table[] = {
            {"Function", 'l', 'w'}, {"HotKey", 'l', 'w'}, {"Mouse", 'l', 'w'},
            {"switch to Home page", 'l', 'w'}, {"CTRL-H", 'k', 'w'}, {"", 'l', '-'},
            {"- below shortcuts when document is opened", 'l', 'g'},
            {"switch to document page", 'l', 'w'}, {"CTRL-D", 'k', 'w'}, {"", 'l', '-'},
            {"expand/collapse signature details panel", 'l', 'w'}, {"CTRL-J", 'k', 'w'},
            {"click left blank area out of page", 'l', 'w'},
            {"expand/collapse signature sign panel", 'l', 'w'}, {"CTRL-K", 'k', 'w'},
            {"click right blank area ouf of page", 'l', 'w'},
            {"show full page", 'l', 'w'}, {"ALT-F", 'k', 'w'}, {"double click page", 'l', 'w'},
            {"show full width of current page", 'l', 'w'}, {"ALT-W", 'k', 'w'}, {"", 'l', '-'},
            {"show full height of current page", 'l', 'h'}, {"ALT-H", 'k', 'w'}, {"", 'l', '-'},
            {"home/end page", 'l', 'h'}, {"HOME/END", 'k', 'w'}, {"", 'l', '-'},
            {"next/previous page", 'l', 'h'}, {"CTRL-N/P", 'k', 'w'}, {"wheel switch when n pages", 'l', 'w'},
            {"zoom in/out", 'l', 'h'}, {"CTRL-+/-", 'k', 'w'}, {"wheel zoom in/out when 1 page", 'l', 'w'},
            {"move page to edge", 'l', 'h'}, {"CTRL-ARROW", 'k', 'w'},
            {"- below shortcuts when document is opened, and signed", 'l', 'g'},
            {"view certificate details", 'l', 'h'}, {"ALT-C", 'k', 'w'}, {"", 'l', '-'},
            {"view signature details", 'l', 'h'}, {"ALT-S", 'k', 'w'}, {"click visible signature in page", 'l', 'w'}};
        const std::vector<wxWindow*> cells = p->cells();
        ASSERT_EQ(cells.size(), std::size(table));
        ASSERT_EQ(cells.size(), 43u);
        for (size_t i = 0; i < cells.size(); ++i) {
            SCOPED_TRACE(table[i].text);
            wxWindow* w = cells[i];
            EXPECT_EQ(w->GetParent(), p->table());
            EXPECT_EQ(text_of(w), table[i].text);
            if (table[i].kind == 'k') {
                auto* t = dynamic_cast<wxTextCtrl*>(w);
                ASSERT_NE(t, nullptr);
                EXPECT_FALSE(t->IsEditable());
                EXPECT_EQ(t->GetName(), "text");
                EXPECT_EQ(t->GetBackgroundColour(), page_grey);
            } else {
                EXPECT_NE(dynamic_cast<wxStaticText*>(w), nullptr);
                EXPECT_EQ(w->GetName(), "staticText");
            }
            if (table[i].colour == 'w') {
                EXPECT_EQ(w->GetForegroundColour(), white);
            }
            if (table[i].colour == 'h') {
                EXPECT_EQ(w->GetForegroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
            }
            if (table[i].colour == 'g') {
                EXPECT_EQ(w->GetForegroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_SCROLLBAR));
                EXPECT_EQ(w->GetFont().GetStyle(), wxFONTSTYLE_ITALIC);
                EXPECT_EQ(w->GetFont().GetPointSize(), 9);
            }
        }
        expect_sound_layout(p);
        // Every key shows whole, also the long ones.
        for (wxWindow* w : cells)
            if (auto* t = dynamic_cast<wxTextCtrl*>(w)) {
                EXPECT_GE(t->GetSize().x, t->GetSizeFromTextSize(t->GetTextExtent(t->GetValue()).x).x)
                    << t->GetValue();
            }
        // Three columns, rows top to bottom, with 100 pixels above the first.
        wxWindow* f = cells[0];
        EXPECT_GE(f->GetPosition().y, 100);
        EXPECT_LT(cells[0]->GetPosition().x, cells[1]->GetPosition().x);
        EXPECT_LT(cells[1]->GetPosition().x, cells[2]->GetPosition().x);
        EXPECT_LT(cells[3]->GetPosition().y, cells[7]->GetPosition().y);
        // Read-only hot-key cells refuse typing but keep their text.
        auto* hotkey = static_cast<wxTextCtrl*>(cells[4]);
        EXPECT_FALSE(hotkey->IsEditable());
        // No handler: a base form leaves every event to the toolkit.
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetEventObject(p);
        EXPECT_FALSE(p->ProcessWindowEvent(up));
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

// ---------------------------------------------------------------------- about

class probe_about : public about_base, public recorder {
public:
    explicit probe_about(wxWindow* parent)
        : about_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "wn_about") {}
    windows members() const {
        return {{"logo_bitmap", logo_bitmap},
                {"version_label", version_label},
                {"description_label", description_label},
                {"slogan_label", slogan_label},
                {"website_link", website_link},
                {"check_update_button", check_update_button},
                {"agreement_button", agreement_button},
                {"feedback_button", feedback_button},
                {"contact_label", contact_label},
                {"mail_link", mail_link}};
    }
    RECORD(on_check_update, wxCommandEvent)
    RECORD(on_agreement, wxCommandEvent)
    RECORD(on_feedback, wxCommandEvent)
};

TEST(about_base, controls_links_and_handlers) {
    const int asserts = gui_test::assert_count();
    {
        host h(page_size);
        auto* p = new probe_about(h.frame);
        h.hold(p);
        EXPECT_EQ(p->GetName(), "wn_about");
        EXPECT_EQ(p->GetBackgroundColour(), page_grey);
        EXPECT_EQ(p->GetFont().GetFamily(), wxFONTFAMILY_DEFAULT);
        const auto label = is<wxStaticText>();
        const auto button = is<wxt_colorbutton>();
        check_controls(p->members(),
                       {{"logo_bitmap", is<wxStaticBitmap>(), "staticBitmap", nullptr, nullptr},
                        {"version_label", label, "staticText", "Velkorant, V1", nullptr},
                        {"description_label", label, "staticText", "a Free application for verifying PDF signatures",
                         nullptr},
                        {"slogan_label", label, "staticText", "Your signatures, checked on your own machine !",
                         nullptr},
                        {"website_link", is<wxt_hyperlink>(), "staticText", maker_web_site, nullptr},
                        {"check_update_button", button, "button", "Check Update", nullptr},
                        {"agreement_button", button, "button", "Agreement", nullptr},
                        {"feedback_button", button, "button", "Feedback", nullptr},
                        {"contact_label", label, "staticText", "Contact:", nullptr},
                        {"mail_link", is<wxt_hyperlink>(), "staticText", maker_support_mail, nullptr}});
        windows m = p->members();
        EXPECT_TRUE(same_picture(picture_of(m["logo_bitmap"]), bitmap_app_128()));
        // The links open the web site as a web address and the bare mail
        // address as a mail: placeholders on example domains.
        auto* web = static_cast<wxt_hyperlink*>(m["website_link"]);
        auto* mail = static_cast<wxt_hyperlink*>(m["mail_link"]);
        EXPECT_EQ(web->click_target(), wxString("http://") + maker_web_site);
        EXPECT_EQ(mail->click_target(), wxString("mailto:") + maker_support_mail);
        EXPECT_NE(std::string(maker_web_site).find("example"), std::string::npos);
        EXPECT_NE(std::string(maker_support_mail).find("example"), std::string::npos);
        EXPECT_TRUE(web->GetFont().GetUnderlined());
        EXPECT_EQ(web->GetFont().GetPointSize(), 20);
        EXPECT_EQ(m["slogan_label"]->GetFont().GetPointSize(), 24);
        EXPECT_EQ(m["slogan_label"]->GetFont().GetStyle(), wxFONTSTYLE_ITALIC);
        for (const char* b : {"check_update_button", "agreement_button", "feedback_button"}) {
            EXPECT_EQ(m[b]->GetBackgroundColour(), page_grey) << b;
            EXPECT_EQ(m[b]->GetForegroundColour(), white) << b;
            EXPECT_EQ(m[b]->GetFont().GetPointSize(), 12) << b;
        }
        expect_sound_layout(p);
        // The description spans the content column: 10 of 12 parts.
        const int width = p->GetClientSize().x;
        EXPECT_NEAR(m["description_label"]->GetSize().x, width * 10 / 12 - 10, 4);
        check_panel_handlers(p, m,
                             {{"on_check_update", wxEVT_BUTTON, "check_update_button"},
                              {"on_agreement", wxEVT_BUTTON, "agreement_button"},
                              {"on_feedback", wxEVT_BUTTON, "feedback_button"}},
                             p->calls, p->objects);
    }
    EXPECT_EQ(gui_test::assert_count(), asserts);
}

TEST(panel_forms, unhandled_events_go_on_to_default_handling) {
    host h(page_size);
    auto* page = new about_base(h.frame);
    h.hold(page);
    // A handler the derived page does not override: a click is skipped.
    for (wxWindow* child : page->GetChildren()) {
        if (!dynamic_cast<wxt_colorbutton*>(child)) continue;
        wxCommandEvent click(wxEVT_BUTTON, child->GetId());
        click.SetEventObject(child);
        EXPECT_FALSE(child->GetEventHandler()->ProcessEvent(click));
    }
}

// ---------------------------------------------------------------- gallery

// Saves a screenshot of each panel form for a person to look at.
TEST(gallery, panel_forms) {
    auto shoot = [](wxWindow* form, host& h, const char* name) {
        h.hold(form);
        EXPECT_FALSE(gui_test::save_screenshot(form, name).empty());
    };
    {
        host h(wxSize(360, 1000));
        shoot(new sign_panel_base(h.frame), h, "sign_panel");
    }
    {
        host h(wxSize(520, 1000));
        auto* p = new probe_stamp_panel(h.frame);
        shoot(p, h, "stamp_panel_local");
        p->book()->ChangeSelection(1);
        p->Layout();
        gui_test::save_screenshot(p, "stamp_panel_cloud");
    }
    {
        host h(page_size);
        shoot(new setting_base(h.frame), h, "setting_page");
    }
    {
        host h(page_size);
        shoot(new trustmgr_base(h.frame), h, "trustmgr_page");
    }
    {
        host h(page_size);
        shoot(new certstore_base(h.frame), h, "certstore_page");
    }
    {
        host h(page_size);
        auto* p = new recent_base(h.frame);
        for (int i = 0; i < 2; ++i) p->GetSizer()->Add(new listrow_base(p), 0, wxALL | wxEXPAND, 5);
        p->GetSizer()->AddStretchSpacer();
        shoot(p, h, "recent_page");
    }
    {
        host h(page_size);
        shoot(new shortcut_base(h.frame), h, "shortcut_page");
    }
    {
        host h(page_size);
        shoot(new about_base(h.frame), h, "about_page");
    }
}

}  // namespace
