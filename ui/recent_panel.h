#pragma once
// The recent-files page: one row per recent file that still exists, newest
// first. Rows never act on the page directly: each action is queued to the
// page as a thread event carrying the row, and handled on the main thread.
#include <wx/string.h>
#include <wx/timer.h>

#include "forms/listrow_base.h"
#include "forms/recent_base.h"

class listrow : public listrow_base {
public:
    listrow(wxWindow* parent, const wxString& path);
    ~listrow() override;

    // Highlights the row (repainting it when it was not) and tells the page.
    void select();
    void deselect();
    void set_row_colour(const wxColour& colour);

    wxString path;
    bool selected = false;
    bool hovered = false;
    wxTimer* hover_timer = nullptr;

protected:
    void on_enter(wxMouseEvent& event) override;
    void on_dclick(wxMouseEvent& event) override { on_open(event); }
    void on_left_up(wxMouseEvent& event) override;
    void on_paint(wxPaintEvent& event) override;
    void on_icon_dclick(wxMouseEvent& event) override { on_open(event); }
    void on_icon_left_up(wxMouseEvent& event) override { on_left_up(event); }
    void on_path_dclick(wxMouseEvent& event) override { on_open(event); }
    void on_path_left_up(wxMouseEvent& event) override { on_left_up(event); }
    void on_remove_left_up(wxMouseEvent& event) override;

private:
    void on_open(wxMouseEvent& event);
    void on_hover_timer(wxTimerEvent& event);
    bool pointer_is_over() const;

    wxDECLARE_EVENT_TABLE();
};

class recent_panel : public recent_base {
public:
    explicit recent_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);
    ~recent_panel() override;

    // The main window has moved `path` to the front of the recent files.
    void add_file(const wxString& path);
    void move_selection(bool up);
    listrow* find_row(const wxString& path) const;
    void remove_row(listrow* row);

    // The rows in display order.
    std::vector<listrow*> rows() const;

    listrow* selected_row = nullptr;
    size_t first_row_index = 4;

protected:
    void on_open_click(wxCommandEvent& event) override;

private:
    void update_empty_state();
    void build_rows();
    bool holds(const listrow* row) const;
    void on_thread_event(wxThreadEvent& event);

    wxDECLARE_EVENT_TABLE();
};

// The one recent-files page; set by its constructor.
extern recent_panel* recent_page;
