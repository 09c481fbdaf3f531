#include "ui/about_panel.h"

#include <cctype>

#include <wx/stattext.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "forms/maker_addresses.h"
#include "ui/home_calls.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

about_panel::about_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : about_base(parent, id, pos, size, style, "wn_about") {
    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_panel_colour);
    for (wxStaticText* text : {version_label, description_label, slogan_label, contact_label})
        text->SetForegroundColour(theme_text_colour);
    agreement_button->preset_blue();
    feedback_button->preset_orange();
    version_label->SetLabel(wxGetTranslation(L"Velkorant") + wxGetTranslation(L", ") +
                            wxString::FromUTF8(VELK_PRODUCT_VERSION));
    mail_link->set_link(mail_target(), accent_colour, true);
    // The column is taller than a page on a 200 % screen: it scrolls there
    // rather than losing its buttons below the edge.
    scroll_content(this);
    Layout();
}

// Percent-encodes UTF-8 text for a mail link: a raw blank or a Chinese
// character in the subject makes mail programs cut or garble it.
wxString about_panel::percent_encoded(const wxString& text) {
    static const char hex[] = "0123456789ABCDEF";
    wxString out;
    for (unsigned char c : text.utf8_string()) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += wxUniChar(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

wxString about_panel::mail_target() {
    return wxString("mailto:") + wxString::FromUTF8(maker_support_mail) + "?subject=" +
           percent_encoded(wxGetTranslation(L"About Velkorant application")) + "&body=" + percent_encoded("\r\n");
}

namespace {
void show_over(wxWindow* page, const std::function<void(wxWindow*)>& dialog) {
    if (dialog) dialog(wxGetTopLevelParent(page));
}
}  // namespace

void about_panel::on_check_update(wxCommandEvent&) { show_over(this, home_calls().check_update); }
void about_panel::on_agreement(wxCommandEvent&) { show_over(this, home_calls().show_agreement); }
void about_panel::on_feedback(wxCommandEvent&) { show_over(this, home_calls().show_feedback); }
