// The cell-shading ramp texture: three hard grey bands, darkest for surfaces seen edge-on.
#include "gfx/cellshade.h"

#include <GL/gl.h>

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
