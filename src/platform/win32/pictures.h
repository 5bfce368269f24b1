// The program's pictures: PNG and JPEG files embedded as RCDATA resources, decoded once into
// 32-bit DIB sections with premultiplied alpha, so that every picture is drawn with AlphaBlend.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "gdi.h"

namespace qv::win32 {

struct Picture {
    Bitmap bitmap;  // top-down, 32 bits per pixel, premultiplied alpha
    int w = 0;
    int h = 0;
    bool has_alpha = false;
};

// The resource that carries a picture: the file's base name upper-cased ("btn_ok" and
// "pictures/btn_ok.png" both give "BTN_OK").
std::string picture_resource_name(const std::string& picture);

// Decodes PNG or JPEG bytes (told apart by their signatures); null when they are neither or broken.
std::unique_ptr<Picture> decode_picture(const void* bytes, std::size_t size);

// The picture of that name from this program's resources, decoded once and kept; null when it is
// missing or cannot be decoded (the caller then draws a plain face).
const Picture* load_picture(const std::string& name);

// Draws `src` of the picture scaled into `dest`, blended by the picture's alpha.
void draw_picture(HDC dc, const Picture& picture, const RECT& src, const RECT& dest);

// Writes top-down 32-bit pixels (blue, green, red, unused) as a PNG file; false on failure.
bool write_png_file(const std::string& path, const void* pixels, int w, int h, int stride);

}  // namespace qv::win32
