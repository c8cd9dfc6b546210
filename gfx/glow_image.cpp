// The glow image: texel values from the distance to the centre, uploaded to the bound texture.
#include "gfx/glow_image.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// Half the image width maps to distance 1.
const float kTexelStep = 1.0f / 32.0f;

} // namespace

unsigned char glowTexel(int row, int column) {
    const float dx = static_cast<float>(row - 32) * kTexelStep;
    const float dy = static_cast<float>(column - 32) * kTexelStep;
    const float v = 1.0f - std::sqrt(dx * dx + dy * dy);
    // Fixed point with 8 fraction bits; negatives clamp to 0 before the shift.
    const int scaled = static_cast<int>(255.0f * (92.0f * v + 256.0f * v * v));
    if (scaled < 0)
        return 0;
    const int value = scaled >> 8;
    return static_cast<unsigned char>(value > 255 ? 255 : value);
}

void uploadGlowImage() {
    unsigned char* texels = new unsigned char[kGlowImageSize * kGlowImageSize * 3];
    for (int row = 0; row < kGlowImageSize; ++row) {
        for (int column = 0; column < kGlowImageSize; ++column) {
            unsigned char* texel = texels + 3 * (row * kGlowImageSize + column);
            texel[0] = texel[1] = texel[2] = glowTexel(row, column);
        }
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kGlowImageSize, kGlowImageSize, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    delete[] texels;
}
