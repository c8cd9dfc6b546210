// Scene render test helpers: the test pictures, frame read-back and probes.
#include "tests/scene_render_probe.h"

#include "tests/png_test_files.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

// The demo window's size, which the render tests' context shares.
const int kFrameWidth = 800;
const int kFrameHeight = 600;

} // namespace

namespace sceneprobe {

PictureDirectory::PictureDirectory()
    : previous(std::filesystem::current_path().string()),
      directory(testpng::temporaryPath("pictures")) {
    std::filesystem::create_directories(directory + "/data");
    testpng::writeSolid(directory + "/data/planes.png", 16, 16, 255, 255, 255);
    testpng::writeSolid(directory + "/data/cubes.png", 16, 16, 255, 255, 255);
    testpng::writeSolid(directory + "/data/spinning.png", 16, 16, kSpinningGrey, kSpinningGrey,
                        kSpinningGrey);
    EXPECT_EQ(chdir(directory.c_str()), 0) << directory;
}

PictureDirectory::~PictureDirectory() {
    EXPECT_EQ(chdir(previous.c_str()), 0) << previous;
    std::filesystem::remove_all(directory);
}

void beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> pixels(kFrameWidth * kFrameHeight * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int litPixels(int threshold) {
    const std::vector<unsigned char> pixels = readFrame();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        if (pixels[i] > threshold || pixels[i + 1] > threshold || pixels[i + 2] > threshold)
            ++lit;
    }
    return lit;
}

} // namespace sceneprobe
