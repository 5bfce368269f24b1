// The pictures the test program carries as resources (the program's own and the tests'), read as
// the bytes of their files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qv::wine_support {

struct Blob {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

// The RCDATA resource of that picture name (upper-cased); empty when there is none.
Blob find_picture(const std::string& name);

bool is_png(const Blob& blob);
bool is_jpeg(const Blob& blob);
// A PNG's width and height from its header (the blob is a PNG of at least 24 bytes).
std::uint32_t png_width(const Blob& png);
std::uint32_t png_height(const Blob& png);

}  // namespace qv::wine_support
