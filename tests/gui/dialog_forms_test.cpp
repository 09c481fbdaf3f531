// The dialog forms: controls, texts, ids, initial states and handler wiring
// checked against tables written from their descriptions; layout at each
// form's own size; Escape and Enter; the gallery.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/combobox.h>
#include <wx/bookctrl.h>
#include <wx/dataview.h>
#include <wx/hyperlink.h>
#include <wx/notebook.h>
#include <wx/treectrl.h>

#include "forms/agreement_dlg_base.h"
#include "forms/cert_infodlg_base.h"
#include "forms/cert_makedlg_base.h"
#include "forms/cert_select_dlg_base.h"
#include "forms/donate_dlg_base.h"
#include "forms/feedback_dlg_base.h"
#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "forms/sig_infodlg_base.h"
#include "forms/simple_sigdlg_base.h"
#include "forms/version_dlg_base.h"
#include "gui/form_checks.h"
#include "gui/gui_harness.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

using gui_test::modal_result;
using gui_test::no_answer;
using std::chrono::milliseconds;

const wxString mail = wxString::FromUTF8(maker_support_mail);
const wxString company = wxString::FromUTF8(maker_company_name);

// ------------------------------------------------------------ table checks

using form_checks::check_handlers;
using form_checks::is;
using form_checks::recorder;
using form_checks::windows;

struct control_row {
    const char* member;
    form_checks::kind_test kind;
    wxWindow* parent;  // nullptr: the form
    int id;            // 0: an id the toolkit assigns
    const char* name;
    wxString text;     // label or value; "*" not checked
    const char* tip;   // nullptr: none
};

// Every member has a row; each control is shown (unless a notebook page)
// and enabled.
void check_controls(wxWindow* form, const windows& members, const std::vector<control_row>& rows) {
    form_checks::check_rows(members, rows, true, [form](const control_row& r) {
        form_checks::control_expectation e;
        e.kind = r.kind;
        e.parent = r.parent ? r.parent : form;
        if (r.id != 0)
            e.id = r.id;
        else
            e.toolkit_id = true;
        e.name = r.name ? r.name : "";
        if (r.text != "*") e.text = r.text;
        e.tip = r.tip;
        e.shown_and_enabled = true;
        return e;
    });
}

// Every shown window below root has a size; no window reaches outside its
// parent or overlaps a sibling.
// A notebook's pages stand below its tabs, where GTK's client area and page
// positions do not reach: pages are measured on the screen against the whole
// notebook.
std::string describe(wxWindow* w) {
    return wxString(w->GetClassInfo()->GetClassName()).utf8_string() + " \"" + w->GetName().utf8_string() + "\" \"" +
           w->GetLabel().utf8_string() + "\"";
}

std::vector<std::string> geometry_faults(wxWindow* root) {
    std::vector<std::string> faults;
    std::function<void(wxWindow*)> visit = [&](wxWindow* parent) {
        const bool book = dynamic_cast<wxBookCtrlBase*>(parent) != nullptr;
        const wxSize room = book ? parent->GetSize() : parent->GetClientSize();
        std::vector<wxWindow*> shown;
        for (wxWindow* c : parent->GetChildren()) {
            if (c->IsTopLevel() || !c->IsShown()) continue;
            shown.push_back(c);
            wxRect r = c->GetRect();
            if (book) r.SetPosition(c->GetScreenPosition() - parent->GetScreenPosition());
            if (r.width <= 0 || r.height <= 0) faults.push_back(describe(c) + " has no size");
            if (r.x < 0 || r.y < 0 || r.GetRight() >= room.x || r.GetBottom() >= room.y)
                faults.push_back(describe(c) + " lies outside " + describe(parent) + ": " +
                                 std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) +
                                 "x" + std::to_string(r.height) + " in " + std::to_string(room.x) + "x" +
                                 std::to_string(room.y));
        }
        for (size_t i = 0; i < shown.size(); ++i)
            for (size_t j = i + 1; j < shown.size(); ++j)
                if (shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                    faults.push_back(describe(shown[i]) + " overlaps " + describe(shown[j]));
        for (wxWindow* c : shown) visit(c);
    };
    visit(root);
    return faults;
}

void expect_sound_layout(wxDialog* d, const wxSize& size) {
    d->SetSize(size);
    d->Show();
    gui_test::settle(milliseconds(100));
    d->Layout();
    for (const std::string& f : geometry_faults(d)) ADD_FAILURE() << f;
}

// A key as the toolkit hands it to a dialog first (wxEVT_CHAR_HOOK), from
// the window that has the focus.
void press(wxWindow* focus, int key) {
    if (!focus->IsTopLevel()) focus->SetFocus();
    wxKeyEvent k(wxEVT_CHAR_HOOK);
    k.m_keyCode = key;
    k.SetEventObject(focus);
    wxGetTopLevelParent(focus)->GetEventHandler()->ProcessEvent(k);
}

void click(wxWindow* button) {
    wxCommandEvent e(wxEVT_BUTTON, button->GetId());
    e.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(e);
}

// The font values a form sets. GTK derives the family from the face, so the
// family a form passes cannot be read back here.
bool same_font(const wxFont& f, int points, bool underlined = false) {
    return f.GetPointSize() == points && f.GetStyle() == wxFONTSTYLE_NORMAL &&
           f.GetWeight() == wxFONTWEIGHT_NORMAL && f.GetUnderlined() == underlined &&
           f.GetFaceName() == "Segoe UI";
}
int normal_points() { return wxNORMAL_FONT->GetPointSize(); }

// Destroys a dialog at the end of a test and checks that it raised no assert.
struct dialog_guard {
    wxDialog* dialog;
    int asserts = gui_test::assert_count();
    ~dialog_guard() {
        dialog->Destroy();
        gui_test::settle(milliseconds(20));
        EXPECT_EQ(gui_test::assert_count(), asserts) << "wx asserts while building or destroying the form";
    }
};

// ------------------------------------------------------------ simple_sigdlg

class probe_simple_sigdlg : public simple_sigdlg_base, public recorder {
public:
    probe_simple_sigdlg() : simple_sigdlg_base(nullptr, wxID_ANY, "Signature status") {}
    windows members() const {
        return {{"status_bitmap", status_bitmap},
                {"status_label", status_label},
                {"integrity_label", integrity_label},
                {"identity_label", identity_label},
                {"signature_properties_link", signature_properties_link},
                {"certificate_link", certificate_link},
                {"close_button", close_button}};
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_signature_properties, wxMouseEvent)
    RECORD(on_certificate, wxMouseEvent)
    RECORD(on_close_button, wxCommandEvent)
};

TEST(simple_sigdlg_base, controls_texts_and_handlers) {
    auto* d = new probe_simple_sigdlg;
    dialog_guard g{d};
    EXPECT_EQ(d->GetName(), "dialog");
    EXPECT_EQ(d->GetSize(), wxSize(549, 221));
    EXPECT_FALSE(d->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(same_font(d->GetFont(), normal_points()));
    check_controls(d, d->members(),
                   {{"status_bitmap", is<wxStaticBitmap>(), nullptr, 0, "staticBitmap", "*", nullptr},
                    {"status_label", is<wxStaticText>(), nullptr, 0, "staticText",
                     "Valid signature of " + company + " <" + mail + ">", nullptr},
                    {"integrity_label", is<wxStaticText>(), nullptr, 0, "staticText",
                     "- The document has not been modified since this signature was applied", nullptr},
                    {"identity_label", is<wxStaticText>(), nullptr, 0, "staticText",
                     "- The signer's identity is valid", nullptr},
                    {"signature_properties_link", is<wxt_hyperlink>(), nullptr, 0, "staticText",
                     "Signature Properties...", nullptr},
                    {"certificate_link", is<wxt_hyperlink>(), nullptr, 0, "staticText", "Certificate...", nullptr},
                    {"close_button", is<wxButton>(), nullptr, 0, "button", "Close", nullptr}});
    windows m = d->members();
    EXPECT_EQ(static_cast<wxStaticBitmap*>(m["status_bitmap"])->GetBitmap().GetSize(), wxSize(28, 28));
    EXPECT_EQ(m["status_label"]->GetForegroundColour(), wxColour(0, 128, 0));
    EXPECT_TRUE(same_font(m["signature_properties_link"]->GetFont(), 10, true));
    EXPECT_TRUE(same_font(m["certificate_link"]->GetFont(), 10, true));
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_signature_properties", wxEVT_LEFT_UP, "signature_properties_link"},
                    {"on_certificate", wxEVT_LEFT_UP, "certificate_link"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    expect_sound_layout(d, wxSize(549, 221));
    // The links keep their natural width; the spacers and the Close column
    // share the rest 1 : 1 : 1 : 2 : 1.
    EXPECT_LT(m["signature_properties_link"]->GetPosition().x, m["certificate_link"]->GetPosition().x);
    EXPECT_LT(m["certificate_link"]->GetPosition().x, m["close_button"]->GetPosition().x);
}

// ------------------------------------------------------------- sig_infodlg

class probe_sig_infodlg : public sig_infodlg_base, public recorder {
public:
    probe_sig_infodlg() : sig_infodlg_base(nullptr, wxID_ANY, "Signature Properties") {}
    windows members() const {
        return {{"properties_book", properties_book},
                {"signature_page", signature_page},
                {"signature_summary_bitmap", signature_summary_bitmap},
                {"signature_summary_title_label", signature_summary_title_label},
                {"signature_summary_label", signature_summary_label},
                {"signer_certificate_button", signer_certificate_button},
                {"signature_validity_bitmap", signature_validity_bitmap},
                {"signature_validity_title_label", signature_validity_title_label},
                {"signature_validity_label", signature_validity_label},
                {"embedded_bitmap", embedded_bitmap},
                {"embedded_title_label", embedded_title_label},
                {"embedded_list", embedded_list},
                {"embedded_details_button", embedded_details_button},
                {"timestamp_page", timestamp_page},
                {"timestamp_summary_bitmap", timestamp_summary_bitmap},
                {"timestamp_summary_title_label", timestamp_summary_title_label},
                {"timestamp_summary_label", timestamp_summary_label},
                {"timestamper_certificate_button", timestamper_certificate_button},
                {"timestamp_validity_bitmap", timestamp_validity_bitmap},
                {"timestamp_validity_title_label", timestamp_validity_title_label},
                {"timestamp_note_label", timestamp_note_label},
                {"close_button", close_button}};
    }
    wxNotebook* book() const { return properties_book; }
    wxDataViewListCtrl* list() const { return embedded_list; }
    std::vector<wxDataViewColumn*> columns() const {
        return {embedded_signer_column, embedded_algorithm_column, embedded_time_column};
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_size, wxSizeEvent)
    RECORD(on_show_signer_cert, wxCommandEvent)
    RECORD(on_embedded_activated, wxDataViewEvent)
    RECORD(on_embedded_details, wxCommandEvent)
    RECORD(on_show_timestamp_cert, wxCommandEvent)
    RECORD(on_close_button, wxCommandEvent)
};

struct column_row {
    const char* title;
    int width;
    const char* variant;
    int flags;
};

void check_columns(wxDataViewListCtrl* list, const std::vector<wxDataViewColumn*>& kept,
                   const std::vector<column_row>& rows) {
    ASSERT_EQ(list->GetColumnCount(), rows.size());
    ASSERT_EQ(kept.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].title);
        wxDataViewColumn* c = list->GetColumn(i);
        EXPECT_EQ(c, kept[i]);
        EXPECT_EQ(c->GetTitle(), rows[i].title);
        EXPECT_EQ(c->GetModelColumn(), i);
        // GTK stretches the last column over the rest of the list.
        if (rows[i].width > 0) {
            if (i + 1 < rows.size())
                EXPECT_EQ(c->GetWidth(), rows[i].width);
            else
                EXPECT_GE(c->GetWidth(), rows[i].width);
        }
        EXPECT_EQ(c->GetRenderer()->GetVariantType(), rows[i].variant);
        EXPECT_EQ(c->GetRenderer()->GetMode(), wxDATAVIEW_CELL_INERT);
        EXPECT_EQ(c->GetAlignment(), wxALIGN_LEFT);
        // GTK reports every column with a shown header as sortable.
        const int sortable = list->HasFlag(wxDV_NO_HEADER) ? wxDATAVIEW_COL_SORTABLE : 0;
        EXPECT_EQ(c->GetFlags() & (wxDATAVIEW_COL_RESIZABLE | sortable | wxDATAVIEW_COL_HIDDEN), rows[i].flags);
    }
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST(sig_infodlg_base, pages_controls_columns_and_handlers) {
    auto* d = new probe_sig_infodlg;
    dialog_guard g{d};
    windows m = d->members();
    wxWindow* sp = m["signature_page"];
    wxWindow* tp = m["timestamp_page"];
    wxWindow* book = m["properties_book"];
    const wxString note =
        "For timestamp signature to be valid you must have trusted the Timestamp Authority that signed the "
        "timestamp.\n\nClick show timestamp certificate to view details of the timestamp certificate.";
    check_controls(
        d, m,
        {{"properties_book", is<wxNotebook>(), nullptr, 0, "notebook", "*", nullptr},
         {"signature_page", is<wxPanel>(), book, 0, "panel", "*", nullptr},
         {"signature_summary_bitmap", is<wxStaticBitmap>(), sp, 0, "staticBitmap", "*", nullptr},
         {"signature_summary_title_label", is<wxStaticText>(), sp, 0, "staticText", "Signature Summary", nullptr},
         {"signature_summary_label", is<wxStaticText>(), sp, 0, "staticText", "*", nullptr},
         {"signer_certificate_button", is<wxButton>(), sp, 0, "button", "Show Signer's Certificate...", nullptr},
         {"signature_validity_bitmap", is<wxStaticBitmap>(), sp, 0, "staticBitmap", "*", nullptr},
         {"signature_validity_title_label", is<wxStaticText>(), sp, 0, "staticText", "Validaty Summary", nullptr},
         {"signature_validity_label", is<wxStaticText>(), sp, 0, "staticText", "variable text...", nullptr},
         {"embedded_bitmap", is<wxStaticBitmap>(), sp, 0, "staticBitmap", "*", nullptr},
         {"embedded_title_label", is<wxStaticText>(), sp, 0, "staticText", "Embedded Signatures", nullptr},
         {"embedded_list", is<wxDataViewListCtrl>(), sp, 0, "dataviewCtrl", "*", nullptr},
         {"embedded_details_button", is<wxButton>(), sp, 0, "button", "Embedded Signature Details...", nullptr},
         {"timestamp_page", is<wxPanel>(), book, 0, "panel", "*", nullptr},
         {"timestamp_summary_bitmap", is<wxStaticBitmap>(), tp, 0, "staticBitmap", "*", nullptr},
         {"timestamp_summary_title_label", is<wxStaticText>(), tp, 0, "staticText", "Timestamp Summary", nullptr},
         {"timestamp_summary_label", is<wxStaticText>(), tp, 0, "staticText", "*", nullptr},
         {"timestamper_certificate_button", is<wxButton>(), tp, 0, "button", "Show Timestamper's Certificate...",
          nullptr},
         {"timestamp_validity_bitmap", is<wxStaticBitmap>(), tp, 0, "staticBitmap", "*", nullptr},
         {"timestamp_validity_title_label", is<wxStaticText>(), tp, 0, "staticText", "Validaty Summary", nullptr},
         {"timestamp_note_label", is<wxStaticText>(), tp, 0, "staticText", "*", nullptr},
         {"close_button", is<wxButton>(), nullptr, 0, "button", "Close", nullptr}});
    // The note breaks at 440 pixels: its text is the note with line breaks
    // put in, and no line is wider than that.
    wxString unwrapped = m["timestamp_note_label"]->GetLabel();
    EXPECT_NE(unwrapped, note);
    unwrapped.Replace("\n", " ");
    wxString flat = note;
    flat.Replace("\n", " ");
    EXPECT_EQ(unwrapped.Freq(' '), flat.Freq(' '));
    EXPECT_LE(m["timestamp_note_label"]->GetBestSize().x, 440);
    for (const char* s : {"signature_summary_label", "timestamp_summary_label"}) {
        EXPECT_TRUE(m[s]->HasFlag(wxST_ELLIPSIZE_MIDDLE)) << s;
        EXPECT_TRUE(m[s]->GetLabel().Contains(mail)) << s;
    }
    EXPECT_TRUE(m["signature_summary_label"]->GetLabel().Lower().Contains("invalid"));
    EXPECT_TRUE(book->HasFlag(wxNB_FIXEDWIDTH));
    ASSERT_EQ(d->book()->GetPageCount(), 2u);
    EXPECT_EQ(d->book()->GetPageText(0), "Signature");
    EXPECT_EQ(d->book()->GetPageText(1), "Timestamp");
    EXPECT_EQ(d->book()->GetSelection(), 1);
    for (const char* t : {"signature_summary_title_label", "signature_validity_title_label", "embedded_title_label",
                          "timestamp_summary_title_label", "timestamp_validity_title_label"})
        EXPECT_TRUE(same_font(m[t]->GetFont(), normal_points())) << t;
    for (const char* b : {"signature_summary_bitmap", "signature_validity_bitmap", "embedded_bitmap",
                          "timestamp_summary_bitmap", "timestamp_validity_bitmap"})
        EXPECT_EQ(static_cast<wxStaticBitmap*>(m[b])->GetBitmap().GetSize(), wxSize(28, 28)) << b;
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_show_signer_cert", wxEVT_BUTTON, "signer_certificate_button"},
                    {"on_embedded_activated", wxEVT_DATAVIEW_ITEM_ACTIVATED, "embedded_list"},
                    {"on_embedded_details", wxEVT_BUTTON, "embedded_details_button"},
                    {"on_show_timestamp_cert", wxEVT_BUTTON, "timestamper_certificate_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    // Selecting a row alone reaches no handler of the form.
    EXPECT_TRUE(
        form_checks::reaches_no_handler(m["embedded_list"], wxEVT_DATAVIEW_SELECTION_CHANGED, d->calls));
    for (int page : {0, 1}) {
        SCOPED_TRACE(page);
        d->book()->ChangeSelection(page);
        expect_sound_layout(d, wxSize(487, 664));
        // GTK gives columns their widths once the list is shown.
        if (page == 0)
            check_columns(d->list(), d->columns(),
                          {{"Signer", 150, "wxDataViewIconText", wxDATAVIEW_COL_RESIZABLE},
                           {"Signature algorithm", 120, "string", wxDATAVIEW_COL_RESIZABLE},
                           {"Signing time", 150, "string", wxDATAVIEW_COL_RESIZABLE}});
    }
}

// ------------------------------------------------------------ cert_infodlg

class probe_cert_infodlg : public cert_infodlg_base, public recorder {
public:
    probe_cert_infodlg() : cert_infodlg_base(nullptr, wxID_ANY, "Certificate") {}
    windows members() const {
        return {{"properties_book", properties_book},
                {"general_page", general_page},
                {"certificate_bitmap", certificate_bitmap},
                {"information_label", information_label},
                {"add_trust_button", add_trust_button},
                {"general_upper_line", general_upper_line},
                {"purpose_label", purpose_label},
                {"usage_label", usage_label},
                {"general_lower_line", general_lower_line},
                {"issued_to_label", issued_to_label},
                {"issued_to_value_label", issued_to_value_label},
                {"issued_by_label", issued_by_label},
                {"issued_by_value_label", issued_by_value_label},
                {"valid_from_label", valid_from_label},
                {"valid_from_value_label", valid_from_value_label},
                {"serial_label", serial_label},
                {"serial_value_label", serial_value_label},
                {"thumbprint_label", thumbprint_label},
                {"thumbprint_value_label", thumbprint_value_label},
                {"details_page", details_page},
                {"chain_bitmap", chain_bitmap},
                {"chain_title_label", chain_title_label},
                {"chain_tree", chain_tree},
                {"fields_bitmap", fields_bitmap},
                {"fields_title_label", fields_title_label},
                {"add_trust_details_button", add_trust_details_button},
                {"fields_list", fields_list},
                {"value_text", value_text},
                {"copy_value_button", copy_value_button},
                {"save_certificate_button", save_certificate_button},
                {"close_button", close_button}};
    }
    wxNotebook* book() const { return properties_book; }
    wxDataViewListCtrl* list() const { return fields_list; }
    std::vector<wxDataViewColumn*> columns() const { return {field_column, value_column}; }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_add_trust, wxCommandEvent)
    RECORD(on_chain_sel_changed, wxTreeEvent)
    RECORD(on_add_trust_details, wxCommandEvent)
    RECORD(on_field_selected, wxDataViewEvent)
    RECORD(on_copy_value, wxCommandEvent)
    RECORD(on_save_certificate, wxCommandEvent)
    RECORD(on_close_button, wxCommandEvent)
};

TEST(cert_infodlg_base, pages_controls_columns_and_handlers) {
    auto* d = new probe_cert_infodlg;
    dialog_guard g{d};
    windows m = d->members();
    wxWindow* gp = m["general_page"];
    wxWindow* dp = m["details_page"];
    wxWindow* book = m["properties_book"];
    const char* trust_tip = "Add this certificate to Trust List";
    check_controls(
        d, m,
        {{"properties_book", is<wxNotebook>(), nullptr, 0, "notebook", "*", nullptr},
         {"general_page", is<wxPanel>(), book, 0, "panel", "*", nullptr},
         {"certificate_bitmap", is<wxStaticBitmap>(), gp, 0, "staticBitmap", "*", nullptr},
         {"information_label", is<wxt_active_textctrl>(), gp, 0, "staticText", "Certification Information", nullptr},
         {"add_trust_button", is<wxButton>(), gp, 0, "button", "Add Trust", trust_tip},
         {"general_upper_line", is<wxStaticLine>(), gp, 0, "staticLine", "*", nullptr},
         {"purpose_label", is<wxStaticText>(), gp, 0, "staticText", "purpose, or revoke...", nullptr},
         {"usage_label", is<wxStaticText>(), gp, 0, "staticText", "- digital signaure, encryption...", nullptr},
         {"general_lower_line", is<wxStaticLine>(), gp, 0, "staticLine", "*", nullptr},
         {"issued_to_label", is<wxStaticText>(), gp, 0, "staticText", "Issued to: ", nullptr},
         {"issued_to_value_label", is<wxStaticText>(), gp, 0, "staticText", company, nullptr},
         {"issued_by_label", is<wxStaticText>(), gp, 0, "staticText", "Issued by: ", nullptr},
         {"issued_by_value_label", is<wxStaticText>(), gp, 0, "staticText", "Velkorant CA", nullptr},
         {"valid_from_label", is<wxStaticText>(), gp, 0, "staticText", "Valid from: ", nullptr},
         {"valid_from_value_label", is<wxStaticText>(), gp, 0, "staticText", "2020-12-22", nullptr},
         {"serial_label", is<wxStaticText>(), gp, 0, "staticText", "Seriel No: ", nullptr},
         {"serial_value_label", is<wxStaticText>(), gp, 0, "staticText", "SLDFJWEOPRU20390237850238402", nullptr},
         {"thumbprint_label", is<wxStaticText>(), gp, 0, "staticText", "Thumbprint: ", nullptr},
         {"thumbprint_value_label", is<wxStaticText>(), gp, 0, "staticText", "SLDFJWEOPRU20390237850238402",
          nullptr},
         {"details_page", is<wxPanel>(), book, 0, "panel", "*", nullptr},
         {"chain_bitmap", is<wxStaticBitmap>(), dp, 0, "staticBitmap", "*", nullptr},
         {"chain_title_label", is<wxStaticText>(), dp, 0, "staticText", "Certificate Chain", nullptr},
         {"chain_tree", is<wxTreeCtrl>(), dp, 0, "treeCtrl", "*", nullptr},
         {"fields_bitmap", is<wxStaticBitmap>(), dp, 0, "staticBitmap", "*", nullptr},
         {"fields_title_label", is<wxStaticText>(), dp, 0, "staticText", "Certificate", nullptr},
         {"add_trust_details_button", is<wxButton>(), dp, 0, "button", "Add Trust", trust_tip},
         {"fields_list", is<wxDataViewListCtrl>(), dp, 0, "dataviewCtrl", "*", nullptr},
         {"value_text", is<wxTextCtrl>(), dp, 0, "text", "", nullptr},
         {"copy_value_button", is<wxButton>(), dp, 0, "button", "Copy Value", nullptr},
         {"save_certificate_button", is<wxButton>(), dp, 0, "button", "Save Certificate to File...", nullptr},
         {"close_button", is<wxButton>(), nullptr, 0, "button", "Close", nullptr}});
    ASSERT_EQ(d->book()->GetPageCount(), 2u);
    EXPECT_EQ(d->book()->GetPageText(0), "General");
    EXPECT_EQ(d->book()->GetPageText(1), "Details");
    EXPECT_EQ(d->book()->GetSelection(), 1);
    EXPECT_TRUE(same_font(book->GetFont(), 9));
    for (const char* t : {"add_trust_button", "add_trust_details_button"}) {
        auto* b = static_cast<wxButton*>(m[t]);
        EXPECT_EQ(b->GetBitmap().GetSize(), wxSize(28, 28)) << t;
        EXPECT_TRUE(b->HasFlag(wxBORDER_NONE)) << t;
        EXPECT_TRUE(same_font(b->GetFont(), 9, true)) << t;
        EXPECT_EQ(b->GetForegroundColour(), wxColour(0, 0, 0)) << t;
        EXPECT_EQ(b->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)) << t;
    }
    for (const char* c : {"issued_to_label", "issued_by_label", "valid_from_label", "serial_label",
                          "thumbprint_label"})
        EXPECT_TRUE(same_font(m[c]->GetFont(), normal_points())) << c;
    for (const char* t : {"information_label", "purpose_label", "usage_label", "chain_tree"})
        EXPECT_TRUE(same_font(m[t]->GetFont(), normal_points())) << t;
    auto* tree = static_cast<wxTreeCtrl*>(m["chain_tree"]);
    for (long f : {wxTR_HAS_BUTTONS, wxTR_NO_LINES, wxTR_TWIST_BUTTONS}) EXPECT_TRUE(tree->HasFlag(f)) << f;
    EXPECT_FALSE(tree->HasFlag(wxTR_HIDE_ROOT));
    EXPECT_FALSE(tree->HasFlag(wxTR_MULTIPLE));
    EXPECT_EQ(tree->GetCount(), 0u);
    auto* value = static_cast<wxTextCtrl*>(m["value_text"]);
    EXPECT_TRUE(value->IsMultiLine());
    EXPECT_FALSE(value->IsEditable());
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_add_trust", wxEVT_BUTTON, "add_trust_button"},
                    {"on_chain_sel_changed", wxEVT_TREE_SEL_CHANGED, "chain_tree"},
                    {"on_add_trust_details", wxEVT_BUTTON, "add_trust_details_button"},
                    {"on_field_selected", wxEVT_DATAVIEW_SELECTION_CHANGED, "fields_list"},
                    {"on_copy_value", wxEVT_BUTTON, "copy_value_button"},
                    {"on_save_certificate", wxEVT_BUTTON, "save_certificate_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    EXPECT_TRUE(form_checks::reaches_no_handler(m["fields_list"], wxEVT_DATAVIEW_ITEM_ACTIVATED, d->calls))
        << "activating a field reaches no handler";
    for (int page : {0, 1}) {
        SCOPED_TRACE(page);
        d->book()->ChangeSelection(page);
        expect_sound_layout(d, wxSize(487, 664));
        if (page == 1)
            check_columns(d->list(), d->columns(),
                          {{"Field", 150, "wxDataViewIconText", wxDATAVIEW_COL_RESIZABLE},
                           {"Value", 280, "string", wxDATAVIEW_COL_RESIZABLE}});
    }
    // The grid: captions right-aligned in their column, 20 pixels before the
    // values, rows 25 pixels apart.
    d->book()->ChangeSelection(0);
    d->Layout();
    gui_test::settle(milliseconds(50));
    const wxRect to = m["issued_to_label"]->GetRect(), to_value = m["issued_to_value_label"]->GetRect();
    const wxRect by = m["issued_by_label"]->GetRect();
    EXPECT_EQ(to.GetRight(), by.GetRight());
    EXPECT_GE(to_value.x - to.GetRight() - 1, 20);
    EXPECT_GE(by.y - to.GetBottom() - 1, 25);
}

// ------------------------------------------------------------ cert_makedlg

class probe_cert_makedlg : public cert_makedlg_base, public recorder {
public:
    probe_cert_makedlg() : cert_makedlg_base(nullptr, wxID_ANY, "Make or Import a Certificate") {}
    windows members() const {
        return {{"make_bitmap", make_bitmap},
                {"make_title_label", make_title_label},
                {"make_note_label", make_note_label},
                {"name_label", name_label},
                {"name_text", name_text},
                {"algorithm_label", algorithm_label},
                {"algorithm_combo", algorithm_combo},
                {"password_label", password_label},
                {"password_text", password_text},
                {"save_password_check", save_password_check},
                {"create_result_label", create_result_label},
                {"create_button", create_button},
                {"import_bitmap", import_bitmap},
                {"import_title_label", import_title_label},
                {"import_note_label", import_note_label},
                {"request_link", request_link},
                {"pfx_path_label", pfx_path_label},
                {"pfx_path_text", pfx_path_text},
                {"select_pfx_button", select_pfx_button},
                {"pfx_password_label", pfx_password_label},
                {"pfx_password_text", pfx_password_text},
                {"save_pfx_password_check", save_pfx_password_check},
                {"import_result_label", import_result_label},
                {"import_button", import_button},
                {"close_button", close_button}};
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_size, wxSizeEvent)
    RECORD(on_algorithm_changed, wxCommandEvent)
    RECORD(on_create, wxCommandEvent)
    RECORD(on_select_pfx, wxCommandEvent)
    RECORD(on_import, wxCommandEvent)
    void on_close_button(wxCommandEvent& e) override {
        calls.push_back("on_close_button");
        objects.push_back(e.GetEventObject());
        e.Skip();
    }
};

TEST(cert_makedlg_base, controls_limits_link_and_handlers) {
    auto* d = new probe_cert_makedlg;
    dialog_guard g{d};
    windows m = d->members();
    const char* tip = "it's Encrypted at local";
    check_controls(
        d, m,
        {{"make_bitmap", is<wxStaticBitmap>(), nullptr, 0, "staticBitmap", "*", nullptr},
         {"make_title_label", is<wxStaticText>(), nullptr, 0, "staticText", "Make a Digital Certificate", nullptr},
         {"make_note_label", is<wxStaticText>(), nullptr, 0, "staticText", "*", nullptr},
         {"name_label", is<wxStaticText>(), nullptr, 0, "staticText", "Common Name: ", nullptr},
         {"name_text", is<wxTextCtrl>(), nullptr, 0, "text", "", nullptr},
         {"algorithm_label", is<wxStaticText>(), nullptr, 0, "staticText", "Algorithm:", nullptr},
         {"algorithm_combo", is<wxComboBox>(), nullptr, 0, "comboBox", "*", nullptr},
         {"password_label", is<wxStaticText>(), nullptr, 0, "staticText", "Password: ", nullptr},
         {"password_text", is<wxTextCtrl>(), nullptr, 0, "text", "", nullptr},
         {"save_password_check", is<wxCheckBox>(), nullptr, 0, "check", "Save Password", tip},
         {"create_result_label", is<wxt_active_textctrl>(), nullptr, 0, "staticText", "create result", nullptr},
         {"create_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Create", nullptr},
         {"import_bitmap", is<wxStaticBitmap>(), nullptr, 0, "staticBitmap", "*", nullptr},
         {"import_title_label", is<wxStaticText>(), nullptr, 0, "staticText",
          "Import a Pfx Certificate to Certificate store", nullptr},
         {"import_note_label", is<wxStaticText>(), nullptr, 0, "staticText", "*", nullptr},
         {"request_link", is<wxt_hyperlink>(), nullptr, 0, "staticText", "*", nullptr},
         {"pfx_path_label", is<wxStaticText>(), nullptr, 0, "staticText", "PFX file path: ", nullptr},
         {"pfx_path_text", is<wxTextCtrl>(), nullptr, 0, "text", "", nullptr},
         {"select_pfx_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Select", nullptr},
         {"pfx_password_label", is<wxStaticText>(), nullptr, 0, "staticText", "PFX password: ", nullptr},
         {"pfx_password_text", is<wxTextCtrl>(), nullptr, 0, "text", "", nullptr},
         {"save_pfx_password_check", is<wxCheckBox>(), nullptr, 0, "check", "Save Password", tip},
         {"import_result_label", is<wxt_active_textctrl>(), nullptr, 0, "staticText", "import pfx result", nullptr},
         {"import_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Import", nullptr},
         {"close_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Close", nullptr}});
    EXPECT_EQ(d->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    EXPECT_EQ(d->GetSize(), wxSize(538, 664));
    auto* combo = static_cast<wxComboBox*>(m["algorithm_combo"]);
    EXPECT_EQ(combo->GetCount(), 0u);
    EXPECT_TRUE(combo->HasFlag(wxCB_READONLY));
    for (const char* c : {"save_password_check", "save_pfx_password_check"})
        EXPECT_FALSE(static_cast<wxCheckBox*>(m[c])->GetValue()) << c;
    for (const char* p : {"password_text", "pfx_password_text"}) EXPECT_TRUE(m[p]->HasFlag(wxTE_PASSWORD)) << p;
    for (const char* t : {"make_title_label", "import_title_label"})
        EXPECT_TRUE(same_font(m[t]->GetFont(), normal_points())) << t;
    // The notes break at the column's width and keep their words.
    wxString note = m["make_note_label"]->GetLabel();
    note.Replace("\n", " ");
    EXPECT_EQ(note, "Make a free selfsigned certificate, signed files need to be add trust by recepient manually");
    for (const char* t : {"name_text", "password_text", "pfx_path_text", "pfx_password_text", "algorithm_combo"})
        EXPECT_EQ(m[t]->GetMinSize().x, 240) << t;
    // The fields refuse text beyond their limits.
    const std::pair<const char*, size_t> limits[] = {
        {"name_text", 25}, {"password_text", 20}, {"pfx_path_text", 255}, {"pfx_password_text", 20}};
    for (const auto& [field, limit] : limits) {
        auto* t = static_cast<wxTextCtrl*>(m[field]);
        for (size_t i = 0; i < limit + 5; ++i) t->WriteText("x");
        EXPECT_EQ(t->GetValue().length(), limit) << field;
        t->ChangeValue(wxString());
    }
    // Select asked for no border: the button draws its own frame; the other
    // three asked for none.
    EXPECT_TRUE(static_cast<wxt_colorbutton*>(m["select_pfx_button"])->border);
    for (const char* b : {"create_button", "import_button", "close_button"})
        EXPECT_FALSE(static_cast<wxt_colorbutton*>(m[b])->border) << b;
    // The request link names the support address and mails it alone.
    auto* link = static_cast<wxt_hyperlink*>(m["request_link"]);
    EXPECT_TRUE(link->GetLabel().Contains("<" + mail + ">"));
    EXPECT_EQ(link->click_target(), "mailto:" + mail);
    EXPECT_TRUE(link->GetFont().GetUnderlined());
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_algorithm_changed", wxEVT_COMBOBOX, "algorithm_combo"},
                    {"on_create", wxEVT_BUTTON, "create_button"},
                    {"on_select_pfx", wxEVT_BUTTON, "select_pfx_button"},
                    {"on_import", wxEVT_BUTTON, "import_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    expect_sound_layout(d, wxSize(538, 664));
    d->Hide();
    // Enter in a field clicks Close, the default button; the form ends nothing.
    d->calls.clear();
    EXPECT_EQ(modal_result(d, [&] { press(m["name_text"], WXK_RETURN); }), no_answer);
    EXPECT_NE(std::find(d->calls.begin(), d->calls.end(), "on_close_button"), d->calls.end());
}

// -------------------------------------------------------- cert_select_dlg

class probe_cert_select_dlg : public cert_select_dlg_base, public recorder {
public:
    probe_cert_select_dlg() : cert_select_dlg_base(nullptr, wxID_ANY, "Select a certificate") {}
    windows members() const {
        return {{"title_bitmap", title_bitmap},
                {"title_label", title_label},
                {"create_import_link", create_import_link},
                {"details_panel", details_panel},
                {"subject_caption_label", subject_caption_label},
                {"subject_label", subject_label},
                {"issuer_caption_label", issuer_caption_label},
                {"issuer_label", issuer_label},
                {"expiry_caption_label", expiry_caption_label},
                {"expiry_label", expiry_label},
                {"serial_caption_label", serial_caption_label},
                {"serial_label", serial_label},
                {"cert_list", cert_list},
                {"ok_button", ok_button}};
    }
    wxDataViewListCtrl* list() const { return cert_list; }
    std::vector<wxDataViewColumn*> columns() const { return {name_column}; }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_size, wxSizeEvent)
    RECORD(on_create_import, wxMouseEvent)
    RECORD(on_item_activated, wxDataViewEvent)
    RECORD(on_selection_changed, wxDataViewEvent)
    RECORD(on_ok, wxCommandEvent)
};

TEST(cert_select_dlg_base, controls_details_box_list_and_handlers) {
    auto* d = new probe_cert_select_dlg;
    dialog_guard g{d};
    windows m = d->members();
    wxWindow* box = m["details_panel"];
    check_controls(d, m,
                   {{"title_bitmap", is<wxStaticBitmap>(), nullptr, 0, "staticBitmap", "*", nullptr},
                    {"title_label", is<wxStaticText>(), nullptr, 0, "staticText", "Select a Digital Certificate",
                     nullptr},
                    {"create_import_link", is<wxt_hyperlink>(), nullptr, 0, "staticText", "Create/Import...",
                     nullptr},
                    {"details_panel", is<wxPanel>(), nullptr, 0, "panel", "*", nullptr},
                    {"subject_caption_label", is<wxStaticText>(), box, 0, "staticText", "Subject: ", nullptr},
                    {"subject_label", is<wxStaticText>(), box, 0, "staticText", "MyLabel", nullptr},
                    {"issuer_caption_label", is<wxStaticText>(), box, 0, "staticText", "Issuer: ", nullptr},
                    {"issuer_label", is<wxStaticText>(), box, 0, "staticText", "MyLabel", nullptr},
                    {"expiry_caption_label", is<wxStaticText>(), box, 0, "staticText", "Expired: ", nullptr},
                    {"expiry_label", is<wxStaticText>(), box, 0, "staticText", "MyLabel", nullptr},
                    {"serial_caption_label", is<wxStaticText>(), box, 0, "staticText", "Sn: ", nullptr},
                    {"serial_label", is<wxStaticText>(), box, 0, "staticText", "MyLabel", nullptr},
                    {"cert_list", is<wxDataViewListCtrl>(), nullptr, 0, "dataviewCtrl", "*", nullptr},
                    {"ok_button", is<wxt_colorbutton>(), nullptr, 0, "button", "OK", nullptr}});
    EXPECT_EQ(d->GetMinSize(), wxSize(450, 600));
    EXPECT_EQ(d->GetSize(), wxSize(450, 652));
    EXPECT_EQ(box->GetBackgroundColour(), wxColour(227, 227, 227));
    for (wxWindow* c : box->GetChildren()) EXPECT_EQ(c->GetForegroundColour(), wxColour(0, 0, 0));
    for (long f : {wxDV_NO_HEADER, wxDV_ROW_LINES, wxDV_VARIABLE_LINE_HEIGHT})
        EXPECT_TRUE(m["cert_list"]->HasFlag(f)) << f;
    EXPECT_FALSE(m["cert_list"]->HasFlag(wxDV_MULTIPLE));
    EXPECT_EQ(m["cert_list"]->GetForegroundColour(), wxColour(0, 0, 0));
    EXPECT_EQ(m["cert_list"]->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    check_columns(d->list(), d->columns(),
                  {{"Name", 0, "wxDataViewIconText", wxDATAVIEW_COL_RESIZABLE | wxDATAVIEW_COL_SORTABLE}});
    EXPECT_TRUE(same_font(m["create_import_link"]->GetFont(), normal_points(), true));
    EXPECT_EQ(d->GetDefaultItem(), nullptr) << "OK is not the default button";
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_create_import", wxEVT_LEFT_UP, "create_import_link"},
                    {"on_item_activated", wxEVT_DATAVIEW_ITEM_ACTIVATED, "cert_list"},
                    {"on_selection_changed", wxEVT_DATAVIEW_SELECTION_CHANGED, "cert_list"},
                    {"on_ok", wxEVT_BUTTON, "ok_button"}},
                   d->calls, d->objects);
    expect_sound_layout(d, wxSize(450, 652));
    // Only the list grows in the details-and-list column.
    EXPECT_GT(m["cert_list"]->GetSize().y, 300);
}

// --------------------------------------------------------- agreement_dlg

class probe_agreement_dlg : public agreement_dlg_base, public recorder {
public:
    probe_agreement_dlg() : agreement_dlg_base(nullptr) {}
    windows members() const {
        return {{"agreement_text", agreement_text},
                {"agree_button", agree_button},
                {"decline_button", decline_button},
                {"close_button", close_button}};
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_size, wxSizeEvent)
    RECORD(on_agree, wxCommandEvent)
    RECORD(on_decline, wxCommandEvent)
    RECORD(on_close_button, wxCommandEvent)
};

TEST(agreement_dlg_base, controls_and_handlers) {
    auto* d = new probe_agreement_dlg;
    dialog_guard g{d};
    windows m = d->members();
    check_controls(d, m,
                   {{"agreement_text", is<wxTextCtrl>(), nullptr, 0, "text", "", nullptr},
                    {"agree_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Agree", nullptr},
                    {"decline_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Decline", nullptr},
                    {"close_button", is<wxt_colorbutton>(), nullptr, wxID_CANCEL, "button", "Close", nullptr}});
    EXPECT_TRUE(d->HasFlag(wxSTAY_ON_TOP));
    EXPECT_EQ(d->GetMinSize(), wxSize(-1, 520));
    EXPECT_EQ(d->GetBackgroundColour(), wxColour(60, 60, 60));
    auto* text = static_cast<wxTextCtrl*>(m["agreement_text"]);
    EXPECT_TRUE(text->IsMultiLine());
    EXPECT_FALSE(text->IsEditable());
    EXPECT_TRUE(text->HasFlag(wxBORDER_NONE));
    EXPECT_FALSE(text->HasFlag(wxHSCROLL));
    EXPECT_EQ(text->GetForegroundColour(), wxColour(255, 255, 255));
    EXPECT_EQ(text->GetBackgroundColour(), wxColour(0, 0, 0));
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_agree", wxEVT_BUTTON, "agree_button"},
                    {"on_decline", wxEVT_BUTTON, "decline_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    expect_sound_layout(d, wxSize(700, 520));
    // Agree and Decline are alike and side by side; Close is wider, below.
    const wxRect agree = m["agree_button"]->GetRect(), decline = m["decline_button"]->GetRect();
    const wxRect close = m["close_button"]->GetRect();
    EXPECT_EQ(agree.y, decline.y);
    EXPECT_NEAR(agree.width, decline.width, 1);
    EXPECT_GT(close.y, agree.GetBottom());
    EXPECT_GT(close.width, agree.width);
}

// ----------------------------------------------------------- version_dlg

class probe_version_dlg : public version_dlg_base, public recorder {
public:
    probe_version_dlg() : version_dlg_base(nullptr) {}
    windows members() const {
        return {{"status_label", status_label},
                {"newest_caption_label", newest_caption_label},
                {"newest_version_label", newest_version_label},
                {"current_caption_label", current_caption_label},
                {"current_version_label", current_version_label},
                {"release_notes_label", release_notes_label},
                {"update_button", update_button},
                {"close_button", close_button}};
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_update, wxCommandEvent)
    RECORD(on_close_button, wxCommandEvent)
};

TEST(version_dlg_base, controls_table_and_handlers) {
    auto* d = new probe_version_dlg;
    dialog_guard g{d};
    windows m = d->members();
    check_controls(
        d, m,
        {{"status_label", is<wxt_active_textctrl>(), nullptr, 0, "staticText", "Current version is the newest now!",
          nullptr},
         {"newest_caption_label", is<wxStaticText>(), nullptr, 0, "staticText", "Newest Version:", nullptr},
         {"newest_version_label", is<wxStaticText>(), nullptr, 0, "staticText", "1.0.0.0", nullptr},
         {"current_caption_label", is<wxStaticText>(), nullptr, 0, "staticText", "Current version: ", nullptr},
         {"current_version_label", is<wxStaticText>(), nullptr, 0, "staticText", "1.0.0.0", nullptr},
         {"release_notes_label", is<wxt_active_textctrl>(), nullptr, 0, "staticText",
          "update log lines, if have new version", nullptr},
         {"update_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Update", nullptr},
         {"close_button", is<wxt_colorbutton>(), nullptr, wxID_CANCEL, "button", "Close", nullptr}});
    EXPECT_EQ(d->GetMinSize(), wxSize(520, 520));
    EXPECT_EQ(d->GetBackgroundColour(), wxColour(60, 60, 60));
    EXPECT_TRUE(same_font(m["status_label"]->GetFont(), 12));
    EXPECT_TRUE(m["status_label"]->HasFlag(wxALIGN_CENTRE_HORIZONTAL));
    for (const char* l : {"status_label", "newest_caption_label", "newest_version_label", "current_caption_label",
                          "current_version_label", "release_notes_label"})
        EXPECT_EQ(m[l]->GetForegroundColour(), wxColour(255, 255, 255)) << l;
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_update", wxEVT_BUTTON, "update_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);
    // No size handler.
    d->calls.clear();
    wxSizeEvent size(d->GetSize());
    size.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(size);
    EXPECT_TRUE(d->calls.empty());
    expect_sound_layout(d, wxSize(520, 520));
    // The table fills row by row; Update stands above Close.
    EXPECT_EQ(m["newest_caption_label"]->GetPosition().y, m["newest_version_label"]->GetPosition().y);
    EXPECT_LT(m["newest_caption_label"]->GetPosition().y, m["current_caption_label"]->GetPosition().y);
    EXPECT_LT(m["update_button"]->GetPosition().y, m["close_button"]->GetPosition().y);
    // A hidden pair takes no space once laid out again.
    const int current_y = m["current_caption_label"]->GetPosition().y;
    m["newest_caption_label"]->Hide();
    m["newest_version_label"]->Hide();
    d->Layout();
    EXPECT_LT(m["current_caption_label"]->GetPosition().y, current_y);
}

// ---------------------------------------------------------- feedback_dlg

class probe_feedback_dlg : public feedback_dlg_base, public recorder {
public:
    probe_feedback_dlg() : feedback_dlg_base(nullptr) {}
    windows members() const {
        return {{"intro_label", intro_label},   {"message_text", message_text}, {"contact_caption_label", contact_caption_label},
                {"contact_text", contact_text}, {"result_label", result_label}, {"mail_link", mail_link},
                {"submit_button", submit_button}, {"close_button", close_button}};
    }
    wxString seen_text;
    void on_text_changed(wxCommandEvent& e) override {
        calls.push_back("on_text_changed");
        objects.push_back(e.GetEventObject());
        seen_text = message_text->GetValue();
    }
    RECORD(on_close, wxCloseEvent)
    RECORD(on_init_dialog, wxInitDialogEvent)
    RECORD(on_size, wxSizeEvent)
    RECORD(on_mail_link, wxHyperlinkEvent)
    RECORD(on_submit, wxCommandEvent)
    RECORD(on_close_button, wxCommandEvent)
};

TEST(feedback_dlg_base, controls_limits_link_and_handlers) {
    auto* d = new probe_feedback_dlg;
    dialog_guard g{d};
    windows m = d->members();
    check_controls(
        d, m,
        {{"intro_label", is<wxStaticText>(), nullptr, 0, "staticText", "*", nullptr},
         {"message_text", is<wxTextCtrl>(), nullptr, 0, "text", "Say somthing about this app", nullptr},
         {"contact_caption_label", is<wxStaticText>(), nullptr, 0, "staticText", "Contact: ", nullptr},
         {"contact_text", is<wxTextCtrl>(), nullptr, 0, "text", mail, nullptr},
         {"result_label", is<wxt_active_textctrl>(), nullptr, 0, "staticText", "submitting...", nullptr},
         {"mail_link", is<wxHyperlinkCtrl>(), nullptr, 0, "hyperlink", "*", nullptr},
         {"submit_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Submit", nullptr},
         {"close_button", is<wxt_colorbutton>(), nullptr, 0, "button", "Close", nullptr}});
    EXPECT_EQ(d->GetBackgroundColour(), wxColour(60, 60, 60));
    wxString intro = m["intro_label"]->GetLabel();
    intro.Replace("\n", " ");
    EXPECT_EQ(intro,
              "Thank you for using Velkorant application, welcome to post any suggestion or bug, we will reply you as "
              "soon as possible");
    auto* message = static_cast<wxTextCtrl*>(m["message_text"]);
    auto* contact = static_cast<wxTextCtrl*>(m["contact_text"]);
    auto* link = static_cast<wxHyperlinkCtrl*>(m["mail_link"]);
    EXPECT_TRUE(message->IsMultiLine());
    EXPECT_TRUE(message->HasFlag(wxBORDER_SIMPLE));
    EXPECT_FALSE(message->HasFlag(wxHSCROLL));
    EXPECT_TRUE(same_font(message->GetFont(), 10));
    EXPECT_EQ(message->GetForegroundColour(), wxColour(255, 255, 255));
    EXPECT_EQ(message->GetBackgroundColour(), wxColour(0, 0, 0));
    EXPECT_TRUE(contact->IsSingleLine());
    EXPECT_TRUE(contact->HasFlag(wxTE_CENTRE));
    EXPECT_EQ(contact->GetForegroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    EXPECT_TRUE(m["contact_caption_label"]->HasFlag(wxALIGN_RIGHT));
    EXPECT_EQ(link->GetURL(), "mailto:" + mail);
    EXPECT_TRUE(link->GetLabel().EndsWith("(" + mail + ")"));
    EXPECT_EQ(d->GetDefaultItem(), m["submit_button"]);
    EXPECT_EQ(d->FindWindow(wxID_CANCEL), nullptr);
    EXPECT_EQ(d->FindWindow(wxID_OK), nullptr);
    check_handlers(d, m,
                   {{"on_close", wxEVT_CLOSE_WINDOW, ""},
                    {"on_init_dialog", wxEVT_INIT_DIALOG, ""},
                    {"on_size", wxEVT_SIZE, ""},
                    {"on_text_changed", wxEVT_TEXT, "message_text"},
                    {"on_mail_link", wxEVT_HYPERLINK, "mail_link"},
                    {"on_submit", wxEVT_BUTTON, "submit_button"},
                    {"on_close_button", wxEVT_BUTTON, "close_button"}},
                   d->calls, d->objects);

    // The message takes at most 512 characters: text typed beyond is refused,
    // wherever the caret stands, and the text handler sees the kept text.
    const size_t limit = feedback_dlg_base::message_limit;
    message->SetValue(wxString('a', limit - 2));
    EXPECT_EQ(message->GetValue().length(), limit - 2);
    d->calls.clear();
    message->SetInsertionPoint(3);
    message->WriteText("XYZW");
    EXPECT_TRUE(gui_test::run_until([&] { return message->GetValue().length() == limit; }));
    gui_test::settle(milliseconds(20));
    EXPECT_EQ(message->GetValue().length(), limit);
    EXPECT_EQ(message->GetValue().substr(0, 6), "aaaXYa");
    EXPECT_FALSE(d->calls.empty());
    EXPECT_EQ(d->seen_text, message->GetValue());
    message->SetValue(wxString('b', limit + 100));  // a paste of too much keeps the first part
    EXPECT_TRUE(gui_test::run_until([&] { return message->GetValue().length() == limit; }));
    EXPECT_EQ(message->GetValue(), wxString('b', limit));
    EXPECT_EQ(d->seen_text, message->GetValue()) << "the handler never sees more than the limit";
    contact->ChangeValue(wxString());
    for (size_t i = 0; i < feedback_dlg_base::contact_limit + 5; ++i) contact->WriteText("c");
    EXPECT_EQ(contact->GetValue().length(), feedback_dlg_base::contact_limit);

    expect_sound_layout(d, wxSize(646, 480));
    EXPECT_LT(m["submit_button"]->GetPosition().y, m["close_button"]->GetPosition().y);
    EXPECT_EQ(m["submit_button"]->GetSize(), m["close_button"]->GetSize());
}

// ------------------------------------------------------------- donate_dlg

class probe_donate_dlg : public donate_dlg_base, public recorder {
public:
    probe_donate_dlg() : donate_dlg_base(nullptr) {}
    windows members() const {
        return {{"message_label", message_label}, {"alipay_panel", alipay_panel},   {"alipay_label", alipay_label},
                {"alipay_bitmap", alipay_bitmap}, {"wechat_panel", wechat_panel},   {"wechat_label", wechat_label},
                {"wechat_bitmap", wechat_bitmap}, {"close_button", close_button}};
    }
    RECORD(on_init_dialog, wxInitDialogEvent)
    void on_size(wxSizeEvent& e) override {
        calls.push_back("on_size");
        objects.push_back(e.GetEventObject());
        e.Skip();
    }
};

TEST(donate_dlg_base, controls_codes_and_handlers) {
    auto* d = new probe_donate_dlg;
    dialog_guard g{d};
    windows m = d->members();
    wxWindow* ali = m["alipay_panel"];
    wxWindow* we = m["wechat_panel"];
    check_controls(d, m,
                   {{"message_label", is<wxStaticText>(), nullptr, 0, "staticText",
                     "This's a Free Software, your donation is a great support !", nullptr},
                    {"alipay_panel", is<wxPanel>(), nullptr, 0, "panel", "*", nullptr},
                    {"alipay_label", is<wxStaticText>(), ali, 0, "staticText", "AliPay", nullptr},
                    {"alipay_bitmap", is<wxStaticBitmap>(), ali, 0, "staticBitmap", "*", nullptr},
                    {"wechat_panel", is<wxPanel>(), nullptr, 0, "panel", "*", nullptr},
                    {"wechat_label", is<wxStaticText>(), we, 0, "staticText", "WeChat", nullptr},
                    {"wechat_bitmap", is<wxStaticBitmap>(), we, 0, "staticBitmap", "*", nullptr},
                    {"close_button", is<wxt_colorbutton>(), nullptr, wxID_OK, "button", "Close", nullptr}});
    EXPECT_FALSE(d->HasFlag(wxCAPTION));
    EXPECT_FALSE(d->HasFlag(wxCLOSE_BOX));
    EXPECT_EQ(d->GetMinSize(), wxSize(-1, 600));
    EXPECT_EQ(d->GetBackgroundColour(), wxColour(60, 60, 60));
    EXPECT_EQ(ali->GetBackgroundColour(), wxColour(25, 119, 225));
    EXPECT_EQ(we->GetBackgroundColour(), wxColour(36, 169, 62));
    EXPECT_TRUE(same_font(m["message_label"]->GetFont(), 15));
    EXPECT_TRUE(same_font(m["alipay_label"]->GetFont(), 20));
    EXPECT_TRUE(same_font(m["close_button"]->GetFont(), 10));
    EXPECT_EQ(d->GetDefaultItem(), m["close_button"]);
    const wxBitmap codes[] = {static_cast<wxStaticBitmap*>(m["alipay_bitmap"])->GetBitmap(),
                              static_cast<wxStaticBitmap*>(m["wechat_bitmap"])->GetBitmap()};
    for (const wxBitmap& b : codes) EXPECT_EQ(b.GetSize(), wxSize(320, 320));
    // Each code is a function static: a second dialog shows the same bitmap.
    EXPECT_EQ(&bitmap_qr_alipay_320(), &bitmap_qr_alipay_320());
    EXPECT_EQ(bitmap_qr_alipay_320().GetRefData(), codes[0].GetRefData());
    EXPECT_NE(bitmap_qr_alipay_320().GetRefData(), bitmap_qr_wechat_320().GetRefData());
    check_handlers(d, m, {{"on_init_dialog", wxEVT_INIT_DIALOG, ""}, {"on_size", wxEVT_SIZE, ""}}, d->calls,
                   d->objects);
    expect_sound_layout(d, wxSize(761, 600));
    // The panels share the width and touch each other and the edges.
    const wxRect a = ali->GetRect(), b = we->GetRect();
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.GetRight() + 1, b.x);
    EXPECT_EQ(b.GetRight() + 1, d->GetClientSize().x);
    EXPECT_NEAR(a.width, b.width, 1);
}

// ------------------------------------------------------ Escape and Enter

struct key_case {
    const char* form;
    std::function<wxDialog*()> make;
    int key;
    const char* focus;  // member name in the window tree, "" for the dialog
    int result;
};

wxWindow* find_named(wxWindow* root, const wxString& label) {
    for (wxWindow* c : root->GetChildren()) {
        if (c->GetLabel() == label) return c;
        if (wxWindow* f = find_named(c, label)) return f;
    }
    return nullptr;
}

TEST(dialog_forms, escape_and_enter_end_the_dialogs_as_their_buttons_say) {
    const std::vector<key_case> cases = {
        // Close with wxID_CANCEL: Escape and Enter both click it.
        {"agreement", [] { return new agreement_dlg_base(nullptr); }, WXK_ESCAPE, "", wxID_CANCEL},
        {"agreement", [] { return new agreement_dlg_base(nullptr); }, WXK_RETURN, "", wxID_CANCEL},
        {"version", [] { return new version_dlg_base(nullptr); }, WXK_ESCAPE, "", wxID_CANCEL},
        // Close with wxID_OK, the affirmative id: both end with wxID_OK.
        {"donate", [] { return new donate_dlg_base(nullptr); }, WXK_NUMPAD_ENTER, "", wxID_OK},
        {"donate", [] { return new donate_dlg_base(nullptr); }, WXK_ESCAPE, "", wxID_OK},
        // No button with a standard id: the form ends nothing.
        {"feedback", [] { return new feedback_dlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
        {"feedback", [] { return new feedback_dlg_base(nullptr); }, WXK_RETURN, "Contact: ", no_answer},
        {"make certificate", [] { return new cert_makedlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
        {"select certificate", [] { return new cert_select_dlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
        {"select certificate", [] { return new cert_select_dlg_base(nullptr); }, WXK_RETURN, "", no_answer},
        {"signature status", [] { return new simple_sigdlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
        {"signature properties", [] { return new sig_infodlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
        {"certificate", [] { return new cert_infodlg_base(nullptr); }, WXK_ESCAPE, "", no_answer},
    };
    for (const key_case& c : cases) {
        SCOPED_TRACE(std::string(c.form) + " key " + std::to_string(c.key));
        wxDialog* d = c.make();
        dialog_guard g{d};
        wxWindow* focus = d;
        if (*c.focus) {
            focus = find_named(d, c.focus);
            ASSERT_NE(focus, nullptr);
        }
        EXPECT_EQ(modal_result(d, [&] { press(focus, c.key); }), c.result);
    }
}

TEST(dialog_forms, multi_line_fields_keep_enter_for_a_new_line) {
    auto* d = new feedback_dlg_base(nullptr);
    dialog_guard g{d};
    wxWindow* message = nullptr;
    for (wxWindow* c : d->GetChildren())
        if (auto* t = dynamic_cast<wxTextCtrl*>(c); t && t->IsMultiLine()) message = t;
    ASSERT_NE(message, nullptr);
    bool submitted = false;
    d->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) {
        submitted = true;
        e.Skip();
    });
    EXPECT_EQ(modal_result(d, [&] { press(message, WXK_RETURN); }), no_answer);
    EXPECT_FALSE(submitted);
    // A click on Close with the default handler ends nothing either.
    EXPECT_EQ(modal_result(d, [&] { click(find_named(d, "Close")); }), no_answer);
    // A read-only area has no use for Enter: it reaches the default button.
    auto* agreement = new agreement_dlg_base(nullptr);
    dialog_guard g2{agreement};
    wxWindow* area = nullptr;
    for (wxWindow* c : agreement->GetChildren())
        if (dynamic_cast<wxTextCtrl*>(c)) area = c;
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(modal_result(agreement, [&] { press(area, WXK_RETURN); }), wxID_CANCEL);
}

TEST(dialog_forms, a_click_on_close_ends_version_and_agreement_with_cancel) {
    for (wxDialog* d : std::initializer_list<wxDialog*>{new version_dlg_base(nullptr), new agreement_dlg_base(nullptr)}) {
        dialog_guard g{d};
        bool closed = false;
        d->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
            closed = true;
            e.Skip();
        });
        EXPECT_EQ(modal_result(d, [&] { click(d->FindWindow(wxID_CANCEL)); }), wxID_CANCEL);
        EXPECT_FALSE(closed) << "ends without a close event";
        // Update, Agree and Decline end nothing.
        for (const char* b : {"Update", "Agree", "Decline"})
            if (wxWindow* w = find_named(d, b)) {
                EXPECT_EQ(modal_result(d, [&] { click(w); }), no_answer) << b;
            }
    }
}

// ---------------------------------------------------------------- gallery

TEST(gallery, dialog_forms) {
    const std::vector<std::pair<std::string, std::function<wxDialog*()>>> forms = {
        {"simple_sigdlg", [] { return new simple_sigdlg_base(nullptr, wxID_ANY, "Signature Validation Status"); }},
        {"sig_infodlg", [] { return new sig_infodlg_base(nullptr, wxID_ANY, "Signature Properties"); }},
        {"cert_infodlg", [] { return new cert_infodlg_base(nullptr, wxID_ANY, "Certificate"); }},
        {"cert_makedlg", [] { return new cert_makedlg_base(nullptr, wxID_ANY, "Make or Import a Certificate"); }},
        {"cert_select_dlg", [] { return new cert_select_dlg_base(nullptr, wxID_ANY, "Select a certificate"); }},
        {"agreement_dlg", [] { return new agreement_dlg_base(nullptr, wxID_ANY, "Agreement"); }},
        {"version_dlg", [] { return new version_dlg_base(nullptr, wxID_ANY, "Version"); }},
        {"feedback_dlg", [] { return new feedback_dlg_base(nullptr, wxID_ANY, "Feedback"); }},
        {"donate_dlg", [] { return new donate_dlg_base(nullptr); }},
    };
    for (const auto& [name, make] : forms) {
        wxDialog* d = make();
        d->Move(0, 0);
        EXPECT_FALSE(gui_test::save_screenshot(d, name).empty());
        // Both pages of the notebook dialogs.
        for (wxWindow* c : d->GetChildren())
            if (auto* book = dynamic_cast<wxNotebook*>(c)) {
                book->ChangeSelection(0);
                d->Layout();
                gui_test::save_screenshot(d, name + "_page0");
            }
        d->Destroy();
        gui_test::settle(milliseconds(20));
    }
}

}  // namespace
