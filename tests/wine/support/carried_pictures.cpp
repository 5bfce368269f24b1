#include "support/carried_pictures.h"

#include <cstring>

namespace qv::wine_support {
namespace {

std::uint32_t big_endian(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

}  // namespace

Blob find_picture(const std::string& name) {
    std::wstring upper;
    for (char c : name) upper += static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, upper.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return {};
    return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(self, found)};
}

bool is_png(const Blob& blob) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return blob.size >= 24 && std::memcmp(blob.data, signature, sizeof signature) == 0;
}

bool is_jpeg(const Blob& blob) {
    return blob.size >= 2 && blob.data[0] == 0xFF && blob.data[1] == 0xD8;
}

std::uint32_t png_width(const Blob& png) {
    return big_endian(png.data + 16);
}

std::uint32_t png_height(const Blob& png) {
    return big_endian(png.data + 20);
}

}  // namespace qv::wine_support
