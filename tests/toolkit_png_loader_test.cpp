// loadPng on generated files: the size rules and their order, the vertical flip, files that are
// not PNGs or are cut short, and a huge declared size refused before anything is allocated;
// pictures carrying editors' metadata, chunks that declare gigabytes in a few hundred bytes and
// compressed chunks that inflate to hundreds of megabytes, each under a memory and time cap.
#include "gfx/png_loader.h"
#include "tests/png_chunk_files.h"
#include "tests/png_test_files.h"
#include "tests/render_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

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

// In a child: caps the address space a little above what the process already uses, so a large
// allocation fails and the outcome (or the message) changes, and the processor time at a
// quarter of a second: a file that takes longer is killed by SIGPROF and the test fails. The
// time is measured by the cap, not by a clock: a refusal takes a millisecond or two, and a busy
// machine slows the clock but hardly the process's own processor time.
void capAddressSpaceAndTime() {
    long usedKilobytes = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) {
            usedKilobytes = std::atol(line.c_str() + 7);
        }
    }
    const rlim_t cap = rlim_t(usedKilobytes) * 1024 + (rlim_t(256) << 20);
    const rlimit addressSpace = {cap, cap};
    setrlimit(RLIMIT_AS, &addressSpace);
    const itimerval quarterSecond = {{0, 0}, {0, 250000}};
    setitimer(ITIMER_PROF, &quarterSecond, nullptr);
}

// Runs loadPng in a capped child. Exits 0 when refused. (No GL context: only refusals, which
// reach no GL call, are loaded this way.)
void loadWithCappedAddressSpace(const std::string& path) {
    capAddressSpaceAndTime();
    std::_Exit(loadPng(path) ? 1 : 0);
}

// Decodes as loadPng does, in a capped child. Exits 0 when the 4 x 4 picture came out whole,
// bottom row first.
void decodeSmallPictureWithCappedAddressSpace(const std::string& path) {
    capAddressSpaceAndTime();
    std::ifstream file(path, std::ios::binary);
    PngImage image;
    if (decodePng(file, image) != PngStatus::kDecoded) {
        std::_Exit(1);
    }
    const pngchunks::Bytes expected = pngchunks::smallPicturePixels();
    bool same = image.width == 4 && image.height == 4 && image.components == 3;
    for (int y = 0; same && y < 4; ++y) {
        same = std::memcmp(image.pixels + 12 * y, &expected[12 * (3 - y)], 12) == 0;
    }
    std::_Exit(same ? 0 : 2);
}

// The refusal must come from the header alone: decoding first would need 30 GB.
TEST(PngLoaderLimits, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    const std::string path = testpng::temporaryPath("huge.png");
    testpng::writeBytes(path, testpng::declaredSizeFile(100000, 100000));
    EXPECT_EXIT(loadWithCappedAddressSpace(path), ::testing::ExitedWithCode(0),
                "The image width is larger than 1024");
    std::remove(path.c_str());
}

// Each file is under 1 KB and its last chunk's length field claims 2 GB. The old reader
// zero-filled the missing bytes, so the text chunks got a 2 GB buffer written in full and the
// image data was checksummed for seconds; now the first read past the end fails the file.
TEST(PngLoaderLimits, ChunksDeclaringTwoGigabytesAreRefusedAtTheEndOfTheFile) {
    for (const char* type : {"tEXt", "iTXt", "IDAT"}) {
        SCOPED_TRACE(type);
        const std::string path = testpng::temporaryPath(std::string(type) + ".png");
        const pngchunks::Bytes bytes = pngchunks::declaringHugeChunk(type, 2000000000u);
        ASSERT_LT(bytes.size(), 1024u);
        testpng::writeBytes(path, bytes);
        EXPECT_EXIT(loadWithCappedAddressSpace(path), ::testing::ExitedWithCode(0),
                    "libpng error: Read Error\nCouldn't setup PNG error handler\n");
        std::remove(path.c_str());
    }
}

// Compressed chunks that inflate to 300 MB: libpng dropped them before, with the picture still
// loading; now they are skipped without being inflated at all.
TEST(PngLoaderLimits, CompressedBombsAreDroppedAndThePictureLoads) {
    for (const char* type : {"zTXt", "iTXt", "iCCP"}) {
        SCOPED_TRACE(type);
        const std::string path = testpng::temporaryPath(std::string(type) + "_bomb.png");
        const pngchunks::Bytes bytes = pngchunks::withCompressedBomb(type, 300u << 20);
        ASSERT_LT(bytes.size(), 1u << 20);
        testpng::writeBytes(path, bytes);
        EXPECT_EXIT(decodeSmallPictureWithCappedAddressSpace(path), ::testing::ExitedWithCode(0),
                    "");
        std::remove(path.c_str());
    }
}

// An ancillary chunk larger than libpng may allocate for one (4 MB) does not refuse the file:
// it is skipped like every ancillary chunk, and the picture loads.
TEST(PngLoaderLimits, PictureWithAnOversizedTextChunkLoads) {
    const std::string path = testpng::temporaryPath("large_text.png");
    testpng::writeBytes(path, pngchunks::withLargeText(6u << 20));
    EXPECT_EXIT(decodeSmallPictureWithCappedAddressSpace(path), ::testing::ExitedWithCode(0), "");
    std::remove(path.c_str());
}

// Text, compressed and international text, a colour profile, a time and a physical size, as
// image editors write them, in every accepted form and interlaced or not: the pixels load as
// they are and libpng has nothing to warn about.
TEST_F(PngLoader, PicturesWithEditorsMetadataLoad) {
    for (int colorType : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA}) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::to_string(colorType) + (interlaced ? " interlaced" : ""));
            const std::string path = newPath("metadata_" + std::to_string(colorType) +
                                             (interlaced ? "_i" : "") + ".png");
            testpng::writeBytes(path, pngchunks::editorPicture(32, 16, colorType, interlaced,
                                                               pngchunks::allMetadata()));
            const LoadResult result = load(path);
            ASSERT_TRUE(result.loaded);
            EXPECT_EQ(result.messages, "loading " + path + "\n");

            const TextureImage image = boundTexture();
            const testpng::Decoded file = testpng::decodeReference(path);
            ASSERT_EQ(image.width, 32);
            ASSERT_EQ(image.height, 16);
            ASSERT_EQ(image.components, file.components);
            const size_t rowBytes = size_t(32) * file.components;
            for (int y = 0; y < 16; ++y) {
                EXPECT_EQ(0, std::memcmp(&image.texels[rowBytes * y],
                                         &file.pixels[rowBytes * (15 - y)], rowBytes))
                    << "texture row " << y;
            }
        }
    }
}

// A picture that ends inside a chunk's declared data keeps the loader's cut-short messages,
// whatever the chunk.
TEST_F(PngLoader, FileEndingInsideAnyChunkIsCutShort) {
    const pngchunks::Bytes whole =
        pngchunks::editorPicture(16, 16, PNG_COLOR_TYPE_RGB, false, pngchunks::allMetadata());
    ASSERT_FALSE(whole.empty());
    for (size_t length = 33; length + 12 < whole.size(); length += 7) {
        const std::string path = newPath("cut_" + std::to_string(length) + ".png");
        testpng::writeBytes(path, pngchunks::Bytes(whole.begin(), whole.begin() + length));
        const LoadResult result = load(path);
        EXPECT_FALSE(result.loaded) << length;
        const std::string ending = "libpng error: Read Error\nCouldn't setup PNG error handler\n";
        ASSERT_GE(result.messages.size(), ending.size()) << length;
        EXPECT_EQ(result.messages.substr(result.messages.size() - ending.size()), ending)
            << length << ": " << result.messages;
    }
}

} // namespace
