// loadPng on generated files: the size rules and their order, the vertical flip, files that are
// not PNGs or are cut short, and a huge declared size refused before anything is allocated.
#include "gfx/png_loader.h"
#include "tests/gl_test_context.h"
#include "tests/png_test_files.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct LoadResult {
    bool loaded;
    std::string messages; // everything written to standard error
};

LoadResult load(const std::string& path) {
    ::testing::internal::CaptureStderr();
    const bool loaded = loadPng(path);
    return {loaded, ::testing::internal::GetCapturedStderr()};
}

struct TextureImage {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> texels;

    const unsigned char* texel(int x, int y) const {
        return &texels[(size_t(y) * width + x) * components];
    }
};

TextureImage boundTexture() {
    TextureImage image;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    GLint alphaBits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    image.components = alphaBits > 0 ? 4 : 3;
    image.texels.resize(size_t(image.width) * image.height * image.components);
    if (!image.texels.empty()) {
        glGetTexImage(GL_TEXTURE_2D, 0, image.components == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                      image.texels.data());
    }
    return image;
}

class PngLoader : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    void TearDown() override {
        glDeleteTextures(1, &texture);
        for (const std::string& path : made) {
            std::remove(path.c_str());
        }
    }

    std::string makeImage(int width, int height, int colorType, int bitDepth = 8) {
        const std::string path = newPath(std::to_string(width) + "x" + std::to_string(height) +
                                         "_" + std::to_string(colorType) + ".png");
        testpng::writeImage(path, width, height, colorType, bitDepth);
        return path;
    }
    std::string newPath(const std::string& name) {
        made.push_back(testpng::temporaryPath(name));
        return made.back();
    }
    void expectRefusedWith(const std::string& path, const std::string& message) {
        const LoadResult result = load(path);
        EXPECT_FALSE(result.loaded) << path;
        EXPECT_EQ(result.messages, "loading " + path + "\n" + message) << path;
    }

    unsigned int texture = 0;
    std::vector<std::string> made;
};

TEST_F(PngLoader, UploadsRgbFlippedSoTheTopRowEndsAtTheTop) {
    const std::string path = makeImage(256, 128, PNG_COLOR_TYPE_RGB);
    const LoadResult result = load(path);
    ASSERT_TRUE(result.loaded);
    EXPECT_EQ(result.messages, "loading " + path + "\n");

    const TextureImage image = boundTexture();
    ASSERT_EQ(image.width, 256);
    ASSERT_EQ(image.height, 128);
    EXPECT_EQ(image.components, 3);
    const testpng::Decoded file = testpng::decodeReference(path);
    EXPECT_EQ(0, std::memcmp(image.texel(0, 127), &file.pixels[0], 3)); // the top-left pixel
    EXPECT_EQ(0, std::memcmp(image.texel(0, 0), &file.pixels[127 * 256 * 3], 3));

    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    GLint level1Width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
    EXPECT_EQ(level1Width, 0); // no mipmaps
}

TEST_F(PngLoader, UploadsTheLargestRgbaImage) {
    const std::string path = makeImage(1024, 1024, PNG_COLOR_TYPE_RGB_ALPHA);
    ASSERT_TRUE(load(path).loaded);
    const TextureImage image = boundTexture();
    EXPECT_EQ(image.width, 1024);
    EXPECT_EQ(image.height, 1024);
    EXPECT_EQ(image.components, 4);
    const testpng::Decoded file = testpng::decodeReference(path);
    EXPECT_EQ(0, std::memcmp(image.texel(1023, 0), &file.pixels[file.pixels.size() - 4], 4));
}

TEST_F(PngLoader, RefusesSizesInOrderFormThenLimitsThenPowersOfTwo) {
    expectRefusedWith(makeImage(2048, 16, PNG_COLOR_TYPE_RGB),
                      "The image width is larger than 1024\n");
    expectRefusedWith(makeImage(512, 2000, PNG_COLOR_TYPE_RGB),
                      "The image height is larger than 1024\n");
    expectRefusedWith(makeImage(64, 48, PNG_COLOR_TYPE_RGB_ALPHA),
                      "The image height is not a power of 2\n");
    expectRefusedWith(makeImage(2, 2, PNG_COLOR_TYPE_RGB), "The image width is not a power of 2\n");
    expectRefusedWith(makeImage(1, 1, PNG_COLOR_TYPE_RGB), "The image width is not a power of 2\n");
    expectRefusedWith(makeImage(2048, 48, PNG_COLOR_TYPE_RGB, 16),
                      "This PNG image type is unsupported\n");
    expectRefusedWith(makeImage(64, 64, PNG_COLOR_TYPE_GRAY),
                      "This PNG image type is unsupported\n");
    EXPECT_EQ(boundTexture().width, 0); // the fresh texture got no image
}

TEST_F(PngLoader, RefusesMissingAndNonPngFiles) {
    const std::string missing = newPath("missing.png");
    expectRefusedWith(missing, "Couldn't open the texture file\n");

    const std::string jpeg = newPath("photo.png");
    testpng::writeBytes(jpeg, {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                               0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xd9});
    expectRefusedWith(jpeg, "Not a PNG file\n");

    const std::string directory = newPath("folder.png");
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    expectRefusedWith(directory, "Couldn't open the texture file\n");

    const std::string empty = newPath("empty.png");
    testpng::writeBytes(empty, {});
    expectRefusedWith(empty, "Not a PNG file\n");
}

TEST_F(PngLoader, FileCutShortInItsImageDataKeepsThePreviousImage) {
    const std::string whole = newPath("whole.png");
    testpng::writeNoise(whole, 64, 64);
    std::vector<unsigned char> bytes = testpng::readBytes(whole);
    ASSERT_GT(bytes.size(), 64u * 64u * 3u / 2u) << "the noise should barely compress";
    bytes.resize(bytes.size() / 2);
    const std::string cut = newPath("cut.png");
    testpng::writeBytes(cut, bytes);

    ASSERT_TRUE(load(makeImage(8, 4, PNG_COLOR_TYPE_RGB)).loaded);
    const LoadResult result = load(cut);
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.messages.rfind("loading " + cut + "\n", 0), 0u) << result.messages;
    EXPECT_NE(result.messages.find("libpng error"), std::string::npos) << result.messages;
    const std::string ending = "\nCouldn't setup PNG error handler\n";
    EXPECT_EQ(result.messages.substr(result.messages.size() - ending.size()), ending);
    EXPECT_EQ(boundTexture().width, 8);
}

// Runs in a child: caps the address space a little above what the process already uses, so a
// large allocation fails and the outcome (or the message) changes. Exits 0 when refused.
void loadWithCappedAddressSpace(const std::string& path) {
    long usedKilobytes = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) {
            usedKilobytes = std::atol(line.c_str() + 7);
        }
    }
    const rlim_t cap = rlim_t(usedKilobytes) * 1024 + (rlim_t(256) << 20);
    const rlimit limit = {cap, cap};
    setrlimit(RLIMIT_AS, &limit);
    std::_Exit(loadPng(path) ? 1 : 0);
}

// The refusal must come from the header alone: decoding first would need 30 GB.
TEST(PngLoaderLimits, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    const std::string path = testpng::temporaryPath("huge.png");
    testpng::writeBytes(path, testpng::declaredSizeFile(100000, 100000));
    EXPECT_EXIT(loadWithCappedAddressSpace(path), ::testing::ExitedWithCode(0),
                "The image width is larger than 1024");
    std::remove(path.c_str());
}

} // namespace
