#include "dialogs/sig_infodlg.h"

#include <algorithm>

#include <wx/display.h>
#include <wx/sizer.h>

#include "app/screen_layout.h"
#include "forms/dialog_keys.h"
#include "app/thread_event.h"
#include "crypto/cert_loading.h"
#include "crypto/x509ui.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/dialog_support.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/certificate_list_size.h"
#include "ui/status_texts.h"

namespace {

const wxString blank_line = "\n\n";

wxString u8(const std::string& text) { return wxString::FromUTF8(text); }

// "name" or "name<address>".
wxString signer_text(const x509ui& c) {
    wxString text(c.subject_cn);
    if (!c.subject_email.empty()) text += "<" + u8(c.subject_email) + ">";
    return text;
}

bool is_valid_code(int code) { return code == 0 || code == 13; }

const sigdata_record& empty_record() {
    static const sigdata_record record;
    return record;
}

}  // namespace

sig_infodlg::sig_infodlg(wxWindow* parent, int first_page_, sig_result* result_)
    : sig_infodlg_base(parent, wxID_ANY, dialog_title(tr("Signature Properties")), wxDefaultPosition,
                       wxSize(487, 664)),
      result(result_),
      keep(share_result(result_)),
      first_page(first_page_) {
    Bind(wxEVT_THREAD, &sig_infodlg::on_thread_event, this);
    close_button->SetMinSize(close_button->GetBestSize());
    if (first_page >= 0 && first_page < static_cast<int>(properties_book->GetPageCount()))
        properties_book->SetSelection(first_page);
    load_result();
}

sig_infodlg::sig_infodlg(wxWindow* parent, sigdata_record* record_)
    : sig_infodlg_base(parent, wxID_ANY, dialog_title(tr("Signature Properties")), wxDefaultPosition,
                       wxSize(487, 664)),
      owned(true) {
    Bind(wxEVT_THREAD, &sig_infodlg::on_thread_event, this);
    close_button->SetMinSize(close_button->GetBestSize());
    own_record.reset(record_ ? record_ : new sigdata_record);
    signature_record = own_record.get();
    properties_book->SetSelection(0);
    load_result();
}

sig_infodlg::~sig_infodlg() {
    unregister_document_dialog(this);
}

void sig_infodlg::bind_to_document() {
    if (document_bound || owned) return;
    document_bound = true;
    register_document_dialog(this, [this] {
        document_bound = false;
        result = nullptr;
        signature_record = nullptr;
        sigcheck = nullptr;
        signer_chain = timestamp_chain = seal_chain = nullptr;
    });
}

const sigdata_record& sig_infodlg::record() const {
    return signature_record ? *signature_record : empty_record();
}

const sigdata_record* sig_infodlg::timestamp_record() const {
    if (owned) return record().ts;
    return result && result->ts ? result->ts->data : nullptr;
}

cert_chain_ui* sig_infodlg::timestamp_chain_now() const {
    if (owned) return timestamp_chain;
    return result ? result->ts_chain : nullptr;
}
cert_chain_ui* sig_infodlg::seal_chain_now() const {
    if (owned) return seal_chain;
    return result ? result->seal_chain : nullptr;
}

void sig_infodlg::load_result() {
    if (owned) {
        auto chain_of = [](const x509ui& c, std::unique_ptr<cert_chain_ui>& out) {
            X509* cert = c.der.empty() ? nullptr : decode_certificate(c.der.data(), c.der.size(), nullptr);
            if (!cert) return;
            out = std::make_unique<cert_chain_ui>();
            verify_certchain_ui(cert, *out);
            X509_free(cert);
        };
        chain_of(record().signer, own_signer_chain);
        if (record().ts) chain_of(record().ts->signer, own_timestamp_chain);
        if (record().seal) chain_of(record().seal->signer, own_seal_chain);
        signer_chain = own_signer_chain.get();
        timestamp_chain = own_timestamp_chain.get();
        seal_chain = own_seal_chain.get();
    } else if (result) {
        sigcheck = result->record;
        signature_record = result->sig ? result->sig->data : nullptr;
        signer_chain = result->signer_chain;
    }
    set_program_icon(this);
    pick_scaled_icons();
    fill_pages();
}

void sig_infodlg::pick_scaled_icons() {
    screen_scale_percent = dpi_scale_percent(this);
    icon_valid = picture_pair(bitmap_sig_valid_28(), bitmap_sig_valid_56());
    icon_invalid = picture_pair(bitmap_sig_invalid_28(), bitmap_sig_invalid_56());
    icon_ts_valid = picture_pair(bitmap_timestamp_28(), bitmap_timestamp_56());
    icon_ts_invalid = picture_pair(bitmap_timestamp_invalid_28(), bitmap_timestamp_invalid_56());
    icon_row = picture_pair(bitmap_pen_28(), bitmap_pen_56());
    signature_summary_bitmap->SetBitmap(icon_valid);
    signature_validity_bitmap->SetBitmap(icon_valid);
    embedded_bitmap->SetBitmap(icon_row);
    timestamp_summary_bitmap->SetBitmap(icon_ts_valid);
    timestamp_validity_bitmap->SetBitmap(icon_ts_valid);
    scale_dialog_to_screen(this);
    close_on_escape(this, close_button);
}

void sig_infodlg::fill_pages() {
    if (wrap_width <= 0) wrap_width = static_cast<int>(GetClientSize().x * 0.9);
    if (owned) {
        sig_status = 0;
        signer_status = 0;
        valid = true;
        if (record().ts) {
            ts_status = 0;
            ts_signer_status = 0;
            ts_valid = true;
        }
    } else if (result) {
        // No chain is no verified certificate (check_valid counts it so too).
        signer_status = signer_chain && !signer_chain->empty() ? signer_chain->front().status : certerr_unknown;
        if (result->ts) {
            ts_status = result->ts->status;
            if (result->ts_chain && !result->ts_chain->empty()) ts_signer_status = result->ts_chain->front().status;
        }
        valid = result->check_valid();
        sig_status = result->sig ? result->sig->status : sigerr_unknown;
        ts_valid = result->ts && result->ts->status == 0 && result->ts_chain && !result->ts_chain->empty() &&
                   result->ts_chain->front().status == 0;
    }
    // A certificate button opens nothing without a chain to show.
    signer_certificate_button->Enable(cert_infodlg::can_show(signer_chain));

    fill_signature_summary();
    fill_signature_validity();
    fill_embedded_list();
    signature_page->Layout();

    const bool timestamp_known = owned || (result && result->ts && result->ts_chain);
    if (timestamp_known && record().ts) {
        fill_timestamp_summary();
        fill_timestamp_validity();
        timestamper_certificate_button->Enable(cert_infodlg::can_show(timestamp_chain_now()));
        timestamp_page->Layout();
    } else if (properties_book->GetPageCount() >= 2) {
        properties_book->RemovePage(1);
        timestamp_page->Hide();
        properties_book->Layout();
    }
    fit_pages();
}

void sig_infodlg::fill_signature_summary() {
    const sigdata_record& r = record();
    signature_summary_bitmap->SetBitmap(valid ? icon_valid : icon_invalid);
    wxString text;
    int fillers = 3;
    if (!owned) {
        text += signature_status_text(valid ? 0 : 1) + ". " + blank_line;
        fillers = 2;
    }
    text += tr("Signer") + tr(": ") + signer_text(r.signer);
    if (!owned && result) {
        std::string time;
        bool from_timestamp = false;
        result->signing_time(time, from_timestamp);
        if (!time.empty()) {
            text += blank_line + tr("Signing time") + tr(": ") + u8(time);
            if (!from_timestamp) text += tr("(local time)");
            --fillers;
        }
    } else if (!r.sign_time.empty()) {
        text += blank_line + tr("Signing time") + tr(": ") + u8(r.sign_time);
        --fillers;
    }
    text += blank_line + tr("Signature algorithm") + tr(": ") +
            (r.sig_alg == "sigalg-unsupported" ? tr("Unsupported") : u8(r.sig_alg));
    if (owned && !r.digest_hex.empty()) {
        text += blank_line + tr("Data digest") + tr(": ") + u8(r.digest_hex);
        --fillers;
    }
    for (int i = 0; i < fillers; ++i) text += blank_line;
    summary_text = text;
    signature_summary_label->SetLabel(text);
    if (wrap_width > 0) signature_summary_label->Wrap(wrap_width);
}

void sig_infodlg::fill_signature_validity() {
    const sigdata_record& r = record();
    signature_validity_bitmap->SetBitmap(valid ? icon_valid : icon_invalid);
    signature_validity_title_label->SetLabel(tr("Validaty Summary"));
    wxString text;
    if (owned && !r.ts) {
        signature_validity_title_label->SetLabel(tr("Validaty Summary") + tr("( none )"));
    } else {
        if (!owned) {
            if (!is_valid_code(sig_status)) {
                text += signature_status_text(sig_status) + ". ";
                // What made the file modified, when it is known.
                if (sig_status == sigerr_modified && result && !later_revisions_text(result->later).empty())
                    text += later_revisions_text(result->later) + ". ";
            } else if (result && !later_revisions_text(result->later).empty())
                text += later_revisions_text(result->later) + tr(", ");
            else
                text += signature_status_text(sigerr_unmodified) + tr(", ");
            if (signer_status != 0) {
                signature_validity_bitmap->SetBitmap(icon_invalid);
                text += certificate_status_text(signer_status) + ". ";
            } else {
                text += certificate_status_text(0) + ". ";
            }
            if (sigcheck && sigcheck->certified) {
                switch (sigcheck->permission) {
                    case 1:
                        text += blank_line + tr("The certificate has specified No other changes are permitted.");
                        break;
                    case 2:
                        text += blank_line + tr("The certificate has specified Form Fill-in, Signing are allowed for "
                                                "this document. No other changes are permitted.");
                        break;
                    case 3:
                        text += blank_line + tr("The certificate has specified Form Fill-in, Signing and Commenting "
                                                "are allowed for this document. No other changes are permitted.");
                        break;
                    default:
                        break;
                }
            }
        }
        if (r.ts) {
            if (!owned) text += blank_line;
            text += tr("Signature includes an embedded timestamp") + tr(", ") + tr("Timstamp time: ") +
                    u8(r.ts->sign_time);
        }
        if (!owned && r.type == "dstn_rfc3161ts")
            text += blank_line + tr("Signature is a document timestamp signature") + tr(", ") +
                    tr("can prove this file's exist time") + tr(".");
    }
    validity_text = text;
    signature_validity_label->SetLabel(text);
    if (wrap_width > 0) signature_validity_label->Wrap(wrap_width);
}

void sig_infodlg::fill_embedded_list() {
    const sigdata_record& r = record();
    const bool shown = r.type != "dstn_rfc3161ts";
    embedded_bitmap->Show(shown);
    embedded_title_label->Show(shown);
    embedded_list->Show(shown);
    embedded_details_button->Show(shown);
    if (!shown) return;
    embedded_title_label->SetLabel(tr("Embedded Signatures"));
    embedded_list->DeleteAllItems();
    embedded_list->Enable();
    embedded_details_button->Enable();
    auto add_row = [&](const sigdata_record* nested) {
        wxVector<wxVariant> values;
        values.push_back(wxVariant(wxDataViewIconText(wxString(nested->signer.subject_cn), icon_row)));
        values.push_back(wxVariant(u8(nested->sig_alg)));
        values.push_back(wxVariant(u8(nested->sign_time)));
        embedded_list->AppendItem(values, reinterpret_cast<wxUIntPtr>(nested));
    };
    if (r.ts && !r.seal) {
        embedded_title_label->SetLabel(tr("Timestamp signature"));
        embedded_details_button->SetLabel(tr("Timestamp details..."));
        add_row(r.ts);
    } else if (r.seal && r.seal->type == "dstn_gm_ses") {
        embedded_title_label->SetLabel(tr("Electronic seal"));
        embedded_details_button->SetLabel(tr("Seal maker's Certificate..."));
        add_row(r.seal);
    } else {
        embedded_title_label->SetLabel(embedded_title_label->GetLabel() + tr("( none )"));
        embedded_list->Disable();
        embedded_details_button->Disable();
    }
}

void sig_infodlg::fill_timestamp_summary() {
    const sigdata_record* ts = timestamp_record();
    if (!ts) return;
    wxString text;
    if (!owned) {
        if (valid && ts_valid) {
            timestamp_summary_bitmap->SetBitmap(icon_ts_valid);
            text = tr("Timestamp is VALID, Singing time is Verified for this signature.");
        } else {
            timestamp_summary_bitmap->SetBitmap(icon_ts_invalid);
            text = tr("Timestamp is INVALID") + tr(": ");
            if (!valid)
                text += tr("The Signature to be timestamp is INVALID");
            else if (!is_valid_code(ts_status))
                text += tr("The timestamp's signature is INVALID");
            else if (ts_signer_status != 0 && ts_signer_status != 6)
                text += certificate_status_text(ts_signer_status);
        }
        text += blank_line;
    }
    text += tr("Signer") + tr(": ") + signer_text(ts->signer);
    text += blank_line + tr("Signing time") + tr(": ") + u8(ts->sign_time);
    text += blank_line + tr("Signature algorithm") + tr(": ") + u8(ts->sig_alg);
    ts_summary_text = text;
    timestamp_summary_label->SetLabel(text);
    if (wrap_width > 0) timestamp_summary_label->Wrap(wrap_width);
}

void sig_infodlg::fill_timestamp_validity() {
    wxString text;
    bool last_only = false;
    if (valid && ts_valid) {
        timestamp_validity_bitmap->SetBitmap(icon_ts_valid);
        text += tr("Signature includes an embedded timestamp") + tr(".");
        if (owned)
            last_only = true;
        else
            text += blank_line + tr("Timestamp are signed just as document are signed.");
    } else if (owned) {
        last_only = true;
    } else {
        timestamp_validity_bitmap->SetBitmap(icon_ts_invalid);
    }
    if (!last_only)
        text += tr("For timestamp to be valid you must have trusted the Timestamp Authority that signed the "
                   "timestamp.") +
                blank_line;
    text += tr("Click show timestamp certificate to view details of the timestamp certificate.");
    ts_validity_text = text;
    timestamp_note_label->SetLabel(text);
    timestamp_note_label->Wrap(wrap_width > 0 ? wrap_width : 440);
}

void sig_infodlg::fit_pages() {
    // On the Signature page GTK's fonts need more height than the form's
    // 664 px; without this the Close button is squeezed.
    grow_to_fit(this);
}

void sig_infodlg::on_init_dialog(wxInitDialogEvent& event) {
    if (initialised) {
        event.Skip();
        return;
    }
    initialised = true;
    event.Skip();
    const int w = GetClientSize().x;
    embedded_signer_column->SetWidth(static_cast<int>(w * 0.4));
    embedded_algorithm_column->SetWidth(column_width_for(embedded_list, embedded_algorithm_column, w * 0.2));
    embedded_time_column->SetWidth(static_cast<int>(w * 0.3));
    wrap_width = static_cast<int>(w * 0.9);
    signature_validity_label->Wrap(wrap_width);
    timestamp_note_label->Wrap(wrap_width);
    if (record().type == "dstn_rfc3161ts") properties_book->SetPageText(0, tr("Timestamp signature"));
    fill_pages();
    // The texts' real heights are known once the dialog is on screen.
    CallAfter([this] { fit_pages(); });
}

void sig_infodlg::on_size(wxSizeEvent& event) {
    Layout();
    event.Skip();
}

void sig_infodlg::open_chain(cert_chain_ui* chain, bool show_status, bool offer_trust) {
    if (!cert_infodlg::can_show(chain)) return;
    const wxRect here = GetScreenRect();
    cert_infodlg dialog(this, show_status, chain, offer_trust, &here);
    show_modal_from(this, dialog);
}

void sig_infodlg::on_show_signer_cert(wxCommandEvent&) { open_chain(signer_chain, !owned, !owned); }

void sig_infodlg::on_show_timestamp_cert(wxCommandEvent&) { open_chain(timestamp_chain_now(), !owned, !owned); }

void sig_infodlg::on_embedded_activated(wxDataViewEvent&) {
    wxCommandEvent command(wxEVT_BUTTON, embedded_details_button->GetId());
    on_embedded_details(command);
}

void sig_infodlg::on_embedded_details(wxCommandEvent& event) {
    int row = embedded_list->GetSelectedRow();
    if (row == wxNOT_FOUND && embedded_list->GetItemCount() == 1) row = 0;
    if (row == wxNOT_FOUND) {
        event.Skip();
        return;
    }
    const auto* nested = reinterpret_cast<const sigdata_record*>(embedded_list->GetItemData(embedded_list->RowToItem(row)));
    const sigdata_record& r = record();
    if (nested && nested == r.ts && properties_book->GetPageCount() > 1) properties_book->SetSelection(1);
    if (nested && nested == r.seal) open_chain(seal_chain_now(), true, true);
    event.Skip();
}

void sig_infodlg::on_thread_event(wxThreadEvent& event) {
    if (event.GetString() == evt_addtrust) {
        x509ui* cert = event.GetPayload<x509ui*>();
        if (cert && result) result->set_cert_trust(*cert, true);
        delete cert;
    }
    // A dialog whose document went away has nothing left to show afresh.
    if (owned || result) fill_pages();
}

void sig_infodlg::on_close_button(wxCommandEvent&) {
    if (IsModal())
        EndModal(wxID_OK);
    else
        Close();
}

void sig_infodlg::on_close(wxCloseEvent& event) {
    // A modeless dialog is destroyed, not hidden: it points into data that
    // goes away (standalone: frees its own record with it).
    if (!IsModal()) {
        Destroy();
        return;
    }
    event.Skip();
}
