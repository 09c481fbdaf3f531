#pragma once
// The main window: the tool bar's state and handlers, the page and zoom
// boxes, opening and closing documents, the thread events of the workers and
// dialogs, the keyboard, and shutdown. Its controls and panels come from the
// form frame_base.
#include <functional>
#include <string>

#include <wx/dnd.h>

#include "forms/frame_base.h"

class doc_base;
struct fit_result;
class infobar;
class homepage;
class left_panel;
class expandbar;
class page_glcanvas;
class sign_panel;
class wxThreadEvent;

class frame : public frame_base {
public:
    // Builds the window at the saved rectangle (a zero width: the default
    // size), placed onto the display; sets main_frame. Not shown yet.
    frame(const wxPoint& pos, const wxSize& size);
    ~frame() override;

    // The open document's path; empty when none is loaded. Written on the
    // main thread only.
    std::wstring document_path;
    // A load was started and its end has not been handled yet.
    bool load_pending = false;

    // Test seam: makes the document object for a path. Empty: by the file
    // name's extension (PDF, picture, text).
    static std::function<doc_base*(const std::wstring& path)> document_maker;

    // --- tool bar and pages ---
    void update_toolbar(bool home);
    void update_page_number();
    void show_content_page();
    // Tool bar in its home state, info bar hidden, home page selected.
    void show_home_page();
    bool home_page_shown() const;
    void SetTitle(const wxString& text) override;

    // --- opening and closing ---
    // Opens any file: a document is loaded at `page` (0-based); a certificate
    // or standalone signature file opens its dialog. Dropped while a load or
    // a verification runs. Never throws: failures are shown in the window.
    void open_file(const std::wstring& path, int page);
    void close_document();
    void load_document(const std::wstring& path, int page);
    void show_open_dialog();
    void open_by_content(const std::wstring& path);
    void open_certificate_file(const std::wstring& path);
    void show_open_error(bool encrypted = false);
    void clear_views();
    void post_file_missing(const std::wstring& path);

    // --- events, keyboard, shutdown ---
    void on_thread_event(wxThreadEvent& event);
    void apply_trust_change(wxThreadEvent& event);
    void install_accelerators();
    void on_char_hook(wxKeyEvent& event);
    void on_close(wxCloseEvent& event) override;

    // The panels as their window-layer classes.
    infobar* info();
    homepage* home();
    left_panel* signatures();
    expandbar* left_bar();
    expandbar* right_bar();
    page_glcanvas* canvas();
    sign_panel* signer();

    // Test seams: read-only views of the tool bar controls.
    wxTextCtrl* page_box() const { return page_text; }
    wxStaticText* count_label() const { return page_count_label; }
    wxComboBox* zoom_box() const { return zoom_combo; }
    wxSimplebook* book() const { return main_book; }

protected:
    void on_size(wxSizeEvent& event) override;
    void on_move(wxMoveEvent& event) override;
    void on_home_page(wxCommandEvent& event) override;
    void on_document_page(wxCommandEvent& event) override;
    void on_open_document(wxCommandEvent& event) override;
    void on_previous_page(wxCommandEvent& event) override;
    void on_next_page(wxCommandEvent& event) override;
    void on_page_number(wxCommandEvent& event) override;
    void on_fit_page(wxCommandEvent& event) override;
    void on_fit_width(wxCommandEvent& event) override;
    void on_fit_height(wxCommandEvent& event) override;
    void on_zoom_in(wxCommandEvent& event) override;
    void on_zoom_out(wxCommandEvent& event) override;
    void on_zoom_select(wxCommandEvent& event) override;
    void on_zoom_enter(wxCommandEvent& event) override;
    void on_background_colour(wxCommandEvent& event) override;
    void on_sign_panel(wxCommandEvent& event) override;
    void on_feedback(wxCommandEvent& event) override;
    void on_new_version(wxMouseEvent& event) override;

private:
    // Fills (and empties) the hook tables of the views, home pages and dialogs.
    void connect_views();
    void disconnect_views();
    void setup_controls();
    void apply_fit(fit_result (*rule)(int, int, float, float));
    void apply_hidpi_pictures();
    void apply_theme();
    void apply_sizes();
    void go_to_home_page();
    void go_to_page(int delta_or_target, bool absolute);
    void remember_geometry(const wxSize& size);
    void on_menu_accelerator(wxCommandEvent& event);
    void on_dpi_changed(wxDPIChangedEvent& event);
    void on_display_changed(wxDisplayChangedEvent& event);

    wxDECLARE_EVENT_TABLE();
};

// The one main window; null before it is built and after it is destroyed.
extern frame* main_frame;

// The main window's drop target: opens the first dropped file.
class dndfiles : public wxFileDropTarget {
public:
    explicit dndfiles(frame* owner) : frame_(owner) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override;

private:
    frame* frame_;
};

// --- pure rules of the window, shared with the tests ---

// The page box's text read as a decimal integer from its start (leading
// blanks and a sign allowed); text without a leading number reads 0; values
// beyond the int range clamp to its ends.
int parse_page_box(const std::string& text);

// The zoom box's text: "<digits>%" or two or more digits give the number
// (clamped to the int range); anything else gives false.
bool parse_zoom_box(const std::string& text, int& zoom);

// Fit width / fit height of a page of w x h points in a view of W x H pixels.
// A page side below one point counts as one point.
struct fit_result {
    int zoom;
    int page_width_px;
    int page_height_px;
    int h_offset;
    int v_offset;
};
fit_result fit_to_width(int view_w, int view_h, float page_w, float page_h);
fit_result fit_to_height(int view_w, int view_h, float page_w, float page_h);
