#include "ui/gl_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <wx/image.h>

void gl_set_view(int x, int y, int width, int height, uint32_t colour) {
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glColor4f(((colour >> 16) & 0xff) / 255.f, ((colour >> 8) & 0xff) / 255.f, (colour & 0xff) / 255.f, 1.f);
}

std::string texture_limit_message(uint32_t width, uint32_t height) {
    if (width <= gl_texture_limit && height <= gl_texture_limit) return {};
    char line[128];
    snprintf(line, sizeof line, "\n texture size (%d x %d) exceeds implementation limit (%d)", (int)width,
             (int)height, (int)gl_texture_limit);
    return line;
}

void gl_upload_texture_now(gl_texture* texture, const unsigned char* rgba, int width, int height) {
    if (!texture) return;
    texture->width = width;
    texture->height = height;
    if (texture->texture_id == 0) {
        GLuint id = 0;
        glGenTextures(1, &id);
        texture->texture_id = id;
    }
    glBindTexture(GL_TEXTURE_2D, texture->texture_id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    const std::string message = texture_limit_message((uint32_t)width, (uint32_t)height);
    if (!message.empty()) {
        fputs(message.c_str(), stdout);
        fflush(stdout);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void install_gl_texture_uploader() { set_texture_uploader(gl_upload_texture_now); }

void gl_draw_texture(const gl_texture* t, bool blend, float x, float y) {
    if (!t || t->texture_id == 0 || t->width == 0 || t->height == 0) return;
    if (blend)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(GL_ONE, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, t->texture_id);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    const float w = (float)t->width, h = (float)t->height;
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0, 1);
    glVertex2f(x, y + h);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(1, 1);
    glVertex2f(x + w, y + h);
    glTexCoord2f(1, 0);
    glVertex2f(x + w, y);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void gl_delete_texture(gl_texture& t) {
    if (t.texture_id) {
        GLuint id = t.texture_id;
        glDeleteTextures(1, &id);
    }
    t = gl_texture{};
}

void gl_draw_dashed_rect(float x0, float y0, float x1, float y1) {
    glLineWidth(3);
    glLineStipple(1, 0xAAAA);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_STIPPLE);
    glColor4f(1, 0, 0, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0 - 1, y0 - 1);
    glVertex2f(x1 + 1, y0 - 1);
    glVertex2f(x1 + 1, y1 + 1);
    glVertex2f(x0 - 1, y1 + 1);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_BLEND);
}

gl_rect rect_by_matrix(const gl_rect& r, const gl_matrix& m) {
    if (r.x0 > r.x1 || r.y0 > r.y1) return r;
    const float eps = 1.0f / 8388608.0f;  // 2^-23
    if (std::fabs(m.b) < eps && std::fabs(m.c) < eps) {
        float xa = r.x0, xb = r.x1, ya = r.y0, yb = r.y1;
        if (m.a < 0) std::swap(xa, xb);
        if (m.d < 0) std::swap(ya, yb);
        return {m.a * xa + m.c * ya + m.e, m.b * xa + m.d * ya + m.f, m.a * xb + m.c * yb + m.e,
                m.b * xb + m.d * yb + m.f};
    }
    const float xs[4] = {r.x0, r.x1, r.x0, r.x1}, ys[4] = {r.y0, r.y0, r.y1, r.y1};
    gl_rect out;
    for (int i = 0; i < 4; ++i) {
        const float x = m.a * xs[i] + m.c * ys[i] + m.e, y = m.b * xs[i] + m.d * ys[i] + m.f;
        if (i == 0 || x < out.x0) out.x0 = x;
        if (i == 0 || x > out.x1) out.x1 = x;
        if (i == 0 || y < out.y0) out.y0 = y;
        if (i == 0 || y > out.y1) out.y1 = y;
    }
    return out;
}

wxSize scaled_fit_size(int iw, int ih, int box_w, int box_h) {
    if (iw <= 0 || ih <= 0 || box_w <= 0 || box_h <= 0) return wxSize(0, 0);
    const float picture = (float)iw / (float)ih, box = (float)box_w / (float)box_h;
    if (picture >= box) return wxSize(box_w, (int)((long long)box_w * ih / iw));
    return wxSize((int)((long long)iw * box_h / ih), box_h);
}

wxBitmap* load_scaled_bitmap(const wxString& path, int box_w, int box_h) {
    wxImage image;
    if (!wxFileExists(path) || !image.LoadFile(path, wxBITMAP_TYPE_ANY) || !image.IsOk()) return new wxBitmap();
    const wxSize size = scaled_fit_size(image.GetWidth(), image.GetHeight(), box_w, box_h);
    if (size.x <= 0 || size.y <= 0) return new wxBitmap();
    image.Rescale(size.x, size.y, wxIMAGE_QUALITY_NEAREST);
    return new wxBitmap(image, -1);
}
