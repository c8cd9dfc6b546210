// The pixel scale: a plain value the tools set before building the scenes.
#include "gfx/pixel_scale.h"

#include <algorithm>
#include <cassert>

namespace {

int scale = 1;

} // namespace

int pixelScale() {
    return scale;
}

void setPixelScale(int newScale) {
    assert(newScale >= 1 && newScale <= kMaxPixelScale && "the pixel scale is 1, 2 or 3");
    scale = newScale;
}

float scaledLineWidth(float pixels) {
    return scale == 1 ? pixels : std::max(pixels, 1.0f) * static_cast<float>(scale);
}
