// PNG files made at test time for the loader's tests, and an independent reference decode.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testpng {

// A fresh path under the test temporary directory; the file is removed by the caller.
std::string temporaryPath(const std::string& name);

// Writes a non-interlaced PNG with libpng. Every sample differs with x and y, so a flip or a
// row offset shows. colorType is a PNG_COLOR_TYPE_*, bitDepth 8 or 16.
void writeImage(const std::string& path, int width, int height, int colorType, int bitDepth);

// Writes an 8-bit RGB or RGBA PNG whose pixel (x, y), counted from the top-left, fill sets.
using PixelFill = std::function<void(int x, int y, unsigned char* pixel)>;
void writePixels(const std::string& path, int width, int height, bool alpha, const PixelFill& fill);

// Writes 8-bit RGB pixels that barely compress, so the image data spans most of the file.
void writeNoise(const std::string& path, int width, int height);

// A small 8-bit RGB file whose header declares the given size, followed by a token IDAT.
std::vector<unsigned char> declaredSizeFile(unsigned int width, unsigned int height);

std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// The file decoded by libpng's whole-image reader, rows top-down, samples as stored.
struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> pixels;
};
Decoded decodeReference(const std::string& path);

} // namespace testpng
