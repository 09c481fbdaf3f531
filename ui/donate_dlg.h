#pragma once
// The donation dialog: the form as it stands, in the theme's colours.
#include "forms/donate_dlg_base.h"

class donate_dlg : public donate_dlg_base {
public:
    using donate_dlg_base::donate_dlg_base;

    // The Close button on the grey base, the message in the text colour.
    void style_for_theme();
};
