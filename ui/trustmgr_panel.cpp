#include "ui/trustmgr_panel.h"
#include "app/diagnostics.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include <wx/filedlg.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>

#include "app/exceptionex.h"
#include "app/screen_layout.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "forms/pictures.h"
#include "platform/owned.h"
#include "ui/certificate_list_size.h"
#include "ui/home_calls.h"
#include "widgets/theme_bitmaps.h"
#include "widgets/wxt_hyperlink.h"

trustmgr_panel* trust_page = nullptr;

namespace {

// Held while the page pointer is cleared and while a worker posts to it: a
// worker may outlive the page (it can wait long for the trust list).
std::mutex page_mutex;

void post_to_page(const wxThreadEvent& event) {
    std::lock_guard<std::mutex> lock(page_mutex);
    if (trust_page) post_thread_event(trust_page, event);
}

constexpr wchar_t evt_filled[] = L"evt_filled";
constexpr wchar_t evt_reset[] = L"evt_reset";
constexpr wchar_t unknown_error[] = L"Unknown error";

void tell_main_window(const wchar_t* tag, const x509ui& ui) {
    if (!home_calls().main_window) return;
    if (wxEvtHandler* main = home_calls().main_window())
        post_thread_event(main, wxt_thread_event(tag, new x509ui(ui)));
}

bool is_approved_root(const trust_cert_info& e) {
    wxString subject(e.sb);
    return !e.sb.empty() && !e.usr && e.sb == e.is && e.trust &&
           !subject.Lower().Contains(wxString("Velkorant").Lower()) && !e.usr_untrust;
}

}  // namespace

std::string trust_cache_cer_path(const std::string& certid) { return certcache_dir + certid + ".cer"; }

void recheck_chain_trust(const cert_chain_ui* chain) {
    if (!chain || chain->empty()) return;
    const chain_cert_entry& top = chain->back();
    const unsigned char* der = top.cert.der.data();
    owned<X509> cert(d2i_X509(nullptr, &der, long(top.cert.der.size())));
    if (!cert.get()) return;
    cert_chain_ui now;
    verify_certchain_ui(cert.get(), now);
    const bool trusted_now = !now.empty() && now.front().status == certerr_okay;
    if (top.status == certerr_not_trusted && trusted_now)
        tell_main_window(evt_addtrust, top.cert);
    else if (top.status == certerr_okay && !trusted_now)
        tell_main_window(evt_deltrust, top.cert);
}

trustmgr_panel::trustmgr_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : trustmgr_base(parent, id, pos, size, style, "wn_trustmgr") {
    result_label->SetLabel(wxString());
    name_icon = scaled_picture(bitmap_cert_card_28(), bitmap_cert_card_56());
    wxBitmap user_normal = bitmap_person_28(), user_doubled = bitmap_person_56();
    recolour_bitmap_for_theme(user_normal);
    recolour_bitmap_for_theme(user_doubled);
    user_icon = scaled_picture(user_normal, user_doubled);
    vatl_icon = scaled_picture(bitmap_puzzle_29x28(), bitmap_puzzle_58x56());

    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_panel_colour);
    scroll_panel->SetBackgroundColour(theme_panel_colour);
    cert_list->SetForegroundColour(theme_text_colour);
    cert_list->SetBackgroundColour(theme_control_colour);
    for (wxWindow* child : scroll_panel->GetChildren())
        if (dynamic_cast<wxStaticText*>(child)) child->SetForegroundColour(theme_text_colour);
    // The approved roots are the system's: the line names where they were read.
    trust_source_link->set_action_colour(theme_text_colour, false);
    show_roots_source();
    // The form paints these labelled picture buttons white on dark grey; they
    // take the page's colours so that they neither stand out as dark blocks
    // nor keep a white label on a light page.
    const struct {
        wxButton* button;
        const wxBitmap &normal, &doubled;
    } pictures[] = {
        {add_trusted_button, bitmap_plus_32(), bitmap_plus_64()},
        {distrust_button, bitmap_minus_32(), bitmap_minus_64()},
        {reset_button, bitmap_reset_32(), bitmap_reset_64()},
    };
    for (const auto& [b, normal, doubled] : pictures) {
        theme_bitmap_button(b, theme_panel_colour, normal, doubled);
        b->SetForegroundColour(theme_text_colour);
    }

    saved_heading = title_label->GetLabel();
    title_label->SetLabel(wxGetTranslation(L"Updating Trust List, wait for a moment ..."));
    for (wxButton* b : {add_trusted_button, distrust_button, reset_button}) b->Disable();
    result_label->Hide();
    show_details_group(false);
    info_label->Hide();
    {
        std::lock_guard<std::mutex> lock(page_mutex);
        trust_page = this;
    }
    Bind(wxEVT_THREAD, &trustmgr_panel::on_thread_event, this);
    trust_update_receiver = this;  // an online update refreshes the page
    // From the event loop, once the whole object is built (see the
    // certificate store page).
    CallAfter([this] { start_fill(true); });
    Layout();
}

trustmgr_panel::~trustmgr_panel() {
    Unbind(wxEVT_THREAD, &trustmgr_panel::on_thread_event, this);
    wxEvtHandler* self = this;
    trust_update_receiver.compare_exchange_strong(self, nullptr);
    std::lock_guard<std::mutex> lock(page_mutex);
    if (trust_page == this) trust_page = nullptr;
}

void trustmgr_panel::start_fill(bool list) {
    // Counted before the thread exists, so a shutdown that starts meanwhile waits for it.
    running_workers.fetch_add(1);
    const bool reset = reset_requested.exchange(false);
    std::thread([list, reset] {
        fill_thread(list, reset);
        running_workers.fetch_sub(1);
    }).detach();
}

void trustmgr_panel::fill_thread(bool list, bool reset) {
    try {
        if (!wait_trust_list_ready()) return;
        if (reset) {
            // The system set is read before the list is emptied: without one nothing changes.
            reset_trust_list_to_system();
            post_to_page(wxt_thread_event(evt_reset));
        }
        if (list) post_to_page(wxt_thread_event(evt_filled));
    } catch (const std::exception& ex) {
        diag_print("\n %s(), ex.what(): %s", "", ex.what());
        post_to_page(wxt_thread_event(unknown_error));
    }
}

void trustmgr_panel::show_roots_source() {
    std::string source;
    {
        trust_list_lock lock(trust_list_mutex);
        source = system_roots_source;
    }
    if (source.empty())
        trust_source_link->SetLabel(wxGetTranslation(L"No system certificate set was found: no root is approved"));
    else
        trust_source_link->SetLabel(
            wxString::Format(wxGetTranslation(L"Approved roots: the system certificate set, %s"),
                             wxString::FromUTF8(source)));
}

void trustmgr_panel::list_trust_list() {
    show_roots_source();
    trust_list_lock lock(trust_list_mutex);
    cert_list->DeleteAllItems();
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [id, entry] : trust_list) {
            if (stop_workers) return;
            const bool listed = pass == 0 ? is_approved_root(entry) : !entry.sb.empty() && entry.usr && !entry.usr_untrust;
            if (listed) append_row(entry);
        }
    }
    trust_page_filled = true;
}

void trustmgr_panel::append_row(const trust_cert_info& e) {
    wxVector<wxVariant> row;
    row.push_back(wxVariant(wxString::FromUTF8(e.id)));
    wxVariant name;
    name << wxDataViewIconText(wxString(e.sb), name_icon);
    row.push_back(name);
    row.push_back(wxVariant(wxString(e.is)));
    wxVariant source;
    const wxString origin = e.usr   ? wxGetTranslation(L"User")
                            : e.sys ? wxGetTranslation(L"System set")
                                    : wxGetTranslation(L"VATL");
    source << wxDataViewIconText(origin, e.usr ? user_icon : vatl_icon);
    row.push_back(source);
    row.push_back(wxVariant(wxString::FromUTF8(e.exp)));
    cert_list->AppendItem(row);
}

std::string trustmgr_panel::row_id(unsigned row) const {
    return cert_list->GetTextValue(row, id_column).utf8_string();
}

bool trustmgr_panel::has_row(const trust_cert_info& entry) const {
    for (unsigned i = 0; i < unsigned(cert_list->GetItemCount()); ++i)
        if (row_id(i) == entry.id) return true;
    return false;
}

void trustmgr_panel::show_details_group(bool show) {
    for (wxStaticText* t : {subject_caption_label, subject_value_label, issuer_caption_label, issuer_value_label,
                            expired_caption_label, expired_value_label, sn_caption_label, sn_value_label})
        t->Show(show);
}

void trustmgr_panel::show_details(const trust_cert_info& e) {
    subject_value_label->SetLabel(wxString(e.sb));
    issuer_value_label->SetLabel(wxString(e.is));
    expired_value_label->SetLabel(wxString::FromUTF8(e.exp));
    sn_value_label->SetLabel(wxString::FromUTF8(e.sn));
    show_details_group(true);
    info_label->Hide();
}

void trustmgr_panel::on_thread_event(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_filled || tag == evt_update) {
        list_trust_list();
    } else if (tag == evt_reset) {
        list_trust_list();
        result_label->SetForegroundColour(theme_text_colour);
        result_label->SetLabel(wxGetTranslation(L"Reset Complete!"));
        // The open document's chains are judged again, unless a verification
        // is about to replace its results.
        const bool shown = home_calls().document_shown && home_calls().document_shown();
        if (shown && !doc_verifying) {
            std::lock_guard<std::recursive_mutex> lock(document_mutex);
            if (current_document)
                for (sig_result* result : current_document->topsigs) {
                    if (!result) continue;
                    recheck_chain_trust(result->signer_chain);
                    recheck_chain_trust(result->ts_chain);
                    recheck_chain_trust(result->seal_chain);
                }
        }
    } else if (tag == evt_addtrust) {
        std::unique_ptr<trust_cert_info> entry(event.GetPayload<trust_cert_info*>());
        if (entry && !has_row(*entry)) append_row(*entry);
    } else {
        result_label->SetForegroundColour(theme_text_colour);
        result_label->SetLabel(wxGetTranslation(L"Unknown error"));
    }
    result_label->Show();
    title_label->SetLabel(saved_heading);
    for (wxButton* b : {add_trusted_button, distrust_button, reset_button}) b->Enable();
    reset_button->SetForegroundColour(theme_text_colour);
    reset_button->SetLabel(wxGetTranslation(L"Reset"));
    Layout();
    event.Skip();
}

void trustmgr_panel::on_selection_changed(wxDataViewEvent& event) {
    const wxDataViewItem item = cert_list->GetSelection();
    if (item.IsOk()) {
        const std::string id = row_id(unsigned(cert_list->ItemToRow(item)));
        trust_cert_info entry;
        if (!trust_list_find(id, &entry)) {
            diag_print("\n %s(), cannot find cerid in trustlist: %s", "", id.c_str());
        } else {
            result_label->Hide();
            show_details(entry);
        }
        if (!last_item.IsOk()) Layout();
        last_item = item;
    } else {
        show_details_group(false);
        info_label->Show();
        if (last_item.IsOk()) Layout();
        last_item = wxDataViewItem();
    }
    event.Skip();
}

void trustmgr_panel::on_list_kill_focus(wxFocusEvent& event) {
    show_details_group(false);
    event.Skip();
}

void trustmgr_panel::on_item_activated(wxDataViewEvent& event) {
    const int row = cert_list->GetSelectedRow();
    if (row == wxNOT_FOUND || !home_calls().show_certificate_chain) return;
    owned<X509> cert(load_certificate_file(trust_cache_cer_path(row_id(unsigned(row))).c_str()));
    if (!cert.get()) return;
    cert_chain_ui chain;
    verify_certchain_ui(cert.get(), chain);
    if (!chain.empty()) home_calls().show_certificate_chain(this, &chain, false, true);
}

void trustmgr_panel::select_row(int row) {
    cert_list->SelectRow(unsigned(row));
    wxDataViewEvent changed(wxEVT_DATAVIEW_SELECTION_CHANGED, cert_list, cert_list->RowToItem(row));
    on_selection_changed(changed);
}

void trustmgr_panel::on_add_trusted(wxCommandEvent&) {
    wxFileDialog dialog(this, wxGetTranslation(L"Import certificate file to Trust List"), wxEmptyString,
                        wxEmptyString, "Certifcate files (*.cer, *.crt)|*.cer;*.crt;*.CER;*.CRT",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK) return;
    import_certificate_file(dialog.GetPath());
}

void trustmgr_panel::import_certificate_file(const wxString& path) {
    owned<X509> cert(load_certificate_file(path.utf8_string().c_str()));
    if (!cert.get()) {
        result_label->SetForegroundColour(*wxRED);
        result_label->SetLabel(wxGetTranslation(L"Import Failed, Certificate file may be damaged."));
        result_label->Show();
        Layout();
        return;
    }
    cert_list->UnselectAll();
    x509ui ui;
    build_x509ui(cert.get(), ui);
    const trust_cert_info entry = trust_cert_info_from_x509ui(ui, true);
    trust_cert_info held;
    bool present;
    {
        trust_list_lock lock(trust_list_mutex);
        present = trust_list_find(entry.id, &held);
    }
    // A certificate kept only as a cached issuer (never trusted, not the
    // user's) is imported as the user's, like one never seen.
    const bool cached_issuer = present && !held.trust && !held.usr;
    if (!present || held.usr_untrust || cached_issuer) {
        trust_list_import_cert(cert.get());
        if (home_calls().report_add_trust) home_calls().report_add_trust(ui);
        append_row(entry);
        const int last = cert_list->GetItemCount() - 1;
        cert_list->SelectRow(unsigned(last));
        cert_list->EnsureVisible(cert_list->RowToItem(last));
        show_details(entry);
        tell_main_window(evt_addtrust, ui);
    } else {
        const int rows = cert_list->GetItemCount();
        diag_print("\n\n to find certid: %s in **%d** items", entry.id.c_str(), rows);
        int found = -1;
        for (int i = 0; i < rows && found < 0; ++i)
            if (row_id(unsigned(i)) == entry.id) found = i;
        if (found >= 0) {
            cert_list->SelectRow(unsigned(found));
            cert_list->EnsureVisible(cert_list->RowToItem(found));
            show_details(held);
        } else {
            diag_print("\n not found certid in control");
            show_details_group(false);
        }
    }
    result_label->Hide();
    Layout();
}

void trustmgr_panel::on_distrust(wxCommandEvent&) {
    const int r = cert_list->GetSelectedRow();
    if (r == wxNOT_FOUND) return;
    const std::string id = row_id(unsigned(r));
    const std::string cache = trust_cache_cer_path(id);
    cert_list->UnselectAll();
    cert_list->DeleteItem(unsigned(r));
    if (std::filesystem::exists(cache)) {
        // A copy that cannot be read tells nobody; the trust still goes.
        try {
            x509ui ui;
            x509ui_from_file(utf8_to_wide(cache), ui);
            tell_main_window(evt_deltrust, ui);
        } catch (const std::exception&) {
        }
    }
    {
        trust_list_lock lock(trust_list_mutex);
        const auto it = trust_list.find(id);
        if (it != trust_list.end()) it->second.usr_untrust = true;
        save_trust_list();
    }
    const int rows = cert_list->GetItemCount();
    if (rows > 0) select_row(r >= rows ? rows - 1 : r);
    Layout();
}

void trustmgr_panel::on_reset(wxCommandEvent&) {
    if (reset_button->GetLabel() == wxGetTranslation(L"Reset")) {
        reset_button->SetLabel(wxGetTranslation(L"Confirm Reset"));
        reset_button->SetForegroundColour(wxColour(255, 128, 61));
        return;
    }
    reset_button->Disable();
    result_label->SetForegroundColour(theme_text_colour);
    result_label->SetLabel(wxGetTranslation(L"Reseting...Please wait for a moment"));
    result_label->Show();
    show_details_group(false);
    add_trusted_button->Disable();
    distrust_button->Disable();
    last_item = wxDataViewItem();
    reset_requested = true;
    start_fill(false);
    Layout();
}

void trustmgr_panel::on_size(wxSizeEvent& event) {
    size_certificate_list(cert_list, event.GetSize(),
                          {{name_column, 0.28}, {issuer_column, 0.28}, {source_column, 0.14}, {expired_column, 0.1}});
    Layout();
    event.Skip();
}
