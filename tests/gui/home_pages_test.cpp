// The home page and its recent-files, shortcut and about pages, driven as a
// user would: sidebar clicks and hovers, the keys of the recent list, row
// events, and the about page's buttons and mail link.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/data_dirs.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/about_panel.h"
#include "ui/home_calls.h"
#include "ui/homepage.h"
#include "ui/recent_panel.h"
#include "ui/shortcut_panel.h"
#include "widgets/wxt_colorbutton.h"

namespace {

// A settings folder of its own, three existing files and the calls the home
// pages make, recorded.
class HomePages : public ::testing::Test {
protected:
    void SetUp() override {
        set_data_root(dir_.path());
        app_data_dir();
        load_settings();  // a fresh settings file, as at a first start
        recent_files.clear();
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
            testsupport::write_file(dir_.file(name), "%PDF-1.7\n");
            files_.push_back(wxString::FromUTF8(dir_.file(name)));
        }
        home_calls() = home_call_table();
        home_calls().open_file = [this](const wxString& p) { opened_.push_back(p); };
        home_calls().show_open_dialog = [this] { ++open_dialogs_; };
        home_calls().home_page_in_view = [this] { return in_view_; };
        // The home page as the main window holds it: at most the work area less
        // the tool bar and the info bar above it (a 200 % screen leaves less
        // than the page was drawn for).
        const wxRect area = display_client_area(nullptr);
        frame_ = new wxFrame(nullptr, wxID_ANY, "home", area.GetPosition(),
                             wxSize(std::min(1100, area.width), std::min(760, area.height - 90)));
        frame_->SetSizer(new wxBoxSizer(wxVERTICAL));
    }
    void TearDown() override {
        frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        home_calls() = home_call_table();
        doc_verifying = false;
        recent_files.clear();
        set_data_root(dir_.path() + "/gone");
    }
    // Shows a home page (after the recent files are set).
    homepage* show_home() {
        auto* page = new homepage(frame_, "homepage");
        frame_->GetSizer()->Add(page, 1, wxEXPAND);
        frame_->Show();
        frame_->Layout();
        gui_test::settle();
        return page;
    }
    static std::vector<wxString> row_paths() {
        std::vector<wxString> out;
        for (listrow* row : recent_page->rows()) out.push_back(row->path);
        return out;
    }
    static void press(homepage* page, int key) {
        wxKeyEvent event(wxEVT_CHAR_HOOK);
        event.m_keyCode = key;
        event.SetEventObject(page);
        page->GetEventHandler()->ProcessEvent(event);
        gui_test::settle(std::chrono::milliseconds(50));
    }
    static void post_row_event(const wchar_t* tag, listrow* row) {
        wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
        event.SetString(tag);
        event.SetPayload(row);
        wxQueueEvent(recent_page, event.Clone());
        gui_test::settle(std::chrono::milliseconds(50));
    }

    testsupport::scratch_dir dir_;
    std::vector<wxString> files_;
    std::vector<wxString> opened_;
    int open_dialogs_ = 0;
    bool in_view_ = true;
    wxFrame* frame_ = nullptr;
};

TEST_F(HomePages, sidebar_selects_hovers_and_sizes) {
    homepage* page = show_home();
    ASSERT_EQ(page->nav_buttons.size(), 6u);
    // Right after start: Recent, highlighted.
    EXPECT_EQ(page->selected_button, page->nav_buttons[0]);
    EXPECT_EQ(page->book()->GetSelection(), 0);
    EXPECT_EQ(page->nav_buttons[0]->GetBackgroundColour(), accent_colour);
    EXPECT_EQ(page->nav_buttons[0]->GetForegroundColour(), *wxWHITE);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(page->nav_buttons[i]->GetBackgroundColour(), theme_panel_colour);

    // A click selects and restores the previous one; hovering the selected
    // button changes nothing, leaving an unselected one restores it.
    wxButton* about = page->nav_buttons[5];
    wxMouseEvent click(wxEVT_LEFT_UP);
    click.SetEventObject(about);
    about->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(page->selected_button, about);
    EXPECT_EQ(page->book()->GetSelection(), 5);
    EXPECT_EQ(page->nav_buttons[0]->GetBackgroundColour(), theme_panel_colour);
    for (wxEventType type : {wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW}) {
        wxMouseEvent hover(type);
        hover.SetEventObject(about);
        about->GetEventHandler()->ProcessEvent(hover);
        EXPECT_EQ(about->GetBackgroundColour(), accent_colour);
    }
    wxButton* settings = page->nav_buttons[1];
    wxMouseEvent enter(wxEVT_ENTER_WINDOW);
    enter.SetEventObject(settings);
    settings->GetEventHandler()->ProcessEvent(enter);
    EXPECT_EQ(settings->GetBackgroundColour(), theme_hover_colour);
    wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
    leave.SetEventObject(settings);
    settings->GetEventHandler()->ProcessEvent(leave);
    EXPECT_EQ(settings->GetBackgroundColour(), theme_panel_colour);

    // 600 pixels wide: a sidebar of 100 and a book of 500 at least.
    wxSizeEvent size(wxSize(600, 400));
    size.SetEventObject(page);
    page->GetEventHandler()->ProcessEvent(size);
    EXPECT_EQ(page->book()->GetMinSize().x, 500);
    // The side bar (its buttons scroll inside it) takes a sixth.
    wxWindow* side_bar = page->selected_button->GetParent()->GetParent();
    EXPECT_EQ(fitted_scroller(side_bar), page->selected_button->GetParent());
    EXPECT_EQ(side_bar->GetMinSize().x, 100);
}

TEST_F(HomePages, recent_rows_follow_the_list) {
    // A missing file gets no row and stays in the list.
    recent_files = {files_[0].ToStdWstring(), wxString::FromUTF8(dir_.file("gone.pdf")).ToStdWstring(),
                    files_[1].ToStdWstring()};
    show_home();
    ASSERT_TRUE(recent_page);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[0], files_[1]}));
    EXPECT_EQ(recent_files.size(), 3u);

    // A, B, C listed; opening C puts it on top and keeps the others in
    // order, as the list does: C, A, B.
    recent_files = {files_[0].ToStdWstring(), files_[1].ToStdWstring()};
    add_recent_file(files_[2].ToStdWstring());
    recent_page->add_file(files_[2]);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[2], files_[0], files_[1]}));
    add_recent_file(files_[1].ToStdWstring());
    recent_page->add_file(files_[1]);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[1], files_[2], files_[0]}));
    recent_page->add_file(files_[1]);  // already on top: nothing moves
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[1], files_[2], files_[0]}));
    // A row whose path has left the list goes when the next file is added.
    recent_files.erase(recent_files.end() - 1);
    recent_page->add_file(files_[2]);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[2], files_[1]}));
    recent_files = {files_[2].ToStdWstring(), files_[1].ToStdWstring(), files_[0].ToStdWstring()};
    recent_page->add_file(files_[0]);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[0], files_[2], files_[1]}));

    // Removing a row takes its path out of the list and the settings file.
    recent_page->remove_row(recent_page->find_row(files_[0]));
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[2], files_[1]}));
    EXPECT_EQ(recent_files.size(), 2u);
    const std::string saved = testsupport::read_file(wxString(settings_path).utf8_string());
    EXPECT_EQ(saved.find("a.pdf"), std::string::npos);

    recent_page->remove_row(nullptr);  // nothing
}

TEST_F(HomePages, empty_list_shows_its_line) {
    show_home();
    ASSERT_TRUE(recent_page);
    EXPECT_TRUE(recent_page->rows().empty());
    auto* empty_text = wxDynamicCast(recent_page->FindWindow("staticText"), wxStaticText);
    ASSERT_TRUE(empty_text);
    EXPECT_TRUE(empty_text->IsShown());
    // Up or Down with no rows does nothing.
    recent_page->move_selection(true);
    EXPECT_EQ(recent_page->selected_row, nullptr);

    recent_files = {files_[0].ToStdWstring()};
    recent_page->add_file(files_[0]);
    EXPECT_FALSE(empty_text->IsShown());
    EXPECT_EQ(recent_page->GetSizer()->GetItem(size_t(0))->GetSize().y, 50);
}

TEST_F(HomePages, keys_drive_the_recent_list_only_on_its_page) {
    for (const wxString& f : files_) recent_files.push_back(f.ToStdWstring());
    homepage* page = show_home();
    const auto rows = recent_page->rows();
    ASSERT_EQ(rows.size(), 3u);

    // Up with no selection: the last row; Down from the last wraps to the first.
    press(page, WXK_UP);
    EXPECT_EQ(recent_page->selected_row, rows[2]);
    press(page, WXK_DOWN);
    EXPECT_EQ(recent_page->selected_row, rows[0]);
    EXPECT_FALSE(rows[2]->selected);
    press(page, WXK_UP);
    EXPECT_EQ(recent_page->selected_row, rows[2]);

    // Space opens the selected row's file.
    press(page, WXK_SPACE);
    EXPECT_EQ(opened_, (std::vector<wxString>{files_[2]}));

    // Not on the Recent page, or the home page not in view: nothing.
    page->select_page(page->nav_buttons[1]);
    press(page, WXK_DOWN);
    press(page, WXK_SPACE);
    EXPECT_EQ(recent_page->selected_row, rows[2]);
    EXPECT_EQ(opened_.size(), 1u);
    page->select_page(page->nav_buttons[0]);
    in_view_ = false;
    press(page, WXK_DELETE);
    EXPECT_EQ(recent_page->rows().size(), 3u);
    in_view_ = true;

    // Delete removes the selected row; then Space and Delete do nothing.
    press(page, WXK_DELETE);
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[0], files_[1]}));
    EXPECT_EQ(recent_page->selected_row, nullptr);
    press(page, WXK_SPACE);
    press(page, WXK_DELETE);
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_EQ(recent_page->rows().size(), 2u);
}

TEST_F(HomePages, row_events_reach_the_page_once) {
    for (const wxString& f : files_) recent_files.push_back(f.ToStdWstring());
    show_home();
    auto rows = recent_page->rows();
    ASSERT_EQ(rows.size(), 3u);

    // Selecting a row deselects the others when its event arrives.
    rows[0]->select();
    gui_test::settle(std::chrono::milliseconds(50));
    rows[1]->select();
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_FALSE(rows[0]->selected);
    EXPECT_TRUE(rows[1]->selected);
    EXPECT_EQ(recent_page->selected_row, rows[1]);

    // Opening while a verification runs changes nothing but the selection.
    doc_verifying = true;
    post_row_event(L"open_recent", rows[2]);
    EXPECT_TRUE(opened_.empty());
    doc_verifying = false;
    post_row_event(L"open_recent", rows[2]);
    EXPECT_EQ(opened_, (std::vector<wxString>{files_[2]}));

    // Two quick removes of the same row: the second names a row that is gone.
    listrow* gone = rows[0];
    post_row_event(L"delete_recent", gone);
    post_row_event(L"delete_recent", gone);
    post_row_event(L"open_recent", gone);
    EXPECT_EQ(recent_page->rows().size(), 2u);
    EXPECT_EQ(opened_.size(), 1u);

    // The main window's missing-file event names the path.
    wxThreadEvent missing(wxEVT_THREAD, wxID_ANY);
    missing.SetString(evt_delete);
    missing.SetPayload(files_[1]);
    wxQueueEvent(recent_page, missing.Clone());
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(row_paths(), (std::vector<wxString>{files_[2]}));

    // The open button shows the open dialog unless a verification runs.
    wxCommandEvent click(wxEVT_BUTTON);
    auto* button = recent_page->FindWindow("button");
    ASSERT_TRUE(button);
    click.SetEventObject(button);
    click.SetId(button->GetId());
    button->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(open_dialogs_, 1);
    doc_verifying = true;
    button->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(open_dialogs_, 1);
}

TEST_F(HomePages, about_page_label_link_and_buttons) {
    EXPECT_EQ(about_panel::mail_target(),
              "mailto:support@velkorant.example.com?subject=About%20Velkorant%20application&body=%0D%0A");
    std::vector<std::string> shown;
    home_calls().check_update = [&](wxWindow* parent) { shown.push_back("version"); EXPECT_EQ(parent, frame_); };
    home_calls().show_agreement = [&](wxWindow*) { shown.push_back("agreement"); };
    home_calls().show_feedback = [&](wxWindow*) { shown.push_back("feedback"); };
    auto* page = new about_panel(frame_);
    frame_->GetSizer()->Add(page, 1, wxEXPAND);
    frame_->Show();
    gui_test::settle();
    EXPECT_EQ(page->GetName(), "wn_about");
    auto* label = wxDynamicCast(page->FindWindow("staticText"), wxStaticText);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetLabel(), wxString("Velkorant, ") + VELK_PRODUCT_VERSION);
    std::vector<wxWindow*> windows{page};
    for (size_t i = 0; i < windows.size(); ++i)
        for (wxWindow* child : windows[i]->GetChildren()) windows.push_back(child);
    for (wxWindow* child : windows) {
        auto* b = dynamic_cast<wxt_colorbutton*>(child);
        if (!b) continue;
        wxCommandEvent click(wxEVT_BUTTON, b->GetId());
        click.SetEventObject(b);
        b->GetEventHandler()->ProcessEvent(click);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"version", "agreement", "feedback"}));
}

// Every page of the home page for a person to look at, in English and in
// Chinese (run again at 200 % with the rest of the gallery).
TEST_F(HomePages, gallery) {
    for (const wxString& f : files_) recent_files.push_back(f.ToStdWstring());
    trust_list_ready = true;
    const char* names[] = {"recent", "settings", "trustlist", "certstore", "shortcut", "about"};
    for (bool chinese : {false, true}) {
        std::unique_ptr<gui_test::chinese_interface> zh;
        if (chinese) zh = std::make_unique<gui_test::chinese_interface>();
        auto* page = new homepage(frame_, "homepage");
        frame_->GetSizer()->Clear(true);
        frame_->GetSizer()->Add(page, 1, wxEXPAND);
        frame_->Show();
        frame_->Layout();
        gui_test::settle();
        recent_page->move_selection(false);
        for (int i = 0; i < 6; ++i) {
            page->select_page(page->nav_buttons[i]);
            gui_test::settle(std::chrono::milliseconds(300));
            const std::string name = std::string("home_") + names[i] + (chinese ? "_zh" : "");
            EXPECT_FALSE(gui_test::save_screenshot(page, name).empty());
            // Nothing of the page is cut off: what does not fit scrolls.
            for (const std::string& fault : gui_test::layout_faults(page))
                ADD_FAILURE() << name << ": " << fault;
        }
        frame_->GetSizer()->Clear(true);
        gui_test::settle(std::chrono::milliseconds(50));
    }
    trust_list_ready = false;
    wait_until([] { return running_workers.load() == 0; });
}

// On a page as narrow as a 200 % screen leaves it, the mouse column wraps
// inside the page instead of running past its edge (English is the widest).
TEST_F(HomePages, the_shortcut_table_fits_a_narrow_page) {
    struct probe : shortcut_panel {
        using shortcut_panel::shortcut_panel;
        using shortcut_base::table_panel;
    };
    frame_->SetSize(wxSize(760, 600));
    auto* page = new probe(frame_);
    frame_->GetSizer()->Add(page, 1, wxEXPAND);
    frame_->Show();
    frame_->Layout();
    gui_test::settle();
    const int right = page->table_panel->GetClientSize().x;
    for (wxWindow* child : page->table_panel->GetChildren())
        EXPECT_LE(child->GetRect().GetRight(), right) << child->GetLabel().utf8_string();
}

}  // namespace
