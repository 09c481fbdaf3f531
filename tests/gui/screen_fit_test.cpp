// Every dialog on the screen and closed by Escape: a dialog whose content is
// taller than the display's work area scrolls inside it, a dialog centred on
// a smaller opener never starts above the screen, and each dialog with a
// Close button ends on Escape, modal or not. Long column titles fit their
// columns in English and Chinese, and at toolkit scale 2 buttons and list
// rows draw the doubled pictures.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/weakref.h>

#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/worker_flags.h"
#include "crypto/trust_list.h"
#include "dialogs/agreement_dlg.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "forms/pictures.h"
#include "gui/dialog_fixtures.h"
#include "gui/gui_harness.h"
#include "service/feedback_dlg.h"
#include "ui/certstore_panel.h"
#include "ui/donate_dlg.h"
#include "ui/trustmgr_panel.h"

namespace {

using namespace std::chrono_literals;
using dialog_test::make_result;
using dialog_test::new_chain;
using dialog_test::record_of;
using dialog_test::result_spec;
using dialog_test::shared_pki;
using gui_test::modal_result;
using gui_test::no_answer;

// A dialog with a Close button above content `content_height` pixels tall.
wxDialog* tall_dialog(int content_height) {
    auto* d = new wxDialog(nullptr, wxID_ANY, "tall", wxDefaultPosition, wxSize(400, 300));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* content = new wxPanel(d, wxID_ANY, wxDefaultPosition, wxSize(380, content_height));
    content->SetMinSize(wxSize(380, content_height));
    sizer->Add(content, 0, wxALL, 5);
    sizer->Add(new wxButton(d, wxID_CANCEL, "Close"), 0, wxALL, 5);
    d->SetSizer(sizer);
    return d;
}

TEST(screen_fit, content_taller_than_the_work_area_scrolls_inside_it) {
    auto* owner = new wxFrame(nullptr, wxID_ANY, "owner", wxPoint(0, 0), wxSize(300, 200));
    owner->Show();
    const wxRect area = display_client_area(owner);
    const int tall = area.height + 400;
    wxDialog* d = tall_dialog(tall);
    scale_dialog_to_screen(d);
    // Centred on an opener smaller than itself, as the signature properties
    // are centred on the main window: its top would be above the screen.
    d->CentreOnParent();
    d->Move(d->GetPosition().x, -200);
    d->Show();
    gui_test::settle(100ms);
    EXPECT_TRUE(area.Contains(d->GetScreenRect()));
    EXPECT_TRUE(gui_test::windows_off_the_screen().empty());
    wxWindow* scroller = fitted_scroller(d);
    ASSERT_NE(scroller, nullptr);
    // Everything is reachable by scrolling: the content and the Close button.
    EXPECT_GE(scroller->GetVirtualSize().y, tall);
    EXPECT_EQ(d->FindWindow(wxID_CANCEL)->GetParent(), scroller);
    EXPECT_TRUE(gui_test::layout_faults(d).empty());
    // Shown again after a move off the screen, it comes back.
    d->Hide();
    d->Move(area.GetRight() - 10, area.GetBottom() - 10);
    d->Show();
    gui_test::settle(50ms);
    EXPECT_TRUE(area.Contains(d->GetScreenRect()));
    d->Destroy();

    // A dialog that fits keeps its own layout.
    wxDialog* small = tall_dialog(100);
    scale_dialog_to_screen(small);
    small->Show();
    gui_test::settle(50ms);
    EXPECT_EQ(fitted_scroller(small), nullptr);
    small->Destroy();
    owner->Destroy();
    gui_test::settle(50ms);
}

void press_escape(wxDialog* d) {
    wxKeyEvent k(wxEVT_CHAR_HOOK);
    k.m_keyCode = WXK_ESCAPE;
    k.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(k);
}

TEST(screen_fit, escape_closes_every_dialog_with_a_close_button) {
    dialog_test::data_env env;
    ASSERT_TRUE(shared_pki().ok) << shared_pki().log;
    const x509ui leaf = record_of(shared_pki().f("leaf.pem"));
    const x509ui root = record_of(shared_pki().f("root.pem"));
    std::unique_ptr<cert_chain_ui> chain(new_chain({leaf, root}, certerr_not_trusted));
    result_spec spec;
    spec.with_timestamp = true;
    auto r = make_result(spec, leaf, root);
    X509* cert = nullptr;
    certstore_sumfile_entry* entry = nullptr;
    const struct {
        const char* name;
        std::function<wxDialog*()> make;
    } cases[] = {
        {"signature properties", [&] { return new sig_infodlg(nullptr, 0, r->result); }},
        {"certificate properties", [&] { return new cert_infodlg(nullptr, true, chain.get(), true, nullptr); }},
        {"signature status", [&] { return new simple_sigdlg(nullptr, r->result); }},
        {"make certificate", [&] { return new cert_makedlg(nullptr, &cert, &entry, nullptr); }},
        {"feedback", [] { return new feedback_dlg(nullptr); }},
        {"agreement", [] { return new agreement_dlg(nullptr, 1); }},
        {"donation", [] { return new donate_dlg(nullptr, wxID_ANY, "", wxDefaultPosition, wxSize(761, 600), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wxDialog* d = c.make();
        EXPECT_NE(modal_result(d, [d] { press_escape(d); }), no_answer);
        d->Destroy();
        gui_test::settle(20ms);
    }
    // The modeless signature properties (from the signature tree) are destroyed.
    wxWeakRef<wxDialog> modeless(new sig_infodlg(nullptr, 0, r->result));
    modeless->Show();
    gui_test::settle(50ms);
    press_escape(modeless.get());
    EXPECT_TRUE(gui_test::run_until([&] { return !modeless; }, 2s));
}

// The list and the column with this title inside a window, or nulls.
std::pair<wxDataViewCtrl*, wxDataViewColumn*> column_titled(wxWindow* root, const wxString& title) {
    for (wxWindow* child : root->GetChildren()) {
        if (auto* list = dynamic_cast<wxDataViewCtrl*>(child))
            for (unsigned i = 0; i < list->GetColumnCount(); ++i)
                if (list->GetColumn(i)->GetTitle() == title) return {list, list->GetColumn(i)};
        if (auto found = column_titled(child, title); found.first) return found;
    }
    return {nullptr, nullptr};
}

// The home pages and dialogs of these tests, on a frame of the main window's size.
struct page_host {
    page_host() : frame(new wxFrame(nullptr, wxID_ANY, "pages", wxPoint(0, 0), wxSize(1100, 760))) {
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
        trust_list_ready = true;
        trust_page_filled = false;
    }
    ~page_host() {
        frame->Destroy();
        gui_test::settle(50ms);
        gui_test::workers_idle();
        trust_list_ready = false;
    }
    template <class Page>
    Page* show(Page* page) {
        frame->GetSizer()->Add(page, 1, wxEXPAND);
        frame->Show();
        frame->Layout();
        gui_test::settle(50ms);
        return page;
    }
    trustmgr_panel* trust_page() {
        auto* page = show(new trustmgr_panel(frame));
        EXPECT_TRUE(gui_test::run_until([] { return trust_page_filled.load(); }, 10s));
        return page;
    }
    wxFrame* frame;
};

// A title shown whole needs its text (the header draws it bold) and the
// header's padding; "Trust Sour…" is what a narrower column shows.
TEST(screen_fit, long_column_titles_fit_their_default_widths_in_english_and_chinese) {
    dialog_test::data_env env;
    for (bool chinese : {false, true}) {
        std::unique_ptr<gui_test::chinese_interface> zh;
        if (chinese) {
            zh = std::make_unique<gui_test::chinese_interface>();
            ASSERT_TRUE(zh->loaded);
        }
        page_host host;
        const struct {
            const char* title;
            std::function<wxWindow*()> open;
        } cases[] = {
            {"Trust Source", [&]() -> wxWindow* { return host.trust_page(); }},
            {"Signature algorithm",
             [&]() -> wxWindow* {
                 auto* d = new sig_infodlg(host.frame, nullptr);
                 d->Show();
                 gui_test::settle(100ms);
                 return d;
             }},
        };
        for (const auto& c : cases) {
            const wxString title = wxGetTranslation(c.title);
            SCOPED_TRACE(title.utf8_string());
            wxWindow* window = c.open();
            const auto [list, column] = column_titled(window, title);
            ASSERT_NE(column, nullptr);
            const wxFont bold = list->GetFont().Bold();
            int text = 0;
            list->GetTextExtent(title, &text, nullptr, nullptr, nullptr, &bold);
            EXPECT_GE(column->GetWidth(), text + list->FromDIP(12)) << "text " << text;
        }
    }
}

// A picture's coverage, pixel by pixel (its alpha, 0 to 255).
struct coverage {
    int w = 0, h = 0;
    std::vector<unsigned char> a;
    unsigned char at(int x, int y) const { return a[size_t(y) * w + x]; }
    wxRect covered() const {
        wxRect box;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (at(x, y) > 0) box.Union(wxRect(x, y, 1, 1));
        return box;
    }
};

coverage coverage_of(const wxBitmap& picture) {
    const wxImage image = picture.IsOk() ? picture.ConvertToImage() : wxImage();
    if (!image.IsOk() || !image.HasAlpha()) return {};
    const int w = image.GetWidth(), h = image.GetHeight();
    return {w, h, std::vector<unsigned char>(image.GetAlpha(), image.GetAlpha() + size_t(w) * h)};
}

// How far two coverages are, aligned on their covered parts: 0 for the same
// picture, 255 when the covered parts differ in size.
int distance(const coverage& drawn, const coverage& wanted) {
    const wxRect a = drawn.covered(), b = wanted.covered();
    if (a.IsEmpty() || a.GetSize() != b.GetSize()) return 255;
    long total = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) total += std::abs(drawn.at(a.x + x, a.y + y) - wanted.at(b.x + x, b.y + y));
    return int(total / (long(a.width) * a.height));
}

// GTK's and cairo's own functions, looked up in the running process (wx
// brought them in; their headers are not needed for these few calls).
template <class Function>
Function* toolkit_function(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_DEFAULT, name));
}

// The device pixels GTK draws a labelled button's picture with. The picture
// is one colour over the button's background: how far a pixel is from the
// background, against the farthest one, is its coverage.
coverage drawn_picture(wxButton* button) {
    const auto get_image = toolkit_function<void*(void*)>("gtk_button_get_image");
    const auto scale_of = toolkit_function<int(void*)>("gtk_widget_get_scale_factor");
    const auto width_of = toolkit_function<int(void*)>("gtk_widget_get_allocated_width");
    const auto height_of = toolkit_function<int(void*)>("gtk_widget_get_allocated_height");
    const auto draw = toolkit_function<void(void*, void*)>("gtk_widget_draw");
    const auto new_surface = toolkit_function<void*(int, int, int)>("cairo_image_surface_create");
    const auto set_scale = toolkit_function<void(void*, double, double)>("cairo_surface_set_device_scale");
    const auto new_context = toolkit_function<void*(void*)>("cairo_create");
    const auto drop_context = toolkit_function<void(void*)>("cairo_destroy");
    const auto flush = toolkit_function<void(void*)>("cairo_surface_flush");
    const auto data_of = toolkit_function<unsigned char*(void*)>("cairo_image_surface_get_data");
    const auto stride_of = toolkit_function<int(void*)>("cairo_image_surface_get_stride");
    const auto drop_surface = toolkit_function<void(void*)>("cairo_surface_destroy");
    void* image = get_image(button->GetHandle());
    if (!image) return {};
    const int scale = scale_of(image);
    const int w = width_of(image) * scale, h = height_of(image) * scale;
    if (w <= 0 || h <= 0) return {};
    constexpr int argb32 = 0;
    void* surface = new_surface(argb32, w, h);
    set_scale(surface, scale, scale);
    void* cr = new_context(surface);
    draw(image, cr);
    drop_context(cr);
    flush(surface);
    const unsigned char* data = data_of(surface);
    const int stride = stride_of(surface);
    auto pixel = [&](int x, int y) { return reinterpret_cast<const uint32_t*>(data + y * stride)[x]; };
    auto apart = [](uint32_t p, uint32_t q) {
        int most = 0;
        for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((p >> shift) & 255) - int((q >> shift) & 255)));
        return most;
    };
    const uint32_t background = pixel(0, 0);
    int farthest = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) farthest = std::max(farthest, apart(pixel(x, y), background));
    coverage drawn{w, h, std::vector<unsigned char>(size_t(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) drawn.a[size_t(y) * w + x] = apart(pixel(x, y), background) * 255 / farthest;
    drop_surface(surface);
    return drawn;
}

// At GDK_SCALE=2 every logical pixel is two device pixels: the pictures the
// toolkit draws must be the doubled ones, or they come out blurred or small.
std::vector<std::string> doubled_picture_faults() {
    std::vector<std::string> faults;
    dialog_test::data_env env;
    page_host host;
    struct probe_trust : trustmgr_panel {
        using trustmgr_panel::trustmgr_panel;
        using trustmgr_base::add_trusted_button, trustmgr_base::distrust_button, trustmgr_base::reset_button,
            trustmgr_base::cert_list;
    };
    struct probe_store : certstore_panel {
        using certstore_panel::certstore_panel;
        using certstore_base::create_import_button, certstore_base::remove_button, certstore_base::refresh_button,
            certstore_base::cert_list;
    };
    auto* trust = static_cast<probe_trust*>(host.show(new probe_trust(host.frame)));
    gui_test::run_until([] { return trust_page_filled.load(); }, 10s);
    trust->cert_list->DeleteAllItems();
    trust_cert_info mine;
    mine.id = "mine";
    mine.sb = L"Mine";
    mine.usr = true;
    trust_cert_info approved = mine;
    approved.id = "approved";
    approved.usr = false;
    trust->append_row(mine);
    trust->append_row(approved);
    auto* store = host.show(new probe_store(host.frame));
    gui_test::run_until([store] { return store->create_import_button->IsEnabled(); }, 10s);
    certstore_sumfile_entry entry;
    entry.info.subject = L"Mine";
    store->add_row(entry);
    gui_test::settle(100ms);

    if (host.frame->GetContentScaleFactor() != 2.0) faults.push_back("the toolkit's scale is not 2");
    const struct {
        const char* what;
        wxButton* button;
        const wxBitmap& doubled;
    } buttons[] = {
        {"Add Trusted Certificate", trust->add_trusted_button, bitmap_plus_64()},
        {"Distrust Selected Certificate", trust->distrust_button, bitmap_minus_64()},
        {"Reset", trust->reset_button, bitmap_reset_64()},
        {"Create/Import", store->create_import_button, bitmap_plus_64()},
        {"Remove", store->remove_button, bitmap_minus_64()},
        {"Refresh", store->refresh_button, bitmap_refresh_64()},
    };
    for (const auto& b : buttons)
        if (const int d = distance(drawn_picture(b.button), coverage_of(b.doubled)); d > 4)
            faults.push_back(std::string(b.what) + ": drawn " + std::to_string(d) + " away from the doubled picture");
    auto row_picture = [](wxDataViewListCtrl* list, unsigned row, unsigned column) {
        wxVariant value;
        list->GetValue(value, row, column);
        wxDataViewIconText cell;
        cell << value;
        return cell.GetBitmapBundle().GetBitmapFor(list);
    };
    // A single picture would be enlarged to the same size, but blurred.
    const struct {
        const char* what;
        wxBitmap picture;
        const wxBitmap& doubled;
    } rows[] = {
        {"trust list: name", row_picture(trust->cert_list, 0, 1), bitmap_cert_card_56()},
        {"trust list: added by the user", row_picture(trust->cert_list, 0, 3), bitmap_person_56()},
        {"trust list: approved", row_picture(trust->cert_list, 1, 3), bitmap_puzzle_58x56()},
        {"certificate store: name", row_picture(store->cert_list, 0, 0), bitmap_certificate_64()},
    };
    for (const auto& r : rows)
        if (const int d = distance(coverage_of(r.picture), coverage_of(r.doubled)); d > 4)
            faults.push_back(std::string(r.what) + ": " + std::to_string(d) + " away from the doubled picture");
    return faults;
}

TEST(screen_fit, buttons_and_list_rows_draw_the_doubled_pictures_at_toolkit_scale_2) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* before = std::getenv("GDK_SCALE");
    const std::string saved = before ? before : "";
    // The child process runs this test again, its toolkit started at scale 2.
    setenv("GDK_SCALE", "2", 1);
    EXPECT_EXIT(
        {
            const std::vector<std::string> faults = doubled_picture_faults();
            for (const std::string& fault : faults) std::fprintf(stderr, "%s\n", fault.c_str());
            std::exit(faults.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    if (before)
        setenv("GDK_SCALE", saved.c_str(), 1);
    else
        unsetenv("GDK_SCALE");
}

}  // namespace
