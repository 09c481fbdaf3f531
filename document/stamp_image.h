#pragma once
// Stamp pictures for the appearance of a visible signature.
// Pixel buffers hold 4 bytes per pixel, rows top first, no gaps.

// Loads a PNG file (UTF-8 path) as BGRA pixels in a malloc'ed buffer the
// caller frees. Sets the outs to null/0 first. Ends by raising exceptionex:
// "Succeed"; "Undefined" for an empty or unreadable file; "Failed to load
// image : <decoder's text>" when the file is not a PNG it can decode.
// Every PNG colour type and depth comes back as 8-bit BGRA.
void load_stamp_image(const char* utf8_path, unsigned char** pixels, int* width, int* height);

// Exchanges bytes 0 and 2 of every pixel in place (RGBA <-> BGRA); does
// nothing for a width or height of 0 or less.
void swap_red_blue(unsigned char* pixels, int width, int height);
