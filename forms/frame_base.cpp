#include "forms/frame_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "forms/side_forms.h"
#include "forms/sign_panel_base.h"
#include "forms/stamp_panel_base.h"
#include "forms/window_parts.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const long centred = wxALL | wxALIGN_CENTER_VERTICAL;
const wxColour toolbar_grey(60, 60, 60);

wxBitmapButton* toolbar_button(wxWindow* parent, wxWindowID id, const wxBitmap& normal, const wxBitmap& hover,
                               const char* tip) {
    auto* b = new wxBitmapButton(parent, id, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                 wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    b->SetBitmap(normal, wxLEFT);
    b->SetBitmapFocus(hover);
    b->SetBitmapCurrent(hover);
    b->SetBackgroundColour(toolbar_grey);
    b->SetToolTip(tr(tip));
    return b;
}

}  // namespace

frame_base::frame_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
                       const long& style)
    : wxFrame(parent, id, title, pos, size, style, "frame") {
    SetSizeHints(wxSize(768, 512), wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    auto* main_sizer = new wxBoxSizer(wxVERTICAL);

    toolbar_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(42, -1), wxTAB_TRAVERSAL, "panel");
    toolbar_panel->SetFont(form_font(wxFONTFAMILY_DEFAULT));
    toolbar_panel->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOBK));
    toolbar_panel->SetBackgroundColour(toolbar_grey);
    toolbar_panel->SetMinSize(wxSize(-1, 42));
    toolbar_panel->SetMaxSize(wxSize(-1, 84));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(0, 0, 1, wxEXPAND, 5);

    auto* nav = new wxBoxSizer(wxHORIZONTAL);
    home_button = toolbar_button(toolbar_panel, 1000, bitmap_home_28(), bitmap_home_hover_28(),
                                 "Swith to home page (CTRL-H)");
    nav->Add(home_button, 0, centred, 5);
    document_button = toolbar_button(toolbar_panel, 1001, bitmap_document_32(), bitmap_document_hover_32(),
                                     "Swith to document page (CTRL-D)");
    nav->Add(document_button, 0, centred, 5);
    open_button = toolbar_button(toolbar_panel, 1002, bitmap_open_32(), bitmap_open_hover_32(),
                                 "Open/DragDrop document(CTRL-O)");
    nav->Add(open_button, 0, centred, 5);
    row->Add(nav, 0, wxEXPAND, 0);
    row->Add(30, 0, 0, wxEXPAND, 5);

    auto* tools = new wxBoxSizer(wxHORIZONTAL);
    previous_page_button = toolbar_button(toolbar_panel, 1003, bitmap_previous_page_32(),
                                          bitmap_previous_page_hover_32(), "Previous page (CTRL-P)");
    tools->Add(previous_page_button, 0, centred, 5);
    next_page_button = toolbar_button(toolbar_panel, 1004, bitmap_next_page_32(), bitmap_next_page_hover_32(),
                                      "Next Page (CTRL-N)");
    tools->Add(next_page_button, 0, centred, 5);

    page_text = new wxTextCtrl(toolbar_panel, wxID_ANY, tr("1"), wxDefaultPosition, wxSize(50, -1),
                               wxTE_CENTRE | wxTE_PROCESS_ENTER, wxDefaultValidator, "text");
    page_text->SetFont(form_font(wxFONTFAMILY_DEFAULT));
    page_text->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    page_text->SetBackgroundColour(toolbar_grey);
    page_text->SetToolTip(tr("Current page number"));
    tools->Add(page_text, 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 5);

    page_count_label = new wxStaticText(toolbar_panel, wxID_ANY, tr("/1000"), wxDefaultPosition, wxSize(80, -1), 0,
                                        "staticText");
    page_count_label->Wrap(-1);
    page_count_label->SetFont(form_font(wxFONTFAMILY_DEFAULT));
    page_count_label->SetForegroundColour(wxColour(255, 255, 255));
    tools->Add(page_count_label, 0, centred, 5);
    tools->Add(20, 0, 0, wxEXPAND, 5);

    fit_page_button = toolbar_button(toolbar_panel, 1007, bitmap_fit_page_28(), bitmap_fit_page_hover_28(),
                                     "Show full page in the window (ALT-F)");
    tools->Add(fit_page_button, 0, centred, 5);
    fit_width_button = toolbar_button(toolbar_panel, 1008, bitmap_fit_width_28(), bitmap_fit_width_hover_28(),
                                      "Show full width of page in the window (ALT-W)");
    tools->Add(fit_width_button, 0, centred, 5);
    fit_height_button = toolbar_button(toolbar_panel, 1009, bitmap_fit_height_28(), bitmap_fit_height_hover_28(),
                                       "Show full height of page in the window (ALT-H)");
    tools->Add(fit_height_button, 0, centred, 5);
    tools->Add(30, 0, 0, wxEXPAND, 5);
    zoom_in_button = toolbar_button(toolbar_panel, 1005, bitmap_zoom_in_32(), bitmap_zoom_in_hover_32(),
                                    "Zoom in (CTRL-PLUS)");
    tools->Add(zoom_in_button, 0, centred, 5);
    zoom_out_button = toolbar_button(toolbar_panel, 1006, bitmap_zoom_out_32(), bitmap_zoom_out_hover_32(),
                                     "Zoom out (CTRL-MINUS)");
    tools->Add(zoom_out_button, 0, centred, 5);

    auto* zoom = new wxBoxSizer(wxVERTICAL);
    zoom->Add(0, 0, 1, wxEXPAND, 5);
    zoom_combo = new wxComboBox(toolbar_panel, 1011, tr("100%"), wxDefaultPosition, wxSize(80, 28), 0, nullptr,
                                wxTE_PROCESS_ENTER, wxDefaultValidator, "comboBox");
    zoom_combo->SetFont(form_font(wxFONTFAMILY_DEFAULT));
    zoom_combo->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    zoom_combo->SetBackgroundColour(toolbar_grey);
    zoom->Add(zoom_combo, 0, wxEXPAND, 5);
    zoom->Add(0, 0, 1, wxEXPAND, 5);
    tools->Add(zoom, 0, wxALIGN_CENTER_VERTICAL, 0);
    tools->Add(30, 0, 0, wxTOP, 10);

    colour_panel = new wxPanel(toolbar_panel, wxID_ANY, wxDefaultPosition, wxSize(28, 28), wxTAB_TRAVERSAL, "panel");
    colour_panel->SetBackgroundColour(wxColour(226, 226, 226));
    colour_panel->SetMaxSize(wxSize(28, 28));
    auto* colour = new wxBoxSizer(wxVERTICAL);
    colour->Add(0, 0, 1, wxEXPAND, 5);
    colour_button = new wxButton(colour_panel, 1012, wxString(), wxDefaultPosition, wxSize(-1, -1), wxBORDER_NONE,
                                 wxDefaultValidator, "button");
    colour_button->SetBackgroundColour(wxColour(0, 255, 0));
    colour_button->SetToolTip(tr("Document's background colour"));
    colour->Add(colour_button, 1, wxEXPAND | wxALL, 3);
    colour->Add(0, 0, 1, wxEXPAND, 5);
    colour_panel->SetSizer(colour, true);
    colour_panel->Layout();
    tools->Add(colour_panel, 0, centred, 5);
    tools->Add(30, 0, 0, wxEXPAND, 5);

    sign_panel_button = toolbar_button(toolbar_panel, 1010, sign_panel_picture(false, false),
                                       sign_panel_picture(true, false), "Sign panel (CTRL-K)");
    tools->Add(sign_panel_button, 0, centred, 5);
    tools->Add(5, 0, 0, wxEXPAND, 5);
    feedback_button = toolbar_button(toolbar_panel, 1013, bitmap_feedback_28(), bitmap_feedback_hover_28(),
                                     "Any suggestion?");
    tools->Add(feedback_button, 0, centred, 5);
    row->Add(tools, 1, wxEXPAND, 0);

    row->Add(0, 0, 1, wxEXPAND, 5);
    new_version_link = new wxt_hyperlink(toolbar_panel, wxID_ANY, tr("New Version !"), wxDefaultPosition,
                                         wxDefaultSize, 0, "staticText");
    new_version_link->Wrap(-1);
    new_version_link->SetFont(form_font(wxFONTFAMILY_DEFAULT, -1, wxFONTSTYLE_ITALIC, true));
    new_version_link->SetForegroundColour(wxColour(18, 194, 63));
    row->Add(new_version_link, 0, centred, 5);
    row->Add(30, 0, 0, wxEXPAND, 5);

    toolbar_panel->SetSizer(row, true);
    toolbar_panel->Layout();
    main_sizer->Add(toolbar_panel, 0, wxEXPAND, 0);

    const window_parts& parts = installed_window_parts();
    info_bar = parts.make_infobar(this, wxDefaultPosition, wxSize(-1, 42), wxEmptyString);
    info_bar->SetFont(form_font(wxFONTFAMILY_MODERN));
    info_bar->SetBackgroundColour(wxColour(188, 220, 246));
    main_sizer->Add(info_bar, 0, wxEXPAND, 0);

    main_book = new wxSimplebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxEmptyString);
    home_page = parts.make_homepage(main_book, "homepage");
    home_page->SetBackgroundColour(wxColour(50, 50, 50));
    home_page->Hide();
    main_book->AddPage(home_page, tr("home page"), false);

    content_panel = new wxPanel(main_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    content_panel->SetBackgroundColour(wxColour(0, 0, 0));
    auto* content = new wxBoxSizer(wxHORIZONTAL);
    const wxFont pane_font = form_font(wxFONTFAMILY_DEFAULT, -1, wxFONTSTYLE_NORMAL, false, "@Segoe UI");

    signatures_panel = parts.make_left_panel(content_panel, wxDefaultPosition, wxSize(200, -1), wxEmptyString);
    signatures_panel->SetFont(pane_font);
    signatures_panel->SetBackgroundColour(toolbar_grey);
    content->Add(signatures_panel, 0, wxEXPAND | wxALL, 0);

    left_expandbar = parts.make_expandbar(content_panel, wxID_ANY, wxDefaultPosition, wxSize(20, -1), wxTAB_TRAVERSAL,
                                   "expandbar-left");
    left_expandbar->SetFont(pane_font);
    left_expandbar->SetBackgroundColour(wxColour(51, 51, 51));
    left_expandbar->SetToolTip(tr("Signature details pane (CTRL-J)"));
    left_expandbar->SetMinSize(wxSize(20, -1));
    left_expandbar->SetMaxSize(wxSize(40, -1));
    content->Add(left_expandbar, 0, wxEXPAND, 0);

    auto* canvas = new wxBoxSizer(wxVERTICAL);
    page_view = parts.make_page_view(content_panel, wxPoint(0, 0), "page_glcanvas_base");
    gl_context = new wxGLContext(page_view);
    // Our handler is connected after the view's own, so it runs first.
    page_view->Bind(wxEVT_PAINT, &frame_base::on_first_view_paint, this);
    canvas->Add(page_view, 1, wxEXPAND | wxALL, 0);
    content->Add(canvas, 1, wxEXPAND, 5);

    right_expandbar = parts.make_expandbar(content_panel, wxID_ANY, wxDefaultPosition, wxSize(20, -1), wxTAB_TRAVERSAL,
                                    "expandbar-right");
    right_expandbar->SetFont(pane_font);
    right_expandbar->SetBackgroundColour(wxColour(51, 51, 51));
    right_expandbar->SetToolTip(tr("Sign panel (CTRL-K)"));
    right_expandbar->SetMinSize(wxSize(20, -1));
    right_expandbar->SetMaxSize(wxSize(40, -1));
    content->Add(right_expandbar, 0, wxEXPAND, 0);

    side_book = new wxSimplebook(content_panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxEmptyString);
    signing_panel = parts.make_sign_panel(side_book, wxID_ANY, wxDefaultPosition, wxSize(200, -1), wxTAB_TRAVERSAL,
                                   wxEmptyString);
    signing_panel->SetBackgroundColour(toolbar_grey);
    side_book->AddPage(signing_panel, tr("signpanel"), false);
    stamp_editor = parts.make_stamp_panel(side_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                   wxEmptyString);
    stamp_editor->SetBackgroundColour(toolbar_grey);
    side_book->AddPage(stamp_editor, tr("stamppanel"), false);
    content->Add(side_book, 1, wxEXPAND | wxALL, 5);

    content_panel->SetSizer(content, true);
    content_panel->Layout();
    content->Fit(content_panel);
    main_book->AddPage(content_panel, tr("content page"), false);
    main_sizer->Add(main_book, 1, wxEXPAND | wxALL, 0);

    SetSizer(main_sizer, true);
    Layout();
    SetBackgroundColour(wxColour(colour_red(theme_canvas_colour), colour_green(theme_canvas_colour),
                                 colour_blue(theme_canvas_colour)));
    Centre(wxBOTH);
    wire(true);
}

frame_base::~frame_base() {
    wire(false);
    page_view->Unbind(wxEVT_PAINT, &frame_base::on_first_view_paint, this);
    delete gl_context;
}

void frame_base::on_first_view_paint(wxPaintEvent& event) {
    if (page_view->IsShownOnScreen()) {
        gl_context->SetCurrent(*page_view);
        page_view->Unbind(wxEVT_PAINT, &frame_base::on_first_view_paint, this);
    }
    event.Skip();
}

void frame_base::wire(bool c) {
    form_link(c, this, wxEVT_ACTIVATE, wxActivateEventHandler(frame_base::on_activate));
    form_link(c, this, wxEVT_ACTIVATE_APP, wxActivateEventHandler(frame_base::on_activate_app));
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(frame_base::on_close));
    form_link(c, this, wxEVT_MOUSEWHEEL, wxMouseEventHandler(frame_base::on_mouse_wheel));
    form_link(c, this, wxEVT_MOVE, wxMoveEventHandler(frame_base::on_move));
    form_link(c, this, wxEVT_PAINT, wxPaintEventHandler(frame_base::on_paint));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(frame_base::on_size));
    form_link(c, home_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_home_page), this);
    form_link(c, document_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_document_page), this);
    form_link(c, open_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_open_document), this);
    form_link(c, previous_page_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_previous_page), this);
    form_link(c, next_page_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_next_page), this);
    form_link(c, page_text, wxEVT_TEXT_ENTER, wxCommandEventHandler(frame_base::on_page_number), this);
    form_link(c, fit_page_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_fit_page), this);
    form_link(c, fit_width_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_fit_width), this);
    form_link(c, fit_height_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_fit_height), this);
    form_link(c, zoom_in_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_zoom_in), this);
    form_link(c, zoom_out_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_zoom_out), this);
    form_link(c, zoom_combo, wxEVT_COMBOBOX, wxCommandEventHandler(frame_base::on_zoom_select), this);
    form_link(c, zoom_combo, wxEVT_COMBOBOX_CLOSEUP, wxCommandEventHandler(frame_base::on_zoom_closeup), this);
    form_link(c, zoom_combo, wxEVT_COMBOBOX_DROPDOWN, wxCommandEventHandler(frame_base::on_zoom_dropdown), this);
    form_link(c, zoom_combo, wxEVT_TEXT_ENTER, wxCommandEventHandler(frame_base::on_zoom_enter), this);
    form_link(c, colour_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_background_colour), this);
    form_link(c, sign_panel_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_sign_panel), this);
    form_link(c, feedback_button, wxEVT_BUTTON, wxCommandEventHandler(frame_base::on_feedback), this);
    form_link(c, new_version_link, wxEVT_LEFT_UP, wxMouseEventHandler(frame_base::on_new_version), this);
}
