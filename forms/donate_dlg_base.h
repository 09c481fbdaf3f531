#pragma once
// The donation dialog: a thank-you line, two payment-service panels with a
// QR code each, and Close. No caption: Close (wxID_OK, the default button)
// ends it.
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_colorbutton;

// The two codes the dialog shows; they encode a neutral text of ours, no
// payment account.
wxBitmap& bitmap_qr_alipay_320();
wxBitmap& bitmap_qr_wechat_320();

class donate_dlg_base : public wxDialog {
public:
    donate_dlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                    const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(761, 600), long style = 0);
    ~donate_dlg_base() override;

protected:
    wxStaticText* message_label;
    wxPanel* alipay_panel;
    wxStaticText* alipay_label;
    wxStaticBitmap* alipay_bitmap;
    wxPanel* wechat_panel;
    wxStaticText* wechat_label;
    wxStaticBitmap* wechat_bitmap;
    wxt_colorbutton* close_button;

    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
