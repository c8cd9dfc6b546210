// The generated pictures: each has the form the PNG loader accepts and the size its scene
// expects, is drawn for how the scene shows it, and comes out byte-identical on every run.
// NOTE: the form check reads the PNG header with libpng; it can move to loadPng once the
// loader is on this branch.
#include "tests/process_runner.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kDataDir = SOLVANE_DEMO_DIR "/data/";

struct Image {
    int width = 0, height = 0, channels = 0, bitDepth = 0;
    std::vector<unsigned char> pixels; // rows top to bottom, as the file stores them
    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * channels]; }
    int alpha(int x, int y) const { return channels == 4 ? at(x, y)[3] : 255; }
    int brightest(int x, int y) const { return std::max({at(x, y)[0], at(x, y)[1], at(x, y)[2]}); }
};

// Decodes without transforms, as the demo's loader does; false on any libpng error.
bool decodePng(FILE* file, Image& image) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    int colourType = png_get_color_type(png, info);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    image.channels = colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                     : colourType == PNG_COLOR_TYPE_RGB     ? 3
                                                            : 0;
    png_bytepp rows = png_get_rows(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    for (int y = 0; y < image.height; ++y)
        image.pixels.insert(image.pixels.end(), rows[y], rows[y] + rowBytes);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// An empty image when the file is missing or does not decode.
Image readPng(const std::string& path) {
    Image image;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return image;
    if (!decodePng(file, image))
        image = Image();
    std::fclose(file);
    return image;
}

bool isLoadableSide(int side) {
    for (int accepted = 4; accepted <= 1024; accepted *= 2)
        if (side == accepted)
            return true;
    return false;
}

struct Expected {
    const char* name;
    int width, height;
    bool alpha;
};

const Expected kPictures[] = {
    {"1.png", 1024, 1024, false},        {"2.png", 1024, 1024, false},
    {"4.png", 1024, 1024, false},        {"planes.png", 256, 256, false},
    {"cubes.png", 256, 256, false},      {"spinning.png", 256, 256, false},
    {"intro1.png", 1024, 128, true},     {"intro2.png", 1024, 128, true},
    {"intro3.png", 1024, 128, true},     {"kesto.png", 512, 256, true},
    {"lunder.png", 512, 256, true},      {"tarvo.png", 512, 256, true},
    {"greetings1.png", 1024, 128, true}, {"greetings2.png", 1024, 128, true},
    {"greetings3.png", 1024, 128, true}, {"greetings4.png", 1024, 128, true},
};

std::string readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Mean absolute channel difference between two columns (or rows, when transposed).
double lineDifference(const Image& image, int a, int b, bool columns) {
    int length = columns ? image.height : image.width;
    double sum = 0;
    for (int i = 0; i < length; ++i) {
        const unsigned char* p = columns ? image.at(a, i) : image.at(i, a);
        const unsigned char* q = columns ? image.at(b, i) : image.at(i, b);
        for (int c = 0; c < 3; ++c)
            sum += std::abs(p[c] - q[c]);
    }
    return sum / (3.0 * length);
}

} // namespace

TEST(GeneratedPictures, EveryPictureIsALoadableFormAtItsScenesSize) {
    for (const Expected& expected : kPictures) {
        SCOPED_TRACE(expected.name);
        Image image = readPng(kDataDir + expected.name);
        ASSERT_FALSE(image.pixels.empty()) << "missing or undecodable; build the demo-dir target";
        EXPECT_EQ(image.bitDepth, 8);
        EXPECT_EQ(image.channels, expected.alpha ? 4 : 3);
        EXPECT_TRUE(isLoadableSide(image.width) && isLoadableSide(image.height));
        EXPECT_EQ(image.width, expected.width);
        EXPECT_EQ(image.height, expected.height);
    }
}

TEST(GeneratedPictures, GeneratingAgainGivesTheSameBytes) {
    std::string again = makeTemporaryDirectory("artgen-again");
    ASSERT_FALSE(again.empty());
    ASSERT_EQ(runCommand("'" ARTGEN_PATH "' '" + again + "'"), 0);
    for (const Expected& expected : kPictures) {
        std::string first = readBytes(kDataDir + expected.name);
        EXPECT_FALSE(first.empty()) << expected.name;
        EXPECT_TRUE(first == readBytes(again + "/" + expected.name)) << expected.name;
    }
    runCommand("rm -rf '" + again + "'");
}

TEST(GeneratedPictures, BackgroundsPutTheirLightInTheVisibleCorner) {
    // Scenes show only the top-left 800 x 600 of a full-screen background.
    for (const char* name : {"1.png", "2.png", "4.png"}) {
        SCOPED_TRACE(name);
        Image image = readPng(kDataDir + name);
        ASSERT_EQ(image.width, 1024);
        int visible = 0, hidden = 0;
        for (int y = 0; y < image.height; y += 2)
            for (int x = 0; x < image.width; x += 2)
                (x < 800 && y < 600 ? visible : hidden) =
                    std::max(x < 800 && y < 600 ? visible : hidden, image.brightest(x, y));
        EXPECT_GE(visible, 150);
        EXPECT_GE(visible, hidden);
    }
}

TEST(GeneratedPictures, PlanesTileHasNoSeamWhereItRepeats) {
    Image image = readPng(kDataDir + "planes.png");
    ASSERT_EQ(image.channels, 3);
    for (bool columns : {true, false}) {
        int size = columns ? image.width : image.height;
        double largestInside = 0;
        for (int i = 0; i + 1 < size; ++i)
            largestInside = std::max(largestInside, lineDifference(image, i, i + 1, columns));
        EXPECT_LE(lineDifference(image, size - 1, 0, columns), largestInside)
            << (columns ? "left and right edges" : "top and bottom edges") << " do not meet";
    }
}

TEST(GeneratedPictures, SpinningBladeIsBrightOnBlackWithDarkSides) {
    Image image = readPng(kDataDir + "spinning.png");
    ASSERT_EQ(image.channels, 3);
    int brightest = 0;
    for (int y = 0; y < image.height; ++y) {
        // Forty blades add up; a lit side edge would draw the outline of every blade.
        EXPECT_LE(image.brightest(0, y), 4) << "left edge, row " << y;
        EXPECT_LE(image.brightest(image.width - 1, y), 4) << "right edge, row " << y;
        for (int x = 0; x < image.width; ++x)
            brightest = std::max(brightest, image.brightest(x, y));
    }
    EXPECT_GE(brightest, 200);
}

TEST(GeneratedPictures, CubeFaceIsFramedOnEverySide) {
    // The whole picture lands on each face, so its edges become the cube's edges.
    Image image = readPng(kDataDir + "cubes.png");
    ASSERT_EQ(image.channels, 3);
    int last = image.width - 1;
    for (int i = 0; i < image.width; ++i) {
        EXPECT_LE(image.brightest(i, 0), 60);
        EXPECT_LE(image.brightest(i, last), 60);
        EXPECT_LE(image.brightest(0, i), 60);
        EXPECT_LE(image.brightest(last, i), 60);
    }
    EXPECT_GE(image.brightest(image.width / 4, image.height / 4), 200);
}

TEST(GeneratedPictures, IntroAndCreditsStandOnTransparencyWithinTheVisibleMiddle) {
    // Intro strips show their middle ~80 %; credits grow from the centre.
    for (const char* name :
         {"intro1.png", "intro2.png", "intro3.png", "kesto.png", "lunder.png", "tarvo.png"}) {
        SCOPED_TRACE(name);
        Image image = readPng(kDataDir + name);
        ASSERT_EQ(image.channels, 4);
        bool strip = std::string(name).rfind("intro", 0) == 0;
        int margin = image.width / 10, opaque = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                // A strip's 2 x 2 corners are opaque white: the texel the stars take their
                // colour from when they follow the intro.
                bool corner = (x < 2 || x >= image.width - 2) && (y < 2 || y >= image.height - 2);
                if (strip && corner) {
                    ASSERT_EQ(image.alpha(x, y), 255) << "at " << x << "," << y;
                    ASSERT_EQ(image.brightest(x, y), 255) << "at " << x << "," << y;
                } else if (x < margin || x >= image.width - margin) {
                    ASSERT_EQ(image.alpha(x, y), 0) << "at " << x << "," << y;
                }
                opaque += image.alpha(x, y) == 255;
            }
        }
        EXPECT_GT(opaque, image.width * image.height / 50);
    }
}

TEST(GeneratedPictures, GreetingsWallsHaveLetteringAndGapsForTheAlphaTest) {
    const int cut = 26; // the scene's alpha test discards below 0.1
    for (const char* name :
         {"greetings1.png", "greetings2.png", "greetings3.png", "greetings4.png"}) {
        Image image = readPng(kDataDir + name);
        ASSERT_EQ(image.channels, 4) << name;
        for (int wall = 0; wall < 4; ++wall) {
            int kept = 0, cutAway = 0;
            for (int y = 0; y < image.height; ++y)
                for (int x = wall * image.width / 4; x < (wall + 1) * image.width / 4; ++x)
                    (image.alpha(x, y) >= cut ? kept : cutAway) += 1;
            int area = image.width / 4 * image.height;
            EXPECT_GT(kept, area / 10) << name << " wall " << wall;
            EXPECT_GT(cutAway, area / 3) << name << " wall " << wall;
        }
    }
}
