#pragma once
// Fixed-function OpenGL drawing of the page view, the rectangle and matrix
// arithmetic its geometry rests on, and two picture helpers the signing
// panels share. Every GL call runs on the main thread with the page view's
// context current; nothing here creates or switches a context.
#include <cstdint>
#include <string>

#include <wx/bitmap.h>
#include <wx/string.h>

#include "document/gl_texture.h"

// x0, y0, x1, y1; normalised when x0 <= x1 and y0 <= y1.
struct gl_rect {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool degenerate() const { return x0 == x1 || y0 == y1; }
    // x0 <= x < x1 and y0 <= y < y1.
    bool contains(float x, float y) const { return x0 <= x && x < x1 && y0 <= y && y < y1; }
    bool operator==(const gl_rect& o) const { return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1; }
};

// x' = a*x + c*y + e, y' = b*x + d*y + f.
struct gl_matrix {
    float a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
};

// Largest texture side the page view asks of the GL implementation.
constexpr uint32_t gl_texture_limit = 8192;

// Viewport at (x, y) (GL window coordinates, y up) of width x height, with a
// projection whose units are pixels from the viewport's top-left corner, y
// down; the current colour becomes `colour` (0x00RRGGBB).
void gl_set_view(int x, int y, int width, int height, uint32_t colour);

// The diagnostic line for a texture above the limit, empty otherwise.
std::string texture_limit_message(uint32_t width, uint32_t height);

// Creates the texture when the record has none and uploads width x height
// RGBA pixels into it (nearest filtering). A size above the limit only
// writes the diagnostic line; the upload is attempted all the same.
void gl_upload_texture_now(gl_texture* texture, const unsigned char* rgba, int width, int height);

// Makes gl_upload_texture (the documents' seam) upload through OpenGL.
void install_gl_texture_uploader();

// Draws the texture at its own size with its top-left corner at (x, y);
// nothing for an absent or empty record.
void gl_draw_texture(const gl_texture* texture, bool blend, float x, float y);

// Deletes the texture and empties the record.
void gl_delete_texture(gl_texture& texture);

// The red dashed outline one pixel outside the rectangle.
void gl_draw_dashed_rect(float x0, float y0, float x1, float y1);

// The bounding box of the rectangle under the matrix; an unnormalised
// rectangle comes back unchanged.
gl_rect rect_by_matrix(const gl_rect& rect, const gl_matrix& m);

// The size a picture of iw x ih takes inside a box of box_w x box_h, its
// proportions kept; 0 x 0 for an empty picture.
wxSize scaled_fit_size(int iw, int ih, int box_w, int box_h);

// The picture file scaled to fit the box, as a new bitmap the caller owns.
// A file that cannot be read, or a picture of no size, gives an invalid
// bitmap (never a division by zero).
wxBitmap* load_scaled_bitmap(const wxString& path, int box_w, int box_h);
