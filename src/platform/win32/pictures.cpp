#include "pictures.h"

#include <windows.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <map>
#include <vector>

#include <png.h>
// After <windows.h>: jconfig.h then leaves `boolean` to rpcndr.h's identical definition.
#include <jpeglib.h>

#include "encoding.h"
#include "handles.h"

namespace qv::win32 {
namespace {

HBITMAP create_dib(int w, int h, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows, as both decoders write them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// AlphaBlend wants premultiplied colours; libpng's 8-bit output is straight alpha.
bool premultiply(unsigned char* pixels, std::size_t count) {
    bool any_transparency = false;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* p = pixels + i * 4;
        unsigned a = p[3];
        if (a == 255) continue;
        any_transparency = true;
        p[0] = static_cast<unsigned char>((p[0] * a + 127) / 255);
        p[1] = static_cast<unsigned char>((p[1] * a + 127) / 255);
        p[2] = static_cast<unsigned char>((p[2] * a + 127) / 255);
    }
    return any_transparency;
}

std::unique_ptr<Picture> decode_png(const void* bytes, std::size_t size) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size)) return nullptr;
    image.format = PNG_FORMAT_BGRA;
    const int w = static_cast<int>(image.width);
    const int h = static_cast<int>(image.height);
    void* bits = nullptr;
    Bitmap bitmap(w > 0 && h > 0 && w <= 16384 && h <= 16384 ? create_dib(w, h, &bits) : nullptr);
    if (!bitmap) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, bits, w * 4, nullptr)) return nullptr;
    GdiFlush();
    auto picture = std::make_unique<Picture>();
    picture->has_alpha =
        premultiply(static_cast<unsigned char*>(bits), static_cast<std::size_t>(w) * h);
    picture->bitmap = std::move(bitmap);
    picture->w = w;
    picture->h = h;
    return picture;
}

// libjpeg reports fatal errors through error_exit, which by default ends the process.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpeg_fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}
void jpeg_quiet(j_common_ptr) {}

// Only plain C objects live in this function's frame, so leaving it by longjmp skips no destructor.
HBITMAP decode_jpeg_bitmap(const unsigned char* bytes, std::size_t size, int* w, int* h) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpeg_fail;
    errors.manager.output_message = jpeg_quiet;
    HBITMAP volatile bitmap = nullptr;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (bitmap != nullptr) DeleteObject(bitmap);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;  // alpha comes out as 255: no premultiplying needed
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    void* bits = nullptr;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        (bitmap = create_dib(width, height, &bits)) == nullptr) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            static_cast<unsigned char*>(bits) +
            static_cast<std::size_t>(info.output_scanline) * static_cast<std::size_t>(width) * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    *w = width;
    *h = height;
    return bitmap;
}

std::unique_ptr<Picture> decode_jpeg(const void* bytes, std::size_t size) {
    int w = 0, h = 0;
    HBITMAP bitmap = decode_jpeg_bitmap(static_cast<const unsigned char*>(bytes), size, &w, &h);
    if (bitmap == nullptr) return nullptr;
    auto picture = std::make_unique<Picture>();
    picture->bitmap.reset(bitmap);
    picture->w = w;
    picture->h = h;
    return picture;
}

}  // namespace

std::string picture_resource_name(const std::string& picture) {
    std::size_t start = picture.find_last_of("\\/");
    start = start == std::string::npos ? 0 : start + 1;
    std::size_t dot = picture.rfind('.');
    std::size_t end = dot == std::string::npos || dot < start ? picture.size() : dot;
    std::string name = picture.substr(start, end - start);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

std::unique_ptr<Picture> decode_picture(const void* bytes, std::size_t size) {
    static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto* b = static_cast<const unsigned char*>(bytes);
    if (b == nullptr || size < 8) return nullptr;
    if (std::memcmp(b, kPng, sizeof kPng) == 0) return decode_png(bytes, size);
    if (b[0] == 0xFF && b[1] == 0xD8) return decode_jpeg(bytes, size);
    return nullptr;
}

const Picture* load_picture(const std::string& name) {
    // Missing pictures are remembered too, so a face without its picture is not searched per paint.
    static std::map<std::string, std::unique_ptr<Picture>> cache;
    if (name.empty()) return nullptr;
    const std::string resource = picture_resource_name(name);
    auto found = cache.find(resource);
    if (found != cache.end()) return found->second.get();
    std::unique_ptr<Picture> picture;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, widen(resource).c_str(), MAKEINTRESOURCEW(10));
    HGLOBAL data = info != nullptr ? LoadResource(module, info) : nullptr;
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes != nullptr) picture = decode_picture(bytes, SizeofResource(module, info));
    const Picture* result = picture.get();
    cache[resource] = std::move(picture);
    return result;
}

void draw_picture(HDC dc, const Picture& picture, const RECT& src, const RECT& dest) {
    RECT s = src;
    s.left = std::max<LONG>(s.left, 0);
    s.top = std::max<LONG>(s.top, 0);
    s.right = std::min<LONG>(s.right, picture.w);
    s.bottom = std::min<LONG>(s.bottom, picture.h);
    if (s.right <= s.left || s.bottom <= s.top || dest.right <= dest.left ||
        dest.bottom <= dest.top)
        return;
    MemoryDc source(dc);
    if (!source) return;
    source.select(picture.bitmap.get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255,
                        static_cast<BYTE>(picture.has_alpha ? AC_SRC_ALPHA : 0)};
    // gdi32's own entry point: msimg32.dll's AlphaBlend only forwards to it, one DLL fewer to need.
    GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                  source.get(), s.left, s.top, s.right - s.left, s.bottom - s.top, blend);
}

bool write_png_file(const std::string& path, const void* pixels, int w, int h, int stride) {
    if (w <= 0 || h <= 0) return false;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        const auto* in =
            static_cast<const unsigned char*>(pixels) + static_cast<std::size_t>(y) * stride;
        unsigned char* out = rgb.data() + static_cast<std::size_t>(y) * w * 3;
        for (int x = 0; x < w; ++x) {
            out[x * 3 + 0] = in[x * 4 + 2];
            out[x * 3 + 1] = in[x * 4 + 1];
            out[x * 3 + 2] = in[x * 4 + 0];
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), w * 3, nullptr))
        return false;
    std::vector<unsigned char> encoded(size);
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), w * 3, nullptr))
        return false;
    Handle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    return WriteFile(file.get(), encoded.data(), static_cast<DWORD>(size), &written, nullptr) &&
           written == size;
}

}  // namespace qv::win32
