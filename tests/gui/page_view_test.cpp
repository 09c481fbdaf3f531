// The page view: its drawing helpers, its geometry and input decisions
// without OpenGL (fit, offsets on page turns, rotation, matrices, zoom and
// scroll steps, the stamp rectangle), and with OpenGL the pixels it draws:
// a page with a red square and the cross over an invalid signature. The
// gallery gets a corpus PDF in the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <atomic>

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/sizer.h>

#include "app/settings.h"
#include "app/text_utils.h"
#include "app/worker_flags.h"
#include "document/doc_pdfium.h"
#include "document/pdf_layer.h"
#include "gui/fake_document.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/gl_draw.h"
#include "ui/page_glcanvas.h"
#include "ui/page_view_model.h"
#include "ui/view_hooks.h"

namespace {

// ---------------------------------------------------------------- helpers

// The options and hooks the view reads, restored after each test.
class view_options {
public:
    view_options() : full(is_zoom_fullpage), w(is_zoom_auto_w), h(is_zoom_auto_h), right(is_expand_right),
                     mark(is_addverifyicon), hooks(the_view_hooks()) {
        is_zoom_fullpage = true;
        is_zoom_auto_w = is_zoom_auto_h = false;
        is_expand_right = false;
        is_addverifyicon = true;
    }
    ~view_options() {
        is_zoom_fullpage = full;
        is_zoom_auto_w = w;
        is_zoom_auto_h = h;
        is_expand_right = right;
        is_addverifyicon = mark;
        the_view_hooks() = hooks;
    }

private:
    bool full, w, h, right, mark;
    view_hooks hooks;
};

// A model that counts its repaint requests.
struct model : page_view_model {
    int repaints = 0;
    void repaint() override { ++repaints; }
    // What a paint does to the state: prepare a turned page, then commit.
    void paint() {
        if (page != requested_page) prepare_page();
        commit_painted(0xFFFFFF);
        update_view_matrices(painted_h_offset, painted_v_offset);
    }
};

void expect_rect(const gl_rect& r, float x0, float y0, float x1, float y1, float tol = 0.01f) {
    EXPECT_NEAR(r.x0, x0, tol);
    EXPECT_NEAR(r.y0, y0, tol);
    EXPECT_NEAR(r.x1, x1, tol);
    EXPECT_NEAR(r.y1, y1, tol);
}

// ---------------------------------------------------------------- drawing helpers

TEST(gl_draw, rect_by_matrix_scales_flips_and_bounds_rotations) {
    expect_rect(rect_by_matrix({10, 20, 30, 40}, {2, 0, 0, -1, 5, 100}), 25, 60, 65, 80);
    // An unnormalised rectangle comes back unchanged whatever the matrix.
    const gl_rect odd{30, 20, 10, 40};
    EXPECT_TRUE(rect_by_matrix(odd, {0, 1, -1, 0, 7, 9}) == odd);
    // A quarter turn: the bounding box of the four corners.
    expect_rect(rect_by_matrix({10, 20, 30, 40}, {0, 1, -1, 0, 0, 0}), -40, 10, -20, 30);
}

TEST(gl_draw, texture_limit_line_only_above_8192) {
    EXPECT_EQ(texture_limit_message(8192, 8192), "");
    EXPECT_EQ(texture_limit_message(8193, 10), "\n texture size (8193 x 10) exceeds implementation limit (8192)");
}

TEST(gl_draw, pictures_to_rgba_and_scaled_to_a_box) {
    wxImage rgb(3, 2);
    rgb.SetRGB(2, 1, 10, 20, 30);
    unsigned char* p = image_to_rgba(rgb);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p[i * 4 + 3], 255) << i;
    EXPECT_EQ(p[5 * 4 + 0], 10);
    EXPECT_EQ(p[5 * 4 + 2], 30);
    free(p);
    EXPECT_EQ(image_to_rgba(wxImage()), nullptr);

    EXPECT_EQ(scaled_fit_size(200, 100, 150, 150), wxSize(150, 75));
    EXPECT_EQ(scaled_fit_size(100, 200, 150, 150), wxSize(75, 150));
    EXPECT_EQ(scaled_fit_size(0, 0, 150, 150), wxSize(0, 0));

    testsupport::scratch_dir dir;
    const std::string png = dir.file("wide.png");
    ASSERT_TRUE(wxImage(200, 100).SaveFile(wxString::FromUTF8(png), wxBITMAP_TYPE_PNG));
    std::unique_ptr<wxBitmap> b(load_scaled_bitmap(wxString::FromUTF8(png), 150, 150));
    ASSERT_TRUE(b->IsOk());
    EXPECT_EQ(b->GetSize(), wxSize(150, 75));
    std::unique_ptr<wxBitmap> missing(load_scaled_bitmap(wxString::FromUTF8(dir.file("gone.png")), 150, 150));
    EXPECT_FALSE(missing->IsOk());
}

// ---------------------------------------------------------------- geometry

TEST(page_geometry, first_page_fits_and_a_turn_keeps_the_fit_or_the_zoom) {
    view_options options;
    fake_document doc({{612, 792}, {792, 612}, {612, 792}});
    current_document_scope scope(&doc);
    model m;
    m.handle_size(800, 600, 800, 600);
    m.paint();
    EXPECT_EQ(m.zoom, 75);  // int(600 / 792 * 100)
    EXPECT_EQ(m.page_height_px, 600);
    EXPECT_EQ(m.page_width_px, 459);
    EXPECT_EQ(m.h_offset, 170);
    EXPECT_EQ(m.v_offset, 0);
    expect_rect(m.page_view_rect, 170, 0, 629, 600);

    // A page of another shape stays fitted: the page before was fitted.
    m.go_to_page(1);
    m.paint();
    EXPECT_EQ(m.zoom, 98);  // int(600 / 612 * 100)
    EXPECT_EQ(m.page_height_px, 600);

    // Once zoomed, a turn keeps the zoom.
    m.set_zoom(200);
    m.paint();
    m.go_to_page(2);
    m.paint();
    EXPECT_EQ(m.zoom, 200);
    EXPECT_EQ(m.page_width_px, 1224);
    EXPECT_EQ(m.page_height_px, 1584);
}

TEST(page_geometry, turning_one_page_shows_the_top_or_the_bottom_and_a_jump_keeps_the_offset) {
    view_options options;
    fake_document doc(std::vector<fake_document::page_spec>(6, {612, 792}));
    current_document_scope scope(&doc);
    model m;
    m.handle_size(800, 600, 800, 600);
    m.paint();
    m.set_zoom(200);
    m.paint();
    m.go_to_page(1);  // forward: the top of the next page
    m.paint();
    EXPECT_EQ(m.v_offset, 600 - 1584);
    m.go_to_page(0);  // back: the bottom of the previous page
    m.paint();
    EXPECT_EQ(m.v_offset, 0);
    m.v_offset = -300;
    m.paint();
    m.go_to_page(4);  // a jump keeps the vertical offset
    m.paint();
    EXPECT_EQ(m.v_offset, -300);
    // Past either end only clears the highlight and repaints.
    m.highlight = true;
    const int before = m.repaints;
    m.go_to_page(99);
    EXPECT_EQ(m.requested_page, 5);
    m.paint();
    m.highlight = true;
    m.go_to_page(7);
    EXPECT_FALSE(m.highlight);
    EXPECT_EQ(m.requested_page, 5);
    EXPECT_GT(m.repaints, before);
}

TEST(page_geometry, matrices_invert_and_rotated_stamp_round_trips) {
    view_options options;
    fake_document doc({{792, 612}});  // a portrait page shown turned by 90 degrees
    current_document_scope scope(&doc);
    model m;
    m.handle_size(1000, 800, 1000, 800);
    m.paint();
    // page_to_view then view_to_page is the identity.
    const gl_rect pts{100, 200, 300, 400};
    const gl_rect back = rect_by_matrix(rect_by_matrix(pts, m.page_to_view), m.view_to_page);
    expect_rect(back, 100, 200, 300, 400, 0.05f);
    EXPECT_FLOAT_EQ(m.view_to_page_pixels.e, -m.page_to_view.e);
    EXPECT_FLOAT_EQ(m.view_to_page_pixels.f, -m.page_to_view.f);

    // A stamp drawn at the displayed page's top-left corner lands at the
    // unrotated page's bottom-left corner, and comes back as drawn.
    const gl_rect drawn{m.page_view_rect.x0, m.page_view_rect.y0, m.page_view_rect.x0 + 120,
                        m.page_view_rect.y0 + 60};
    const gl_rect page_pts = m.view_rect_to_page(drawn, 90);
    EXPECT_NEAR(page_pts.x0, 0, 0.05);
    EXPECT_NEAR(page_pts.y0, 0, 0.05);
    EXPECT_GT(page_pts.x1, 0);
    EXPECT_GT(page_pts.y1, page_pts.x1);  // 60 px high and 120 px wide on screen: turned
    expect_rect(m.page_rect_to_view(page_pts, 90), drawn.x0, drawn.y0, drawn.x1, drawn.y1, 0.05f);
    for (int r : {180, 270})
        expect_rect(m.page_rect_to_view(m.view_rect_to_page(drawn, r), r), drawn.x0, drawn.y0, drawn.x1, drawn.y1,
                    0.05f);
}

TEST(page_geometry, zoom_never_goes_below_the_fit_and_never_wraps) {
    view_options options;
    fake_document doc({{4600, 6100}, {4600, 6100}});
    current_document_scope scope(&doc);
    model m;
    m.handle_size(800, 800, 800, 800);
    m.paint();
    EXPECT_EQ(m.zoom, 13);
    // Zoom out of a page that fits at 13 %: 13 - 15 is below zero.
    m.set_zoom(m.painted_zoom - page_view_model::zoom_step);
    EXPECT_EQ(m.zoom, 13);
    for (int p : {0, -1, INT_MIN, 5, 12}) {
        m.set_zoom(p);
        EXPECT_EQ(m.zoom, 13) << p;
    }
    m.set_zoom(200);
    EXPECT_EQ(m.zoom, 200);
    EXPECT_EQ(m.h_offset, (800 - 9200) / 2);  // centred
    EXPECT_EQ(m.v_offset, (800 - 12200) / 2);
    // A page of no size cannot be fitted: nothing divides by zero.
    fake_document empty({{0, 0}});
    current_document_scope none(&empty);
    model z;
    z.handle_size(800, 600, 800, 600);
    z.paint();
    z.set_zoom(-15);
    z.update_view_matrices(0, 0);
    EXPECT_TRUE(std::isfinite(z.page_to_view.a));
    EXPECT_TRUE(std::isfinite(z.view_to_page.a));
}

TEST(page_input, zoom_steps_of_wheel_keys_and_double_click) {
    view_options options;
    fake_document one({{612, 792}});
    current_document_scope scope(&one);
    model m;
    m.handle_size(800, 600, 800, 600);
    m.paint();
    m.handle_wheel(true, true, false, false, true);  // Ctrl + wheel
    EXPECT_EQ(m.zoom, 90);
    m.paint();
    m.handle_wheel(true, false, false, false, true);  // one page: the plain wheel zooms
    EXPECT_EQ(m.zoom, 105);
    m.paint();
    m.handle_key(WXK_NUMPAD_SUBTRACT, false, false, false);
    EXPECT_EQ(m.zoom, 90);
    m.paint();
    m.handle_key(WXK_NUMPAD_SUBTRACT, false, false, false);  // 75 is the fit
    m.paint();
    m.handle_key(WXK_NUMPAD_SUBTRACT, false, false, false);
    EXPECT_EQ(m.zoom, 75);
    // A wheel turn over another window is ignored.
    m.handle_wheel(true, true, false, false, false);
    EXPECT_EQ(m.zoom, 75);
    // Double click toggles one and a half times the fit and the fit.
    m.pointer_x = 400;
    m.pointer_y = 300;
    m.handle_dclick();
    EXPECT_EQ(m.zoom, 112);
    m.paint();
    m.handle_dclick();
    EXPECT_EQ(m.zoom, 75);
}

TEST(page_input, scroll_steps_follow_the_zoom_and_turn_pages_at_the_ends) {
    view_options options;
    fake_document doc(std::vector<fake_document::page_spec>(10, {612, 792}));
    current_document_scope scope(&doc);
    model m;
    m.handle_size(800, 600, 800, 600);
    m.paint();
    m.set_zoom(150);
    m.paint();
    EXPECT_EQ(m.scroll_step_pixels(), 18);
    const int top = 600 - m.page_height_px;
    m.v_offset = top;
    m.paint();
    m.handle_wheel(false, false, false, false, true);  // one notch down: 54 pixels
    EXPECT_EQ(m.v_offset, top + 54);
    m.paint();
    m.handle_key(WXK_DOWN, false, false, false);
    EXPECT_EQ(m.v_offset, top + 72);

    // Down at the bottom of page 3 shows the top of page 4; Up at its top
    // shows the bottom of page 3.
    m.go_to_page(2);
    m.paint();
    m.v_offset = 0;
    m.paint();
    m.handle_key(WXK_DOWN, false, false, false);
    EXPECT_EQ(m.requested_page, 3);
    m.paint();
    EXPECT_EQ(m.v_offset, top);
    m.handle_key(WXK_UP, false, false, false);
    EXPECT_EQ(m.requested_page, 2);
    m.paint();
    EXPECT_EQ(m.v_offset, 0);

    // The vertical bar of a many-page document counts pages.
    m.handle_vscroll(page_view_model::scroll_kind::thumb_track, 7, 10, 1);
    EXPECT_EQ(m.requested_page, 7);
    m.paint();

    // Below 100 % a step is 0: the keys only turn pages at the ends.
    m.set_zoom(99);
    m.paint();
    EXPECT_EQ(m.scroll_step_pixels(), 0);
    m.handle_key(WXK_END, false, false, false);
    EXPECT_EQ(m.requested_page, 9);
}

// Placing mode: the signing pane is open with a visible stamp selected.
class placing : public ::testing::Test {
protected:
    void SetUp() override {
        is_expand_right = true;
        the_view_hooks().visible_stamp_selected = [] { return true; };
        m.handle_size(800, 600, 800, 600);
        m.paint();
        m.set_zoom(100);  // 612 x 792 at 100 %: from (94, ...) across the view
        m.v_offset = 600 - m.page_height_px;
        m.paint();
    }
    void drag(int x0, int y0, int x1, int y1, int pw, int ph) {
        m.pointer_x = x0;
        m.pointer_y = y0;
        m.handle_motion(true);
        m.pointer_x = x1;
        m.pointer_y = y1;
        m.fit_stamp_to_drag(pw, ph);
    }
    view_options options;
    fake_document doc{{{612, 792}}};
    current_document_scope scope{&doc};
    model m;
};

TEST_F(placing, drag_keeps_the_picture_proportions_from_the_anchor) {
    ASSERT_TRUE(m.placing_mode());
    drag(200, 100, 400, 150, 200, 100);
    expect_rect(m.stamp_rect, 200, 100, 400, 200);
    m.clear_stamp();
    drag(400, 300, 200, 250, 200, 100);  // up and to the left: the anchor is the lower-right corner
    expect_rect(m.stamp_rect, 200, 200, 400, 300);
}

TEST_F(placing, drag_and_move_stop_at_the_page_edge) {
    drag(200, 100, 400, 150, 200, 100);
    const gl_rect good = m.stamp_rect;
    m.pointer_x = 900;  // beyond the page's right edge (706)
    m.fit_stamp_to_drag(200, 100);
    EXPECT_TRUE(m.stamp_rect == good);
    EXPECT_LE(m.stamp_rect.x1, m.page_view_rect.x1);

    m.drawing = false;
    m.pointer_x = 250;
    m.pointer_y = 150;
    m.handle_motion(true);  // inside the rectangle: a move begins
    ASSERT_TRUE(m.moving);
    m.pointer_x = 300;
    m.move_stamp();
    expect_rect(m.stamp_rect, 250, 100, 450, 200);
    m.pointer_x = 800;  // would leave the page: it stays at the last place inside
    m.move_stamp();
    expect_rect(m.stamp_rect, 250, 100, 450, 200);
}

TEST_F(placing, a_picture_of_no_size_draws_no_rectangle_and_a_locked_document_none_at_all) {
    drag(200, 100, 400, 150, 0, 0);
    EXPECT_TRUE(m.stamp_rect.degenerate());
    fake_document::signature_spec locked;
    locked.locked = 1;
    doc.set_signatures({locked});
    EXPECT_FALSE(m.placing_mode());
    EXPECT_TRUE(document_locked_for_signing(&doc));
}

// ---------------------------------------------------------------- drawn pixels

// A frame holding one page view with its own GL context.
class view_window {
public:
    explicit view_window(const wxSize& size = wxSize(600, 500)) {
        frame = new wxFrame(nullptr, wxID_ANY, "page view", wxPoint(0, 0), size);
        view = new page_glcanvas(frame, wxDefaultPosition, "page_glcanvas_base");
        view->use_own_context();
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(view, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        frame->Layout();
    }
    ~view_window() {
        frame->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
    }
    // Paints until a page is painted; false when no GL is available.
    bool paint() {
        view->hold = false;
        view->Refresh(false);
        return gui_test::run_until([&] { return view->painted.load(); }, std::chrono::seconds(5));
    }
    // The frame's pixels at the given view pixels, read back as drawn.
    std::vector<unsigned char> read(int x, int y, int w = 1, int h = 1) {
        std::vector<unsigned char> out;
        bool done = false;
        view->before_swap = [&] {
            out = view->read_frame(x, y, w, h);
            done = true;
        };
        view->Refresh(false);
        gui_test::run_until([&] { return done; }, std::chrono::seconds(5));
        view->before_swap = nullptr;
        return out;
    }
    wxFrame* frame;
    page_glcanvas* view;
};

TEST(page_view_pixels, a_red_square_on_a_white_page_over_the_view_colour) {
    view_options options;
    fake_document doc({{400, 400}});
    doc.square = {0.25f, 0.25f, 0.75f, 0.75f, 0xFF0000};
    current_document_scope scope(&doc);
    view_window w;
    ASSERT_TRUE(w.paint()) << "no page painted: is GLX available on the display?";
    const gl_rect page = w.view->page_view_rect;
    ASSERT_FALSE(page.degenerate());
    const int cx = (int)((page.x0 + page.x1) / 2), cy = (int)((page.y0 + page.y1) / 2);
    auto centre = w.read(cx, cy);
    ASSERT_EQ(centre.size(), 4u);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(centre[2], 0);
    auto corner = w.read((int)page.x0 + 3, (int)page.y0 + 3);
    EXPECT_EQ(corner[0], 255);
    EXPECT_EQ(corner[1], 255);
    EXPECT_EQ(corner[2], 255);
    if (page.x0 >= 2) {
        auto outside = w.read(1, cy);
        EXPECT_EQ(outside[0], 150);  // the light theme's view colour
    }
    EXPECT_EQ(doc.render_calls, 1);
    EXPECT_EQ(doc.last_render_w, w.view->page_width_px);
}

TEST(page_view_pixels, an_invalid_signature_gets_the_red_cross_and_a_failed_render_only_the_background) {
    view_options options;
    fake_document doc({{400, 400}});
    fake_document::signature_spec bad;
    bad.status = 4;  // modified
    bad.rect[0] = 100;
    bad.rect[1] = 100;
    bad.rect[2] = 300;
    bad.rect[3] = 300;
    doc.set_signatures({bad});
    current_document_scope scope(&doc);
    view_window w;
    ASSERT_TRUE(w.paint());
    const gl_rect v = w.view->page_rect_to_view({100, 100, 300, 300}, 0);
    const int x0 = (int)v.x0, y0 = (int)v.y0, side = (int)(v.x1 - v.x0);
    auto pixels = w.read(x0, y0, side, side);
    ASSERT_EQ(pixels.size(), (size_t)side * side * 4);
    // Red along the diagonals, white between them.
    int red_on_diagonal = 0;
    for (int i = side / 4; i < side * 3 / 4; ++i) {
        const unsigned char* p = &pixels[((size_t)i * side + i) * 4];
        if (p[0] > 150 && p[1] < 100 && p[2] < 100) ++red_on_diagonal;
    }
    EXPECT_GT(red_on_diagonal, side / 4);
    const unsigned char* between = &pixels[((size_t)(side / 2) * side + 2) * 4];
    EXPECT_GT(between[1], 200);

    // While verification runs no cross is drawn.
    doc_verifying = true;
    auto during = w.read(x0 + side / 2, y0 + side / 2);
    doc_verifying = false;
    EXPECT_GT(during[1], 200);

    // A render that throws leaves the record empty: the view colour shows.
    doc.render_throws = true;
    w.view->zoom_to(w.view->painted_zoom + 30);
    auto after = w.read(2, 2);  // on the page, away from the signature
    EXPECT_EQ(w.view->page_texture.texture_id, 0u);
    EXPECT_EQ(after[0], 150);
}

// Only the vertical wheel axis scrolls and turns pages: a sideways wheel or a
// touch-pad swipe that reaches the view leaves it where it is.
TEST(page_view_pixels, a_sideways_wheel_neither_scrolls_nor_turns_pages) {
    view_options options;
    fake_document doc(std::vector<fake_document::page_spec>(3, {400, 400}));
    current_document_scope scope(&doc);
    view_window w;
    ASSERT_TRUE(w.paint());
    w.view->WarpPointer(w.view->GetClientSize().x / 2, w.view->GetClientSize().y / 2);
    gui_test::settle(std::chrono::milliseconds(50));
    auto wheel = [&](wxMouseWheelAxis axis) {
        wxMouseEvent e(wxEVT_MOUSEWHEEL);
        e.m_wheelAxis = axis;
        e.m_wheelRotation = -120;
        e.m_wheelDelta = 120;
        e.SetEventObject(w.view);
        w.view->GetEventHandler()->ProcessEvent(e);
    };
    const int page = w.view->requested_page, offset = w.view->v_offset;
    for (int i = 0; i < 3; ++i) wheel(wxMOUSE_WHEEL_HORIZONTAL);
    EXPECT_EQ(w.view->requested_page, page);
    EXPECT_EQ(w.view->v_offset, offset);
    // The same turn on the vertical axis moves the view.
    wheel(wxMOUSE_WHEEL_VERTICAL);
    EXPECT_TRUE(w.view->requested_page != page || w.view->v_offset != offset);
}

// A page turn while the verify worker is inside a PDF-library call waits for
// that call: the paint takes the library's lock per call, and the worker
// holds it per call only, so the turn goes through between two calls.
TEST(page_view_pixels, a_page_turn_during_verification_waits_for_the_library_lock) {
    view_options options;
    testsupport::scratch_dir dir;
    const std::string pdf = testsupport::write_minimal_pdf(dir.file("three.pdf"), 3, 300, 300);
    doc_pdfium doc;
    ASSERT_NO_THROW(doc.load(utf8_to_wide(pdf)));
    current_document_scope scope(&doc);
    view_window w;
    ASSERT_TRUE(w.paint());
    std::atomic<bool> held{false}, released{false};
    std::vector<bool> upload_after_release;
    set_texture_uploader([&](gl_texture* t, const unsigned char* rgba, int width, int height) {
        upload_after_release.push_back(released.load());
        gl_upload_texture_now(t, rgba, width, height);
    });
    doc_verifying = true;
    std::thread worker([&] {
        std::lock_guard<std::recursive_mutex> call(pdf_library_lock());
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        released = true;
    });
    while (!held) std::this_thread::yield();
    w.view->go_to_page(1);
    const bool turned = gui_test::run_until([&] { return w.view->page == 1; });
    worker.join();
    doc_verifying = false;
    install_gl_texture_uploader();
    EXPECT_TRUE(turned);
    ASSERT_EQ(upload_after_release.size(), 1u);
    EXPECT_TRUE(upload_after_release[0]);
}

// ---------------------------------------------------------------- gallery

// A page of a real signed PDF, with its cross when a signature is invalid.
TEST(gallery, page_view_with_a_corpus_pdf) {
    REQUIRE_CORPUS();
    view_options options;
    doc_pdfium doc;
    ASSERT_NO_THROW(doc.load(utf8_to_wide(testsupport::corpus_dir() + "/pyhanko/minimal-two-pages.pdf")));
    current_document_scope scope(&doc);
    view_window w(wxSize(700, 600));
    ASSERT_TRUE(w.paint());
    EXPECT_FALSE(gui_test::save_screenshot(w.view, "page_view_corpus").empty());
    w.view->go_to_page(1);
    gui_test::run_until([&] { return w.view->page == 1; });
    w.view->zoom_to(200);
    gui_test::settle(std::chrono::milliseconds(200));
    EXPECT_FALSE(gui_test::save_screenshot(w.view, "page_view_corpus_p2_200pct").empty());
    w.view->hold = true;
}

}  // namespace
