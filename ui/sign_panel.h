#pragma once
// The signing panel: the stamp list kept in step with the settings, the
// signing options for the selected stamp, and Start Sign, which checks the
// stamp, asks for the output file, fills the task and runs the sign worker.
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "document/sign_operation.h"
#include "document/sign_params.h"
#include "forms/sign_panel_base.h"

class wxChoice;
class wxThreadEvent;
class wxt_image_selctrl;
struct sigstampui;

// A signing runs: set on the main thread when the sign worker starts and
// cleared when its result is handled. Opening or closing a document and
// removing a stamp are refused meanwhile.
extern std::atomic<bool> doc_signing;

// The proposed output name (no extension) for a document path: the path up to
// its last "." with the signed suffix, unless the path holds the suffix already.
std::wstring default_output_name(const std::wstring& path, bool visible);

class sign_panel : public sign_panel_base {
public:
    explicit sign_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                        const wxString& name = wxEmptyString);
    ~sign_panel() override;

    // --- called by the stamp editor and the main window ---
    // The editor saved a stamp into its slot (ownership passes to the panel
    // when no row holds it yet).
    void stamp_saved(sigstampui* stamp);
    void select_stamp(bool select);
    void store_stamps();
    // A row holds this stamp, or one equal to it in every stored field.
    bool find_stamp(const sigstampui* stamp) const;
    // Adds a row for the stamp (the panel owns it afterwards); returns its id.
    int add_stamp_row(sigstampui* stamp);
    void refresh_row_picture(sigstampui* stamp);
    void remove_stamp(int id);
    void on_verify_end();
    bool HasFocus() const override;

    // --- the signing steps ---
    // Shows the option controls for the selected stamp (active) or none.
    void update_options(bool active);
    // Throws "Failed" (or "Invalid param" for a cloud stamp) after showing the
    // reason on the message line.
    void check_stamp(sigstampui& stamp);
    // Asks for the output file and fills `task`; throws "Failed" when the
    // dialog is cancelled or the choice cannot be used.
    void fill_sign_task(sigstampui* stamp);
    void on_sign_result(const wxString& payload);

    // The sign worker's body (a detached thread).
    static void sign_worker(sign_panel* panel);

    // --- state ---
    struct stamp_row {
        wxt_image_selctrl* control = nullptr;
        std::unique_ptr<sigstampui> stamp;
    };
    std::map<int, stamp_row> stamp_rows;
    bool has_selection = false;
    int selected_id = 0;
    bool visible_stamp_selected = false;
    bool document_locked = false;
    bool result_pending = false;
    sigstampui* new_stamp_slot = nullptr;
    std::wstring editing_picture_path;
    // The row stamp the editor has open (it saves into it in place).
    sigstampui* editing_stamp = nullptr;
    int thumbnail_size = 150;
    wxChoice* permission_choice = nullptr;
    std::atomic<bool> start_busy{false};

    // The signing that runs or ran last. `final_output` is the file the user
    // chose; the worker writes `task.output` (a temporary file beside it) or,
    // in place, `task.intermediate`, and renames it there on success.
    sign_task task;
    std::unique_ptr<sigstampui> task_stamp;
    stamp_placement placement;
    std::wstring final_output;
    bool in_place = false;
    // Filled by the worker, read by on_sign_result.
    std::atomic<bool> closed_for_rename{false};

    // Test seams: the form's controls.
    wxRadioButton* certify_radio() const { return certify_mode_radio; }
    wxRadioButton* sign_radio() const { return sign_mode_radio; }
    wxCheckBox* lock_check() const { return lock_document_check; }
    wxt_active_textctrl* message_line() const { return sign_result_label; }
    wxTextCtrl* password_field() const { return password_text; }
    wxt_colorbutton* start_button() const { return start_sign_button; }
    wxBitmapButton* remove_button() const { return remove_stamp_button; }
    wxScrolledWindow* stamp_list_window() const { return stamp_list_panel; }
    bool modes_shown() const;
    bool permission_shown() const;
    wxString selected_text() const;

    void on_size(wxSizeEvent& event) override;
    void on_add_stamp(wxCommandEvent& event) override;
    void on_add_stamp_right_up(wxMouseEvent& event) override;
    void on_add_stamp_small(wxCommandEvent& event) override;
    void on_top_stamp(wxCommandEvent& event) override;
    void on_remove_stamp(wxCommandEvent& event) override;
    void on_certify_mode(wxCommandEvent& event) override;
    void on_sign_mode(wxCommandEvent& event) override;
    void on_lock_document(wxCommandEvent& event) override;
    void on_start_sign(wxCommandEvent& event) override;
    void on_title_left_down(wxMouseEvent& event) override;
    void on_hint_left_down(wxMouseEvent& event) override;
    void on_permission_choice(wxCommandEvent& event);
    void on_row_click(wxMouseEvent& event);
    void on_row_right_up(wxMouseEvent& event);
    void on_thread_event(wxThreadEvent& event);

private:
    void load_pictures();
    void load_stamps();
    void show_stamp_info(const sigstampui* stamp);
    void enable_start(bool enable);
    void set_signing_state(bool idle);
    void update_password_field();
    void apply_scale();
    void apply_theme();
    void set_list_height();
    void flash(const wxColour& colour, const wxString& text);
    wxBitmap row_picture(const sigstampui& stamp) const;
    void collapse_right_pane();
    sigstampui* selected_stamp() const;

    wxBitmap invisible_picture, timestamp_picture, cloud_picture;
    wxSizer* modes_sizer = nullptr;
    wxSizer* permission_sizer = nullptr;
    wxSizer* info_sizer = nullptr;
    int start_best_height = 0;

    wxDECLARE_EVENT_TABLE();
};

// The one signing panel (null before it is built and after it is gone).
extern sign_panel* the_sign_panel;
