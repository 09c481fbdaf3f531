#include "ui/recent_panel.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "forms/dynamic_resource.h"
#include "ui/home_calls.h"
#include "widgets/wxt_bmpbutton_nofocus.h"

recent_panel* recent_page = nullptr;

namespace {

constexpr wchar_t open_recent[] = L"open_recent";
constexpr wchar_t delete_recent[] = L"delete_recent";
constexpr wchar_t deselother_recent[] = L"deselother_recent";

void tell_page(const wchar_t* tag, listrow* row) {
    if (!recent_page) return;
    wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
    event.SetString(tag);
    event.SetPayload(row);
    wxQueueEvent(recent_page, event.Clone());
}

const wxString& evt_delete_tag() {
    static const wxString tag(evt_delete);
    return tag;
}

bool is_regular_file(const wxString& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::u8path(path.utf8_string()), ec);
}

// The path of an "evt_delete" event: the main window sends it as text.
wxString payload_path(const wxThreadEvent& event) { return event.GetPayload<wxString>(); }

}  // namespace

// ---- listrow ---------------------------------------------------------------

wxBEGIN_EVENT_TABLE(listrow, listrow_base)
    EVT_TIMER(wxID_ANY, listrow::on_hover_timer)
wxEND_EVENT_TABLE()

listrow::listrow(wxWindow* parent, const wxString& file)
    : listrow_base(parent, wxID_ANY, wxDefaultPosition, wxSize(870, 45), wxTAB_TRAVERSAL, wxEmptyString),
      path(file) {
    select_check->Hide();
    set_row_colour(theme_panel_colour);
    path_label->SetLabel(path);
    SetMinSize(wxSize(-1, GetSize().y * screen_scale_percent / 100));
    if (screen_scale_percent >= doubled_picture_scale && dynamic_resources) {
        icon_bitmap->SetBitmap(dynamic_resources->file_bitmap->GetBitmap());
        remove_bitmap->SetBitmap(dynamic_resources->remove_file_bitmap->GetBitmap());
    }
    Layout();
    hover_timer = new wxTimer(this);
}

listrow::~listrow() { delete hover_timer; }

void listrow::set_row_colour(const wxColour& colour) {
    SetBackgroundColour(colour);
    const bool accent = colour.GetRGBA() == accent_colour.GetRGBA();
    path_label->SetForegroundColour(accent ? *wxWHITE : theme_text_colour);
    remove_bitmap->SetBackgroundColour(colour);
}

void listrow::select() {
    if (!selected) {
        selected = true;
        Refresh();
    }
    tell_page(deselother_recent, this);
}

void listrow::deselect() {
    selected = false;
    Refresh();
}

void listrow::on_enter(wxMouseEvent& event) {
    if (!hover_timer->IsRunning()) {
        hovered = true;
        hover_timer->Start(20);
        Refresh();
    }
    event.Skip();
}

bool listrow::pointer_is_over() const {
    const wxPoint at = wxGetMousePosition();
    return GetScreenRect().Contains(at);
}

void listrow::on_hover_timer(wxTimerEvent&) {
    if (pointer_is_over()) return;
    hovered = false;
    hover_timer->Stop();
    Refresh();
}

void listrow::on_paint(wxPaintEvent& event) {
    set_row_colour(selected ? accent_colour : hovered ? theme_hover_colour : theme_panel_colour);
    wxPaintDC dc(this);
    dc.SetBackground(GetBackgroundColour());
    dc.Clear();
}

void listrow::on_left_up(wxMouseEvent& event) {
    select();
    event.Skip();
}

void listrow::on_open(wxMouseEvent& event) {
    select();
    tell_page(open_recent, this);
    event.Skip();
}

void listrow::on_remove_left_up(wxMouseEvent& event) {
    tell_page(delete_recent, this);
    event.Skip();
}

// ---- recent_panel ------------------------------------------------------------

wxBEGIN_EVENT_TABLE(recent_panel, recent_base)
    EVT_THREAD(wxID_ANY, recent_panel::on_thread_event)
wxEND_EVENT_TABLE()

recent_panel::recent_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : recent_base(parent, id, pos, size, style, "wn_recent") {
    SetBackgroundColour(theme_panel_colour);
    open_button->SetBackgroundColour(theme_panel_colour);
    empty_label->SetForegroundColour(theme_text_colour);
    hint_label->SetForegroundColour(theme_text_colour);
    if (screen_scale_percent >= doubled_picture_scale && dynamic_resources) {
        const auto* big = dynamic_resources->recent_open_button;
        open_button->SetBitmap(big->GetBitmap(), wxLEFT);
        open_button->SetBitmapFocus(big->GetBitmapFocus());
        open_button->SetBitmapCurrent(big->GetBitmapCurrent());
    }
    build_rows();
    recent_page = this;
}

recent_panel::~recent_panel() {
    if (recent_page == this) recent_page = nullptr;
}

void recent_panel::update_empty_state() {
    wxSizer* sizer = GetSizer();
    const bool empty = recent_files.empty();
    if (sizer->GetItemCount() > 0 && sizer->GetItem(size_t(0))->IsSpacer()) sizer->Remove(0);
    if (empty)
        sizer->Insert(0, 0, 0, 1, wxEXPAND, 0);
    else
        sizer->Insert(0, 0, 50, 0, wxEXPAND, 0);
    empty_label->Show(empty);
    Layout();
}

void recent_panel::build_rows() {
    update_empty_state();
    for (const std::wstring& file : recent_files) {
        if (!is_regular_file(file)) continue;
        GetSizer()->Add(new listrow(this, file), 0, wxEXPAND | wxALL, 5);
    }
    GetSizer()->AddStretchSpacer(1);
    Layout();
}

std::vector<listrow*> recent_panel::rows() const {
    std::vector<listrow*> out;
    wxSizer* sizer = GetSizer();
    const size_t n = sizer->GetItemCount();
    for (size_t i = first_row_index; i + 1 < n; ++i)
        if (auto* row = dynamic_cast<listrow*>(sizer->GetItem(i)->GetWindow())) out.push_back(row);
    return out;
}

bool recent_panel::holds(const listrow* row) const {
    const auto all = rows();
    return row && std::find(all.begin(), all.end(), row) != all.end();
}

listrow* recent_panel::find_row(const wxString& path) const {
    for (listrow* row : rows())
        if (row->path == path) return row;
    return nullptr;
}

void recent_panel::add_file(const wxString& path) {
    update_empty_state();
    wxSizer* sizer = GetSizer();
    // Rows whose files have left the list (it keeps only the newest) go.
    for (listrow* row : rows()) {
        if (row->path == path) continue;
        if (std::find(recent_files.begin(), recent_files.end(), row->path.ToStdWstring()) == recent_files.end()) {
            if (selected_row == row) selected_row = nullptr;
            sizer->Detach(row);
            row->Destroy();
        }
    }
    // The opened file's row goes to the top; the others keep their order, as
    // the list itself does.
    listrow* row = find_row(path);
    if (row)
        sizer->Detach(row);
    else
        row = new listrow(this, path);
    sizer->Insert(first_row_index, row, 0, wxEXPAND | wxALL, 5);
    Layout();
}

void recent_panel::remove_row(listrow* row) {
    // A queued event may name a row an earlier event already removed.
    if (!holds(row)) return;
    const std::wstring file = row->path.ToStdWstring();
    const auto entry = std::find(recent_files.begin(), recent_files.end(), file);
    if (entry != recent_files.end()) recent_files.erase(entry);
    save_recent_files();
    GetSizer()->Detach(row);
    row->Destroy();
    Layout();
    update_empty_state();
    Layout();
    selected_row = nullptr;
}

void recent_panel::move_selection(bool up) {
    const auto all = rows();
    if (all.empty()) return;
    size_t current = all.size();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i]->selected) current = i;
    listrow* target;
    if (!selected_row || current == all.size())
        target = up ? all.back() : all.front();
    else if (up)
        target = all[current == 0 ? all.size() - 1 : current - 1];
    else
        target = all[current + 1 == all.size() ? 0 : current + 1];
    if (selected_row && holds(selected_row)) selected_row->deselect();
    target->select();
    selected_row = target;
}

void recent_panel::on_open_click(wxCommandEvent& event) {
    if (!doc_verifying && home_calls().show_open_dialog) home_calls().show_open_dialog();
    event.Skip();
}

void recent_panel::on_thread_event(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_delete_tag()) {
        remove_row(find_row(payload_path(event)));
    } else if (tag == open_recent || tag == delete_recent || tag == deselother_recent) {
        listrow* row = event.GetPayload<listrow*>();
        if (holds(row)) {
            if (tag == open_recent) {
                if (!doc_verifying && home_calls().open_file) home_calls().open_file(row->path);
            } else if (tag == delete_recent) {
                remove_row(row);
            } else {
                selected_row = row;
                for (listrow* other : rows())
                    if (other != row && other->selected) other->deselect();
            }
        }
    }
    event.Skip();
}
