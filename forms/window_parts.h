#pragma once
// The main window's form and the home page's form lay out windows whose
// classes belong to the window layer above this library: it derives them from
// the forms here. That layer installs a maker for each before the first main
// window is built; until it does, the plain form stands in, so the forms can
// be built and shown on their own.
#include <functional>

#include <wx/defs.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxWindow;
class wxGLCanvas;
class infobar_base;
class homepage_base;
class leftpanel_base;
class expandbar_base;
class sign_panel_base;
class stamp_panel_base;
class recent_base;
class setting_base;
class trustmgr_base;
class certstore_base;
class shortcut_base;
class about_base;

struct window_parts {
    std::function<infobar_base*(wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name)>
        make_infobar;
    std::function<homepage_base*(wxWindow* parent, const wxString& name)> make_homepage;
    std::function<leftpanel_base*(wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name)>
        make_left_panel;
    std::function<expandbar_base*(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                                  const wxString& name)>
        make_expandbar;
    std::function<wxGLCanvas*(wxWindow* parent, const wxPoint& pos, const wxString& name)> make_page_view;
    std::function<sign_panel_base*(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)>
        make_sign_panel;
    std::function<stamp_panel_base*(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                    long style, const wxString& name)>
        make_stamp_panel;
    // The home page's pages.
    std::function<recent_base*(wxWindow* parent)> make_recent_page;
    std::function<setting_base*(wxWindow* parent)> make_setting_page;
    std::function<trustmgr_base*(wxWindow* parent)> make_trustmgr_page;
    std::function<certstore_base*(wxWindow* parent)> make_certstore_page;
    std::function<shortcut_base*(wxWindow* parent)> make_shortcut_page;
    std::function<about_base*(wxWindow* parent)> make_about_page;
};

// The process's one table, filled with the plain forms until the window layer
// replaces its entries.
window_parts& installed_window_parts();
