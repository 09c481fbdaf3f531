#include "ui/install_window_parts.h"

#include "forms/window_parts.h"
#include "ui/about_panel.h"
#include "ui/certstore_panel.h"
#include "ui/expandbar.h"
#include "ui/homepage.h"
#include "ui/infobar.h"
#include "ui/left_panel.h"
#include "ui/page_glcanvas.h"
#include "ui/recent_panel.h"
#include "ui/setting_panel.h"
#include "ui/shortcut_panel.h"
#include "ui/sign_panel.h"
#include "ui/stamp_panel.h"
#include "ui/trustmgr_panel.h"

void install_window_parts() {
    window_parts& p = installed_window_parts();
    p.make_infobar = [](wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name) {
        return new infobar(parent, pos, size, name);
    };
    p.make_homepage = [](wxWindow* parent, const wxString& name) { return new homepage(parent, name); };
    p.make_left_panel = [](wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name) {
        return new left_panel(parent, pos, size, name);
    };
    p.make_expandbar = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                          const wxString& name) { return new expandbar(parent, id, pos, size, style, name); };
    p.make_page_view = [](wxWindow* parent, const wxPoint& pos, const wxString& name) {
        return new page_glcanvas(parent, pos, name);
    };
    p.make_sign_panel = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name) { return new sign_panel(parent, id, pos, size, style, name); };
    p.make_stamp_panel = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                            const wxString& name) { return new stamp_panel(parent, id, pos, size, style, name); };
    p.make_recent_page = [](wxWindow* parent) { return new recent_panel(parent); };
    p.make_setting_page = [](wxWindow* parent) { return new setting_panel(parent); };
    p.make_trustmgr_page = [](wxWindow* parent) { return new trustmgr_panel(parent); };
    p.make_certstore_page = [](wxWindow* parent) { return new certstore_panel(parent); };
    p.make_shortcut_page = [](wxWindow* parent) { return new shortcut_panel(parent); };
    p.make_about_page = [](wxWindow* parent) { return new about_panel(parent); };
}
