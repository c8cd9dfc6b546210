// loadPng against the PngSuite conformance images the repository carries.
#include "gfx/png_loader.h"
#include "tests/png_test_files.h"
#include "tests/render_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kSuiteDir = SOLVANE_TESTDATA_DIR "/pngsuite";

const char kDecodeFailed[] = "Couldn't setup PNG error handler\n";
const char kNotPng[] = "Not a PNG file\n";
const char kUnsupported[] = "This PNG image type is unsupported\n";

// The damaged files, by what is wrong with them.
const std::map<std::string, std::string> kDamaged = {
    {"xc1n0g08.png", kDecodeFailed}, // colour type 1 in the header
    {"xc9n2c08.png", kDecodeFailed}, // colour type 9
    {"xd0n2c08.png", kDecodeFailed}, // bit depth 0
    {"xd3n2c08.png", kDecodeFailed}, // bit depth 3
    {"xd9n2c08.png", kDecodeFailed}, // bit depth 99
    {"xhdn0g08.png", kDecodeFailed}, // header CRC
    {"xdtn0g01.png", kDecodeFailed}, // no image data before the end chunk
    {"xcrn0g04.png", kNotPng},       // signature mangled by line-ending conversions
    {"xlfn0g04.png", kNotPng},
    {"xs1n0g01.png", kNotPng}, // signature byte 1, 2, 4 or 7 wrong
    {"xs2n0g01.png", kNotPng},
    {"xs4n0g01.png", kNotPng},
    {"xs7n0g01.png", kNotPng},
    // Image data CRC, but in a 1-bit grey file: the header refuses it before the data is read.
    {"xcsn0g01.png", kUnsupported},
};

struct SuiteFile {
    std::string name;
    std::string path;
    int bitDepth;
    int colorType;
};

// The header fields straight from the file bytes, independently of libpng.
std::vector<SuiteFile> suiteFiles() {
    std::vector<SuiteFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuiteDir)) {
        if (entry.path().extension() != ".png")
            continue;
        const std::vector<unsigned char> bytes = testpng::readBytes(entry.path().string());
        files.push_back({entry.path().filename().string(), entry.path().string(),
                         bytes.size() > 25 ? bytes[24] : -1, bytes.size() > 25 ? bytes[25] : -1});
    }
    std::sort(files.begin(), files.end(),
              [](const SuiteFile& a, const SuiteFile& b) { return a.name < b.name; });
    return files;
}

std::string lastLine(const std::string& text) {
    const size_t start = text.rfind('\n', text.size() - 2);
    return start == std::string::npos ? text : text.substr(start + 1);
}

// The bound texture's texels equal the file's rows, bottom row first.
void expectTextureIsFileFlipped(const SuiteFile& file) {
    const testpng::Decoded decoded = testpng::decodeReference(file.path);
    const int components = file.colorType == 6 ? 4 : 3;
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_EQ(width, decoded.width);
    ASSERT_EQ(height, decoded.height);
    std::vector<unsigned char> texels(size_t(width) * height * components);
    glGetTexImage(GL_TEXTURE_2D, 0, components == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                  texels.data());
    const size_t rowBytes = size_t(width) * components;
    for (int y = 0; y < height; ++y) {
        const unsigned char* fileRow = &decoded.pixels[rowBytes * (height - 1 - y)];
        ASSERT_TRUE(std::equal(fileRow, fileRow + rowBytes, &texels[rowBytes * y]))
            << "texture row " << y;
    }
}

// Every 8-bit RGB and RGBA image loads with its texels flipped bottom-up, every other form is
// refused as unsupported, and each damaged file fails with the message its damage calls for.
TEST(PngSuite, EachFileLoadsFlippedOrIsRefusedWithItsMessage) {
    ASSERT_TRUE(std::filesystem::is_directory(kSuiteDir)) << kSuiteDir;
    REQUIRE_GL_CONTEXT();
    int loadedCount = 0, refusedCount = 0, damagedCount = 0;
    for (const SuiteFile& file : suiteFiles()) {
        SCOPED_TRACE(file.name);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        ::testing::internal::CaptureStderr();
        const bool loaded = loadPng(file.path);
        const std::string messages = ::testing::internal::GetCapturedStderr();
        const std::string loading = "loading " + file.path + "\n";
        if (file.name[0] == 'x') {
            ASSERT_EQ(kDamaged.count(file.name), 1u) << "a damaged file without an expectation";
            EXPECT_FALSE(loaded);
            EXPECT_EQ(messages.rfind(loading, 0), 0u) << messages;
            EXPECT_EQ(lastLine(messages), kDamaged.at(file.name)) << messages;
            ++damagedCount;
        } else if (file.bitDepth == 8 && (file.colorType == 2 || file.colorType == 6)) {
            ASSERT_TRUE(loaded) << messages;
            expectTextureIsFileFlipped(file);
            ++loadedCount;
        } else {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(messages, loading + kUnsupported);
            ++refusedCount;
        }
        glDeleteTextures(1, &texture);
    }
    EXPECT_EQ(loadedCount, 32);
    EXPECT_EQ(refusedCount, 129);
    EXPECT_EQ(damagedCount, 14);
}

} // namespace
