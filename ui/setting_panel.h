#pragma once
// The settings page: every option shown as it stands, each change saved at
// once; the list of time-stamp servers; file association; restart.
#include <string>
#include <vector>

#include "forms/setting_base.h"

class setting_panel : public setting_base {
public:
    explicit setting_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                           const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);

    void fill_timestamp_url_combo();
    static int find_timestamp_url(const std::wstring& url);
    // The server added when the list would otherwise be empty.
    static const wchar_t* const default_timestamp_url;

    // Registers (or with `on` false only unregisters) the program for PDF and
    // certificate files; the icons are written into the configs folder first.
    static void associate_files(bool on);
    static void unassociate_extensions(const std::string& kind);

protected:
    void on_size(wxSizeEvent& event) override;
    void on_check_update(wxCommandEvent& event) override;
    void on_open_recent(wxCommandEvent& event) override;
    void on_remember_position(wxCommandEvent& event) override;
    void on_full_page(wxCommandEvent& event) override;
    void on_full_width(wxCommandEvent& event) override;
    void on_full_height(wxCommandEvent& event) override;
    void on_associate_files(wxCommandEvent& event) override;
    void on_text_compact(wxCommandEvent& event) override;
    void on_text_middle(wxCommandEvent& event) override;
    void on_text_loose(wxCommandEvent& event) override;
    void on_disable_tooltip(wxCommandEvent& event) override;
    void on_remember_client_cert(wxCommandEvent& event) override;
    void on_invalid_marker(wxCommandEvent& event) override;
    void on_add_timestamp(wxCommandEvent& event) override;
    void on_tsurl_select(wxCommandEvent& event) override;
    void on_tsurl_dropdown(wxCommandEvent& event) override;
    void on_tsurl_kill_focus(wxFocusEvent& event) override;
    void on_tsurl_delete(wxCommandEvent& event) override;
    void on_add_ltv(wxCommandEvent& event) override;
    void on_restart(wxCommandEvent& event) override;
    void on_theme_dark(wxCommandEvent& event) override;
    void on_theme_light(wxCommandEvent& event) override;
    void on_theme_system(wxCommandEvent& event) override;
    void on_language_select(wxCommandEvent& event) override;
    void on_language_kill_focus(wxFocusEvent& event) override;

private:
    void apply_colours();
    void set_zoom_option(bool page, bool width, bool height);
    void set_text_style(int style);
    void choose_theme(const wchar_t* name);
    void save_language();
};
