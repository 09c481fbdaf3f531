#include "ui/donate_dlg.h"

#include <wx/stattext.h>

#include "app/theme_colours.h"
#include "widgets/wxt_colorbutton.h"

void donate_dlg::style_for_theme() {
    close_button->set_base_colour(button_colour);
    message_label->SetForegroundColour(theme_text_colour);
}
