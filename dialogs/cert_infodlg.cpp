#include "dialogs/cert_infodlg.h"
#include "app/diagnostics.h"

#include <cstdio>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/imaglist.h>

#include "app/exceptionex.h"
#include "app/screen_layout.h"
#include "forms/dialog_keys.h"
#include "app/thread_event.h"
#include "crypto/cert_loading.h"
#include "crypto/local_time.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "dialogs/cert_details.h"
#include "dialogs/dialog_support.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/status_texts.h"
#include "widgets/wxt_active_textctrl.h"

namespace {

wxString display_name(const x509ui& c, bool issuer) {
    return issuer ? wxString(cert_display_name(c.issuer_cn, c.issuer_dn))
                  : wxString(cert_display_name(c.subject_cn, c.subject_dn));
}

}  // namespace

cert_infodlg::cert_infodlg(wxWindow* parent, bool show_status_, cert_chain_ui* chain_, bool offer_add_trust_,
                           const wxRect* opener)
    : cert_infodlg_base(parent, wxID_ANY, tr("Certificate Properties"), wxDefaultPosition, wxSize(487, 664)),
      chain(chain_),
      show_status(show_status_),
      offer_add_trust(offer_add_trust_) {
    if (opener) opener_rect = *opener;
    if (!can_show(chain)) {
        // Never index into an empty chain: show one empty certificate.
        owned_chain = std::make_unique<cert_chain_ui>(1);
        owned_chain->front().status = certerr_okay;
        chain = owned_chain.get();
        failed = true;
    }
    fill_pages();
}

cert_infodlg::cert_infodlg(const wxString& path)
    : cert_infodlg_base(nullptr, wxID_ANY, tr("Certificate Properties"), wxDefaultPosition, wxSize(487, 664)),
      cert_path(path) {
    x509ui record;
    try {
        x509ui_from_file(path.ToStdWstring(), record);
        throw_succeed();
    } catch (const exceptionex& ex) {
        if (is_failure_exception(ex)) {
            failed = true;
            diag_print("\n %s(), ex.what(): %s", "", ex.what());
            record = x509ui();
        }
    }
    owned_chain = std::make_unique<cert_chain_ui>(1);
    owned_chain->front().status = certerr_okay;
    owned_chain->front().cert = record;
    chain = owned_chain.get();
    fill_pages();
}

cert_infodlg::~cert_infodlg() {
    unregister_document_dialog(this);
}

void cert_infodlg::keep_own_copy() {
    if (owned_chain) return;
    owned_chain = std::make_unique<cert_chain_ui>(*chain);
    chain = owned_chain.get();
}

void cert_infodlg::bind_to_document() {
    if (document_bound) return;
    document_bound = true;
    register_document_dialog(this, [this] {
        // The chain is still alive now: keep a copy of it.
        document_bound = false;
        keep_own_copy();
    });
}

void cert_infodlg::SetTitle(const wxString& title) {
    cert_infodlg_base::SetTitle(dialog_title(title.empty() ? tr("Certificate Properties") : title));
}

void cert_infodlg::pick_pictures() {
    screen_scale_percent = dpi_scale_percent(this);
    good_header = picture_pair(bitmap_certificate_32(), bitmap_certificate_64());
    bad_header = picture_pair(bitmap_cert_card_invalid_32(), bitmap_cert_card_invalid_64());
    good_chain = picture_pair(bitmap_cert_chain_32(), bitmap_cert_chain_64());
    bad_chain = picture_pair(bitmap_cert_chain_invalid_32(), bitmap_cert_chain_invalid_64());
    tree_good = picture_pair(bitmap_cert_card_28(), bitmap_cert_card_56());
    tree_bad = picture_pair(bitmap_cert_card_invalid_28(), bitmap_cert_card_invalid_56());
    field_icon = picture_pair(bitmap_tag_28(), bitmap_tag_56());
    certificate_bitmap->SetBitmap(good_header);
    chain_bitmap->SetBitmap(good_chain);
    fields_bitmap->SetBitmap(picture_pair(bitmap_cert_fields_32(), bitmap_cert_fields_64()));
    add_trust_button->SetBitmap(picture_pair(bitmap_add_28(), bitmap_add_56()), wxLEFT);
    add_trust_details_button->SetBitmap(picture_pair(bitmap_add_28(), bitmap_add_56()), wxLEFT);
    scale_dialog_to_screen(this);
    close_on_escape(this, close_button);
}

void cert_infodlg::fill_pages() {
    pick_pictures();
    set_program_icon(this);
    SetTitle(wxString());
    usage_label->SetLabel(wxString());
    fill_general();
    const x509ui& c = chain->front().cert;
    issued_to_value_label->SetLabel(display_name(c, false));
    issued_by_value_label->SetLabel(display_name(c, true));
    if (failed)
        valid_from_value_label->SetLabel(wxString());
    else
        valid_from_value_label->SetLabel(wxString::FromUTF8(c.not_before.substr(0, 10)) + tr("  to  ") +
                                         wxString::FromUTF8(c.not_after.substr(0, 10)));
    serial_value_label->SetLabel(wxString::FromUTF8(c.serial_hex));
    thumbprint_value_label->SetLabel(wxString::FromUTF8(c.certid));
    fill_chain_tree();
    fill_details();
    // A 40-digit serial number or thumbprint is wider than the form allows.
    grow_to_fit(this);
}

void cert_infodlg::fill_general() {
    const chain_cert_entry& first = chain->front();
    int status = show_status ? first.status : certerr_okay;
    if (status == certerr_okay && !time_text_not_passed(first.cert.not_after) && !first.cert.not_after.empty())
        status = certerr_expired;
    const wxString purposes_intro = tr(", ") + tr("it is intended for the following purpose(s):") + "\n";
    if (status != certerr_okay && status != certerr_expired) {
        certificate_bitmap->SetBitmap(bad_header);
        purpose_label->SetForegroundColour(wxColour(255, 0, 0));
        purpose_label->SetLabel(certificate_status_text(status) + purposes_intro);
    } else {
        certificate_bitmap->SetBitmap(good_header);
        purpose_label->SetForegroundColour(wxColour(0, 0, 0));
        purpose_label->SetLabel(show_status ? certificate_status_text(status) + purposes_intro
                                            : tr("This certificate is intended for the following purpose(s):") + "\n");
    }
    wxString usages;
    const wxString key_usages = key_usage_names_text(wxString::FromUTF8(first.cert.key_usage), true);
    if (!key_usages.empty()) usages += "- " + key_usages;
    if (!first.cert.ext_key_usages.empty()) {
        const wxString ekus = eku_names_text(first.cert.ext_key_usages, true);
        if (!ekus.empty()) usages += "\n- " + ekus;
    }
    usage_label->SetLabel(usages);
    // The sentences wrap at the page's width rather than widen the dialog.
    const int text_width = GetClientSize().x - 50;
    purpose_label->Wrap(text_width);
    usage_label->Wrap(text_width);
    usage_label->Show();
    add_trust_button->Show((status == certerr_not_trusted || status == certerr_build_chain) && offer_add_trust);
    general_page->Layout();
    Layout();
}

void cert_infodlg::fill_chain_tree() {
    const int first_status = chain->front().status;
    chain_bitmap->SetBitmap(show_status && first_status != certerr_okay ? bad_chain : good_chain);
    if (!show_status)
        for (chain_cert_entry& e : *chain) e.status = certerr_okay;
    chain_tree->DeleteAllItems();
    item_entries.clear();
    current_item = wxTreeItemId();
    shown_item = wxTreeItemId();
    chain_tree->SetIndent(16);
    wxVector<wxBitmapBundle> images;
    images.push_back(tree_good);
    images.push_back(tree_bad);
    chain_tree->SetImages(images);
    const int image = chain->front().status != certerr_okay ? 1 : 0;
    wxTreeItemId parent;
    for (size_t i = chain->size(); i-- > 0;) {
        const wxString text = display_name((*chain)[i].cert, false);
        const wxTreeItemId item =
            parent.IsOk() ? chain_tree->AppendItem(parent, text, image) : chain_tree->AddRoot(text, image);
        item_entries[item.GetID()] = i;
        parent = item;
    }
    chain_tree->ExpandAll();
    current_item = parent;
    chain_tree->UnselectAll();
}

const chain_cert_entry* cert_infodlg::current_entry() const {
    if (!current_item.IsOk()) return nullptr;
    const auto found = item_entries.find(current_item.GetID());
    if (found == item_entries.end() || found->second >= chain->size()) return nullptr;
    return &(*chain)[found->second];
}

void cert_infodlg::fill_details() {
    if (current_item.IsOk() && shown_item.IsOk() && current_item == shown_item) return;
    const chain_cert_entry* entry = current_entry();
    if (!entry) return;
    add_trust_details_button->Show(
        (entry->status == certerr_not_trusted || entry->status == certerr_build_chain) && offer_add_trust);
    fields_list->DeleteAllItems();
    row_values.clear();
    for (const cert_detail_row& row : certificate_detail_rows(entry->cert)) {
        wxVector<wxVariant> values;
        values.push_back(wxVariant(wxDataViewIconText(row.name, field_icon)));
        values.push_back(wxVariant(detail_row_column_text(row)));
        fields_list->AppendItem(values);
        row_values.push_back(row.value);
    }
    details_page->Layout();
}

void cert_infodlg::show_row_value(int row) {
    const chain_cert_entry* entry = current_entry();
    if (!entry || row < 0 || row >= fields_list->GetItemCount()) return;
    wxVariant name;
    fields_list->GetValue(name, row, 0);
    wxDataViewIconText field;
    field << name;
    if (field.GetText() == tr("Public key"))
        value_text->SetValue(wxString::FromUTF8(entry->cert.public_key_hex));
    else if (row < static_cast<int>(row_values.size()))
        value_text->SetValue(row_values[row]);
}

void cert_infodlg::on_chain_sel_changed(wxTreeEvent& event) {
    event.Skip();
    if (!event.GetItem().IsOk()) return;
    current_item = event.GetItem();
    fill_details();
    shown_item = current_item;
    if (selected_row >= fields_list->GetItemCount()) selected_row = 0;
    if (selected_row != -1) show_row_value(selected_row);
    fields_list->UnselectAll();
}

void cert_infodlg::on_field_selected(wxDataViewEvent& event) {
    event.Skip();
    const int row = fields_list->GetSelectedRow();
    selected_row = row;
    if (row == wxNOT_FOUND) {
        value_text->Clear();
        return;
    }
    show_row_value(row);
}

void cert_infodlg::on_copy_value(wxCommandEvent&) {
    value_text->SelectAll();
    if (wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(value_text->GetValue()));
        wxTheClipboard->Close();
    }
}

void cert_infodlg::on_save_certificate(wxCommandEvent&) {
    wxFileDialog dialog(this, tr("Save Certificate file"), wxString(), wxString(),
                        tr("x509 certificate files (*.cer)|*.cer") + ";*.CER", wxFD_SAVE | wxFD_OVERWRITE_PROMPT,
                        wxDefaultPosition, wxDefaultSize, "filedlg");
    if (show_modal_from(this, dialog) != wxID_OK) return;
    const chain_cert_entry* entry = current_entry();
    if (!entry || entry->cert.der.empty()) return;
    X509* cert = decode_certificate(entry->cert.der.data(), entry->cert.der.size(), nullptr);
    if (!cert) return;
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    X509_free(cert);
    if (length <= 0) return;
    if (FILE* f = std::fopen(chosen_path(dialog).utf8_string().c_str(), "wb")) {
        std::fwrite(der, 1, static_cast<size_t>(length), f);
        std::fclose(f);
    }
    OPENSSL_free(der);
}

void cert_infodlg::on_add_trust(wxCommandEvent& event) {
    event.Skip();
    if (!chain->empty()) add_trust(x509ui(chain->back().cert));
}

void cert_infodlg::on_add_trust_details(wxCommandEvent& event) {
    event.Skip();
    if (!chain->empty()) add_trust(x509ui(chain->back().cert));
}

void cert_infodlg::add_trust(const x509ui& c) {
    X509* cert = c.der.empty() ? nullptr : decode_certificate(c.der.data(), c.der.size(), nullptr);
    const bool decoded = cert != nullptr;
    if (cert) {
        trust_list_import_cert(cert);
        X509_free(cert);
        if (dialog_reports().add_trust) dialog_reports().add_trust(c);
    }
    for (chain_cert_entry& e : *chain) e.status = certerr_okay;
    fill_general();
    fill_chain_tree();
    fill_details();
    wxWindow* main_window = main_window_receiver();
    if (main_window) post_thread_event(main_window, wxt_thread_event(evt_addtrust, new x509ui(c)));
    if (GetParent()) post_thread_event(GetParent(), wxt_thread_event(evt_addtrust, new x509ui(c)));
    // The trust page only hears of an entry that was really added.
    wxWindow* page = trust_page_receiver();
    if (page && decoded)
        post_thread_event(page, wxt_thread_event(evt_addtrust, new trust_cert_info(trust_cert_info_from_x509ui(c, true))));
    Layout();
}

void cert_infodlg::on_init_dialog(wxInitDialogEvent& event) {
    if (initialised) {
        event.Skip();
        return;
    }
    initialised = true;
    event.Skip();
    if (!cert_path.empty()) SetTitle(wxFileName(cert_path).GetFullName());
    general_page->Layout();
    const int width = GetClientSize().x;
    field_column->SetWidth(static_cast<int>(width * 0.4));
    value_column->SetWidth(static_cast<int>(width * 0.5));
    details_page->Layout();
    if (opener_rect)
        place_beside_opener(this, &*opener_rect);
    else if (!cert_path.empty())
        CentreOnScreen();
    properties_book->SetSelection(0);
    CallAfter([this] { grow_to_fit(this); });
    if (failed && !cert_path.empty())
        information_label->flash_message(wxColour(255, 0, 0), tr("File type is unsupported, or file is damaged"));
}

void cert_infodlg::on_close_button(wxCommandEvent&) {
    if (IsModal()) {
        EndModal(wxID_OK);
        return;
    }
    if (GetParent() && !GetParent()->IsShown()) GetParent()->Show();
    Close();
}

void cert_infodlg::on_close(wxCloseEvent& event) {
    // A modeless dialog is destroyed when closed (the toolkit would only hide
    // it, keeping it bound to data that goes away).
    if (!IsModal()) {
        Destroy();
        return;
    }
    event.Skip();
}
