// The render tests' support: the demo's window opened windowed through createGLWindow, test
// pictures written by png_test_files, backdrops by scissored clears and glDrawPixels.
#include "tests/render_support.h"

#include "gfx/render_texture.h"
#include "host/host_window.h"
#include "tests/png_test_files.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace testgl {

namespace {

const char* openWindow() {
    if (!std::getenv("DISPLAY"))
        return "DISPLAY is not set";
    if (createGLWindow("Solvane tests", kWindowWidth, kWindowHeight, 24, 0) != kWindowReady)
        return "createGLWindow failed (its message is above)";
    waitUntilMapped();
    return nullptr;
}

using testpng::PixelFill;

PixelFill solid(Rgb colour, int alpha = -1) {
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
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
    const Rgb grey{kSpinningGrey, kSpinningGrey, kSpinningGrey};
    testpng::writePixels(data + "1.png", 1024, 1024, false, [](int x, int y, unsigned char* pixel) {
        pixel[0] = static_cast<unsigned char>(x / 4);
        pixel[1] = static_cast<unsigned char>(y / 4);
        pixel[2] = 200;
    });
    testpng::writePixels(data + "2.png", 1024, 1024, false, solid(kPicture2));
    testpng::writePixels(data + "4.png", 16, 16, false, solid(kPicture2));
    testpng::writePixels(data + "planes.png", 16, 16, false, solid(white));
    testpng::writePixels(data + "cubes.png", 16, 16, false, solid(white));
    testpng::writePixels(data + "spinning.png", 16, 16, false, solid(grey));
    const char* const strips[] = {"intro1", "intro2", "intro3"};
    const char* const credits[] = {"kesto", "lunder", "tarvo"};
    const Rgb primaries[] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        testpng::writePixels(data + strips[i] + ".png", 64, 8, false, solid(primaries[i]));
        testpng::writePixels(data + credits[i] + ".png", 64, 32, false, solid(primaries[i]));
    }
    testpng::writePixels(data + "greetings1.png", 64, 16, true, solid(red, 255));
    testpng::writePixels(data + "greetings2.png", 64, 16, true, solid(red, 0));
    testpng::writePixels(data + "greetings3.png", 64, 16, true, solid(green, 255));
    testpng::writePixels(data + "greetings4.png", 64, 16, true, solid(white, 255));
    return root;
}

} // namespace

bool openContext(const char** why) {
    // NOTE: deliberately never torn down. Closing the display unloads Mesa's driver before the
    // leak checker runs, and it could then no longer name the library of the driver's blocks.
    static const char* failure = openWindow();
    *why = failure;
    return failure == nullptr;
}

// [SECTION] Pictures

void enterPictureDirectory() {
    static const std::string root = makePictureDirectory();
    ASSERT_FALSE(root.empty()) << "could not create the picture directory";
    ASSERT_EQ(chdir(root.c_str()), 0) << root;
}

void writeSolidPicture(const std::string& name, Rgb colour) {
    enterPictureDirectory();
    testpng::writePixels("data/" + name + ".png", 16, 16, false, solid(colour));
}

// [SECTION] Drawing known frames

void startFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void fillRect(int x, int y, int width, int height, Rgb colour) {
    glScissor(x, y, width, height);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f); // the host's clear colour
}

Rgb gradientAt(int x, int y) {
    const int red = x * 255 / 799;
    return Rgb{red, y * 255 / 599, 255 - red};
}

void drawGradient() {
    static std::vector<unsigned char> pixels;
    if (pixels.empty()) {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const Rgb colour = gradientAt(x, y);
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
    if (render_texture == 0)
        glGenTextures(1, &render_texture);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 1024, 1024, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

Rgb framePixel(double x, double y) {
    // Texel i is centred on i + 0.5, and linear filtering blends its neighbours.
    const int column = static_cast<int>(std::lround(x - 0.5));
    const int row = static_cast<int>(std::lround(y - 0.5));
    return Rgb{column & 255, row & 255, kFrameBlue};
}

// [SECTION] Reading the frame

Rgb readPixel(int x, int y) {
    return readRect(x, y, 1, 1)[0];
}

std::vector<Rgb> readRect(int x, int y, int width, int height) {
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 4);
    glFinish();
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<Rgb> pixels;
    for (size_t i = 0; i < bytes.size(); i += 4)
        pixels.push_back(Rgb{bytes[i], bytes[i + 1], bytes[i + 2]});
    return pixels;
}

std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> pixels;
    glFinish();
    host::readFrame(host::PixelLayout::kRgb, host::RowOrder::kBottomUp, &pixels);
    return pixels;
}

int litPixels(int threshold) {
    const std::vector<unsigned char> pixels = readFrame();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 3)
        lit += pixels[i] > threshold || pixels[i + 1] > threshold || pixels[i + 2] > threshold;
    return lit;
}

::testing::AssertionResult colourNear(Rgb actual, Rgb expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

void paintFrame(tarvo64k::Callback& scene, float elapsed, float progress) {
    startFrame();
    scene.paint(elapsed, 0.02f, progress);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "painting at " << elapsed << " s";
}

void expectGlState(std::initializer_list<unsigned int> enabled,
                   std::initializer_list<unsigned int> disabled) {
    for (GLenum capability : enabled)
        EXPECT_TRUE(glIsEnabled(capability)) << "0x" << std::hex << capability << " is off";
    for (GLenum capability : disabled)
        EXPECT_FALSE(glIsEnabled(capability)) << "0x" << std::hex << capability << " is on";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace testgl
