#include "dialogs/cert_select_dlg.h"
#include "app/diagnostics.h"

#include <cstdio>

#include <wx/dcclient.h>

#include "app/screen_layout.h"
#include "crypto/cert_loading.h"
#include "crypto/system_store.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/dialog_support.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

std::vector<certstore_sumfile_entry> select_cert_entries;

size_t collect_client_certificates() {
    select_cert_entries.clear();
    {
        std::lock_guard<std::recursive_mutex> lock(certstore_lock);
        select_cert_entries = certstore_entries;
    }
    enum_store_certificates("My", "1.3.6.1.5.5.7.3.2", true, syscert_entries);
    select_cert_entries.insert(select_cert_entries.end(), syscert_entries.begin(), syscert_entries.end());
    return select_cert_entries.size();
}

cert_select_dlg::cert_select_dlg(wxWindow* parent, X509** cert_out_, certstore_sumfile_entry** entry_out_,
                                 const wxRect* opener)
    : cert_select_dlg_base(parent, wxID_ANY, dialog_title(tr("Select a certificate")), wxDefaultPosition,
                           wxSize(450, 652)),
      cert_out(cert_out_),
      entry_out(entry_out_) {
    if (opener) opener_rect = *opener;
    if (cert_out) *cert_out = nullptr;
    if (entry_out) *entry_out = nullptr;
    set_program_icon(this);
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    cert_list->SetRowHeight(4 * dc.GetTextExtent("TEMPLATE").y);
    screen_scale_percent = dpi_scale_percent(this);
    row_icon = picture_pair(bitmap_cert_card_28(), bitmap_cert_card_56());
    title_bitmap->SetBitmap(picture_pair(bitmap_info_32(), bitmap_info_64()));
    scale_dialog_to_screen(this);
}

cert_select_dlg::~cert_select_dlg() { select_cert_entries.clear(); }

void cert_select_dlg::insert_row(size_t at, const certstore_sumfile_entry& entry) {
    const wxString text = wxString(entry.info.subject) + "\n" + tr("Expired") + tr(": ") +
                          wxString::FromUTF8(entry.info.expired) + "\n\n";
    wxVector<wxVariant> values;
    values.push_back(wxVariant(wxDataViewIconText(text, row_icon)));
    if (at >= static_cast<size_t>(cert_list->GetItemCount()))
        cert_list->AppendItem(values);
    else
        cert_list->InsertItem(static_cast<unsigned>(at), values);
}

void cert_select_dlg::fill_list() {
    cert_list->DeleteAllItems();
    for (size_t i = 0; i < select_cert_entries.size(); ++i) insert_row(i, select_cert_entries[i]);
    title_label->SetLabel(saved_title);
    if (cert_list->GetItemCount() > 0) {
        cert_list->SelectRow(0);
        show_details(0);
    } else {
        show_details(wxNOT_FOUND);
    }
    Layout();
}

void cert_select_dlg::show_details(int row) {
    if (row == wxNOT_FOUND || row < 0) {
        selected = wxNOT_FOUND;
        details_panel->Hide();
        Layout();
        return;
    }
    if (row >= static_cast<int>(select_cert_entries.size())) {
        Layout();
        return;
    }
    selected = row;
    const cert_info& info = select_cert_entries[row].info;
    subject_label->SetLabel(wxString(info.subject));
    issuer_label->SetLabel(wxString(info.issuer));
    expiry_label->SetLabel(wxString::FromUTF8(info.expired));
    serial_label->SetLabel(wxString::FromUTF8(info.sn));
    details_panel->Show();
    details_panel->Layout();
    Layout();
}

void cert_select_dlg::on_init_dialog(wxInitDialogEvent& event) {
    if (initialised) {
        event.Skip();
        return;
    }
    initialised = true;
    details_panel->Hide();
    create_import_link->set_action_colour(wxColour(13, 147, 45), true);
    saved_title = title_label->GetLabel();
    title_label->SetLabel(tr("Collecting exist Digital Certificates..."));
    if (opener_rect) place_beside_opener(this, &*opener_rect);
    fill_list();
    Layout();
    event.Skip();
}

void cert_select_dlg::on_size(wxSizeEvent& event) {
    name_column->SetWidth(static_cast<int>(cert_list->GetSize().x * 0.8));
    Layout();
    event.Skip();
}

void cert_select_dlg::on_selection_changed(wxDataViewEvent& event) {
    const wxDataViewItem item = event.GetItem();
    show_details(item.IsOk() ? cert_list->ItemToRow(item) : wxNOT_FOUND);
    event.Skip();
}

void cert_select_dlg::on_item_activated(wxDataViewEvent& event) {
    const wxDataViewItem item = event.GetItem();
    show_details(item.IsOk() ? cert_list->ItemToRow(item) : wxNOT_FOUND);
    wxCommandEvent ok(wxEVT_BUTTON, ok_button->GetId());
    on_ok(ok);
}

void cert_select_dlg::on_ok(wxCommandEvent&) {
    if (selected != wxNOT_FOUND && selected < static_cast<int>(select_cert_entries.size())) {
        certstore_sumfile_entry& entry = select_cert_entries[selected];
        X509* cert = nullptr;
        if (entry.access.cert_type == cert_type_sysstore) {
            cert = load_store_certificate("My", entry.info.issuer, entry.info.sn.c_str());
        } else if (entry.access.cert_type == cert_type_pfx) {
            bool found = false;
            {
                std::lock_guard<std::recursive_mutex> lock(certstore_lock);
                for (const certstore_sumfile_entry& stored : certstore_entries)
                    if (stored.info == entry.info) {
                        entry.access = stored.access;
                        found = true;
                        break;
                    }
            }
            if (found)
                cert = load_certificate_file(wxString(entry.access.pfx.certfname).utf8_string().c_str());
            else
                diag_print("\n\n[ERROR] %s(), faild to found selecte cert in certstore [ERROR]\n", "");
        }
        if (cert_out) {
            X509_free(*cert_out);
            *cert_out = cert;
        } else {
            X509_free(cert);
        }
        if (entry_out) *entry_out = new certstore_sumfile_entry(entry);
    } else if (entry_out) {
        *entry_out = nullptr;
    }
    finish();
}

void cert_select_dlg::finish() {
    if (IsModal())
        EndModal(wxID_OK);
    else
        Close();
}

void cert_select_dlg::on_create_import(wxMouseEvent& event) {
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
    {
        cert_makedlg make(GetParent(), &cert, &entry, opener_rect ? &*opener_rect : nullptr);
        make.ShowModal();
    }
    if (cert && entry) {
        int found = wxNOT_FOUND;
        for (size_t i = 0; i < select_cert_entries.size(); ++i)
            if (select_cert_entries[i].access == entry->access) {
                found = static_cast<int>(i);
                break;
            }
        if (found == wxNOT_FOUND) {
            select_cert_entries.insert(select_cert_entries.begin(), *entry);
            insert_row(0, *entry);
            found = 0;
        }
        cert_list->SelectRow(static_cast<unsigned>(found));
        show_details(found);
        cert_list->Refresh();
    }
    X509_free(cert);
    delete entry;
    event.Skip();
}
