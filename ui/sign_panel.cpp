#include "ui/sign_panel.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include <wx/choice.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/uri.h>

#include "app/exceptionex.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "crypto/certstore.h"
#include "crypto/local_time.h"
#include "document/doc_base.h"
#include "document/file_types.h"
#include "document/sigcheck.h"
#include "document/sig_result.h"
#include "forms/pictures.h"
#include "ui/expandbar.h"
#include "ui/frame.h"
#include "ui/infobar.h"
#include "ui/page_glcanvas.h"
#include "ui/stamp_panel.h"
#include "widgets/form_support.h"
#include "widgets/theme_bitmaps.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_image_selctrl.h"

namespace fs = std::filesystem;

std::atomic<bool> doc_signing{false};
sign_panel* the_sign_panel = nullptr;

namespace {

const wxColour notice_colour(255, 128, 61);
const wxColour success_colour(13, 147, 45);
const wxColour failure_colour(255, 0, 0);
constexpr wchar_t sign_tag[] = L"sign";
// A public RFC 3161 service for the default document time-stamp stamp.
constexpr char default_tsa_url[] = "http://timestamp.digicert.com";

fs::path to_path(const std::wstring& p) { return fs::path(wide_to_utf8(p)); }

bool file_exists(const std::wstring& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(to_path(p), ec);
}

void remove_quietly(const std::wstring& p) {
    if (p.empty()) return;
    std::error_code ec;
    fs::remove(to_path(p), ec);
}

// Same file on disk (links and differently written paths included); a path
// that does not exist yet is the same only when the texts are equal.
bool same_file(const std::wstring& a, const std::wstring& b) {
    if (a == b) return true;
    std::error_code ec;
    const bool same = fs::equivalent(to_path(a), to_path(b), ec);
    return !ec && same;
}

// A new, not yet existing path in the folder of `target`, so that the final
// rename stays on one file system and never leaves a half-written target.
std::wstring temp_beside(const std::wstring& target) {
    const fs::path t = to_path(target);
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        char tail[32];
        std::snprintf(tail, sizeof tail, ".%08x.tmp.pdf", static_cast<unsigned>(rd()));
        const fs::path p = t.parent_path() / ("." + t.filename().string() + tail);
        std::error_code ec;
        if (!fs::exists(p, ec)) return utf8_to_wide(p.string());
    }
    throw_ex_fmt("%s(), no temporary name beside the output", "");
    return {};
}

std::wstring server_host(const std::string& url) {
    wxURI uri(wxString::FromUTF8(url));
    const wxString host = uri.GetServer();
    return (host.empty() ? wxString::FromUTF8(url) : host).ToStdWstring();
}

bool stamps_equal(const sigstampui& a, const sigstampui& b) {
    return a.name == b.name && a.is_localsign == b.is_localsign && a.is_visible == b.is_visible &&
           a.imgfname == b.imgfname && a.access == b.access && a.info == b.info && a.is_tsmode == b.is_tsmode &&
           a.tsurl == b.tsurl && a.addr == b.addr && a.user == b.user && a.pswd == b.pswd && a.reason == b.reason &&
           a.location == b.location && a.contact == b.contact;
}

// The screen scale to apply to sizes in window units. screen_scale_percent
// already leaves out what the toolkit scales itself (GDK_SCALE); dividing by
// that factor again made the panel's parts half their size at 200 %.
int own_scale(const wxWindow*) { return screen_scale_percent; }

bool locking_test() { return document_locked_for_signing(current_document); }

// Whether a stamp read from the settings can be offered.
bool usable_stamp(const sigstampui& s) {
    if (s.name.empty()) return false;
    if (s.is_localsign) {
        if (s.is_visible && !file_exists(s.imgfname)) return false;
        if (!s.access.check_access()) {
            std::printf("\n\n[ERROR] %ls(), cert_access_check failed, sb: %ls, sn: %s [ERROR]\n", L"",
                        s.info.subject.c_str(), s.info.sn.c_str());
            return false;
        }
        return !s.info.subject.empty() && !s.info.issuer.empty() && !s.info.expired.empty() && !s.info.sn.empty();
    }
    if (s.is_tsmode) return !s.tsurl.empty();
    return !s.addr.empty() && !s.user.empty() && !s.pswd.empty();
}

}  // namespace

wxBEGIN_EVENT_TABLE(sign_panel, sign_panel_base)
    EVT_THREAD(wxID_ANY, sign_panel::on_thread_event)
wxEND_EVENT_TABLE()

std::wstring default_output_name(const std::wstring& path, bool visible) {
    const std::size_t dot = path.rfind(L'.');
    // A dot inside a folder name is no extension.
    const std::size_t slash = path.find_last_of(L"/\\");
    std::wstring base = dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? path
                                                                                                   : path.substr(0, dot);
    const std::wstring suffix =
        (is_chinese_ui() && visible ? tr("- stamped") : tr(" - signed")).ToStdWstring();
    if (path.find(suffix) == std::wstring::npos) base += suffix;
    return base;
}

sign_panel::sign_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : sign_panel_base(parent, id, pos, size, style | wxTAB_TRAVERSAL, name) {
    the_sign_panel = this;
    // The form's sizers the panel shows and hides.
    modes_sizer = certify_mode_radio->GetContainingSizer();
    permission_sizer = permission_label->GetContainingSizer();
    info_sizer = selected_caption_label->GetContainingSizer();

    load_pictures();
    load_stamps();
    show_stamp_info(nullptr);

    // The permission choice takes the placeholder's place.
    const int index = [&] {
        int i = 0;
        for (wxSizerItem* item : permission_sizer->GetChildren()) {
            if (item->GetWindow() == permission_text) return i;
            ++i;
        }
        return i;
    }();
    permission_sizer->Detach(permission_text);
    permission_text->Destroy();
    permission_text = nullptr;
    wxArrayString levels;
    levels.Add(tr("No changes allowed"));
    levels.Add(tr("Form fill-in and digital signatures"));
    levels.Add(tr("Anotations, form fill-in, and digital signatures"));
    permission_choice = new wxChoice(body_panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, levels, 0,
                                     wxDefaultValidator, "choice");
    permission_choice->SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                                      "Segoe UI"));
    permission_sizer->Insert(index, permission_choice, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    permission_choice->Bind(wxEVT_CHOICE, &sign_panel::on_permission_choice, this);

    certify_mode_radio->SetValue(is_certify);
    sign_mode_radio->SetValue(!is_certify);
    permission_choice->SetSelection(std::min(3, std::max(1, certifyperms)) - 1);
    lock_document_check->SetValue(is_lock);
    lock_document_check->Show(!is_certify);
    body_panel->GetSizer()->Show(permission_sizer, false);
    modes_sizer->ShowItems(false);
    lock_document_check->Show(false);

    sign_result_label->SetLabel(wxEmptyString);
    sign_result_label->SetFont(wxFont(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                                      "Segoe UI"));
    sign_result_label->Hide();
    password_text->SetHint(tr("please input private key's password"));
    password_text->Hide();
    start_sign_button->Enable(false);
    start_best_height = start_sign_button->GetBestSize().y;

    apply_scale();
    apply_theme();
    Layout();
}

sign_panel::~sign_panel() {
    if (the_sign_panel == this) the_sign_panel = nullptr;
}

// ---- pictures, theme, scale ---------------------------------------------------------

void sign_panel::load_pictures() {
    if (own_scale(this) >= 199) {
        add_stamp_button->SetBitmap(bitmap_add_stamp_256());
        add_stamp_button->SetBitmapFocus(bitmap_add_stamp_hover_256());
        add_stamp_button->SetBitmapCurrent(bitmap_add_stamp_hover_256());
    }
    const bool zh = is_chinese_ui();
    invisible_picture = zh ? bitmap_stamp_invisible_cn_216x69() : bitmap_stamp_invisible_en_216x69();
    timestamp_picture = zh ? bitmap_stamp_timestamp_cn_216x69() : bitmap_stamp_timestamp_en_216x69();
    cloud_picture = zh ? bitmap_stamp_cloud_cn_216x69() : bitmap_stamp_cloud_en_216x69();
}

void sign_panel::apply_theme() {
    stamp_list_panel->SetBackgroundColour(theme_dialog_colour);
    add_stamp_button->SetBackgroundColour(theme_dialog_colour);
    for (wxBitmapButton* b : {add_stamp_small_button, top_stamp_button, remove_stamp_button})
        theme_bitmap_button(b, theme_panel_colour);
    for (wxWindow* w : std::initializer_list<wxWindow*>{title_label, hint_label, selected_caption_label,
                                                        selected_stamp_label, subject_caption_label, subject_label,
                                                        permission_label, certify_mode_radio, sign_mode_radio})
        w->SetForegroundColour(theme_text_colour);
    permission_choice->SetForegroundColour(theme_text_colour);
    permission_choice->SetBackgroundColour(theme_control_colour);
    lock_document_check->SetForegroundColour(theme_text_colour);
    lock_document_check->SetBackgroundColour(theme_panel_colour);
    sign_result_label->SetForegroundColour(notice_colour);
}

void sign_panel::set_list_height() {
    const int h = (thumbnail_size + 30) * own_scale(this) / 100;
    int display = wxDisplay::GetFromWindow(this);
    if (display == wxNOT_FOUND) display = 0;
    const int screen_h = wxDisplay(static_cast<unsigned>(display)).GetGeometry().height;
    const int list_h = screen_h > 1080 ? 2 * h : static_cast<int>(1.5 * h);
    stamp_list_panel->SetMinSize(wxSize(-1, list_h));
    stamp_list_panel->SetMaxSize(wxSize(-1, list_h));
}

void sign_panel::apply_scale() {
    set_list_height();
    start_sign_button->SetMinSize(wxSize(-1, start_best_height * own_scale(this) / 100));
}

void sign_panel::on_size(wxSizeEvent&) {
    apply_scale();
    Layout();
}

void sign_panel::flash(const wxColour& colour, const wxString& text) {
    sign_result_label->Show();
    sign_result_label->flash_message(colour, text, 6);
}

// ---- the stamp list ----------------------------------------------------------------

void sign_panel::load_stamps() {
    wxSizer* list = stamp_list_panel->GetSizer();
    bool have_timestamp = false;
    std::vector<std::unique_ptr<sigstampui>> stamps;
    stamps.swap(stamp_list);
    for (auto& s : stamps) {
        if (!s || !usable_stamp(*s)) continue;
        if (!s->is_localsign && s->is_tsmode && !s->tsurl.empty()) have_timestamp = true;
        add_stamp_row(s.release());
    }
    if (!have_timestamp) {
        auto* ts = new sigstampui();
        ts->name = wxGetTranslation(tr("Default documet timestamp")).ToStdWstring();
        ts->is_tsmode = true;
        ts->tsurl = default_tsa_url;
        ts->is_localsign = false;
        ts->is_visible = false;
        add_stamp_row(ts);
    }
    (void)list;
    store_stamps();
}

void sign_panel::store_stamps() {
    stamp_list.clear();
    for (auto& [id, row] : stamp_rows)
        if (row.stamp) stamp_list.push_back(std::make_unique<sigstampui>(*row.stamp));
    save_sigstampuis();
}

bool sign_panel::find_stamp(const sigstampui* stamp) const {
    if (!stamp) return false;
    for (const auto& [id, row] : stamp_rows)
        if (row.stamp && (row.stamp.get() == stamp || stamps_equal(*row.stamp, *stamp))) return true;
    return false;
}

wxBitmap sign_panel::row_picture(const sigstampui& s) const {
    if (s.is_localsign && s.is_visible && !s.imgfname.empty()) {
        wxImage image;
        if (file_exists(s.imgfname) && image.LoadFile(wxString(s.imgfname)) && image.IsOk()) {
            const int side = thumbnail_size * own_scale(this) / 100;
            const double k = std::min(double(side) / image.GetWidth(), double(side) / image.GetHeight());
            const int w = std::max(1, int(image.GetWidth() * k)), h = std::max(1, int(image.GetHeight() * k));
            return wxBitmap(image.Scale(w, h, wxIMAGE_QUALITY_HIGH));
        }
        return invisible_picture;
    }
    if (s.is_localsign) return invisible_picture;
    return s.is_tsmode ? timestamp_picture : cloud_picture;
}

int sign_panel::add_stamp_row(sigstampui* stamp) {
    std::unique_ptr<sigstampui> owned(stamp);
    auto* row = new wxt_image_selctrl(stamp_list_panel, row_picture(*stamp), wxString(stamp->name));
    row->Bind(wxEVT_LEFT_UP, &sign_panel::on_row_click, this);
    row->Bind(wxEVT_RIGHT_UP, &sign_panel::on_row_right_up, this);
    row->set_border_widths(3, 7 * own_scale(this) / 100);
    stamp_list_panel->GetSizer()->Insert(1, row, 0, wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL, 5);
    stamp_list_panel->Layout();
    stamp_list_panel->FitInside();
    // Window ids of new controls fall with creation order; keys must grow.
    const int key = stamp_rows.empty() ? 1 : stamp_rows.rbegin()->first + 1;
    selected_id = key;
    stamp_rows[key] = stamp_row{row, std::move(owned)};
    return key;
}

void sign_panel::refresh_row_picture(sigstampui* stamp) {
    auto it = stamp_rows.find(selected_id);
    if (!stamp || it == stamp_rows.end()) return;
    if (!(stamp->is_localsign && stamp->imgfname == editing_picture_path && !editing_picture_path.empty())) {
        if (stamp->is_localsign && stamp->is_visible && page_canvas) page_canvas->clear_stamp();
        it->second.control->picture = row_picture(*stamp);
        it->second.control->fit_to_picture(it->second.control->picture);
        it->second.control->Refresh();
    }
    stamp_list_panel->Layout();
    Layout();
}

void sign_panel::stamp_saved(sigstampui* stamp) {
    if (!stamp) return;
    bool held = false;
    for (auto& [id, row] : stamp_rows)
        if (row.stamp.get() == stamp) held = true;
    // A stamp the editor made is the panel's from now on, even when it equals
    // an existing one in every field.
    if (!held) add_stamp_row(stamp);
    store_stamps();
    refresh_row_picture(stamp);
    select_stamp(true);
    if (page_canvas) page_canvas->Refresh(false);
}

void sign_panel::remove_stamp(int id) {
    if (doc_signing) return;
    auto it = stamp_rows.find(id);
    if (it == stamp_rows.end()) return;
    if (has_selection && selected_id == id) {
        select_stamp(false);
        selected_id = 0;
    }
    stamp_list_panel->GetSizer()->Detach(it->second.control);
    it->second.control->Destroy();
    stamp_list_panel->Layout();
    if (it->second.stamp && file_exists(it->second.stamp->imgfname)) remove_quietly(it->second.stamp->imgfname);
    stamp_rows.erase(it);
    store_stamps();
    Layout();
}

sigstampui* sign_panel::selected_stamp() const {
    auto it = stamp_rows.find(selected_id);
    return has_selection && it != stamp_rows.end() ? it->second.stamp.get() : nullptr;
}

// ---- selection and options -----------------------------------------------------------

void sign_panel::show_stamp_info(const sigstampui* s) {
    if (!s) {
        info_sizer->ShowItems(false);
        return;
    }
    info_sizer->ShowItems(true);
    if (s->is_localsign) {
        selected_stamp_label->SetLabel(wxString(s->name) + (s->is_visible ? tr(" (visible)") : tr(" (invisible)")));
        subject_label->SetLabel(wxString(s->info.subject));
    } else if (s->is_tsmode) {
        // The default stamp's stored name is a message id: the Chinese
        // interface translates it, the English one corrects its spelling.
        const wxString name = wxGetTranslation(wxString(s->name));
        selected_stamp_label->SetLabel(name + tr(" (time stamp)"));
        subject_label->SetLabel(wxString(server_host(s->tsurl)));
    } else {
        selected_stamp_label->SetLabel(wxString(s->name) + tr(" (cloud stamp)"));
        subject_label->SetLabel(wxString(server_host(s->addr)));
    }
}

wxString sign_panel::selected_text() const { return selected_stamp_label->GetLabel(); }

void sign_panel::enable_start(bool enable) {
    // A verification end or a click must not reopen the door mid-signing.
    if (doc_signing) enable = false;
    start_sign_button->Enable(enable);
    if (!enable) return;
    if (const sigstampui* s = selected_stamp()) {
        if (s->is_localsign)
            start_sign_button->preset_green();
        else
            start_sign_button->preset_blue();
    }
}

void sign_panel::set_signing_state(bool idle) {
    start_sign_button->SetLabel(idle ? tr("Start Sign") : tr("Signing ... ... "));
    enable_start(idle);
    remove_stamp_button->Enable(idle);
    if (!idle) {
        sign_result_label->Refresh();
        start_sign_button->Refresh();
        remove_stamp_button->Refresh();
        Update();
    }
    Layout();
}

void sign_panel::update_options(bool active) {
    const bool locked = locking_test();
    const bool is_signed = current_document && current_document->signed_num > 0;
    auto it = stamp_rows.find(selected_id);
    const bool ts = it != stamp_rows.end() && it->second.stamp && it->second.stamp->is_tsmode;
    const bool certify_allowed = active && !ts && !locked && !is_signed;
    modes_sizer->ShowItems(certify_allowed);
    certify_mode_radio->SetValue(certify_allowed && is_certify);
    sign_mode_radio->SetValue(!(certify_allowed && is_certify));
    body_panel->GetSizer()->Show(permission_sizer, certify_allowed && is_certify, true);
    lock_document_check->Show(active && !locked && !(certify_allowed && is_certify));
    body_panel->Layout();
}

bool sign_panel::modes_shown() const { return certify_mode_radio->IsShown(); }
bool sign_panel::permission_shown() const { return permission_choice->IsShown(); }

void sign_panel::update_password_field() {
    const sigstampui* s = selected_stamp();
    bool show = false;
    if (!document_locked && s && s->is_localsign && s->access.cert_type == cert_type_pfx) {
        const cert_pfx& pfx = s->access.pfx;
        if (check_pfx_access(pfx.certfname, pfx.pfxfname, pfx.pswd, false)) {
            if (!check_pfx_access(pfx.certfname, pfx.pfxfname, pfx.pswd, true)) {
                password_text->Clear();
                show = true;
            }
        } else {
            flash(notice_colour, tr("The certificate of the stamp is invalid, please change it"));
        }
    }
    password_text->Show(show);
}

void sign_panel::select_stamp(bool select) {
    auto it = stamp_rows.find(selected_id);
    if (it == stamp_rows.end()) return;
    const bool holds = select && it->second.control && it->second.stamp;
    document_locked = locking_test();
    update_options(holds);
    has_selection = holds;
    visible_stamp_selected = holds && it->second.stamp->is_visible;
    if (!holds) {
        it->second.control->selected = false;
        it->second.control->Refresh();
        show_stamp_info(nullptr);
        sign_result_label->Hide();
        password_text->Hide();
        enable_start(false);
        Layout();
        return;
    }
    for (auto& [id, row] : stamp_rows)
        if (id != selected_id && row.control->selected) {
            row.control->selected = false;
            row.control->Refresh();
        }
    it->second.control->selected = true;
    it->second.control->Refresh();
    const sigstampui* s = it->second.stamp.get();
    show_stamp_info(s);
    if (s->is_localsign) set_list_height();
    if (s->is_visible && page_canvas) page_canvas->stamp_picture_path = s->imgfname;
    if (document_locked) {
        flash(notice_colour, tr("Document is locked") + ", " + tr("Not Allow signing"));
    } else {
        sign_result_label->Hide();
        update_password_field();
    }
    enable_start(!document_locked);
    Layout();
}

void sign_panel::on_verify_end() {
    document_locked = locking_test();
    select_stamp(has_selection);
    if (result_pending) {
        sign_result_label->Show();
    } else if (!document_locked) {
        sign_result_label->Hide();
    } else if (has_selection) {
        flash(notice_colour, tr("Document is locked") + ", " + tr("Not Allow signing"));
    }
    result_pending = false;
    Layout();
}

bool sign_panel::HasFocus() const {
    const wxWindow* focus = wxWindow::FindFocus();
    return sign_panel_base::HasFocus() || (focus && (focus == permission_choice || focus == password_text));
}

// ---- handlers -------------------------------------------------------------------

void sign_panel::collapse_right_pane() {
    if (main_frame) main_frame->right_bar()->set_expanded(false);
}

void sign_panel::on_hint_left_down(wxMouseEvent&) { collapse_right_pane(); }

void sign_panel::on_title_left_down(wxMouseEvent& event) {
    // The panel's own margins, above the stamp list and from the top of
    // "Start Sign" down, close the pane; the rows between them do not.
    const int y = event.GetPosition().y;
    if (y < stamp_list_panel->GetPosition().y || y > start_sign_button->GetPosition().y) collapse_right_pane();
    event.Skip();
}

void sign_panel::on_row_click(wxMouseEvent& event) {
    const int id = event.GetId();
    int key = 0;
    for (auto& [k, row] : stamp_rows)
        if (row.control == event.GetEventObject() || row.control->GetId() == id) key = k;
    if (key == 0) return;
    if (has_selection && selected_id == key) {
        select_stamp(false);
    } else {
        selected_id = key;
        select_stamp(true);
    }
    if (page_canvas) page_canvas->Refresh(false);
    Layout();
}

void sign_panel::on_row_right_up(wxMouseEvent& event) {
    for (auto& [k, row] : stamp_rows)
        if (row.control == event.GetEventObject()) {
            selected_id = k;
            select_stamp(false);
            if (page_canvas) page_canvas->Refresh(false);
            editing_picture_path = row.stamp->imgfname;
            // The editor saves into the row's stamp in place.
            editing_stamp = row.stamp.get();
            if (auto* book = dynamic_cast<wxSimplebook*>(GetParent())) {
                if (auto* editor = dynamic_cast<stamp_panel*>(book->GetPage(1)))
                    editor->open_stamp(&editing_stamp, wxString());
                book->SetSelection(1);
            }
            return;
        }
}

void sign_panel::on_add_stamp(wxCommandEvent&) {
    select_stamp(false);
    if (page_canvas) page_canvas->Refresh(false);
    new_stamp_slot = nullptr;
    // The proposed name: the document's next field name once a page is shown.
    wxString name;
    if (page_canvas && page_canvas->painted && current_document)
        name = wxString::FromUTF8(current_document->new_field_name());
    if (auto* book = dynamic_cast<wxSimplebook*>(GetParent())) {
        if (auto* editor = dynamic_cast<stamp_panel*>(book->GetPage(1))) {
            editor->new_stamp(&new_stamp_slot, name);
            editor->Layout();
        }
        book->SetSelection(1);
    }
}

void sign_panel::on_add_stamp_right_up(wxMouseEvent&) {
    wxCommandEvent event(wxEVT_BUTTON, add_stamp_button->GetId());
    on_add_stamp(event);
}

void sign_panel::on_add_stamp_small(wxCommandEvent& event) { on_add_stamp(event); }

void sign_panel::on_top_stamp(wxCommandEvent&) {
    wxSizer* old = stamp_list_panel->GetSizer();
    auto it = stamp_rows.find(selected_id);
    if (old->GetItemCount() < 4 || it == stamp_rows.end()) return;
    wxWindow* top = it->second.control;
    std::vector<wxWindow*> others;
    for (wxSizerItem* item : old->GetChildren())
        if (item->GetWindow() && item->GetWindow() != top) others.push_back(item->GetWindow());
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    const long flags = wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;
    sizer->Add(0, 0, 1, wxEXPAND, 5);
    sizer->Add(top, 0, flags, 5);
    for (wxWindow* w : others) sizer->Add(w, 0, flags, 5);
    sizer->Add(0, 0, 1, wxEXPAND, 5);
    old->Clear(false);
    stamp_list_panel->SetSizer(sizer, true);
    stamp_list_panel->Layout();
}

void sign_panel::on_remove_stamp(wxCommandEvent&) {
    if (has_selection) remove_stamp(selected_id);
}

void sign_panel::on_certify_mode(wxCommandEvent&) {
    is_certify = certify_mode_radio->GetValue();
    lock_document_check->Hide();
    body_panel->GetSizer()->Show(permission_sizer, true, true);
    Layout();
    body_panel->Layout();
}

void sign_panel::on_sign_mode(wxCommandEvent&) {
    is_certify = !sign_mode_radio->GetValue();
    lock_document_check->Show();
    body_panel->GetSizer()->Show(permission_sizer, false, true);
    Layout();
    body_panel->Layout();
}

void sign_panel::on_lock_document(wxCommandEvent& event) {
    is_lock = lock_document_check->GetValue();
    event.Skip();
}

void sign_panel::on_permission_choice(wxCommandEvent& event) {
    certifyperms = std::min(3, std::max(1, permission_choice->GetSelection() + 1));
    event.Skip();
}

// ---- Start Sign ------------------------------------------------------------------

void sign_panel::check_stamp(sigstampui& stamp) {
    auto fail = [this](const char* message, const char* text = "Failed") {
        flash(notice_colour, tr(message));
        throw exceptionex(text);
    };
    if (current_document && current_document->field_exists(stamp.name))
        fail("Stamp name exists in file, please change it");
    if (!stamp.is_localsign) {
        if (stamp.is_tsmode) {
            if (stamp.tsurl.empty()) fail("Timestamp url is empty");
            return;
        }
        fail("Cloud account is wrong", "Invalid param");
    }
    if (stamp.is_visible && !file_exists(stamp.imgfname)) fail("The image of the stamp is missing, please change it");
    if (!time_text_not_passed(stamp.info.expired)) fail("Stamp's certificate is expired");
    if (stamp.access.cert_type == cert_type_pfx) {
        cert_pfx& pfx = stamp.access.pfx;
        if (!check_pfx_access(pfx.certfname, pfx.pfxfname, pfx.pswd, false))
            fail("The certificate of the stamp is invalid, please change it");
        if (password_text->IsShown()) {
            pfx.pswd = password_text->GetValue().utf8_string();
            if (!check_pfx_access(pfx.certfname, pfx.pfxfname, pfx.pswd, true))
                fail("Wrong password, please input it again");
        }
    } else if (stamp.access.cert_type == cert_type_sysstore) {
        if (!stamp.access.sysstore.check_access()) fail("The certificate of the stamp is invalid, please change it");
    }
}

void sign_panel::fill_sign_task(sigstampui* stamp) {
    const std::wstring source = main_frame ? main_frame->document_path : std::wstring();
    wxFileDialog dialog(main_frame, tr("Save to file"), wxEmptyString,
                        wxString(default_output_name(source, stamp->is_visible)), "pdf files (*.pdf)|*.pdf",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize, "filedlg");
    const int rc = dialog.ShowModal();
    wxString chosen = dialog.GetPath();
    // GTK gives no path for a name typed without an existing file behind it
    // until the chooser has settled; its folder and name are there.
    if (chosen.empty() && !dialog.GetFilename().empty())
        chosen = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    if (rc != wxID_OK) throw exceptionex("Failed");
    if (chosen.empty()) throw exceptionex("Failed");
    if (wxFileName(chosen).GetExt().empty()) chosen += ".pdf";
    const std::wstring output = chosen.ToStdWstring();
    in_place = same_file(source, output);
    // A picture or text file is converted before signing: the file itself is
    // never replaced by the signed PDF.
    if (in_place && !is_pdf_file(wxString(source))) {
        flash(notice_colour, tr("Please choose another file name"));
        throw exceptionex("Failed");
    }
    task = sign_task{};
    task.source = source;
    final_output = output;
    // The signed file is written beside the target and renamed onto it only
    // after success: a failure never touches an existing file.
    if (in_place) {
        task.output = output;
        task.intermediate = temp_beside(output);
    } else {
        task.output = temp_beside(output);
    }
    task.page = page_canvas ? std::max(0, page_canvas->page) : 0;
    task.stamp = stamp;
    task.add_revocation = is_ltv ? 1 : 0;
    task.certify = certify_mode_radio->IsShown() && certify_mode_radio->GetValue() ? 1 : 0;
    certifyperms = std::min(3, std::max(1, permission_choice->GetSelection() + 1));
    task.permission = certifyperms;
    task.lock = lock_document_check->IsShown() && lock_document_check->GetValue() ? 1 : 0;
    // The rectangle is taken here, on the main thread: the worker never reads the view.
    placement = stamp_placement{};
    if (page_canvas && stamp->is_visible && !page_canvas->stamp_rect.degenerate() && current_document) {
        const int rotation = std::max(0, current_document->rotation());
        const gl_rect r = page_canvas->view_rect_to_page(page_canvas->stamp_rect, rotation);
        placement.placed = true;
        placement.x0 = std::min(r.x0, r.x1);
        placement.x1 = std::max(r.x0, r.x1);
        placement.y0 = std::min(r.y0, r.y1);
        placement.y1 = std::max(r.y0, r.y1);
    }
}

void sign_panel::on_start_sign(wxCommandEvent& event) {
    event.Skip();
    // The verification decides what may be signed (locks, certification):
    // the user is told to wait for it rather than left with a dead button.
    if (doc_verifying && !doc_signing && current_document) {
        flash(notice_colour, tr("Verifying document, please sign after it ends"));
        return;
    }
    // Nothing to sign, or the document is being replaced or read.
    if (doc_signing || doc_loading || doc_verifying || !main_frame || main_frame->load_pending ||
        main_frame->document_path.empty() || !current_document || !current_document->loaded)
        return;
    start_busy = true;
    std::unique_ptr<sigstampui> copy;
    try {
        if (locking_test()) {
            flash(notice_colour, tr("Document is locked"));
            throw exceptionex("Failed");
        }
        sigstampui* chosen = selected_stamp();
        if (!chosen) {
            flash(notice_colour, tr("Please select a stamp first, then Execute Signing"));
            throw exceptionex("Failed");
        }
        copy = std::make_unique<sigstampui>(*chosen);
        check_stamp(*copy);
        if (!copy->is_tsmode && copy->is_visible && (!page_canvas || page_canvas->stamp_rect.degenerate())) {
            flash(notice_colour, tr("Please drag a rectangle on page, then Execute Signing"));
            throw exceptionex("Failed");
        }
        sign_result_label->Hide();
        set_signing_state(false);
        fill_sign_task(copy.get());
        if (main_frame) main_frame->info()->show_info(tr("Signing document"), infobar_busy);
        flash(notice_colour, tr("Signing ... ... "));
        task_stamp = std::move(copy);
        closed_for_rename = false;
        doc_signing = true;
        set_signing_state(false);
        start_counted_thread([this] { sign_worker(this); });
    } catch (const std::exception& ex) {
        task_stamp.reset();
        task.stamp = nullptr;
        doc_signing = false;
        set_signing_state(true);
    }
    start_busy = false;
    Layout();
}

void sign_panel::sign_worker(sign_panel* panel) {
    counted_worker counted;
    sign_task& task = panel->task;
    std::string outcome;
    bool keep_intermediate = false;
    try {
        // The document is shown before it is signed; a shutdown ends the wait.
        if (!wait_until([] { return page_canvas && page_canvas->painted.load(); }))
            throw_ex_fmt("%s(), stopped", "");
        try {
            build_sign_params(task, panel->placement);
        } catch (const std::exception& ex) {
            check_result(ex);
        }
        const std::wstring written = panel->in_place ? task.intermediate : task.output;
        std::error_code ec;
        if (panel->in_place) {
            {
                document_lock lock(document_mutex);
                delete current_document;
                current_document = nullptr;
            }
            panel->closed_for_rename = true;
        }
        // A file that is replaced keeps its permissions.
        const fs::file_status replaced = fs::status(to_path(panel->final_output), ec);
        if (!ec && fs::is_regular_file(replaced)) fs::permissions(to_path(written), replaced.permissions(), ec);
        ec.clear();
        fs::rename(to_path(written), to_path(panel->final_output), ec);
        if (ec) {
            keep_intermediate = true;
            throw exceptionex(std::string("(), copy midpath to outpath failed") + ": " + wide_to_utf8(written));
        }
        throw_succeed();
    } catch (const std::exception& ex) {
        outcome = ex.what();
    }
    const bool ok = outcome == kSucceedText;
    if (!keep_intermediate) {
        remove_quietly(task.intermediate);
        if (!panel->in_place) remove_quietly(task.output);
    }
    task.stamp = nullptr;
    wxString payload = "ok";
    if (!ok) {
        const std::size_t colon = outcome.rfind("failed: ");
        if (keep_intermediate && colon != std::string::npos)
            payload = wxString(translate_error_message(outcome.substr(0, colon + 6))) + "\n" +
                      wxString::FromUTF8(outcome.substr(colon + 8));
        else
            payload = wxString(translate_error_message(outcome));
    }
    wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
    event.SetString(wxString(sign_tag));
    event.SetPayload(payload);
    post_thread_event(panel, event);
}

void sign_panel::on_thread_event(wxThreadEvent& event) {
    if (event.GetString() == sign_tag) on_sign_result(event.GetPayload<wxString>());
}

void sign_panel::on_sign_result(const wxString& payload) {
    task_stamp.reset();
    doc_signing = false;
    result_pending = true;
    set_signing_state(true);
    const bool closed = closed_for_rename.exchange(false);
    // After an in-place close the view forgets the deleted document as a
    // document close makes it.
    if (closed && main_frame) main_frame->close_document();
    if (payload == "ok") {
        if (main_frame) main_frame->open_file(final_output, task.page);
        flash(success_colour, tr("Sign completed"));
        select_stamp(false);
        sign_result_label->Show();
    } else {
        if (closed && main_frame) {
            // The original is whole: show it again.
            main_frame->open_file(task.source, task.page);
        } else if (main_frame) {
            wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
            event.SetString(wxString(evt_verifyend));
            post_thread_event(main_frame, event);
        }
        flash(failure_colour, payload);
        enable_start(has_selection);
    }
    remove_stamp_button->Enable(true);
    Layout();
}
