// The computed textures: glow texels from the distance to the centre, and the ramp's three
// hard grey bands, darkest for surfaces seen edge-on.
#include "gfx/computed_textures.h"

#include <GL/gl.h>

#include <cmath>

// [SECTION] The glow image

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

// [SECTION] The cell-shading ramp

namespace {

const int kRampLevels = 16;
const int kRampTexels = 64;
const int kTexelsPerLevel = kRampTexels / kRampLevels;

const unsigned char kRampGrey[kRampLevels] = {128, 128, 128, 192, 192, 192, 192, 192,
                                              255, 255, 255, 255, 255, 255, 255, 255};

} // namespace

void createCellshadeTexture() {
    unsigned char* texels = new unsigned char[kRampTexels * 3];
    for (int i = 0; i < kRampTexels; ++i) {
        const unsigned char grey = kRampGrey[i / kTexelsPerLevel];
        texels[3 * i] = grey;
        texels[3 * i + 1] = grey;
        texels[3 * i + 2] = grey;
    }

    glGenTextures(1, &cellshadeTexture);
    glBindTexture(GL_TEXTURE_1D, cellshadeTexture);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, kRampTexels, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    delete[] texels;
    // No wrap mode: the GL default (repeat) stays in force.
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}
