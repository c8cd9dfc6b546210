// The PNG writer, tuned for speed: frames are for looking at, not archiving.
#include "tools/lib/png/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace authoring {

std::string writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return path + ": " + std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    errno = 0;
    if (!info || setjmp(png_jmpbuf(png))) {
        // A failed write (a full disk) leaves its errno; an encoding failure none.
        const int error = errno;
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return path + ": " + (error ? std::strerror(error) : "could not encode the PNG");
    }
    png_init_io(png, file);
    // Fast enough to keep up with the renderer; the frames are for looking at, not archiving.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        return path + ": " + std::strerror(errno);
    return "";
}

} // namespace authoring
