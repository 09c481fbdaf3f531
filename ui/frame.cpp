#include "ui/frame.h"
#include "app/diagnostics.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <regex>
#include <thread>

#include <wx/accel.h>
#include <wx/colordlg.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/tooltip.h>

#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "app/process_exit.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/trust_list.h"
#include "document/doc_base.h"
#include "document/doc_image.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "document/doc_text.h"
#include "document/doc_workers.h"
#include "document/file_types.h"
#include "document/pdf_conversion.h"
#include "document/sig_result.h"
#include "document/sigdata.h"
#include "forms/pictures.h"
#include "ui/dialog_calls.h"
#include "ui/expandbar.h"
#include "ui/homepage.h"
#include "ui/infobar.h"
#include "ui/left_panel.h"
#include "ui/page_glcanvas.h"
#include "ui/recent_panel.h"
#include "ui/sign_panel.h"
#include "ui/view_hooks.h"
#include "forms/stamp_panel_base.h"
#include "widgets/form_support.h"
#include "widgets/theme_bitmaps.h"
#include "widgets/wxt_hyperlink.h"

frame* main_frame = nullptr;
std::function<doc_base*(const std::wstring& path)> frame::document_maker;

namespace {

// The path the load worker reports; it reaches document_path on the main
// thread when the window handles the load's end.
std::mutex path_mutex;
std::wstring loaded_path;
// A copy of document_path for readers on other threads.
std::wstring shared_document_path;

wxString file_name_part(const std::wstring& path) { return wxFileName(wxString(path)).GetFullName(); }

wxString open_error_text(bool encrypted = false) {
    return tr("Open File Error") + tr(". ") +
           (encrypted ? tr("The document is encrypted and needs a password to open")
                      : tr("File type is unsupported, or file is damaged"));
}

int clamp_to_int(long long v) {
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

// Decimal digits from `pos`, clamped to the int range.
long long read_digits(const std::string& text, size_t pos, bool negative) {
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    return negative ? -value : value;
}

// The event's payload as it is stored, whatever its type (GetPayload needs
// the type up front and asserts on a wrong one).
struct payload_access : wxThreadEvent {
    static const wxAny& of(const wxThreadEvent& event) {
        constexpr auto member = &payload_access::m_payload;
        return event.*member;
    }
};

// A payload of a tag this window does not handle still belongs to it.
void free_payload(wxThreadEvent& event) {
    const wxAny& payload = payload_access::of(event);
    if (payload.CheckType<x509ui*>())
        delete payload.As<x509ui*>();
    else if (payload.CheckType<trust_cert_info*>())
        delete payload.As<trust_cert_info*>();
    else if (payload.CheckType<certstore_sumfile_entry*>())
        delete payload.As<certstore_sumfile_entry*>();
}

// The status of a field record that has no signer chain worth showing.
bool field_status_without_chain(int32_t status) {
    return status == 2 || status == 3 || status == 6 || status == 7 || status == -1;
}

}  // namespace

// ---- pure rules -------------------------------------------------------------

int parse_page_box(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    return clamp_to_int(read_digits(text, pos, negative));
}

bool parse_zoom_box(const std::string& text, int& zoom) {
    static const std::regex with_percent("^\\d+%$");
    static const std::regex digits_only("^\\d+\\d$");
    if (!std::regex_match(text, with_percent) && !std::regex_match(text, digits_only)) return false;
    zoom = clamp_to_int(read_digits(text, 0, false));
    return true;
}

fit_result fit_to_width(int view_w, int view_h, float page_w, float page_h) {
    // A degenerate page box would divide by zero: count it as one point.
    const int w = std::max(1, static_cast<int>(std::fabs(page_w)));
    const float h = std::max(1.0f, std::fabs(page_h));
    fit_result r{};
    r.zoom = static_cast<int>(static_cast<float>(view_w) / static_cast<float>(w) * 100.0f);
    r.page_width_px = view_w;
    r.page_height_px = static_cast<int>(h * static_cast<float>(r.zoom) / 100.0f);
    r.h_offset = 0;
    r.v_offset = (view_h - r.page_height_px) / 2;
    return r;
}

fit_result fit_to_height(int view_w, int view_h, float page_w, float page_h) {
    const float w = std::max(1.0f, std::fabs(page_w));
    const int h = std::max(1, static_cast<int>(std::fabs(page_h)));
    fit_result r{};
    r.zoom = static_cast<int>(static_cast<float>(view_h) / static_cast<float>(h) * 100.0f);
    r.page_height_px = view_h;
    r.page_width_px = static_cast<int>(w * static_cast<float>(r.zoom) / 100.0f);
    r.v_offset = 0;
    r.h_offset = (view_w - r.page_width_px) / 2;
    return r;
}

// ---- construction -------------------------------------------------------------

wxBEGIN_EVENT_TABLE(frame, frame_base)
    EVT_CHAR_HOOK(frame::on_char_hook)
    EVT_THREAD(wxID_ANY, frame::on_thread_event)
    EVT_DPI_CHANGED(frame::on_dpi_changed)
    EVT_DISPLAY_CHANGED(frame::on_display_changed)
wxEND_EVENT_TABLE()

frame::frame(const wxPoint& pos, const wxSize& size)
    : frame_base(nullptr, wxID_ANY, tr("Velkorant application"), pos, size, wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL) {
    main_frame = this;
    document_path.clear();
    {
        std::lock_guard<std::mutex> lock(path_mutex);
        shared_document_path.clear();
        loaded_path.clear();
    }
    wxPoint p = pos;
    wxSize s = size;
    place_main_window(this, p, s);
    setup_controls();
    Layout();
    SetDropTarget(new dndfiles(this));
    install_accelerators();

    document_services& services = doc_services();
    services.page_painted = [] { return page_canvas != nullptr && page_canvas->painted.load(); };
    services.set_main_document_path = [](const std::wstring& path) {
        std::lock_guard<std::mutex> lock(path_mutex);
        loaded_path = path;
    };
    services.main_document_path = [] {
        std::lock_guard<std::mutex> lock(path_mutex);
        return shared_document_path;
    };
    services.main_window = []() -> wxEvtHandler* { return main_frame; };
    connect_views();
}

frame::~frame() {
    disconnect_views();
    document_services& services = doc_services();
    services.page_painted = nullptr;
    services.set_main_document_path = nullptr;
    services.main_document_path = nullptr;
    services.main_window = nullptr;
    if (main_frame == this) main_frame = nullptr;
}

infobar* frame::info() { return static_cast<infobar*>(info_bar); }
homepage* frame::home() { return static_cast<homepage*>(home_page); }
left_panel* frame::signatures() { return static_cast<left_panel*>(signatures_panel); }
expandbar* frame::left_bar() { return static_cast<expandbar*>(left_expandbar); }
expandbar* frame::right_bar() { return static_cast<expandbar*>(right_expandbar); }
page_glcanvas* frame::canvas() { return static_cast<page_glcanvas*>(page_view); }
sign_panel* frame::signer() { return static_cast<sign_panel*>(signing_panel); }

void frame::setup_controls() {
    wxToolTip::SetDelay(1000);
    wxToolTip::SetReshow(1000);
    apply_hidpi_pictures();
    apply_theme();
    new_version_link->Hide();
    zoom_combo->Clear();
    for (int level : zoom_levels) zoom_combo->Append(wxString::Format("%d%%", level));
    zoom_combo->SetValue(wxEmptyString);
    zoom_combo->Hide();
    // doc_bgcolor is 0x..RRGGBB.
    colour_button->SetBackgroundColour(
        wxColour((doc_bgcolor >> 16) & 0xff, (doc_bgcolor >> 8) & 0xff, doc_bgcolor & 0xff));
    left_bar()->set_expanded(is_expand_left);
    right_bar()->set_expanded(is_expand_right);
    apply_sizes();
}

void frame::apply_hidpi_pictures() {
    if (screen_scale_percent >= 199) {
        const auto set = [](wxBitmapButton* b, const wxBitmap& normal, const wxBitmap& hover) {
            b->SetBitmap(normal, wxLEFT);
            b->SetBitmapFocus(hover);
            b->SetBitmapCurrent(hover);
        };
        set(home_button, bitmap_home_57x56(), bitmap_home_hover_57x56());
        set(document_button, bitmap_document_64(), bitmap_document_hover_64());
        set(open_button, bitmap_open_60(), bitmap_open_hover_60());
        set(previous_page_button, bitmap_previous_page_64(), bitmap_previous_page_hover_64());
        set(next_page_button, bitmap_next_page_64(), bitmap_next_page_hover_64());
        set(fit_page_button, bitmap_fit_page_56(), bitmap_fit_page_hover_56());
        set(fit_width_button, bitmap_fit_width_56(), bitmap_fit_width_hover_56());
        set(fit_height_button, bitmap_fit_height_56(), bitmap_fit_height_hover_56());
        set(zoom_in_button, bitmap_zoom_in_64(), bitmap_zoom_in_hover_64());
        set(zoom_out_button, bitmap_zoom_out_64(), bitmap_zoom_out_hover_64());
        set(sign_panel_button, sign_panel_picture(false, true), sign_panel_picture(true, true));
        set(feedback_button, bitmap_feedback_56(), bitmap_feedback_hover_56());
    }
    toolbar_panel->Layout();
}

void frame::apply_theme() {
    const wxColour text = is_dark_theme ? *wxWHITE : *wxBLACK;
    toolbar_panel->SetBackgroundColour(theme_window_colour);
    page_text->SetForegroundColour(text);
    page_text->SetBackgroundColour(theme_window_colour);
    page_count_label->SetForegroundColour(text);
    page_count_label->SetBackgroundColour(theme_window_colour);
    new_version_link->SetBackgroundColour(theme_window_colour);
    new_version_link->set_action_colour(ok_colour, true);
    for (wxBitmapButton* b : {home_button, document_button, open_button, previous_page_button, next_page_button,
                              fit_page_button, fit_width_button, fit_height_button, zoom_in_button, zoom_out_button,
                              feedback_button, sign_panel_button})
        theme_bitmap_button(b, theme_window_colour);
    zoom_combo->SetForegroundColour(text);
    zoom_combo->SetBackgroundColour(theme_window_colour);
    info_bar->SetForegroundColour(theme_text_colour);
    info_bar->SetBackgroundColour(theme_window_colour);
    home_page->SetBackgroundColour(theme_panel_colour);
    content_panel->SetBackgroundColour(theme_panel_colour);
    signatures_panel->SetBackgroundColour(theme_dialog_colour);
    signing_panel->SetBackgroundColour(theme_dialog_colour);
    stamp_editor->SetBackgroundColour(theme_dialog_colour);
    left_expandbar->SetBackgroundColour(theme_bar_colour);
    right_expandbar->SetBackgroundColour(theme_bar_colour);
}

void frame::apply_sizes() {
    const int s = screen_scale_percent;
    int index = wxDisplay::GetFromWindow(this);
    if (index == wxNOT_FOUND) index = 0;
    const wxRect area = wxDisplay(static_cast<unsigned>(index)).GetClientArea();
    const int min_w = area.width <= 1920 ? 2 * area.width / 3 : s * 1024 / 100;
    const int min_h = area.height <= 1080 ? area.height : s * 1000 / 100;
    SetMinSize(wxSize(min_w, min_h));

    toolbar_panel->SetMinSize(wxSize(-1, toolbar_panel->GetSize().y * s / 100));
    if (s >= 199) {
        const wxSize box = page_text->GetSize();
        page_text->SetMinSize(wxSize(box.x * s / 100, box.y * s / 130));
        wxFont font = page_text->GetFont();
        font.SetPointSize(font.GetPointSize() * s / 145);
        page_text->SetFont(font);
        wxFont label_font = page_count_label->GetFont();
        label_font.SetPointSize(label_font.GetPointSize() * s / 155);
        page_count_label->SetFont(label_font);
        page_count_label->SetMinSize(wxSize(page_count_label->GetSize().x * s / 100, -1));
    }
    colour_panel->SetMinSize(colour_panel->GetSize() * s / 100);

    signatures_panel->SetMinSize(wxSize(s * 400 / 100, -1));
    signatures_panel->SetMaxSize(wxSize(s * 400 / 100, -1));
    for (wxWindow* bar : {static_cast<wxWindow*>(left_expandbar), static_cast<wxWindow*>(right_expandbar)}) {
        bar->SetMinSize(wxSize(s * 20 / 100, -1));
        bar->SetMaxSize(wxSize(s * 20 / 100, -1));
    }
    side_book->SetMinSize(wxSize(s * 415 / 100, -1));
    side_book->SetMaxSize(wxSize(s * 415 / 100, -1));
    page_view->SetMinSize(wxSize(100, -1));
    toolbar_panel->Layout();
    signatures_panel->Layout();
    side_book->Layout();
    content_panel->Layout();
}

// ---- tool bar and pages ----------------------------------------------------------

bool frame::home_page_shown() const { return main_book->GetSelection() == 0; }

void frame::update_toolbar(bool home) {
    previous_page_button->Enable(!home);
    next_page_button->Enable(!home);
    const bool loaded = !home && current_document != nullptr && current_document->loaded;
    page_text->Enable(loaded);
    page_count_label->Enable(loaded);
    for (wxWindow* w : std::initializer_list<wxWindow*>{fit_page_button, fit_width_button, fit_height_button,
                                                        zoom_in_button, zoom_out_button, zoom_combo, colour_panel,
                                                        colour_button, sign_panel_button})
        w->Enable(!home);
    const bool offer_document = home && !document_path.empty();
    home_button->Show(!offer_document);
    document_button->Show(offer_document);
    toolbar_panel->Layout();
}

void frame::update_page_number() {
    page_count_label->Enable(true);
    page_text->Enable(true);
    const int count = current_document ? current_document->page_count.load() : 0;
    page_count_label->SetLabel(wxString::Format("/ %d", count));
    page_text->ChangeValue(wxString::Format("%d", canvas()->requested_page + 1));
}

void frame::show_content_page() {
    update_toolbar(false);
    main_book->SetSelection(1);
    left_expandbar->Show();
    right_expandbar->Show();
    signatures_panel->Show(is_expand_left);
    side_book->Show(is_expand_right);
    page_view->SetCanFocus(true);
    page_view->SetFocus();
    Layout();
}

void frame::go_to_home_page() {
    update_toolbar(true);
    info_bar->Hide();
    main_book->SetSelection(0);
    Layout();
}

void frame::show_home_page() { go_to_home_page(); }

void frame::SetTitle(const wxString& text) {
    const wxString name = tr("Velkorant");
    wxFrame::SetTitle(text.empty() ? name : text + " - " + name);
}

void frame::on_home_page(wxCommandEvent&) {
    if (home_page_shown()) {
        if (canvas()->painted) {
            info_bar->Show();
            show_content_page();
        }
    } else {
        go_to_home_page();
    }
}

void frame::on_document_page(wxCommandEvent&) {
    if (home_page_shown() && canvas()->painted) {
        info_bar->Show();
        show_content_page();
    } else {
        go_to_home_page();
    }
    Layout();
}

void frame::go_to_page(int value, bool absolute) {
    if (home_page_shown()) return;
    page_glcanvas* view = canvas();
    if (current_document != nullptr && current_document->page_count == 1) {
        page_text->ChangeValue("1");
        return;
    }
    int target;
    if (absolute) {
        target = value;
        if (target == view->page) return;
    } else {
        target = view->page + value;
    }
    view->go_to_page(target);
}

void frame::on_previous_page(wxCommandEvent&) { go_to_page(-1, false); }
void frame::on_next_page(wxCommandEvent&) { go_to_page(1, false); }

void frame::on_page_number(wxCommandEvent&) {
    const int number = parse_page_box(page_text->GetValue().ToStdString());
    // number - 1 without overflow at the bottom of the range
    go_to_page(number == INT_MIN ? INT_MIN : number - 1, true);
}

void frame::on_fit_page(wxCommandEvent&) {
    if (home_page_shown()) return;
    canvas()->fit_page();
    page_view->Refresh(false);
}

// Fit width and fit height differ only in the rule that sizes the page.
void frame::apply_fit(fit_result (*rule)(int, int, float, float)) {
    if (home_page_shown()) return;
    page_glcanvas* v = canvas();
    const fit_result r =
        rule(v->client_width, v->client_height, v->page_box.x1 - v->page_box.x0, v->page_box.y1 - v->page_box.y0);
    v->zoom = r.zoom;
    v->page_width_px = r.page_width_px;
    v->page_height_px = r.page_height_px;
    v->h_offset = r.h_offset;
    v->v_offset = r.v_offset;
    page_view->Refresh(false);
}

void frame::on_fit_width(wxCommandEvent&) { apply_fit(fit_to_width); }

void frame::on_fit_height(wxCommandEvent&) { apply_fit(fit_to_height); }

void frame::on_zoom_in(wxCommandEvent&) {
    if (home_page_shown()) return;
    canvas()->set_zoom(canvas()->painted_zoom + 15);
    page_view->Refresh(false);
}

void frame::on_zoom_out(wxCommandEvent&) {
    if (home_page_shown()) return;
    canvas()->set_zoom(canvas()->painted_zoom - 15);
    page_view->Refresh(false);
}

void frame::on_zoom_select(wxCommandEvent& event) {
    int zoom = 0;
    if (!parse_zoom_box(zoom_combo->GetValue().ToStdString(), zoom)) {
        event.Skip();
        return;
    }
    if (!GetScreenRect().Contains(wxGetMousePosition())) {
        canvas()->pointer_x = 0;
        canvas()->pointer_y = 0;
    }
    canvas()->set_zoom(zoom);
    page_view->Refresh(false);
}

void frame::on_zoom_enter(wxCommandEvent& event) { on_zoom_select(event); }

void frame::on_background_colour(wxCommandEvent&) {
    if (home_page_shown()) return;
    wxColourDialog dialog(this);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxColour c = dialog.GetColourData().GetColour();
    colour_button->SetBackgroundColour(c);
    doc_bgcolor = (static_cast<uint32_t>(c.Red()) << 16) | (static_cast<uint32_t>(c.Green()) << 8) | c.Blue();
    save_ui_status();
    page_view->Refresh(false);
}

void frame::on_sign_panel(wxCommandEvent&) {
    if (home_page_shown()) return;
    right_bar()->set_expanded(!side_book->IsShown());
}

void frame::on_feedback(wxCommandEvent&) { show_feedback(this); }

void frame::on_new_version(wxMouseEvent&) { show_version(this, 1); }

void frame::remember_geometry(const wxSize& size) {
    if (!is_rem_possize) return;
    const wxPoint p = GetPosition();
    frame_x = p.x;
    frame_y = p.y;
    frame_w = size.x;
    frame_h = size.y;
}

void frame::on_size(wxSizeEvent& event) {
    remember_geometry(event.GetSize());
    Layout();
}

void frame::on_move(wxMoveEvent&) {
    remember_geometry(GetSize());
    Layout();
}

// ---- opening and closing ----------------------------------------------------------

void frame::open_file(const std::wstring& path, int page) {
    // A signing reads the open document and reopens its output itself.
    if (doc_loading || doc_verifying || load_pending || doc_signing) return;
    const bool document = is_supported_document(wxString(path));
    try {
        close_document();
        if (!wxFileName::FileExists(wxString(path))) {
            info()->show_error(infobar_status_icon, tr("File is deleted or moved"));
            post_file_missing(path);
            clear_views();
        } else if (document) {
            load_document(path, page);
        } else {
            clear_views();
            open_by_content(path);
        }
        throw_succeed();
    } catch (const std::exception& ex) {
        SetTitle(file_name_part(path));
        if (!is_success_exception(ex)) {
            show_open_error();
        } else if (!document && wxFileName::FileExists(wxString(path))) {
            // Only an existing non-document hides the bar: a missing file
            // keeps its error line in view.
            info_bar->Hide();
        }
        show_content_page();
    }
}

void frame::close_document() {
    if (document_path.empty() || doc_signing) return;
    // Dialogs that read this document's results go first.
    if (dialog_calls().close_document_dialogs) dialog_calls().close_document_dialogs();
    document_lock lock(document_mutex);
    delete current_document;
    current_document = nullptr;
    document_path.clear();
    {
        std::lock_guard<std::mutex> guard(path_mutex);
        shared_document_path.clear();
    }
    canvas()->keep_zoom = canvas()->painted.load();
    canvas()->reset();
    SetTitle(wxEmptyString);
    info()->show_info(wxEmptyString, 0);
}

void frame::load_document(const std::wstring& path, int page) {
    const wxString wpath(path);
    SetTitle(file_name_part(path));
    add_recent_file(path);
    if (recent_page) recent_page->add_file(path);
    signatures_panel->Enable(false);
    canvas()->requested_page = page;
    {
        // A document whose load failed is still current: free it first.
        document_lock lock(document_mutex);
        delete current_document;
        current_document = nullptr;
        if (document_maker) {
            current_document = document_maker(path);
        } else if (is_pdf_file(wpath)) {
            current_document = new doc_pdfium();
        } else if (is_image_file(wpath)) {
            current_document = new doc_image();
        } else if (is_text_file(wpath)) {
            auto* text = new doc_text();
            text->set_text_layout(kTextFontPath, txt_font_style);
            current_document = text;
        }
    }
    info()->show_info(tr("Loading document"), infobar_busy);
    // Marked here, before the worker claims doc_loading, so that a second
    // open queued behind this one cannot replace the document under it.
    load_pending = true;
    try {
        start_counted_thread([this, path] { load_worker(this, path); });
    } catch (...) {
        load_pending = false;
        throw;
    }
}

void frame::show_open_dialog() {
    wxFileDialog dialog(this, tr("Open PDF / Image / Certificate"), wxEmptyString, wxEmptyString,
                        "pdf/txt/image/cer files (*.pdf, *.txt, *.jpg, *.cer, *.md, *.png, *.bmp, *.crt, *.asn)|"
                        "*.pdf;*.PDF;*.txt;*.TXT;*.jpg;*.JPG;*.cer;*.CER;*.md;*.MD;*.png;*.PNG;*.bmp;*.BMP;"
                        "*.crt;*.CRT;*.asn;*.ASN",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "filedlg");
    if (dialog.ShowModal() == wxID_CANCEL) return;
    open_file(dialog.GetPath().ToStdWstring(), 0);
}

void frame::on_open_document(wxCommandEvent&) {
    if (!doc_verifying) show_open_dialog();
}

void frame::open_by_content(const std::wstring& path) {
    const std::string utf8 = wxString(path).utf8_string();
    if (X509* cert = load_certificate_file(utf8.c_str())) {
        X509_free(cert);
        open_certificate_file(path);
        return;
    }
    auto* record = new sigdata_record();
    unsigned char* bytes = nullptr;
    uint32_t size = 0;
    bool parsed = false;
    if (file2buffw(path, &bytes, &size) && bytes != nullptr) parsed = parse_sigdata_any(bytes, size, *record);
    free(bytes);
    if (!parsed) {
        free_sigdata_record(record);
        throw_ex_fmt("%s(), parse asn failed: %s", "", utf8.c_str());
    }
    if (record->type == "dstn_unsup") {
        free_sigdata_record(record);
        return;
    }
    show_signature_file(this, record, file_name_part(path));
}

void frame::open_certificate_file(const std::wstring& path) {
    const std::string utf8 = wxString(path).utf8_string();
    X509* cert = load_certificate_file(utf8.c_str());
    if (cert == nullptr) throw_ex_fmt("%s(), parse cert failed: %s", "", utf8.c_str());
    cert_chain_ui chain;
    verify_certchain_ui(cert, chain);
    X509_free(cert);
    show_certificate_chain(this, chain, file_name_part(path), false);
}

void frame::show_open_error(bool encrypted) {
    info()->show_error(infobar_status_icon, open_error_text(encrypted));
    clear_views();
}

void frame::clear_views() {
    page_count_label->SetLabel(wxEmptyString);
    page_text->ChangeValue(wxEmptyString);
    page_count_label->Enable(false);
    page_text->Enable(false);
    signatures()->clear();
    canvas()->reset();
    canvas()->hold = true;
    page_view->Refresh(false);
}

void frame::post_file_missing(const std::wstring& path) {
    if (!is_supported_document(wxString(path)) || recent_page == nullptr) return;
    wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
    event.SetString(wxString(evt_delete));
    event.SetPayload(wxString(path));
    post_thread_event(recent_page, event);
}

bool dndfiles::OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) {
    try {
        if (frame_ != nullptr && !names.empty()) frame_->open_file(names[0].ToStdWstring(), 0);
        throw_succeed();
    } catch (const std::exception& ex) {
        if (!is_success_exception(ex) && frame_ != nullptr) frame_->info()->show_error(infobar_status_icon, open_error_text());
    }
    return true;
}

// ---- events, keyboard, shutdown ----------------------------------------------------------

void frame::on_thread_event(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_loadend) {
        load_pending = false;
        signatures_panel->Enable(true);
        if (current_document != nullptr && current_document->loaded) {
            {
                std::lock_guard<std::mutex> lock(path_mutex);
                document_path = loaded_path;
                shared_document_path = loaded_path;
            }
            canvas()->hold = false;
            page_view->Refresh(false);
            info()->show_info(tr("Verifying document"), infobar_busy);
            start_counted_thread([this] { verify_worker(this); });
        } else {
            show_open_error(event.GetInt() == load_end_encrypted);
        }
        page_view->SetCanFocus(true);
        page_view->SetFocus();
    } else if (tag == evt_newtip) {
        new_version_link->Show(newer_version_found());
        toolbar_panel->Layout();
    } else if (tag == evt_addtrust || tag == evt_deltrust) {
        if (canvas()->painted && current_document != nullptr && current_document->signed_num > 0)
            apply_trust_change(event);
        else
            free_payload(event);
    } else if (tag == evt_verifyend) {
        // The new results replace the document's here, on the main thread;
        // a set made for a document that is gone is dropped with the event.
        if (std::shared_ptr<sig_results> fresh = verified_results(event))
            if (current_document != nullptr) install_sig_results(*current_document, std::move(fresh));
        // A verification run after a trust change may end while the home page
        // is in view: the bar is updated but stays hidden there.
        info()->suppress_show = home_page_shown();
        info()->show_summary();
        info()->suppress_show = false;
        signatures()->build_tree();
        page_view->Refresh(false);
        signer()->on_verify_end();
    } else {
        free_payload(event);
    }
}

void frame::apply_trust_change(wxThreadEvent& event) {
    const bool added = event.GetString() == evt_addtrust;
    const wxAny& payload = payload_access::of(event);
    if (!payload.CheckType<x509ui*>()) {
        free_payload(event);
        return;
    }
    x509ui* cert = payload.As<x509ui*>();
    if (cert == nullptr) return;
    // A verification is under way: the results must not be touched while it
    // rebuilds them, and it may have read the trust list before the change.
    // A further run, which waits for the current one, gives the final verdict.
    bool reverify = doc_verifying.load();
    if (!reverify && current_document != nullptr)
        for (sig_result* result : current_document->topsigs) {
            if (result == nullptr) continue;
            if (added && result->chain_completed_by(*cert)) reverify = true;
            result->set_cert_trust(*cert, added);
        }
    delete cert;
    // A signing reopens and verifies its output when it ends; meanwhile the
    // document may be deleted under a verification started now.
    if (reverify && doc_signing) return;
    if (reverify) {
        // Also when the newly trusted certificate is the missing issuer of a
        // chain left broken: marking entries cannot repair it, verifying can.
        info()->suppress_show = home_page_shown();
        info()->show_info(tr("Verifying document"), infobar_busy);
        info()->suppress_show = false;
        start_counted_thread([this] { verify_worker(this); });
        return;
    }
    if (home_page_shown()) {
        info()->suppress_show = true;
        info()->show_summary();
        info()->suppress_show = false;
    } else {
        info()->show_summary();
    }
    signatures()->build_tree();
    page_view->Refresh(false);
}

namespace {

struct accelerator_key {
    int flags;
    int key;
    int id;
};

// Ctrl+"=" sits on the "+" key without Shift on most layouts, so it zooms in too.
const accelerator_key accelerator_keys[] = {
    {wxACCEL_CTRL, 'H', 1000}, {wxACCEL_CTRL, 'D', 1001}, {wxACCEL_CTRL, 'O', 1002}, {wxACCEL_CTRL, 'J', 1017},
    {wxACCEL_CTRL, 'K', 1010}, {wxACCEL_CTRL, 'P', 1003}, {wxACCEL_CTRL, 'N', 1004}, {wxACCEL_ALT, 'F', 1007},
    {wxACCEL_ALT, 'W', 1008},  {wxACCEL_ALT, 'H', 1009},  {wxACCEL_CTRL, '+', 1005}, {wxACCEL_CTRL, '-', 1006},
    {wxACCEL_CTRL, 'L', 1011}, {wxACCEL_CTRL, 'R', 1012}, {wxACCEL_ALT, 'S', 1015},  {wxACCEL_ALT, 'T', 1016},
    {wxACCEL_CTRL, '=', 1005},
};

}  // namespace

void frame::install_accelerators() {
    std::vector<wxAcceleratorEntry> entries;
    for (const accelerator_key& k : accelerator_keys) entries.emplace_back(k.flags, k.key, k.id);
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(entries.size()), entries.data()));
    // GTK delivers accelerators as menu events on the frame.
    Bind(wxEVT_MENU, &frame::on_menu_accelerator, this, 1000, 1017);
}

void frame::on_menu_accelerator(wxCommandEvent& event) {
    const int id = event.GetId();
    wxWindow* target = nullptr;
    if (id == 1015 || id == 1016 || id == 1017)
        target = info_bar->FindWindow(id);
    else
        target = toolbar_panel->FindWindow(id);
    if (target == nullptr) {
        event.Skip();
        return;
    }
    // The control acts as if clicked (the zoom box as if chosen from), even
    // when disabled or hidden: its handler makes its own checks.
    wxCommandEvent forwarded(id == 1011 ? wxEVT_COMBOBOX : wxEVT_BUTTON, id);
    forwarded.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(forwarded);
}

void frame::on_char_hook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_TAB) {
        if (home_page_shown() && event.GetModifiers() == wxMOD_CONTROL) {
            homepage* h = home();
            const auto& buttons = h->nav_buttons;
            if (!buttons.empty()) {
                auto it = std::find(buttons.begin(), buttons.end(), h->selected_button);
                size_t next = it == buttons.end() ? 0 : (static_cast<size_t>(it - buttons.begin()) + 1) % buttons.size();
                h->select_page(buttons[next]);
            }
        }
        event.Skip();
        return;
    }
    if (key == 'C' || key == 'c') {
        if (event.AltDown() && !home_page_shown() && !document_busy()) {
            doc_base* doc = current_document;
            if (doc != nullptr && !document_path.empty() && doc->signed_num > 0 && !doc->topsigs.empty()) {
                sig_result* first = doc->topsigs.front();
                // A result without a chain (or an empty one) has nothing to show.
                if (first != nullptr && first->record != nullptr && !field_status_without_chain(first->record->status) &&
                    first->signer_chain != nullptr && !first->signer_chain->empty())
                    show_certificate_chain(this, *first->signer_chain, wxEmptyString, true);
            }
            event.StopPropagation();
            return;
        }
        event.Skip();
        return;
    }
    if (!home_page_shown()) {
        wxWindow* focus = wxWindow::FindFocus();
        bool elsewhere = focus != page_view && focus != page_text && focus != zoom_combo;
        wxWindow* ancestor = focus ? focus->GetParent() : nullptr;
        for (int level = 0; elsewhere && ancestor != nullptr && level < 8; ++level, ancestor = ancestor->GetParent())
            if (ancestor == signatures_panel || ancestor == side_book) elsewhere = false;
        if (elsewhere && focus != nullptr && (focus == signatures_panel || focus == side_book)) elsewhere = false;
        if (elsewhere) {
            page_view->SetCanFocus(true);
            page_view->SetFocus();
            canvas()->on_key(event);
        }
    }
    event.Skip();
}

void frame::on_dpi_changed(wxDPIChangedEvent&) {}
void frame::on_display_changed(wxDisplayChangedEvent&) {}

void frame::on_close(wxCloseEvent&) {
    SetTitle(tr("exiting"));
    diag_print("\n %s", "begin: exit all threads");
    std::fflush(stdout);
    // Every counted wait also ends on the stop flag; the limit only guards
    // against a worker stuck in a task that cannot be interrupted.
    stop_and_wait_workers();
    diag_print("\n %s", "end: exit all threads");
    std::fflush(stdout);
    run_exit_handler();
    final_exit();
}
