// The glow image shared by the particles and the design overlays: its falloff, its corners and
// what reaches the texture.
#include "gfx/glow_image.h"
#include "tests/gl_test_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Row and column 32 is the centre; 8 texels are a quarter of the half-width.
TEST(GlowImage, FallsOffFromTheCentreAndRisesFaintlyInTheCorners) {
    EXPECT_EQ(glowTexel(32, 32), 255); // r = 0
    EXPECT_EQ(glowTexel(37, 32), 255); // r = 0.156, still inside the flat top
    EXPECT_EQ(glowTexel(40, 32), 212); // r = 0.25
    EXPECT_EQ(glowTexel(32, 24), 212);
    EXPECT_EQ(glowTexel(48, 32), 109); // r = 0.5
    EXPECT_EQ(glowTexel(32, 16), 109);
    EXPECT_EQ(glowTexel(0, 32), 0); // r = 1
    EXPECT_EQ(glowTexel(32, 0), 0);
    EXPECT_EQ(glowTexel(20, 0), 0); // r = 1.06: the polynomial is negative here
    for (int row : {0, 63}) {
        for (int column : {0, 63}) {
            EXPECT_GT(glowTexel(row, column), 0) << row << "," << column;
            EXPECT_LE(glowTexel(row, column), 5) << row << "," << column;
        }
    }
    EXPECT_EQ(glowTexel(0, 0), 5); // r = 1.414
}

TEST(GlowImage, UploadsGreyTexelsToTheBoundTexture) {
    REQUIRE_GL_CONTEXT();
    unsigned int texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    uploadGlowImage();

    std::vector<unsigned char> texels(kGlowImageSize * kGlowImageSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    for (int row : {0, 20, 32, 40, 48, 63}) {
        for (int column : {0, 13, 32, 63}) {
            const unsigned char* texel = &texels[3 * (row * kGlowImageSize + column)];
            EXPECT_EQ(texel[0], glowTexel(row, column)) << row << "," << column;
            EXPECT_EQ(texel[1], texel[0]);
            EXPECT_EQ(texel[2], texel[0]);
        }
    }
    int filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

} // namespace
