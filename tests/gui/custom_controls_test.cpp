// Behaviour of the custom controls: state colours, link targets, focus rules,
// blinking, picture tiles and the theme recolouring.
#include <gtest/gtest.h>

#include <vector>

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>

#include "forms/pictures.h"
#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "gui/gui_harness.h"
#include "platform/shell_open.h"
#include "widgets/theme_bitmaps.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_bmpbutton_nofocus.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"
#include "widgets/wxt_image_selctrl.h"

namespace {

// A top-level window that is destroyed with the test.
struct host {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "controls");
    wxPanel* panel = new wxPanel(frame);
    ~host() { frame->Destroy(); gui_test::settle(std::chrono::milliseconds(20)); }
};

// The pointer position is under the test's control.
class probe_colorbutton : public wxt_colorbutton {
public:
    using wxt_colorbutton::wxt_colorbutton;
    bool over = false;
    bool pointer_is_over() const override { return over; }
};

class probe_hyperlink : public wxt_hyperlink {
public:
    using wxt_hyperlink::wxt_hyperlink;
    bool over = false;
    bool pointer_is_over() const override { return over; }
};

// Captures the addresses the controls would open.
struct captured_links {
    std::vector<wxString> opened;
    platform::shell_opener previous;
    captured_links() {
        previous = platform::set_shell_opener([this](const wxString& a) { opened.push_back(a); });
    }
    ~captured_links() { platform::set_shell_opener(previous); }
};

wxMouseEvent mouse(wxEventType type, wxWindow* w) {
    wxMouseEvent e(type);
    e.SetEventObject(w);
    e.SetId(w->GetId());
    return e;
}

TEST(wxt_colorbutton, colour_sets_of_the_three_styles) {
    host h;
    auto* b = new wxt_colorbutton(h.panel, wxID_ANY, "Go");
    using L = wxt_colorbutton::look;
    const wxColour green(13, 147, 45);
    // A new button has the green preset.
    EXPECT_EQ(b->colours_of(L::normal).text, *wxWHITE);
    EXPECT_EQ(b->colours_of(L::normal).background, green);
    EXPECT_EQ(b->colours_of(L::focused).background, green.ChangeLightness(90));
    EXPECT_EQ(b->colours_of(L::hovered).background, green.ChangeLightness(80));
    EXPECT_EQ(b->colours_of(L::pressed).background, green.ChangeLightness(70));
    EXPECT_EQ(b->colours_of(L::disabled).background, wxColour(216, 216, 216));

    const wxColour grey(216, 216, 216), accent(0, 122, 204);
    b->preset_grey();
    EXPECT_EQ(b->colours_of(L::normal).text, *wxBLACK);
    EXPECT_EQ(b->colours_of(L::focused).text, accent);
    EXPECT_EQ(b->colours_of(L::focused).background, grey.ChangeLightness(110));
    EXPECT_EQ(b->colours_of(L::hovered).background, grey.ChangeLightness(120));
    EXPECT_EQ(b->colours_of(L::pressed).background, grey.ChangeLightness(90));
    EXPECT_EQ(b->colours_of(L::disabled).text, wxColour(148, 148, 148));

    const wxColour t(10, 20, 30), bg(200, 210, 220);
    b->set_plain_colours(t, bg);
    for (L l : {L::normal, L::focused, L::hovered, L::pressed}) {
        EXPECT_EQ(b->colours_of(l).text, t);
        EXPECT_EQ(b->colours_of(l).background, bg);
    }
    EXPECT_EQ(b->colours_of(L::disabled).text, grey);
    EXPECT_EQ(b->colours_of(L::disabled).background, bg);
}

TEST(wxt_colorbutton, look_follows_pointer_press_and_enabled_state) {
    host h;
    auto* b = new probe_colorbutton(h.panel, wxID_ANY, "Go");
    using L = wxt_colorbutton::look;
    EXPECT_EQ(b->current_look(), L::normal);
    b->over = true;
    EXPECT_EQ(b->current_look(), L::hovered);
    wxMouseEvent down = mouse(wxEVT_LEFT_DOWN, b);
    b->ProcessWindowEvent(down);
    EXPECT_TRUE(b->pressed);
    EXPECT_EQ(b->current_look(), L::pressed);
    wxMouseEvent leave = mouse(wxEVT_LEAVE_WINDOW, b);
    b->ProcessWindowEvent(leave);
    EXPECT_FALSE(b->pressed);
    b->over = false;
    b->Enable(false);
    EXPECT_EQ(b->current_look(), L::disabled);
    b->disabled_look = false;  // the owner keeps the normal look when disabled
    EXPECT_EQ(b->current_look(), L::normal);
}

TEST(wxt_colorbutton, frame_drawn_only_when_the_caller_left_out_no_border) {
    host h;
    auto* framed = new wxt_colorbutton(h.panel, wxID_ANY, "A", wxDefaultPosition, wxDefaultSize, 0);
    auto* plain = new wxt_colorbutton(h.panel, wxID_ANY, "B", wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    EXPECT_TRUE(framed->border);
    EXPECT_TRUE(framed->HasFlag(wxBORDER_NONE));
    EXPECT_FALSE(plain->border);
    framed->preset_blue();
    EXPECT_EQ(framed->border_colour, *wxWHITE);
    framed->Enable(false);
    EXPECT_EQ(framed->border_colour, wxColour(148, 148, 148));
    EXPECT_EQ(framed->GetName(), "button");
}

TEST(wxt_colorbutton, click_raises_button_event_with_its_id_and_swallows_a_quick_second_release) {
    host h;
    auto* b = new wxt_colorbutton(h.panel, 1017, "Go");
    int clicks = 0;
    h.panel->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) {
        EXPECT_EQ(e.GetId(), 1017);
        ++clicks;
    });
    wxMouseEvent down = mouse(wxEVT_LEFT_DOWN, b), up = mouse(wxEVT_LEFT_UP, b);
    b->ProcessWindowEvent(down);
    b->ProcessWindowEvent(up);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->timer->IsRunning());
    b->ProcessWindowEvent(down);
    b->ProcessWindowEvent(up);  // within the 200 ms after the first release
    EXPECT_EQ(clicks, 1);
    ASSERT_TRUE(gui_test::run_until([&] { return !b->timer->IsRunning(); }));
    b->ProcessWindowEvent(down);
    b->ProcessWindowEvent(up);
    EXPECT_EQ(clicks, 2);
    // A release without a press on the button is no click.
    gui_test::run_until([&] { return !b->timer->IsRunning(); });
    b->ProcessWindowEvent(up);
    EXPECT_EQ(clicks, 2);
}

TEST(wxt_hyperlink, click_opens_the_target_by_its_scheme) {
    host h;
    captured_links links;
    struct row {
        const char* target;
        const char* opened;
    } rows[] = {
        {"example.org", "http://example.org"},
        {"help@example.org", "mailto:help@example.org"},
        {"https://example.org/a", "https://example.org/a"},
        {"http://example.org/b", "http://example.org/b"},
        {"mailto:x@example.org", "mailto:x@example.org"},
    };
    for (const row& r : rows) {
        auto* link = new wxt_hyperlink(h.panel, wxID_ANY, wxString::FromUTF8(r.target));
        wxMouseEvent up = mouse(wxEVT_LEFT_UP, link);
        link->ProcessWindowEvent(up);
        ASSERT_FALSE(links.opened.empty()) << r.target;
        EXPECT_EQ(links.opened.back(), wxString::FromUTF8(r.opened));
    }
    // set_link sends the click elsewhere than the label.
    auto* link = new wxt_hyperlink(h.panel, wxID_ANY, "Visit us");
    link->set_link("https://example.net", wxColour(0, 122, 204), true);
    wxMouseEvent up = mouse(wxEVT_LEFT_UP, link);
    link->ProcessWindowEvent(up);
    EXPECT_EQ(links.opened.back(), "https://example.net");
}

TEST(wxt_hyperlink, action_label_opens_nothing_and_the_owner_sees_the_click_first) {
    host h;
    captured_links links;
    auto* link = new wxt_hyperlink(h.panel, wxID_ANY, "example.org");
    link->set_action_colour(wxColour(13, 147, 45), false);
    wxMouseEvent up = mouse(wxEVT_LEFT_UP, link);
    link->ProcessWindowEvent(up);
    EXPECT_TRUE(links.opened.empty());

    // An owner's handler connected later runs first; when it does not skip,
    // the link does not open.
    auto* other = new wxt_hyperlink(h.panel, wxID_ANY, "example.org");
    bool owner_ran = false;
    other->Bind(wxEVT_LEFT_UP, [&](wxMouseEvent&) { owner_ran = true; });
    wxMouseEvent up2 = mouse(wxEVT_LEFT_UP, other);
    other->ProcessWindowEvent(up2);
    EXPECT_TRUE(owner_ran);
    EXPECT_TRUE(links.opened.empty());
}

TEST(wxt_hyperlink, colours_and_focus_rules) {
    host h;
    auto* link = new probe_hyperlink(h.panel, wxID_ANY, "example.org");
    const wxColour c(0, 122, 204);
    EXPECT_EQ(link->link_colour, c);
    EXPECT_EQ(link->GetForegroundColour(), c);
    EXPECT_EQ(link->focus_colour, c.ChangeLightness(90));
    EXPECT_EQ(link->hover_colour, c.ChangeLightness(80));
    EXPECT_EQ(link->pressed_colour, c.ChangeLightness(70));
    EXPECT_EQ(link->GetName(), "staticText");
    EXPECT_EQ(link->GetId() < 0, true);

    // Focus gain shows the focus colour and is consumed; focus loss goes on.
    wxFocusEvent gain(wxEVT_SET_FOCUS, link->GetId());
    gain.SetEventObject(link);
    EXPECT_TRUE(link->ProcessWindowEvent(gain));
    EXPECT_EQ(link->GetForegroundColour(), link->focus_colour);
    wxFocusEvent loss(wxEVT_KILL_FOCUS, link->GetId());
    loss.SetEventObject(link);
    EXPECT_FALSE(link->ProcessWindowEvent(loss));
    EXPECT_EQ(link->GetForegroundColour(), link->link_colour);

    wxMouseEvent down = mouse(wxEVT_LEFT_DOWN, link);
    link->ProcessWindowEvent(down);
    EXPECT_TRUE(link->pressed);
    EXPECT_EQ(link->GetForegroundColour(), link->pressed_colour);
    wxMouseEvent leave = mouse(wxEVT_LEAVE_WINDOW, link);
    link->ProcessWindowEvent(leave);
    EXPECT_FALSE(link->pressed);
    EXPECT_EQ(link->GetForegroundColour(), link->link_colour);

    link->set_link(wxString(), wxColour(200, 0, 0), true);
    link->Enable(false);
    EXPECT_EQ(link->GetForegroundColour(), wxColour(200, 0, 0));
}

TEST(wxt_bmpbutton_nofocus, keyboard_passes_over_it) {
    host h;
    auto* b = new wxt_bmpbutton_nofocus(h.panel, "button");
    EXPECT_FALSE(b->AcceptsFocusFromKeyboard());
    EXPECT_TRUE(b->HasFlag(wxBORDER_NONE));
    EXPECT_FALSE(b->GetBitmap().IsOk());
    EXPECT_EQ(b->GetName(), "button");
}

TEST(wxt_image_selctrl, sizes_itself_for_its_picture_and_odd_border_widths) {
    host h;
    auto* tile = new wxt_image_selctrl(h.panel, bitmap_plus_32(), "stamp one");
    EXPECT_EQ(tile->GetName(), "stamp one");
    EXPECT_EQ(tile->GetSize(), wxSize(32 + 14, 32 + 14));
    tile->set_border_widths(8, 4);
    EXPECT_EQ(tile->hover_width, 3);
    EXPECT_EQ(tile->selected_width, 7);
    tile->set_border_widths(0, 9);  // ignored
    EXPECT_EQ(tile->selected_width, 7);
    tile->set_border_widths(1, 11);
    EXPECT_EQ(tile->hover_width, 1);
    EXPECT_EQ(tile->selected_width, 11);
    EXPECT_EQ(tile->GetSize(), wxSize(32 + 22, 32 + 22));
    EXPECT_EQ(tile->fit_to_picture(wxBitmap()), wxSize(22, 22));
}

TEST(wxt_active_textctrl, blink_shows_and_hides_the_text_then_keeps_it) {
    host h;
    auto* line = new wxt_active_textctrl(h.panel, wxID_ANY, "ready");
    const wxColour red(175, 32, 49);
    line->flash_message(red, wxString());  // empty text blinks the current label
    EXPECT_EQ(line->saved_label, "ready");
    EXPECT_EQ(line->GetLabel(), "");
    EXPECT_TRUE(line->timer->IsRunning());
    wxTimerEvent tick(*line->timer);
    const char* expected[] = {"ready", "", "ready", "", "ready", "", "ready"};
    for (const char* label : expected) {
        line->on_timer(tick);
        EXPECT_EQ(line->GetLabel(), label);
    }
    EXPECT_FALSE(line->timer->IsRunning());
    EXPECT_EQ(line->GetForegroundColour(), red);

    // A new blink during a blink restores the old text first.
    line->flash_message(red, "first");
    line->flash_message(red, "second");
    EXPECT_EQ(line->saved_label, "second");
    EXPECT_EQ(line->toggle_count, 0);
    line->flash_message(red, "long", 0, 1);
    EXPECT_EQ(line->toggle_limit, 999);
    line->set_message(*wxBLUE, "steady");
    EXPECT_FALSE(line->timer->IsRunning());
    EXPECT_EQ(line->GetLabel(), "steady");
}

TEST(theme_bitmaps, recolour_keeps_alpha_and_picks_the_theme_colour) {
    const bool saved = is_dark_theme;
    for (bool dark : {false, true}) {
        is_dark_theme = dark;
        wxBitmap b = bitmap_plus_hover_32();
        recolour_bitmap_for_theme(b);
        const wxImage before = bitmap_plus_hover_32().ConvertToImage();
        const wxImage after = b.ConvertToImage();
        ASSERT_TRUE(after.HasAlpha());
        const unsigned char want = dark ? 255 : 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(after.GetAlpha(x, y), before.GetAlpha(x, y));
                if (after.GetAlpha(x, y) != 0) {
                    ASSERT_EQ(after.GetRed(x, y), want);
                    ASSERT_EQ(after.GetBlue(x, y), want);
                }
            }
    }
    is_dark_theme = saved;
    // A picture without alpha is left as it is.
    wxImage rgb(4, 4);
    rgb.SetRGB(wxRect(0, 0, 4, 4), 10, 20, 30);
    wxBitmap plain(rgb);
    recolour_bitmap_for_theme(plain);
    EXPECT_EQ(plain.ConvertToImage().GetRed(1, 1), 10);
}

}  // namespace
