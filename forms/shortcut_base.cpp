#include "forms/shortcut_base.h"

#include <wx/settings.h>
#include <wx/sizer.h>

#include "widgets/form_support.h"

namespace {

const wxColour page_grey(50, 50, 50);
const wxColour white(255, 255, 255);

// The cells of the table, created and added one by one, row by row.
class table_builder {
public:
    table_builder(wxWindow* parent, wxFlexGridSizer* grid) : parent(parent), grid(grid) {}

    // A static text; an empty text is created empty and untranslated, and
    // an invalid colour sets none.
    wxStaticText* text(const char* english, const wxColour& colour, int proportion, long flags,
                       const wxFont& font = wxNullFont) {
        const wxString label = *english ? tr(english) : wxString();
        auto* t = new wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, "staticText");
        t->Wrap(-1);
        if (font.IsOk()) t->SetFont(font);
        if (colour.IsOk()) t->SetForegroundColour(colour);
        grid->Add(t, proportion, flags, 5);
        return t;
    }

    // A read-only hot-key cell: selectable, not changeable.
    wxTextCtrl* hotkey(const char* english, long flags = wxALL) {
        auto* t = new wxTextCtrl(parent, wxID_ANY, tr(english), wxDefaultPosition, wxDefaultSize,
                                 wxTE_READONLY | wxBORDER_SIMPLE, wxDefaultValidator, "text");
        t->SetForegroundColour(white);
        t->SetBackgroundColour(page_grey);
        // The toolkit's default entry width cuts the longer keys ("CTRL-ARROW"):
        // widen such a cell to its text.
        // The entry's padding is only known once it is shown: allow two
        // characters for it.
        const int fitted = t->GetSizeFromTextSize(t->GetTextExtent(t->GetValue()).x).x + 2 * t->GetCharWidth();
        if (fitted > t->GetBestSize().x) t->SetMinSize(wxSize(fitted, -1));
        grid->Add(t, 1, flags, 5);
        return t;
    }

    void spacer(int height = 0) { grid->Add(0, height, 1, wxEXPAND, 5); }

private:
    wxWindow* parent;
    wxFlexGridSizer* grid;
};

}  // namespace

shortcut_base::shortcut_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                             const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    SetBackgroundColour(page_grey);
    auto* top = new wxBoxSizer(wxHORIZONTAL);

    table_panel = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 650), wxVSCROLL, "panel");
    table_panel->SetScrollRate(5, 5);
    table_panel->SetMinSize(wxSize(-1, 600));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->AddStretchSpacer(1);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(0, 100, 0, wxEXPAND, 5);
    auto* grid = new wxFlexGridSizer(0, 3, 5, 20);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);

    table_builder t(table_panel, grid);
    const wxColour none;
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    const wxColour group_colour = wxSystemSettings::GetColour(wxSYS_COLOUR_SCROLLBAR);
    const wxFont group_font = form_font(wxFONTFAMILY_MODERN, 9, wxFONTSTYLE_ITALIC);
    const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

    function_header_label = t.text("Function", white, 0, wxALL);
    hotkey_header_label = t.text("HotKey", white, 0, wxALL);
    mouse_header_label = t.text("Mouse", white, 0, wxALL);

    home_function_label = t.text("switch to Home page", white, 1, centred);
    home_hotkey_text = t.hotkey("CTRL-H", wxALL | wxALIGN_CENTER);
    home_mouse_label = t.text("", none, 0, wxALL);

    t.spacer(20);
    t.spacer();
    t.spacer();

    document_group_label = t.text("- below shortcuts when document is opened", group_colour, 1, centred, group_font);
    t.spacer();
    t.spacer();

    document_function_label = t.text("switch to document page", white, 1, wxALL);
    document_hotkey_text = t.hotkey("CTRL-D");
    document_mouse_label = t.text("", none, 0, wxALL);

    details_pane_function_label = t.text("expand/collapse signature details panel", white, 1, wxALL);
    details_pane_hotkey_text = t.hotkey("CTRL-J");
    details_pane_mouse_label = t.text("click left blank area out of page", white, 0, wxALL);

    sign_pane_function_label = t.text("expand/collapse signature sign panel", white, 1, wxALL);
    sign_pane_hotkey_text = t.hotkey("CTRL-K");
    sign_pane_mouse_label = t.text("click right blank area ouf of page", white, 0, wxALL);

    full_page_function_label = t.text("show full page", white, 1, wxALL);
    full_page_hotkey_text = t.hotkey("ALT-F");
    full_page_mouse_label = t.text("double click page", white, 0, wxALL);

    full_width_function_label = t.text("show full width of current page", white, 1, wxALL);
    full_width_hotkey_text = t.hotkey("ALT-W");
    full_width_mouse_label = t.text("", none, 0, wxALL);

    full_height_function_label = t.text("show full height of current page", highlight, 1, wxALL);
    full_height_hotkey_text = t.hotkey("ALT-H");
    full_height_mouse_label = t.text("", none, 0, wxALL);

    home_end_function_label = t.text("home/end page", highlight, 1, wxALL);
    home_end_hotkey_text = t.hotkey("HOME/END");
    home_end_mouse_label = t.text("", none, 0, wxALL);

    next_previous_function_label = t.text("next/previous page", highlight, 1, wxALL);
    next_previous_hotkey_text = t.hotkey("CTRL-N/P");
    next_previous_mouse_label = t.text("wheel switch when n pages", white, 0, wxALL);

    zoom_function_label = t.text("zoom in/out", highlight, 1, wxALL);
    zoom_hotkey_text = t.hotkey("CTRL-+/-");
    zoom_mouse_label = t.text("wheel zoom in/out when 1 page", white, 0, wxALL);

    edge_function_label = t.text("move page to edge", highlight, 1, wxALL);
    edge_hotkey_text = t.hotkey("CTRL-ARROW");
    t.spacer();

    t.spacer(20);
    t.spacer();
    t.spacer();

    signed_group_label =
        t.text("- below shortcuts when document is opened, and signed", group_colour, 1, wxALL, group_font);
    t.spacer();
    t.spacer();

    certificate_function_label = t.text("view certificate details", highlight, 1, wxALL);
    certificate_hotkey_text = t.hotkey("ALT-C", wxALL | wxEXPAND);
    certificate_mouse_label = t.text("", none, 0, wxALL);

    signature_function_label = t.text("view signature details", highlight, 1, wxALL);
    signature_hotkey_text = t.hotkey("ALT-S");
    signature_mouse_label = t.text("click visible signature in page", white, 0, wxALL);

    column->Add(grid, 0, wxEXPAND, 5);
    // Centred between two stretching spacers: as 8 of 10 parts the table
    // asked for a quarter more than its own width.
    row->Add(column, 0, wxEXPAND, 5);
    row->AddStretchSpacer(1);
    table_panel->SetSizer(row);
    table_panel->Layout();
    top->Add(table_panel, 1, wxALL | wxEXPAND, 5);
    SetSizer(top, true);
    Layout();
}

shortcut_base::~shortcut_base() = default;
