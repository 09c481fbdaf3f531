#include "ui/certstore_panel.h"
#include "app/diagnostics.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include <wx/msgdlg.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>

#include "app/data_dirs.h"
#include "app/screen_layout.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/system_store.h"
#include "crypto/x509ui.h"
#include "document/sigdata.h"
#include "forms/pictures.h"
#include "platform/owned.h"
#include "ui/certificate_list_size.h"
#include "ui/home_calls.h"
#include "widgets/theme_bitmaps.h"

certstore_panel* the_certstore_panel = nullptr;

namespace {

// Held while the page pointer changes and while the loader posts to it: the
// loader may outlive the page (it can wait long for the trust list).
std::mutex page_mutex;

// The loader's own tags: only they refill the list.
constexpr wchar_t loaded_tag[] = L"certstore_loaded";
constexpr wchar_t load_failed_tag[] = L"certstore_load_failed";

using entry_list = std::vector<certstore_sumfile_entry>;

}  // namespace

certstore_panel::certstore_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : certstore_base(parent, id, pos, size, style, "wn_certstore") {
    saved_heading = title_label->GetLabel();
    title_label->SetLabel(wxGetTranslation(L"Updating Certificate Store,  wait for a moment"));
    create_import_button->Disable();
    remove_button->Disable();
    result_label->Hide();
    show_details(false);
    info_label->Hide();

    cert_icon = scaled_picture(bitmap_certificate_32(), bitmap_certificate_64());
    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_panel_colour);
    scroll_panel->SetBackgroundColour(theme_panel_colour);
    cert_list->SetForegroundColour(theme_text_colour);
    cert_list->SetBackgroundColour(theme_control_colour);
    for (wxWindow* child : scroll_panel->GetChildren())
        if (dynamic_cast<wxStaticText*>(child)) child->SetForegroundColour(theme_text_colour);
    // The form paints these labelled picture buttons white on dark grey; they
    // take the page's colours so that they neither stand out as dark blocks
    // nor keep a white label on a light page.
    const struct {
        wxButton* button;
        const wxBitmap &normal, &doubled;
    } pictures[] = {
        {create_import_button, bitmap_plus_32(), bitmap_plus_64()},
        {remove_button, bitmap_minus_32(), bitmap_minus_64()},
        {refresh_button, bitmap_refresh_32(), bitmap_refresh_64()},
    };
    for (const auto& [b, normal, doubled] : pictures) {
        theme_bitmap_button(b, theme_panel_colour, normal, doubled);
        b->SetForegroundColour(theme_text_colour);
    }

    {
        std::lock_guard<std::mutex> lock(page_mutex);
        the_certstore_panel = this;
    }
    Bind(wxEVT_THREAD, &certstore_panel::on_thread_event, this);
    // The first load starts from the event loop, once the whole object is
    // built: the worker queues to this window, whose derived parts would
    // still be under construction here.
    CallAfter([this] { start_loader(); });
    Layout();
}

certstore_panel::~certstore_panel() {
    Unbind(wxEVT_THREAD, &certstore_panel::on_thread_event, this);
    clear_rows();
    std::lock_guard<std::mutex> lock(page_mutex);
    if (the_certstore_panel == this) the_certstore_panel = nullptr;
}

void certstore_panel::start_loader() {
    running_workers.fetch_add(1);
    std::thread([] {
        load_entries();
        running_workers.fetch_sub(1);
    }).detach();
}

void certstore_panel::load_entries() {
    // Read into a list of the worker's own: the page's list is touched only
    // on the main thread, when the event hands this one over.
    auto list = std::make_unique<entry_list>();
    bool ok = false;
    try {
        if (wait_trust_list_ready()) {
            {
                std::lock_guard<std::recursive_mutex> lock(certstore_lock);
                load_certstore(app_data_dir());
                *list = certstore_entries;
            }
            entry_list system;
            enum_store_certificates("My", "1.3.6.1.5.5.7.3.2", true, system);
            {
                std::lock_guard<std::recursive_mutex> lock(certstore_lock);
                syscert_entries = system;
            }
            list->insert(list->end(), system.begin(), system.end());
            ok = true;
        }
    } catch (const std::exception& ex) {
        diag_print("\n %s(), ex.what(): %s", "", ex.what());
    }
    // The page always hears back, so its buttons come back even on failure.
    wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
    event.SetString(ok ? loaded_tag : load_failed_tag);
    std::lock_guard<std::mutex> lock(page_mutex);
    if (!the_certstore_panel) return;
    event.SetPayload(list.release());
    wxQueueEvent(the_certstore_panel, event.Clone());
}

const certstore_sumfile_entry* certstore_panel::row_entry(unsigned row) const {
    return reinterpret_cast<const certstore_sumfile_entry*>(cert_list->GetItemData(cert_list->RowToItem(int(row))));
}

void certstore_panel::add_row(const certstore_sumfile_entry& e) {
    wxVector<wxVariant> row;
    wxVariant name;
    name << wxDataViewIconText(wxString(e.info.subject), cert_icon);
    row.push_back(name);
    row.push_back(wxVariant(wxString(e.info.issuer)));
    row.push_back(wxVariant(e.access.cert_type == cert_type_sysstore ? wxGetTranslation(L"SYSTEM")
                                                                     : wxGetTranslation(L"PFX FILE")));
    row.push_back(wxVariant(wxString::FromUTF8(e.info.expired)));
    cert_list->AppendItem(row, reinterpret_cast<wxUIntPtr>(new certstore_sumfile_entry(e)));
}

void certstore_panel::delete_row(unsigned row) {
    delete row_entry(row);
    cert_list->DeleteItem(row);
}

void certstore_panel::clear_rows() {
    for (unsigned i = 0; i < unsigned(cert_list->GetItemCount()); ++i) delete row_entry(i);
    cert_list->DeleteAllItems();
}

void certstore_panel::loaded() {
    title_label->SetLabel(saved_heading);
    create_import_button->Enable();
    remove_button->Enable(has_selection && selected_entry.access.cert_type == cert_type_pfx);
    refresh_button->Enable();
    Layout();
}

void certstore_panel::on_thread_event(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_addcert) {
        std::unique_ptr<certstore_sumfile_entry> entry(event.GetPayload<certstore_sumfile_entry*>());
        if (entry) {
            bool listed = false;
            for (unsigned i = 0; i < unsigned(cert_list->GetItemCount()) && !listed; ++i) {
                const certstore_sumfile_entry* shown = row_entry(i);
                if (!shown)
                    diag_print("\n\n[ERROR] %s(), item's data is null [ERROR]\n", "");
                else
                    listed = *shown == *entry;
            }
            if (!listed) add_row(*entry);
        }
        loaded();
    } else if (tag == evt_addtrust) {
        // The certificate dialog opened from this page tells its parent of a
        // new trust; the page lists no trust, but the record is its to free.
        delete event.GetPayload<x509ui*>();
        return;
    } else if (tag == loaded_tag || tag == load_failed_tag) {
        std::unique_ptr<entry_list> list(event.GetPayload<entry_list*>());
        if (tag == loaded_tag && list) {
            entries.swap(*list);
            clear_rows();
            has_selection = false;
            show_details(false);
            for (const certstore_sumfile_entry& e : entries) {
                if (stop_workers) break;
                add_row(e);
            }
        }
        loaded();
    }
    // Other events are not ours: their payloads are not ours to read.
    event.Skip();
}

void certstore_panel::show_details(bool show) {
    for (wxStaticText* t : {subject_caption_label, subject_value_label, issuer_caption_label, issuer_value_label,
                            expired_caption_label, expired_value_label, sn_caption_label, sn_value_label})
        t->Show(show);
}

void certstore_panel::on_selection_changed(wxDataViewEvent& event) {
    const int row = cert_list->GetSelectedRow();
    const certstore_sumfile_entry* e = row == wxNOT_FOUND ? nullptr : row_entry(unsigned(row));
    if (!e) {
        show_details(false);
        info_label->Show();
        if (last_item.IsOk()) Layout();
        last_item = wxDataViewItem();
        has_selection = false;
        remove_button->Disable();
    } else {
        selected_entry = *e;
        has_selection = true;
        remove_button->Enable(e->access.cert_type == cert_type_pfx);
        subject_value_label->SetLabel(wxString(e->info.subject));
        issuer_value_label->SetLabel(wxString(e->info.issuer));
        expired_value_label->SetLabel(wxString::FromUTF8(e->info.expired));
        sn_value_label->SetLabel(wxString::FromUTF8(e->info.sn));
        show_details(true);
        info_label->Hide();
        if (!last_item.IsOk()) Layout();
        last_item = cert_list->RowToItem(row);
    }
    event.Skip();
}

void certstore_panel::on_list_kill_focus(wxFocusEvent& event) {
    show_details(false);
    event.Skip();
}

void certstore_panel::on_item_activated(wxDataViewEvent&) {
    const int row = cert_list->GetSelectedRow();
    if (row == wxNOT_FOUND || !row_entry(unsigned(row))) return;
    const certstore_sumfile_entry e = *row_entry(unsigned(row));
    const bool system = e.access.cert_type == cert_type_sysstore;
    owned<X509> cert(system ? load_store_certificate(e.access.sysstore.store.c_str(), e.access.sysstore.issuer,
                                                    e.access.sysstore.sn.c_str())
                           : load_certificate_file(wide_to_utf8(e.access.pfx.certfname).c_str()));
    if (cert.get()) {
        cert_chain_ui chain;
        verify_certchain_ui(cert.get(), chain);
        if (!chain.empty() && home_calls().show_certificate_chain)
            home_calls().show_certificate_chain(this, &chain, true, true);
        return;
    }
    wxMessageBox(system ? wxGetTranslation(L"This certificate could be deleted from system store by other "
                                           L"application, you can import it again")
                        : wxGetTranslation(L"This certificate could be deleted by other application, you can "
                                           L"import it again"),
                 wxGetTranslation(L"CertStore - certificate is unvailable"),
                 wxOK | (system ? wxICON_INFORMATION : wxICON_WARNING), this);
    cert_list->UnselectAll();
    delete_row(unsigned(row));
    has_selection = false;
    remove_button->Disable();
}

void certstore_panel::on_create_import(wxCommandEvent&) {
    if (home_calls().make_certificate) home_calls().make_certificate(this);
    cert_list->SetFocus();
}

void certstore_panel::on_remove(wxCommandEvent&) {
    const int row = cert_list->GetSelectedRow();
    if (row == wxNOT_FOUND || !has_selection) return;
    const int answer = wxMessageBox(
        wxGetTranslation(L"Delete this certificate will make all SignatureStamps that use this certificate "
                         L"invalid! \nConfirm to Delete?"),
        wxGetTranslation(L"CertStore - delete certificate warning"), wxYES_NO | wxICON_WARNING, this);
    if (answer != wxYES) return;
    cert_list->UnselectAll();
    delete_row(unsigned(row));
    {
        std::lock_guard<std::recursive_mutex> lock(certstore_lock);
        for (auto it = certstore_entries.begin(); it != certstore_entries.end(); ++it) {
            if (it->access.cert_type != selected_entry.access.cert_type || it->info != selected_entry.info) continue;
            if (it->access.cert_type == cert_type_pfx) {
                // Files already gone or locked do not stop the removal: the
                // store file no longer names them either way.
                std::error_code ec;
                std::filesystem::remove(std::filesystem::u8path(wide_to_utf8(it->access.pfx.pfxfname)), ec);
                std::filesystem::remove(std::filesystem::u8path(wide_to_utf8(it->access.pfx.certfname)), ec);
            }
            certstore_entries.erase(it);
            break;
        }
        save_certstore();
    }
    selected_entry = certstore_sumfile_entry();
    has_selection = false;
    const int rows = cert_list->GetItemCount();
    if (rows == 0) {
        show_details(false);
        remove_button->Disable();
    } else {
        const int next = row >= rows ? rows - 1 : row;
        cert_list->SelectRow(unsigned(next));
        wxDataViewEvent changed(wxEVT_DATAVIEW_SELECTION_CHANGED, cert_list, cert_list->RowToItem(next));
        on_selection_changed(changed);
    }
    Layout();
    cert_list->SetFocus();
}

void certstore_panel::on_refresh(wxCommandEvent&) {
    // On a worker like the first fill: the page never blocks waiting for the
    // trust list.
    refresh_button->Disable();
    create_import_button->Disable();
    title_label->SetLabel(wxGetTranslation(L"Updating Certificate Store,  wait for a moment"));
    start_loader();
}

void certstore_panel::on_size(wxSizeEvent& event) {
    size_certificate_list(cert_list, event.GetSize(),
                          {{name_column, 0.3}, {issuer_column, 0.3}, {store_column, 0.1}, {expired_column, 0.1}});
    Layout();
    event.Skip();
}
