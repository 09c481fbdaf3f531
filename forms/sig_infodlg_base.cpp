#include "forms/sig_infodlg_base.h"

#include <wx/sizer.h>

#include "forms/maker_addresses.h"
#include "forms/pictures.h"

namespace {

const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxStaticText* label(wxWindow* parent, const wxString& text, long style = 0, int wrap = -1) {
    auto* l = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, style, "staticText");
    l->Wrap(wrap);
    return l;
}

wxStaticText* title(wxWindow* parent, const char* text) {
    wxStaticText* l = label(parent, tr(text));
    l->SetFont(form_font(wxFONTFAMILY_MODERN));
    return l;
}

wxStaticBitmap* picture(wxWindow* parent, const wxBitmap& bitmap) {
    return new wxStaticBitmap(parent, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
}

wxButton* button(wxWindow* parent, const char* text) {
    return new wxButton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "button");
}

// The lines a verified signature's summary shows, as an example; the dialog
// writes the real ones before it is shown.
wxString example_summary(const char* verdict) {
    const wxString signer = wxString::FromUTF8(maker_company_name) + " <" + wxString::FromUTF8(maker_support_mail) + ">";
    return tr(verdict) + "\n\n" + tr("Signer: ") + signer + "\n\n" + tr("Signing time: ") + "2020-12-22 10:30:00" +
           "\n\n" + tr("Signature algorithm: ") + "sha256RSA" + "\n\n" + tr("Data digest: ") +
           "3F2A9C0D4E5B6A7988716253443526170819AABB";
}

}  // namespace

sig_infodlg_base::sig_infodlg_base(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                                   const wxSize& size, long style) {
    Create(parent, id, caption, pos, size, style, "dialog");
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));

    auto* top = new wxBoxSizer(wxVERTICAL);
    properties_book = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_FIXEDWIDTH);

    // ---- Signature page
    signature_page = new wxPanel(properties_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                 "panel");
    auto* sig_sizer = new wxBoxSizer(wxVERTICAL);

    auto* summary = new wxBoxSizer(wxVERTICAL);
    auto* summary_head = new wxBoxSizer(wxHORIZONTAL);
    signature_summary_bitmap = picture(signature_page, bitmap_sig_valid_28());
    summary_head->Add(signature_summary_bitmap, 0, centred, 5);
    signature_summary_title_label = title(signature_page, "Signature Summary");
    summary_head->Add(signature_summary_title_label, 0, centred, 5);
    summary->Add(summary_head, 0, wxALL | wxEXPAND, 5);
    signature_summary_label =
        label(signature_page, example_summary("Signature is invalid."), wxST_ELLIPSIZE_MIDDLE);
    summary->Add(signature_summary_label, 0, wxEXPAND | wxLEFT | wxRIGHT, 5);
    summary->Add(0, 10, 0, wxEXPAND, 5);
    signer_certificate_button = button(signature_page, "Show Signer's Certificate...");
    summary->Add(signer_certificate_button, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 5);
    sig_sizer->Add(summary, 0, wxALL | wxEXPAND, 5);

    auto* validity = new wxBoxSizer(wxVERTICAL);
    auto* validity_head = new wxBoxSizer(wxHORIZONTAL);
    signature_validity_bitmap = picture(signature_page, bitmap_sig_valid_28());
    validity_head->Add(signature_validity_bitmap, 0, centred, 5);
    signature_validity_title_label = title(signature_page, "Validaty Summary");
    validity_head->Add(signature_validity_title_label, 0, centred, 5);
    validity->Add(validity_head, 0, wxALL | wxEXPAND, 5);
    signature_validity_label = label(signature_page, tr("variable text..."));
    validity->Add(signature_validity_label, 1, wxEXPAND | wxLEFT | wxRIGHT, 5);
    sig_sizer->Add(validity, 2, wxALL | wxEXPAND, 5);

    auto* embedded = new wxBoxSizer(wxVERTICAL);
    auto* embedded_head = new wxBoxSizer(wxHORIZONTAL);
    embedded_bitmap = picture(signature_page, bitmap_pen_28());
    embedded_head->Add(embedded_bitmap, 0, centred, 5);
    embedded_title_label = title(signature_page, "Embedded Signatures");
    embedded_head->Add(embedded_title_label, 0, centred, 5);
    embedded->Add(embedded_head, 0, wxALL | wxEXPAND, 5);
    embedded_list = new wxDataViewListCtrl(signature_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0,
                                           wxDefaultValidator);
    embedded_signer_column = embedded_list->AppendIconTextColumn(tr("Signer"), wxDATAVIEW_CELL_INERT, 150,
                                                                 wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
    embedded_algorithm_column = embedded_list->AppendTextColumn(tr("Signature algorithm"), wxDATAVIEW_CELL_INERT,
                                                                120, wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
    embedded_time_column = embedded_list->AppendTextColumn(tr("Signing time"), wxDATAVIEW_CELL_INERT, 150,
                                                           wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
    embedded->Add(embedded_list, 1, wxEXPAND | wxTOP | wxLEFT | wxRIGHT, 5);
    embedded_details_button = button(signature_page, "Embedded Signature Details...");
    embedded->Add(embedded_details_button, 0, wxALIGN_RIGHT | wxRIGHT, 5);
    sig_sizer->Add(embedded, 2, wxALL | wxEXPAND, 5);

    signature_page->SetSizer(sig_sizer, true);
    signature_page->Layout();
    sig_sizer->Fit(signature_page);
    properties_book->AddPage(signature_page, tr("Signature"), false);

    // ---- Timestamp page
    timestamp_page = new wxPanel(properties_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                 "panel");
    auto* ts_sizer = new wxBoxSizer(wxVERTICAL);

    auto* ts_summary = new wxBoxSizer(wxVERTICAL);
    auto* ts_summary_head = new wxBoxSizer(wxHORIZONTAL);
    timestamp_summary_bitmap = picture(timestamp_page, bitmap_timestamp_28());
    ts_summary_head->Add(timestamp_summary_bitmap, 0, centred, 5);
    timestamp_summary_title_label = title(timestamp_page, "Timestamp Summary");
    ts_summary_head->Add(timestamp_summary_title_label, 0, centred, 5);
    ts_summary->Add(ts_summary_head, 0, wxALL | wxEXPAND, 5);
    timestamp_summary_label = label(timestamp_page, example_summary("Timestamp is valid."), wxST_ELLIPSIZE_MIDDLE);
    ts_summary->Add(timestamp_summary_label, 0, wxALL | wxEXPAND, 5);
    ts_summary->Add(0, 10, 0, wxEXPAND, 5);
    timestamper_certificate_button = button(timestamp_page, "Show Timestamper's Certificate...");
    ts_summary->Add(timestamper_certificate_button, 0, wxALIGN_RIGHT | wxALL, 5);
    ts_sizer->Add(ts_summary, 0, wxALL | wxEXPAND, 5);

    auto* ts_validity = new wxBoxSizer(wxVERTICAL);
    auto* ts_validity_head = new wxBoxSizer(wxHORIZONTAL);
    timestamp_validity_bitmap = picture(timestamp_page, bitmap_timestamp_28());
    ts_validity_head->Add(timestamp_validity_bitmap, 0, centred, 5);
    timestamp_validity_title_label = title(timestamp_page, "Validaty Summary");
    ts_validity_head->Add(timestamp_validity_title_label, 0, centred, 5);
    ts_validity->Add(ts_validity_head, 0, wxALL | wxEXPAND, 5);
    timestamp_note_label = label(timestamp_page,
                                 tr("For timestamp signature to be valid you must have trusted the Timestamp "
                                    "Authority that signed the timestamp.\n\nClick show timestamp certificate to "
                                    "view details of the timestamp certificate."),
                                 0, 440);
    ts_validity->Add(timestamp_note_label, 1, wxALL | wxEXPAND, 5);
    ts_validity->Add(0, 0, 1, wxEXPAND, 5);
    ts_sizer->Add(ts_validity, 0, wxALL | wxEXPAND, 5);

    timestamp_page->SetSizer(ts_sizer, true);
    timestamp_page->Layout();
    ts_sizer->Fit(timestamp_page);
    properties_book->AddPage(timestamp_page, tr("Timestamp"), true);
    top->Add(properties_book, 10, wxALL | wxEXPAND, 5);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(0, 0, 1, 0, 5);
    auto* close_column = new wxBoxSizer(wxVERTICAL);
    close_column->Add(0, 0, 1, 0, 5);
    close_button = button(this, "Close");
    close_button->SetDefault();
    close_column->Add(close_button, 4, wxALL | wxEXPAND, 0);
    close_column->Add(0, 0, 1, 0, 5);
    bottom->Add(close_column, 1, wxEXPAND, 5);
    bottom->Add(0, 0, 1, 0, 5);
    top->Add(bottom, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
}

sig_infodlg_base::~sig_infodlg_base() { wire(false); }

void sig_infodlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(sig_infodlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(sig_infodlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(sig_infodlg_base::on_size));
    form_link(c, signer_certificate_button, wxEVT_BUTTON,
              wxCommandEventHandler(sig_infodlg_base::on_show_signer_cert), this);
    form_link(c, embedded_list, wxEVT_DATAVIEW_ITEM_ACTIVATED,
              wxDataViewEventHandler(sig_infodlg_base::on_embedded_activated), this);
    form_link(c, embedded_details_button, wxEVT_BUTTON,
              wxCommandEventHandler(sig_infodlg_base::on_embedded_details), this);
    form_link(c, timestamper_certificate_button, wxEVT_BUTTON,
              wxCommandEventHandler(sig_infodlg_base::on_show_timestamp_cert), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(sig_infodlg_base::on_close_button), this);
}
