// The generated pictures: each is drawn for how its scene shows it, and comes out
// byte-identical on every run. (That the loader takes each at its scene's size is
// content_demo_test.cpp's.)
#include "tests/png_test_files.h"
#include "tests/process_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kDataDir = SOLVANE_DEMO_DIR "/data/";

// A picture as the file stores it, rows top to bottom; empty when missing or undecodable.
struct Image : testpng::Decoded {
    explicit Image(const std::string& path) : Decoded(testpng::decodeReference(path)) {}
    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * components]; }
    int alpha(int x, int y) const { return components == 4 ? at(x, y)[3] : 255; }
    int brightest(int x, int y) const { return std::max({at(x, y)[0], at(x, y)[1], at(x, y)[2]}); }
};

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

TEST(GeneratedPictures, GeneratingAgainGivesTheSameBytes) {
    std::string again = makeTemporaryDirectory("artgen-again");
    ASSERT_FALSE(again.empty());
    ASSERT_EQ(runCommand("'" ARTGEN_PATH "' '" + again + "'"), 0);
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(again)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(testpng::readBytes(kDataDir + name) ==
                    testpng::readBytes(entry.path().string()))
            << name;
        ++pictures;
    }
    EXPECT_EQ(pictures, 16);
    runCommand("rm -rf '" + again + "'");
}

TEST(GeneratedPictures, PlanesTileHasNoSeamWhereItRepeats) {
    Image image(kDataDir + "planes.png");
    ASSERT_EQ(image.components, 3);
    for (bool columns : {true, false}) {
        int size = columns ? image.width : image.height;
        double largestInside = 0;
        for (int i = 0; i + 1 < size; ++i)
            largestInside = std::max(largestInside, lineDifference(image, i, i + 1, columns));
        EXPECT_LE(lineDifference(image, size - 1, 0, columns), largestInside)
            << (columns ? "left and right edges" : "top and bottom edges") << " do not meet";
    }
}

TEST(GeneratedPictures, IntroAndCreditsStandOnTransparencyWithinTheVisibleMiddle) {
    // Intro strips show their middle ~80 %; credits grow from the centre.
    for (const char* name :
         {"intro1.png", "intro2.png", "intro3.png", "kesto.png", "lunder.png", "tarvo.png"}) {
        SCOPED_TRACE(name);
        Image image(kDataDir + name);
        ASSERT_EQ(image.components, 4);
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
        Image image(kDataDir + name);
        ASSERT_EQ(image.components, 4) << name;
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
