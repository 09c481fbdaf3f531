#include "forms/window_parts.h"

#include <wx/glcanvas.h>

#include "forms/about_base.h"
#include "forms/certstore_base.h"
#include "forms/recent_base.h"
#include "forms/setting_base.h"
#include "forms/shortcut_base.h"
#include "forms/side_forms.h"
#include "forms/sign_panel_base.h"
#include "forms/stamp_panel_base.h"
#include "forms/trustmgr_base.h"

namespace {

window_parts plain_forms() {
    window_parts p;
    p.make_infobar = [](wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name) {
        return new infobar_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name);
    };
    p.make_homepage = [](wxWindow* parent, const wxString& name) {
        return new homepage_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name);
    };
    p.make_left_panel = [](wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name) {
        return new leftpanel_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name);
    };
    p.make_expandbar = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                          const wxString& name) { return new expandbar_base(parent, id, pos, size, style, name); };
    p.make_page_view = [](wxWindow* parent, const wxPoint& pos, const wxString& name) {
        return new wxGLCanvas(parent, wxID_ANY, nullptr, pos, wxDefaultSize, wxHSCROLL | wxVSCROLL, name);
    };
    p.make_sign_panel = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name) { return new sign_panel_base(parent, id, pos, size, style, name); };
    p.make_stamp_panel = [](wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                            const wxString& name) { return new stamp_panel_base(parent, id, pos, size, style, name); };
    const wxPoint at = wxDefaultPosition;
    const wxSize size = wxDefaultSize;
    p.make_recent_page = [=](wxWindow* parent) {
        return new recent_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_recent");
    };
    p.make_setting_page = [=](wxWindow* parent) {
        return new setting_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_setting");
    };
    p.make_trustmgr_page = [=](wxWindow* parent) {
        return new trustmgr_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_trustmgr");
    };
    p.make_certstore_page = [=](wxWindow* parent) {
        return new certstore_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_certstore");
    };
    p.make_shortcut_page = [=](wxWindow* parent) {
        return new shortcut_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_shortcut");
    };
    p.make_about_page = [=](wxWindow* parent) {
        return new about_base(parent, wxID_ANY, at, size, wxTAB_TRAVERSAL, "wn_about");
    };
    return p;
}

}  // namespace

window_parts& installed_window_parts() {
    static window_parts parts = plain_forms();
    return parts;
}
