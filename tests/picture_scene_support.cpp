// Picture scene test helpers: generated pictures via libpng, backdrops via scissored clears and
// glDrawPixels under identity matrices.
#include "tests/picture_scene_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace picturetest {

namespace {

using PixelFill = std::function<void(int x, int y, unsigned char* pixel)>;

// x and y count from the picture's top-left, as the file stores it.
void writePicture(const std::string& path, int width, int height, bool alpha,
                  const PixelFill& fill) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    const int components = alpha ? 4 : 3;
    std::vector<unsigned char> row(static_cast<size_t>(width) * components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            fill(x, y, &row[static_cast<size_t>(x) * components]);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

PixelFill solid(testgl::Rgb colour, int alpha = 255) {
    return [colour, alpha](int, int, unsigned char* pixel) {
        pixel[0] = static_cast<unsigned char>(colour.r);
        pixel[1] = static_cast<unsigned char>(colour.g);
        pixel[2] = static_cast<unsigned char>(colour.b);
        if (alpha >= 0)
            pixel[3] = static_cast<unsigned char>(alpha);
    };
}

std::string makePictureDirectory() {
    std::string root = ::testing::TempDir() + "solvane_scenes_XXXXXX";
    if (!mkdtemp(root.data()))
        return "";
    const std::string data = root + "/data/";
    mkdir(data.c_str(), 0700);
    const testgl::Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
    writePicture(data + "1.png", 1024, 1024, false, [](int x, int y, unsigned char* pixel) {
        pixel[0] = static_cast<unsigned char>(x / 4);
        pixel[1] = static_cast<unsigned char>(y / 4);
        pixel[2] = 200;
    });
    writePicture(data + "2.png", 1024, 1024, false, solid(kPicture2, -1));
    const char* const strips[] = {"intro1", "intro2", "intro3"};
    const char* const credits[] = {"kesto", "lunder", "tarvo"};
    const testgl::Rgb primaries[] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        writePicture(data + strips[i] + ".png", 64, 8, false, solid(primaries[i], -1));
        writePicture(data + credits[i] + ".png", 64, 32, false, solid(primaries[i], -1));
    }
    writePicture(data + "greetings1.png", 64, 16, true, solid(red));
    writePicture(data + "greetings2.png", 64, 16, true, solid(red, 0));
    writePicture(data + "greetings3.png", 64, 16, true, solid(green));
    writePicture(data + "greetings4.png", 64, 16, true, solid(white));
    return root;
}

} // namespace

void enterPictureDirectory() {
    static const std::string root = makePictureDirectory();
    ASSERT_FALSE(root.empty()) << "could not create the picture directory";
    ASSERT_EQ(chdir(root.c_str()), 0) << root;
}

void startFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void fillRect(int x, int y, int width, int height, testgl::Rgb colour) {
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    // The host's clear colour.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

testgl::Rgb gradientAt(int x, int y) {
    const int red = x * 255 / 799;
    return testgl::Rgb{red, y * 255 / 599, 255 - red};
}

void drawGradient() {
    static std::vector<unsigned char> pixels;
    if (pixels.empty()) {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const testgl::Rgb colour = gradientAt(x, y);
                pixels.insert(pixels.end(), {static_cast<unsigned char>(colour.r),
                                             static_cast<unsigned char>(colour.g),
                                             static_cast<unsigned char>(colour.b)});
            }
    }
    // Identity matrices put raster position (-1, -1) at the window's bottom-left corner.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    // Textured or depth-tested fragments would not show the pixels as given.
    const bool texturing = glIsEnabled(GL_TEXTURE_2D);
    const bool depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    if (texturing)
        glEnable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

std::vector<testgl::Rgb> readRect(int x, int y, int width, int height) {
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 4);
    glFinish();
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<testgl::Rgb> pixels;
    for (size_t i = 0; i < bytes.size(); i += 4)
        pixels.push_back(testgl::Rgb{bytes[i], bytes[i + 1], bytes[i + 2]});
    return pixels;
}

} // namespace picturetest
