#pragma once
// The toolkit's dialogs answer Escape and Enter only through native buttons:
// Escape clicks the button with the dialog's escape id (wxID_CANCEL, else the
// affirmative id) and Enter in a field clicks the default button. The
// program's flat buttons (wxt_colorbutton) draw themselves and are no native
// buttons, so a dialog form that uses them for these roles hands its keys to
// answer_dialog_keys, which applies the same two rules to them.
#include <wx/dialog.h>

void answer_dialog_keys(wxDialog* dialog);

// Escape clicks `button` (the dialog's Close or Cancel) while it is shown and
// enabled, whatever its id: every dialog with such a button closes on Escape.
void close_on_escape(wxDialog* dialog, wxWindow* button);
