// The scene tests' pictures and capture texture.
#include "tests/scene_test_support.h"
#include "gfx/render_texture.h"
#include "tests/png_test_files.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace scenetest {

void enterPictureDirectory(const std::string& name, testgl::Rgb colour) {
    const std::string directory = testpng::temporaryPath("pictures");
    mkdir(directory.c_str(), 0755);
    mkdir((directory + "/data").c_str(), 0755);
    testpng::writeSolid(directory + "/data/" + name + ".png", 16, 16,
                        static_cast<unsigned char>(colour.r), static_cast<unsigned char>(colour.g),
                        static_cast<unsigned char>(colour.b));
    ASSERT_EQ(chdir(directory.c_str()), 0) << directory;
}

void fillRenderTexture() {
    std::vector<unsigned char> texels(3 * 1024 * 1024);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x) {
            unsigned char* texel = &texels[3 * (1024 * y + x)];
            const bool inFrame = x < 800 && y < 600;
            texel[0] = static_cast<unsigned char>(inFrame ? x & 255 : 255);
            texel[1] = static_cast<unsigned char>(inFrame ? y & 255 : 0);
            texel[2] = static_cast<unsigned char>(inFrame ? kFrameBlue : 255);
        }
    }
    if (render_texture == 0) {
        glGenTextures(1, &render_texture);
    }
    glBindTexture(GL_TEXTURE_2D, render_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 1024, 1024, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

testgl::Rgb framePixel(double x, double y) {
    // Texel i is centred on i + 0.5, and linear filtering blends its neighbours.
    const int column = static_cast<int>(std::lround(x - 0.5));
    const int row = static_cast<int>(std::lround(y - 0.5));
    return testgl::Rgb{column & 255, row & 255, kFrameBlue};
}

::testing::AssertionResult colourNear(testgl::Rgb actual, testgl::Rgb expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

} // namespace scenetest
