#include "dialogs/simple_sigdlg.h"

#include "app/screen_layout.h"
#include "forms/dialog_keys.h"
#include "crypto/x509ui.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/dialog_support.h"
#include "dialogs/sig_infodlg.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/status_texts.h"
#include "widgets/wxt_hyperlink.h"

simple_sigdlg::simple_sigdlg(wxWindow* parent, sig_result* result_)
    : simple_sigdlg_base(parent, wxID_ANY, dialog_title(tr("Signatrue Validation Status")), wxDefaultPosition,
                         wxSize(549, 221)),
      result(result_),
      keep(share_result(result_)) {
    const int code = result && result->sig ? result->sig->status : sigerr_unknown;
    set_program_icon(this);
    screen_scale_percent = dpi_scale_percent(this);
    status_bitmap->SetBitmap(picture_pair(bitmap_sig_valid_28(), bitmap_sig_valid_56()));
    const wxBitmapBundle invalid_picture = picture_pair(bitmap_sig_invalid_28(), bitmap_sig_invalid_56());
    sigdata_record* data = result && result->sig ? result->sig->data : nullptr;
    cert_chain_ui* chain = result ? result->signer_chain : nullptr;
    full = code != -1 && code != 2 && code != 3 && code != 6 && code != 7 && data && chain;

    if (full) {
        signature_record = data;
        signer_chain = chain;
        const int cert_code = signer_chain->empty() ? certerr_unknown : signer_chain->front().status;
        wxString verdict;
        if (result->check_valid()) {
            verdict = signature_status_text(0) + ". ";
        } else {
            verdict = signature_status_text(1) + "! ";
            status_bitmap->SetBitmap(invalid_picture);
            status_label->SetForegroundColour(*wxRED);
        }
        verdict += tr("Signed by ") + wxString(signature_record->signer.subject_cn);
        if (!signature_record->signer.subject_email.empty())
            verdict += "<" + wxString::FromUTF8(signature_record->signer.subject_email) + ">";
        status_label->SetLabel(verdict);
        if (code != 0 && code != 13) {
            integrity_label->SetLabel("- " + signature_status_text(code));
            integrity_label->SetForegroundColour(*wxRED);
        } else {
            // A signature that does not cover the whole file says what came after it.
            const wxString later = later_revisions_text(result->later);
            integrity_label->SetLabel("- " + (later.empty() ? tr("File is not modified since signed") : later));
        }
        if (cert_code != 0) {
            identity_label->SetLabel("- " + certificate_status_text(cert_code));
            identity_label->SetForegroundColour(*wxRED);
        } else {
            identity_label->SetLabel("- " + tr("Certificate's identity is VALID"));
        }
        // Without a chain there is no certificate to show.
        certificate_link->Show(cert_infodlg::can_show(signer_chain));
    } else {
        status_bitmap->SetBitmap(invalid_picture);
        wxString verdict;
        if (code == 3) {
            verdict = signature_status_text(3);
        } else {
            verdict = signature_status_text(1) + ". ";
            if (data && chain && code != 2 && code != 6 && code != 7)
                verdict += signature_status_text(code);
            else
                verdict += signature_status_text(2);
        }
        status_label->SetLabel(verdict);
        status_label->SetForegroundColour(*wxRED);
        integrity_label->SetLabel(wxString());
        integrity_label->Hide();
        identity_label->SetLabel(wxString());
        identity_label->Hide();
        signature_properties_link->Hide();
        certificate_link->Hide();
        close_button->SetLabel(tr("Close"));
    }
    Layout();
}

void simple_sigdlg::on_init_dialog(wxInitDialogEvent& event) {
    // wxGTK initialises at every Show(): enlarge once.
    if (initialised) {
        event.Skip();
        return;
    }
    initialised = true;
    scale_dialog_to_screen(this);
    close_on_escape(this, close_button);
    signature_properties_link->set_action_colour(*wxBLACK, true);
    certificate_link->set_action_colour(*wxBLACK, true);
    event.Skip();
}

void simple_sigdlg::on_signature_properties(wxMouseEvent&) {
    if (!full) return;
    wxWindow* owner = main_window_receiver();
    auto* dialog = new sig_infodlg(owner, 0, result);
    dialog->bind_to_document();
    dialog->CentreOnParent();
    dialog->Show();
    finish();
}

void simple_sigdlg::on_certificate(wxMouseEvent&) {
    if (!full || !cert_infodlg::can_show(signer_chain)) return;
    wxWindow* owner = main_window_receiver();
    auto* dialog = new cert_infodlg(owner, true, signer_chain, true, nullptr);
    dialog->keep_alive(keep);
    dialog->bind_to_document();
    dialog->CentreOnParent();
    dialog->Show();
    finish();
}

void simple_sigdlg::on_close_button(wxCommandEvent&) { finish(); }

void simple_sigdlg::finish() {
    if (IsModal())
        EndModal(wxID_OK);
    else
        Destroy();
}
