#include "ui/stamp_panel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include <openssl/rand.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/valtext.h>

#include "app/data_dirs.h"
#include "app/report_hooks.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/local_time.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "forms/pictures.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"
#include "ui/homepage.h"
#include "ui/setting_panel.h"
#include "ui/sign_panel.h"
#include "ui/status_texts.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const wxColour red(255, 0, 0);
const wxColour success_green(13, 147, 45);
const wxColour bright_green(1, 202, 73);
const wxColour grey(216, 216, 216);

// The certificate check's own tags.
constexpr wchar_t check_completed[] = L"Completed";
constexpr wchar_t check_access_failed[] = L"certaccess_failed";
constexpr wchar_t check_failed[] = L"Failed to verify the certificate";

// The result a check hands to the main thread: the chain it built (owned by
// the payload, so a dropped or undelivered event frees it too) and the
// generation it was started for.
using chain_payload = std::shared_ptr<cert_chain_ui>;

constexpr int expired_status = 9;

const wchar_t* local_hint() { return L"Local Signing sign document totally in your local machine.\n"; }
const wchar_t* cloud_hint() {
    return L"Cloud Signing won't upload your document to server,\n"
           L"it only caculate a digest and request a signature from server.";
}

wxString tr(const wchar_t* text) { return wxGetTranslation(text); }

// The picture scaled to fit a square of `size` pixels, its aspect kept.
wxBitmap fitted_picture(const std::wstring& path, int size) {
    wxImage image;
    if (path.empty() || !wxFileExists(path) || !image.LoadFile(path, wxBITMAP_TYPE_ANY) || !image.IsOk())
        return wxBitmap();
    const int w = image.GetWidth(), h = image.GetHeight();
    if (w <= 0 || h <= 0) return wxBitmap();
    const double f = std::min(double(size) / w, double(size) / h);
    const int nw = std::max(1, int(w * f)), nh = std::max(1, int(h * f));
    image.Rescale(nw, nh, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}

// A PNG file by its signature and by decoding as PNG.
bool is_png_file(const std::wstring& path) {
    std::ifstream in(wide_to_utf8(path), std::ios::binary);
    char head[8] = {};
    if (!in.read(head, 8)) return false;
    static const unsigned char png_signature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    if (std::memcmp(head, png_signature, 8) != 0) return false;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage image;
    return image.LoadFile(path, wxBITMAP_TYPE_PNG) && image.IsOk();
}

bool contains(const std::wstring& text, const wchar_t* word) { return text.find(word) != std::wstring::npos; }

}  // namespace

stamp_editor_links& stamp_editor_calls() {
    static stamp_editor_links links;
    return links;
}

std::wstring random_picture_name() {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) return std::wstring();
    char text[48];
    std::snprintf(text, sizeof text,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x.png", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return utf8_to_wide(text);
}

// ---- construction ------------------------------------------------------------

stamp_panel::stamp_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                         const wxString& name)
    : stamp_panel_base(parent, id, pos, size, style | wxTAB_TRAVERSAL, name) {
    picture_hint_text = stamp_image_hint_label->GetLabel();
    certificate_field_height = store_certificate_text->GetBestSize().y;
    set_picture_sizes();
    apply_colours();
    Bind(wxEVT_THREAD, &stamp_panel::on_certificate_checked, this);
}

stamp_panel::~stamp_panel() {
    wait_certificate_check();
    if (certificate) X509_free(certificate);
    certificate = nullptr;
    Unbind(wxEVT_THREAD, &stamp_panel::on_certificate_checked, this);
}

void stamp_panel::set_picture_sizes() {
    if (screen_scale_percent >= 199) {
        stamp_image_button->SetBitmap(bitmap_add_stamp_256());
        stamp_image_button->SetBitmapCurrent(bitmap_add_stamp_hover_256());
        stamp_image_button->SetBitmapDisabled(bitmap_add_stamp_disabled_256());
        stamp_name_bitmap->SetBitmap(bitmap_user_64());
        stamp_image_bitmap->SetBitmap(bitmap_stamp_64());
        certificate_bitmap->SetBitmap(bitmap_certificate_64());
        other_bitmap->SetBitmap(bitmap_flag_64());
        certificate_info_bitmap->SetBitmap(bitmap_info_64());
    }
    placeholder_normal = stamp_image_button->GetBitmap();
    placeholder_hover = stamp_image_button->GetBitmapCurrent();
    picture_size = 128 * screen_scale_percent / 100;
    stamp_image_button->SetMinSize(wxSize(picture_size, picture_size));
    stamp_image_button->SetMaxSize(wxSize(picture_size, picture_size));
    Layout();
}

void stamp_panel::apply_colours() {
    // The form's own grey only suits a dark theme: the panel takes the theme's
    // so that its texts (theme_text_colour) stay readable in both.
    for (wxWindow* w : std::initializer_list<wxWindow*>{this, scroll_panel, local_page, cloud_page,
                                                        stamp_image_panel, cloud_services_panel})
        w->SetBackgroundColour(theme_dialog_colour);
    for (wxWindow* w : std::initializer_list<wxWindow*>{
             title_label, cloud_note_label, stamp_name_label, stamp_image_label, visible_radio, invisible_radio,
             certificate_label, store_certificate_label, certificate_state_label, timestamp_radio, tsurl_label,
             cloud_account_radio, cloud_address_label, cloud_user_label, cloud_password_label, cloud_services_label,
             other_label, expand_other_check, reason_label, location_label, contact_label, contact_hint_label,
             stamp_image_hint_label, certificate_hint_label, certificate_status_label})
        w->SetForegroundColour(theme_text_colour);
    local_signing_button->set_colours(bright_green);
    cloud_signing_button->preset_grey();
    stamp_image_button->SetBackgroundColour(theme_panel_colour);
    create_import_link->set_action_colour(success_green, true);
    timestamp_setting_link->set_action_colour(theme_text_colour, true);
    select_certificate_button->preset_grey();
    cancel_button->preset_grey();
}

int stamp_panel::book_width() const {
    const wxWindow* book = GetParent();
    const int w = book ? book->GetClientSize().GetWidth() : GetClientSize().GetWidth();
    return w > 0 ? w : GetClientSize().GetWidth();
}

void stamp_panel::fit_to_width() {
    const int w = book_width();
    if (w <= 0) return;
    local_signing_button->SetMinSize(wxSize(w * 4 / 10, w / 14));
    cloud_signing_button->SetMinSize(wxSize(w * 4 / 10, w / 14));
    const int wrap = w * 4 / 5;
    cloud_note_label->SetLabel(cloud_note_label->GetLabel());
    cloud_note_label->Wrap(wrap);
    stamp_image_hint_label->Wrap(w / 2);
    certificate_hint_label->Wrap(wrap);
    cloud_services_label->Wrap(wrap);
    result_tip_label->Wrap(wrap);
    // The rows of the certificate share the pane's width: the field and the
    // state take what their label, the picture and "Select" leave, so that
    // "Select" is never pushed past the pane's edge.
    // The field keeps the height it had before any layout: asked again for
    // its best size, GTK's entry answers with more than its current height,
    // and at every resize the field grew (to twice a line in Chinese).
    store_certificate_text->SetMinSize(wxSize(50, certificate_field_height));
    const int info_width = std::max(w / 6, certificate_info_bitmap->GetBestSize().x);
    const int state_room = w - certificate_state_label->GetBestSize().x - info_width - 40;
    certificate_status_label->SetMinSize(wxSize(std::max(50, std::min(w / 2, state_room)), -1));
    certificate_status_label->Wrap(std::max(50, std::min(w * 3 / 5, state_room)));
    certificate_info_bitmap->SetMinSize(wxSize(info_width, -1));
    // 0.8w, but never past the panel's edge beside its label.
    const int address_room = w - cloud_address_label->GetBestSize().x - 40;
    cloud_address_text->SetMinSize(wxSize(std::max(50, std::min(w * 8 / 10, address_room)), -1));
    cloud_user_text->SetMinSize(wxSize(w / 2, -1));
    cloud_password_text->SetMinSize(wxSize(w / 2, -1));
    static int save_height = 0;
    if (save_height == 0) save_height = save_button->GetBestSize().y;
    const int h = save_height * screen_scale_percent / 100;
    save_button->SetMinSize(wxSize(-1, h));
    cancel_button->SetMinSize(wxSize(-1, h));
    scroll_panel->Layout();
    scroll_panel->FitInside();
    Layout();
}

void stamp_panel::on_size(wxSizeEvent& event) {
    fit_to_width();
    event.Skip();
}

// ---- showing a stamp -----------------------------------------------------------

void stamp_panel::reset() {
    draft = sigstampui();
    set_certificate(nullptr);
    chain.clear();
    certificate_expired = false;

    title_label->SetLabel(tr(L"Stamp Make Panel"));
    new_stamp_local = true;
    cloud_note_label->SetLabel(tr(local_hint()));
    cloud_note_label->Show();
    local_signing_button->GetContainingSizer()->ShowItems(true);
    local_signing_button->set_colours(bright_green);
    cloud_signing_button->preset_grey();

    stamp_name_text->ChangeValue(proposed_name);
    stamp_name_tip_label->Hide();
    stamp_image_hint_label->set_message(theme_text_colour, picture_hint_text);
    certificate_hint_label->set_message(theme_text_colour, certificate_hint_label->GetLabel());

    visible_radio->SetValue(true);
    invisible_radio->SetValue(false);
    signing_book->ChangeSelection(0);
    stamp_image_button->Enable();
    show_placeholder();
    show_picture_state(true, false);
    certificate_status_label->set_message(theme_text_colour, wxEmptyString);
    store_certificate_text->ChangeValue(wxEmptyString);

    timestamp_radio->SetValue(true);
    cloud_account_radio->SetValue(false);
    tsurl_combo->Enable();
    tsurl_combo->SetValidator(wxTextValidator(wxFILTER_ASCII));
    fill_server_list();
    for (wxTextCtrl* t : {cloud_address_text, cloud_user_text, cloud_password_text}) {
        t->ChangeValue(wxEmptyString);
        t->Disable();
    }

    show_other_info(true);
    for (wxTextCtrl* t : {reason_text, location_text, contact_text}) t->ChangeValue(wxEmptyString);
    result_tip_label->Hide();
    save_button->set_colours(bright_green);
    local_page->Layout();
    cloud_page->Layout();
    signing_book->Layout();
    fit_to_width();
}

void stamp_panel::new_stamp(sigstampui** slot, const wxString& name) {
    stamp_slot = slot;
    proposed_name = name;
    reset();
}

void stamp_panel::open_stamp(sigstampui** slot, const wxString& name) {
    stamp_slot = slot;
    proposed_name = name;
    reset();
    if (!slot || !*slot) return;
    const sigstampui& stamp = **slot;
    cloud_note_label->Hide();
    local_signing_button->GetContainingSizer()->ShowItems(false);
    title_label->SetLabel(tr(stamp.is_localsign ? L"Stamp Setting" : L"Cloud Stamp Setting"));
    draft = stamp;
    stamp_name_text->ChangeValue(draft.name);
    signing_book->ChangeSelection(draft.is_localsign ? 0 : 1);
    new_stamp_local = draft.is_localsign;
    if (draft.is_localsign) {
        show_local_stamp();
        save_button->preset_green();
    } else {
        show_server_stamp();
        save_button->preset_blue();
    }
    fit_to_width();
}

void stamp_panel::show_local_stamp() {
    cloud_note_label->SetLabel(tr(local_hint()));
    local_signing_button->set_colours(bright_green);
    visible_radio->SetValue(draft.is_visible);
    invisible_radio->SetValue(!draft.is_visible);
    show_picture_state(draft.is_visible, draft.is_visible);
    store_certificate_text->ChangeValue(draft.info.subject);
    store_certificate_text->SetInsertionPoint(0);
    reason_text->ChangeValue(draft.reason);
    location_text->ChangeValue(draft.location);
    contact_text->ChangeValue(draft.contact);

    X509* cert = nullptr;
    if (draft.access.cert_type == cert_type_sysstore) {
        const std::string store = draft.access.sysstore.store.empty() ? "My" : draft.access.sysstore.store;
        cert = load_store_certificate(store.c_str(), draft.access.sysstore.issuer, draft.access.sysstore.sn.c_str());
    } else if (draft.access.cert_type == cert_type_pfx) {
        cert = load_certificate_file(wide_to_utf8(draft.access.pfx.certfname).c_str());
    }
    set_certificate(cert);
    if (certificate) {
        certificate_status_label->set_message(theme_text_colour, tr(L"verifying..."));
        start_certificate_check();
    } else {
        certificate_status_label->flash_message(red, tr(L"Certifcate is not exist in store, Import it again"));
    }
}

void stamp_panel::show_server_stamp() {
    cloud_note_label->SetLabel(tr(cloud_hint()));
    cloud_signing_button->preset_light_blue();
    timestamp_radio->SetValue(draft.is_tsmode);
    cloud_account_radio->SetValue(!draft.is_tsmode);
    set_timestamp_mode(draft.is_tsmode);
    if (draft.is_tsmode && is_chinese_ui()) stamp_name_text->ChangeValue(wxGetTranslation(wxString(draft.name)));
    tsurl_combo->SetValue(wxString::FromUTF8(draft.tsurl));
    cloud_address_text->ChangeValue(wxString::FromUTF8(draft.addr));
    cloud_user_text->ChangeValue(wxString::FromUTF8(draft.user));
    cloud_password_text->ChangeValue(wxString::FromUTF8(draft.pswd));
    reason_text->ChangeValue(draft.reason);
    location_text->ChangeValue(draft.location);
    contact_text->ChangeValue(draft.contact);
}

void stamp_panel::show_placeholder() {
    stamp_image_button->SetBitmap(placeholder_normal);
    stamp_image_button->SetBitmapFocus(placeholder_normal);
    stamp_image_button->SetBitmapCurrent(placeholder_hover);
}

void stamp_panel::show_picture_file(const std::wstring& path) {
    const wxBitmap picture = fitted_picture(path, picture_size);
    if (!picture.IsOk()) {
        show_placeholder();
        return;
    }
    stamp_image_button->SetBitmap(picture);
    stamp_image_button->SetBitmapFocus(picture);
    stamp_image_button->SetBitmapCurrent(picture);
}

void stamp_panel::show_picture_state(bool visible, bool load) {
    if (visible) {
        stamp_image_hint_label->set_message(theme_text_colour, picture_hint_text);
        if (load) show_picture_file(draft.imgfname);
    } else {
        stamp_image_hint_label->set_message(
            theme_text_colour, tr(L"For invisible signature, don't need stamp image. \n"
                                  L"after signing a document, no stamp image on page."));
    }
    stamp_image_button->Enable(visible);
    fit_to_width();
}

void stamp_panel::fill_server_list() {
    if (timestamp_urls.empty()) timestamp_urls.push_back(setting_panel::default_timestamp_url);
    tsurl_combo->Clear();
    for (const std::wstring& url : timestamp_urls) tsurl_combo->Append(url);
    tsurl_combo->SetSelection(0);
}

void stamp_panel::show_other_info(bool shown) {
    wxSizer* row = other_label->GetContainingSizer();
    wxSizer* grid = reason_label->GetContainingSizer();
    wxSizer* outer = scroll_panel->GetSizer();
    if (!shown) {
        outer->Show(row, false, true);
        outer->Show(grid, false, true);
        return;
    }
    outer->Show(row, true, true);
    int index = wxDisplay::GetFromWindow(this);
    if (index == wxNOT_FOUND) index = 0;
    const int h = wxDisplay(unsigned(index)).GetGeometry().GetHeight();
    const bool is_new = !stamp_slot || !*stamp_slot;
    if (h < 1080 || (h == 1080 && is_new)) {
        expand_other_check->Show();
        expand_other_check->SetValue(false);
        outer->Show(grid, false, true);
    } else {
        expand_other_check->Hide();
        outer->Show(grid, true, true);
    }
}

void stamp_panel::set_timestamp_mode(bool ts) {
    tsurl_combo->Enable(ts);
    for (wxTextCtrl* t : {cloud_address_text, cloud_user_text, cloud_password_text}) t->Enable(!ts);
    cloud_page->Layout();
    show_other_info(!ts);
    fit_to_width();
}

// ---- handlers -------------------------------------------------------------------

void stamp_panel::on_local_signing(wxCommandEvent&) {
    if (stamp_slot && *stamp_slot) return;
    new_stamp_local = true;
    cloud_note_label->SetLabel(tr(local_hint()));
    local_signing_button->set_colours(bright_green);
    cloud_signing_button->preset_grey();
    signing_book->ChangeSelection(0);
    show_other_info(true);
    result_tip_label->Hide();
    save_button->preset_green();
    fit_to_width();
}

void stamp_panel::on_cloud_signing(wxCommandEvent&) {
    if (stamp_slot && *stamp_slot) return;
    new_stamp_local = false;
    cloud_note_label->SetLabel(tr(cloud_hint()));
    cloud_note_label->Wrap(book_width() * 4 / 5);
    cloud_signing_button->preset_light_blue();
    local_signing_button->preset_grey();
    signing_book->ChangeSelection(1);
    set_timestamp_mode(timestamp_radio->GetValue());
    result_tip_label->Hide();
    save_button->preset_blue();
    fit_to_width();
}

void stamp_panel::on_stamp_name(wxCommandEvent&) {
    if (stamp_name_tip_label->IsShown()) result_tip_label->Hide();
    stamp_name_tip_label->Hide();
}

void stamp_panel::on_visible(wxCommandEvent&) {
    if (!visible_radio->GetValue()) return;
    draft.is_visible = true;
    show_picture_state(true, false);
}

void stamp_panel::on_invisible(wxCommandEvent&) {
    if (!invisible_radio->GetValue()) return;
    draft.is_visible = false;
    show_picture_state(false, false);
}

void stamp_panel::on_stamp_image(wxCommandEvent&) {
    wxFileDialog dialog(this, tr(L"Select a image file"), wxEmptyString, wxEmptyString,
                        tr(L"image files") + " (*.png)|*.png;", wxFD_OPEN, wxDefaultPosition, wxDefaultSize,
                        "filedlg");
    if (dialog.ShowModal() != wxID_OK) {
        show_placeholder();
        return;
    }
    draft.is_visible = true;
    // GTK can report the path only through directory and name until the
    // chooser has loaded its folder.
    wxString path = dialog.GetPath();
    if (path.empty() && !dialog.GetFilename().empty())
        path = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    const std::wstring chosen = path.ToStdWstring();
    std::wstring name = random_picture_name();
    std::wstring target = name.empty() ? std::wstring() : configs_dir + name;
    while (!target.empty() && wxFileExists(target)) {
        name = random_picture_name();
        target = name.empty() ? std::wstring() : configs_dir + name;
    }
    if (target.empty() || !is_png_file(chosen) || !wxCopyFile(chosen, target, true)) {
        stamp_image_hint_label->flash_message(red, picture_hint_text);
        draft.imgfname.clear();
        return;
    }
    show_picture_file(target);
    draft.imgfname = target;
    stamp_image_hint_label->set_message(theme_text_colour, picture_hint_text);
    fit_to_width();
}

void stamp_panel::on_create_import(wxMouseEvent& event) {
    event.Skip();
    choose_certificate(false);
    local_page->Layout();
}

void stamp_panel::on_select_certificate(wxCommandEvent&) {
    choose_certificate(true);
    local_page->Layout();
}

void stamp_panel::choose_certificate(bool select) {
    wxRect opener;
    if (GetParent()) opener = wxRect(GetParent()->GetScreenPosition(), GetParent()->GetSize());
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
    dialog_call_table& calls = dialog_calls();
    const bool have_any =
        select && calls.collect_client_certificates && calls.collect_client_certificates() > 0;
    if (have_any && calls.select_certificate)
        calls.select_certificate(this, &cert, &entry, &opener, false);
    else if (calls.make_certificate)
        calls.make_certificate(this, &cert, &entry, &opener);
    std::unique_ptr<certstore_sumfile_entry> owned_entry(entry);
    if (!cert || !entry) {
        if (cert) X509_free(cert);
        return;
    }
    certificate_hint_label->set_message(theme_text_colour, certificate_hint_label->GetLabel());
    draft.access = entry->access;
    draft.info = entry->info;
    set_certificate(cert);
    store_certificate_text->ChangeValue(draft.info.subject);
    store_certificate_text->SetInsertionPoint(0);
    certificate_status_label->set_message(theme_text_colour, tr(L"verifying..."));
    start_certificate_check();
}

void stamp_panel::on_certificate_info(wxMouseEvent& event) {
    event.Skip();
    if (store_certificate_text->GetValue().empty() || chain.empty()) return;
    if (dialog_calls().certificate_chain) {
        wxRect opener;
        if (GetParent()) opener = wxRect(GetParent()->GetScreenPosition(), GetParent()->GetSize());
        // The modal dialog writes a status it changes (Add Trust) back into the chain.
        dialog_calls().certificate_chain(this, &chain, true, true, &opener, dialog_show::modal, wxString());
        show_check_result();
    }
}

void stamp_panel::on_timestamp_mode(wxCommandEvent&) {
    if (!timestamp_radio->GetValue()) return;
    set_timestamp_mode(true);
    for (wxTextCtrl* t : {cloud_address_text, cloud_user_text, cloud_password_text}) t->ChangeValue(wxEmptyString);
    if (tsurl_combo->GetCount() > 0) tsurl_combo->SetSelection(0);
    cloud_page->Layout();
    result_tip_label->Hide();
}

void stamp_panel::on_timestamp_setting(wxMouseEvent& event) {
    event.Skip();
    if (main_frame) main_frame->show_home_page();
    if (home_page && home_page->nav_buttons.size() > 1) home_page->select_page(home_page->nav_buttons[1]);
}

void stamp_panel::on_tsurl_select(wxCommandEvent&) {
    const int index = tsurl_combo->GetSelection();
    if (index == wxNOT_FOUND) return;
    const std::wstring url = tsurl_combo->GetString(unsigned(index)).ToStdWstring();
    auto found = std::find(timestamp_urls.begin(), timestamp_urls.end(), url);
    if (found != timestamp_urls.end()) timestamp_urls.erase(found);
    timestamp_urls.insert(timestamp_urls.begin(), url);
}

void stamp_panel::on_tsurl_dropdown(wxCommandEvent&) { fill_server_list(); }

void stamp_panel::on_cloud_account(wxCommandEvent&) {
    if (!cloud_account_radio->GetValue()) return;
    set_timestamp_mode(false);
    cloud_page->Layout();
    result_tip_label->Hide();
}

void stamp_panel::on_expand_other(wxCommandEvent&) {
    scroll_panel->GetSizer()->Show(reason_label->GetContainingSizer(), expand_other_check->GetValue(), true);
    fit_to_width();
}

// ---- certificate check -------------------------------------------------------------

void stamp_panel::set_certificate(X509* cert) {
    // A running check holds its own reference; waiting for it keeps one
    // check at a time and its result is dropped by the generation test.
    wait_certificate_check();
    ++check_generation;
    if (certificate) X509_free(certificate);
    certificate = cert;
    chain.clear();
    certificate_expired = false;
}

void stamp_panel::wait_certificate_check() {
    if (check_thread.joinable()) check_thread.join();
}

void stamp_panel::start_certificate_check() {
    wait_certificate_check();
    if (!certificate) return;
    X509_up_ref(certificate);
    X509* cert = certificate;
    const cert_access access = draft.access;
    const std::uint64_t generation = check_generation;
    // Counted from before the thread starts, so shutdown never misses it.
    running_workers.fetch_add(1);
    check_thread = std::thread([this, cert, access, generation] {
        struct uncount {
            ~uncount() { running_workers.fetch_sub(1); }
        } counted;
        wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
        event.SetExtraLong(long(generation));
        try {
            if (!wait_trust_list_ready()) {
                X509_free(cert);
                return;
            }
            if (access.check_access()) {
                auto result = std::make_shared<cert_chain_ui>();
                {
                    std::lock_guard<std::recursive_mutex> lock(trust_list_mutex);
                    verify_certchain_ui(cert, *result);
                }
                event.SetString(check_completed);
                event.SetPayload(chain_payload(result));
            } else {
                event.SetString(check_access_failed);
            }
        } catch (...) {
            event.SetString(check_failed);  // translated on the main thread
        }
        X509_free(cert);
        post_thread_event(this, event);
    });
}

void stamp_panel::show_check_result() {
    if (chain.empty()) {
        certificate_status_label->flash_message(red, tr(L"Failed to verify the certificate"));
    } else if (chain.front().status != 0) {
        certificate_status_label->flash_message(red, certificate_status_text(chain.front().status));
    } else if (time_text_not_passed(chain.front().cert.not_after)) {
        certificate_expired = false;
        certificate_status_label->set_message(success_green, certificate_status_text(0));
    } else {
        certificate_expired = true;
        certificate_status_label->flash_message(red, certificate_status_text(expired_status));
    }
    fit_to_width();
}

void stamp_panel::on_certificate_checked(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_addtrust) {
        // The certificate dialog's notice: its record is ours to free; the
        // statuses it changed are in the chain already.
        delete event.GetPayload<x509ui*>();
        show_check_result();
        return;
    }
    // A result for a certificate that has been replaced since: dropped (its
    // chain goes with the payload).
    if (std::uint64_t(event.GetExtraLong()) != std::uint64_t(long(check_generation))) return;
    if (tag == check_completed) {
        chain_payload result = event.GetPayload<chain_payload>();
        chain = result ? std::move(*result) : cert_chain_ui();
        show_check_result();
    } else if (tag == check_access_failed) {
        certificate_status_label->flash_message(
            red, tr(L"Certificate is not in store") + ", " + tr(L"you can import it again"));
    } else {
        certificate_status_label->flash_message(red, wxGetTranslation(tag));
    }
    fit_to_width();
}

// ---- save and cancel ------------------------------------------------------------------

bool stamp_panel::check_local_stamp() {
    draft.is_tsmode = false;
    draft.is_visible = visible_radio->GetValue();
    if (!draft.is_visible) draft.imgfname.clear();
    if (draft.is_visible && draft.imgfname.empty()) {
        stamp_image_hint_label->flash_message(red, picture_hint_text);
        return false;
    }
    bool complete = false;
    if (draft.access.cert_type == cert_type_sysstore) {
        const cert_sysstore& s = draft.access.sysstore;
        complete = !s.location.empty() && !s.subject.empty() && !s.issuer.empty() && !s.sn.empty();
    } else if (draft.access.cert_type == cert_type_pfx) {
        complete = !draft.access.pfx.certfname.empty() && !draft.access.pfx.pfxfname.empty();
    }
    if (!complete) {
        certificate_hint_label->flash_message(red, certificate_hint_label->GetLabel());
        return false;
    }
    if (certificate_expired) {
        certificate_status_label->flash_message(red, certificate_status_text(expired_status));
        return false;
    }
    return true;
}

bool stamp_panel::check_server_stamp() {
    draft.is_visible = false;
    const std::wstring& name = draft.name;
    const bool ts_name = contains(name, L"timestamp") || contains(name, L"\u65f6\u95f4\u6233");
    const bool cloud_name = contains(name, L"cloud stamp") || contains(name, L"\u4e91\u7b7e\u7ae0");
    draft.is_tsmode = timestamp_radio->GetValue();
    if (draft.is_tsmode) {
        if (cloud_name) {
            result_tip_label->Show();
            result_tip_label->flash_message(red, tr(L"Don't name Timestamp with \"cloud stamp\""));
            return false;
        }
        std::string url = tsurl_combo->GetValue().ToStdString(wxConvUTF8);
        if (url.empty()) url = wide_to_utf8(setting_panel::default_timestamp_url);
        sigstampui stamp;
        stamp.name = draft.name;
        stamp.is_tsmode = true;
        stamp.tsurl = url;
        stamp.is_localsign = false;
        stamp.is_visible = false;
        draft = stamp;
        return true;
    }
    if (ts_name) {
        result_tip_label->Show();
        result_tip_label->flash_message(red, tr(L"Don't name Cloud stamp with \"timestamp\""));
        return false;
    }
    draft.addr = cloud_address_text->GetValue().ToStdString(wxConvUTF8);
    draft.user = cloud_user_text->GetValue().ToStdString(wxConvUTF8);
    draft.pswd = cloud_password_text->GetValue().ToStdString(wxConvUTF8);
    if (draft.addr.empty() || draft.user.empty() || draft.pswd.empty()) {
        result_tip_label->Show();
        result_tip_label->flash_message(red, tr(L"Please fill cloud signing infomation"));
        return false;
    }
    return true;
}

void stamp_panel::on_save(wxCommandEvent&) {
    draft.name = stamp_name_text->GetValue().ToStdWstring();
    if (draft.name.empty()) {
        result_tip_label->Show();
        result_tip_label->flash_message(red, tr(L"Please fill stamp's name"));
        stamp_name_tip_label->Show();
        stamp_name_tip_label->flash_message(red, tr(L"Empty"));
        fit_to_width();
        return;
    }
    const bool is_new = !stamp_slot || !*stamp_slot;
    const bool local = is_new ? new_stamp_local : (*stamp_slot)->is_localsign;
    draft.is_localsign = local;
    if (!(local ? check_local_stamp() : check_server_stamp())) {
        fit_to_width();
        return;
    }
    if (!draft.is_tsmode) {
        draft.reason = reason_text->GetValue().ToStdWstring();
        draft.location = location_text->GetValue().ToStdWstring();
        draft.contact = contact_text->GetValue().ToStdWstring();
    }
    if (!stamp_slot) return;  // nowhere to save to
    if (is_new) *stamp_slot = new sigstampui(draft);
    else **stamp_slot = draft;
    sigstampui* saved = *stamp_slot;
    const x509ui* leaf = local && !chain.empty() ? &chain.front().cert : nullptr;
    if (service_hooks().make_stamp) service_hooks().make_stamp(*saved, leaf);
    if (stamp_editor_calls().stamp_saved) stamp_editor_calls().stamp_saved(saved, is_new);
    else if (the_sign_panel) the_sign_panel->stamp_saved(saved);
    return_to_list();
}

void stamp_panel::on_cancel(wxCommandEvent&) {
    if (stamp_slot && *stamp_slot) {
        if (stamp_editor_calls().stamp_kept) stamp_editor_calls().stamp_kept(*stamp_slot);
        // The stamp belongs to one of the panel's rows: it is found there, and
        // the stamps are stored, its row refreshed and selected again.
        else if (the_sign_panel) the_sign_panel->stamp_saved(*stamp_slot);
    }
    return_to_list();
}

void stamp_panel::return_to_list() {
    if (auto* book = dynamic_cast<wxSimplebook*>(GetParent())) book->SetSelection(0);
}
