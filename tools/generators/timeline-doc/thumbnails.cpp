// Pictures through libpng's simplified API, as 8-bit RGB.
#include "tools/generators/timeline-doc/thumbnails.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct Rgb {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

bool readRgb(const std::string& path, Rgb* picture) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->pixels.data(), 0, nullptr) != 0;
}

} // namespace

std::string makeThumbnail(const std::string& from, const std::string& to) {
    Rgb frame;
    if (!readRgb(from, &frame))
        return from + ": cannot read the picture";
    const int width = frame.width / kThumbnailScale, height = frame.height / kThumbnailScale;
    std::vector<unsigned char> small(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0;
                for (int dy = 0; dy < kThumbnailScale; ++dy)
                    for (int dx = 0; dx < kThumbnailScale; ++dx)
                        sum += frame.pixels[((static_cast<size_t>(y) * kThumbnailScale + dy) *
                                                 frame.width +
                                             x * kThumbnailScale + dx) *
                                                3 +
                                            channel];
                const int count = kThumbnailScale * kThumbnailScale;
                small[(static_cast<size_t>(y) * width + x) * 3 + channel] =
                    static_cast<unsigned char>((sum + count / 2) / count);
            }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, to.c_str(), 0, small.data(), 0, nullptr))
        return to + ": cannot write the picture: " + image.message;
    return "";
}

double pictureDifference(const std::string& a, const std::string& b) {
    Rgb first, second;
    if (!readRgb(a, &first) || !readRgb(b, &second) || first.width != second.width ||
        first.height != second.height || first.pixels.empty())
        return -1;
    // Block by block, so that a change in a small part of a dark picture still counts.
    double worst = 0;
    for (int top = 0; top < first.height; top += kCompareBlock)
        for (int left = 0; left < first.width; left += kCompareBlock) {
            long long total = 0, count = 0;
            for (int y = top; y < std::min(top + kCompareBlock, first.height); ++y)
                for (int x = left; x < std::min(left + kCompareBlock, first.width); ++x)
                    for (int channel = 0; channel < 3; ++channel) {
                        size_t at = (static_cast<size_t>(y) * first.width + x) * 3 + channel;
                        total += std::abs(int(first.pixels[at]) - int(second.pixels[at]));
                        ++count;
                    }
            worst = std::max(worst, static_cast<double>(total) / static_cast<double>(count));
        }
    return worst;
}
