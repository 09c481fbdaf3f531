#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls, and publishes itself as recent_page.
#include <string>

#include "forms/recent_base.h"

class recent_panel;
// The recent-files page; null when none exists.
inline recent_panel* recent_page = nullptr;

class recent_panel : public recent_base {
public:
    explicit recent_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : recent_base(parent, id, pos, size, style, "wn_recent") {
        recent_page = this;
    }
    ~recent_panel() override {
        if (recent_page == this) recent_page = nullptr;
    }

    void add_file(const std::wstring& /*path*/) {}
};
