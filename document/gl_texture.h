#pragma once
// One page picture handed to the page view, and the seam through which the
// documents hand their pixels to it.
#include <cstdint>
#include <functional>

class wxImage;

// An uploaded page picture, owned by the page view.
struct gl_texture {
    unsigned int texture_id = 0;  // GLuint
    int32_t width = 0;
    int32_t height = 0;
};

// Uploads width x height RGBA pixels (rows of width*4 bytes) into the texture;
// the caller keeps the pixels. The page view installs the real GL upload.
using texture_uploader = std::function<void(gl_texture* texture, const unsigned char* rgba, int width, int height)>;
void set_texture_uploader(texture_uploader uploader);

// Hands the pixels to the installed uploader. Without one it only records
// the size in the texture.
void gl_upload_texture(gl_texture* texture, const unsigned char* rgba, int width, int height);

// The picture as a new heap buffer (free with free()) of width*height RGBA
// pixels; alpha from the picture's alpha channel, else 255. Null for an
// invalid or empty picture.
unsigned char* image_to_rgba(const wxImage& image);
