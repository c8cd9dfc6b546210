// The additive and fogged scenes: the glow image, the particle lattice, the design overlays,
// the scan lines, the planes and the spinning wheel, read back from the frame.
#include "gfx/computed_textures.h"
#include "scenes/design_mojs.h"
#include "scenes/design_mojs2.h"
#include "scenes/lines_scene.h"
#include "scenes/particles_scene.h"
#include "scenes/planes_scene.h"
#include "scenes/spinning_scene.h"
#include "tests/render_support.h"

#include <GL/gl.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

using testgl::paintFrame;
using testgl::readPixel;
using testgl::Rgb;

namespace {

// [SECTION] Glow image

// Row and column 32 is the centre; 8 texels are a quarter of the half-width.
TEST(GlowImage, FallsOffFromTheCentreRisesFaintlyInTheCornersAndUploadsGrey) {
    // Flat at the top (r = 0.156 still 255), 109 halfway out, nothing at r = 1 even where the
    // polynomial turns negative (r = 1.06), and a faint rise into the corners (r = 1.414).
    for (const auto& [row, column, grey] :
         {std::tuple(32, 32, 255), std::tuple(37, 32, 255), std::tuple(48, 32, 109),
          std::tuple(32, 16, 109), std::tuple(0, 32, 0), std::tuple(20, 0, 0)})
        EXPECT_EQ(glowTexel(row, column), grey) << row << "," << column;
    for (const auto& [row, column] : {std::pair(0, 0), std::pair(0, 63), std::pair(63, 63)})
        EXPECT_TRUE(glowTexel(row, column) > 0 && glowTexel(row, column) <= 5)
            << row << "," << column;

    REQUIRE_GL_CONTEXT();
    unsigned int texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    uploadGlowImage();
    std::vector<unsigned char> uploaded(kGlowImageSize * kGlowImageSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
    for (int row : {0, 20, 32, 40, 48, 63}) {
        for (int column : {0, 13, 32, 63}) {
            const unsigned char* texel = &uploaded[3 * (row * kGlowImageSize + column)];
            EXPECT_EQ(texel[0], glowTexel(row, column)) << row << "," << column;
            EXPECT_TRUE(texel[1] == texel[0] && texel[2] == texel[0]) << row << "," << column;
        }
    }
    int minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

// [SECTION] Particles

const int kCentreX = 400;
const int kCentreY = 300;
// Pixels from the centre to where a sprite of scale 1 falls to half its peak (glow 109 at
// r = 0.5): 0.2 units at distance 10 under the 45-degree projection, halved.
const float kHalfPeakRadius = 0.5f * 0.2f * 724.26f / 10.0f;

// Lattice point 555 sits at the origin, which no rotation or scale moves. Blown up a
// thousandfold, the lattice puts every other sprite beyond the far plane, so the one in the
// middle of the screen can be measured alone.
void isolateCentreSprite(ParticlesScene& scene, float time) {
    scene.trigger(time, "expand", "999");
}

Rgb paintAndReadCentre(ParticlesScene& scene, float elapsed) {
    paintFrame(scene, elapsed);
    return readPixel(kCentreX, kCentreY);
}

// Distance from the centre along the middle row to the first pixel whose red falls below half
// the centre's (orange sprites: red is 0.71 of the glow).
float measuredRadius(ParticlesScene& scene, float elapsed) {
    const Rgb centre = paintAndReadCentre(scene, elapsed);
    const std::vector<Rgb> row = testgl::readRect(kCentreX, kCentreY, 200, 1);
    for (int x = 0; x < 200; ++x)
        if (row[x].r < 0.71f * 109.0f * centre.r / 181.0f)
            return static_cast<float>(x);
    return 200.0f;
}

TEST(ParticlesScene, EnlargeSwellsTheSpritesThenSinksAtThreePerSecond) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    isolateCentreSprite(scene, 10.0f);
    scene.trigger(10.0f, "enlarge", "2");
    EXPECT_NEAR(measuredRadius(scene, 10.0f), 3.0f * kHalfPeakRadius, 1.5f);
    // Frames in between do not speed the sinking up.
    paintFrame(scene, 10.1f);
    paintFrame(scene, 10.2f);
    EXPECT_NEAR(measuredRadius(scene, 10.3f), 2.1f * kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 10.5f), 1.5f * kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 10.667f), kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 12.0f), kHalfPeakRadius, 1.5f);

    // Two swells in quick succession add up, less what sank in between.
    scene.trigger(20.0f, "enlarge", "1");
    measuredRadius(scene, 20.1f);
    scene.trigger(20.1f, "enlarge", "1");
    EXPECT_NEAR(measuredRadius(scene, 20.1f), 2.7f * kHalfPeakRadius, 1.5f);

    // A negative swell, once the others have sunk, stays below one until raised.
    paintFrame(scene, 29.0f);
    scene.trigger(30.0f, "enlarge", "-0.5");
    EXPECT_NEAR(measuredRadius(scene, 30.0f), 0.5f * kHalfPeakRadius, 1.0f);
    EXPECT_NEAR(measuredRadius(scene, 35.0f), 0.5f * kHalfPeakRadius, 1.0f);
    scene.trigger(36.0f, "enlarge", "1.5");
    EXPECT_NEAR(measuredRadius(scene, 36.0f), 2.0f * kHalfPeakRadius, 1.5f);
}

TEST(ParticlesScene, ContractGrowsTheLatticeByOnePerSecond) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    // Untriggered, the 4.5-unit cube at distance 10 spans about +-160 pixels, however turned.
    paintFrame(scene, 3.0f);
    EXPECT_GT(testgl::litPixels(), 20000);
    EXPECT_EQ(readPixel(5, 5).r, 0);
    EXPECT_EQ(readPixel(795, 595).r, 0);

    // Lattice scale 0 until "contract": all 1000 sprites pile up on the centre, and even the
    // faint blue of the orange adds up to full.
    scene.trigger(0.0f, "expand", "-1");
    scene.trigger(20.0f, "contract", "");
    EXPECT_GE(paintAndReadCentre(scene, 20.0f).b, 250);
    // A second later the lattice has unit scale and only the sprites on the view axis overlap.
    EXPECT_LT(paintAndReadCentre(scene, 21.0f).b, 100);
    // The rate itself the picture cannot show through the tumbling, so read the state.
    paintAndReadCentre(scene, 25.0f);
    EXPECT_FLOAT_EQ(scene.gridScale + scene.contraction, 5.0f);
    paintAndReadCentre(scene, 26.5f);
    EXPECT_FLOAT_EQ(scene.gridScale + scene.contraction, 6.5f);
}

TEST(ParticlesScene, TriggerNamesMatchExactlyAndEndTurnsTheColour) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    isolateCentreSprite(scene, 0.0f);
    for (const char* name : {"Enlarge", "ENLARGE", "enlarge ", " enlarge", "enlarg", "End", "end "})
        scene.trigger(0.0f, name, "2");
    EXPECT_NEAR(measuredRadius(scene, 0.0f), kHalfPeakRadius, 1.5f);
    // 0.71, 0.23, 0.011 of the glow's 255, then cyan.
    EXPECT_TRUE(testgl::colourNear(paintAndReadCentre(scene, 0.0f), {181, 59, 3}, 4));
    scene.trigger(1.0f, "end", "");
    const Rgb cyan = paintAndReadCentre(scene, 1.0f);
    EXPECT_NEAR(cyan.r, 181, 4);
    EXPECT_GE(std::min(cyan.g, cyan.b), 250);
    EXPECT_NEAR(measuredRadius(scene, 2.0f), kHalfPeakRadius, 1.5f);
}

// [SECTION] Design overlays

// At distance 10 one unit is 72.4 pixels: the blobs at x = 0 of the upper row (i = 15) and of
// the lower row (also i = 15) are centred on (400, 539) and (400, 61).
const int kUpperBlobY = 539;
const int kLowerBlobY = 61;
// Half a unit above the upper blob's centre, where only that blob can reach.
const int kAboveUpperBlobY = kUpperBlobY + 36;

TEST(DesignMojs, RunStartsAtHomeShrinksAwayWithAgeAndTriggersRestartIt) {
    REQUIRE_GL_CONTEXT();
    DesignMojs scene;
    // e = 0, age 0: blob 15 has size sin(60) / 2 + 0.5 = 0.35 and a white glow at its centre.
    paintFrame(scene, 0.0f);
    for (int y : {kUpperBlobY, kLowerBlobY}) {
        const Rgb centre = readPixel(400, y);
        EXPECT_TRUE(centre.r >= 240 && centre.g == centre.r && centre.b == centre.r) << y;
    }
    EXPECT_EQ(readPixel(400, kAboveUpperBlobY).r, 0);
    EXPECT_EQ(readPixel(400, 300).r, 0);
    // Past 1 / 0.7 s of age nothing is left, whatever the pulse.
    for (float elapsed : {1.45f, 1.5f, 3.0f, 20.0f}) {
        paintFrame(scene, elapsed);
        EXPECT_EQ(testgl::litPixels(), 0) << "e = " << elapsed;
    }
    testgl::expectGlState({GL_DEPTH_TEST, GL_LIGHTING}, {GL_BLEND});

    // Age 0 again, but the pulse follows e = 3: blob 15 has size sin(90) / 2 + 0.5 = 0.95,
    // so it reaches half a unit above its centre (it would not at the first run's 0.35).
    scene.trigger(0.0f, "", "");
    paintFrame(scene, 3.0f);
    EXPECT_GE(readPixel(400, kUpperBlobY).r, 240);
    EXPECT_GE(readPixel(400, kLowerBlobY).r, 240);
    EXPECT_GT(readPixel(400, kAboveUpperBlobY).r, 60);
    paintFrame(scene, 4.5f);
    EXPECT_EQ(testgl::litPixels(), 0);
}

// The meter stands at distance 2.4: bar i's centre column is 730.7 + 11.3 i, its base on
// row 28.
int barColumn(int bar) {
    return 731 + (bar * 113) / 10;
}

// The highest lit row in the bar's centre column: its cap line.
int capRow(int bar) {
    const std::vector<Rgb> column = testgl::readRect(barColumn(bar), 0, 1, 121);
    for (int y = 120; y >= 0; --y)
        if (column[y].r > 100)
            return y;
    return -1;
}

TEST(DesignMojs2, EachTriggerMovesTheBarHeightsOnByOneStep) {
    REQUIRE_GL_CONTEXT();
    DesignMojs2 meter;
    paintFrame(meter, 0.0f);
    // Phase 0: bar 0 stands 0.075 high, its cap 25.7 pixels above the base; bar 1 0.054.
    const int barZeroCap = capRow(0);
    EXPECT_NEAR(barZeroCap, 54, 1);
    EXPECT_NEAR(capRow(1), 48, 1);
    EXPECT_GT(readPixel(barColumn(0), 28).r, 100);
    // The outline and cap of bar 0 (8 by 26 pixels) are unbroken lines.
    int outline = 0;
    for (const Rgb& pixel : testgl::readRect(barColumn(0) - 6, 20, 13, 42))
        outline += pixel.r > 100;
    EXPECT_GT(outline, 60);

    // Later paints keep the heights; a trigger gives bar 1 the height bar 0 had.
    paintFrame(meter, 7.0f);
    EXPECT_EQ(capRow(0), barZeroCap);
    meter.trigger(7.0f, "", "");
    paintFrame(meter, 7.5f);
    EXPECT_EQ(capRow(1), barZeroCap);
    testgl::expectGlState({GL_TEXTURE_2D, GL_DEPTH_TEST, GL_LIGHTING}, {GL_LINE_SMOOTH});

    // The first paint takes the phase from elapsed: one meter started at e = 1 stands as one
    // started at 0 and stepped once.
    DesignMojs2 started;
    paintFrame(started, 1.0f);
    int heights[5];
    for (int bar = 0; bar < 5; ++bar)
        heights[bar] = capRow(bar);
    DesignMojs2 stepped;
    paintFrame(stepped, 0.0f);
    stepped.trigger(0.0f, "", "");
    paintFrame(stepped, 5.0f);
    for (int bar = 0; bar < 5; ++bar)
        EXPECT_EQ(capRow(bar), heights[bar]) << "bar " << bar;
}

// [SECTION] Lines

// Bar 0 at height sin(-10) = 0.544 and distance 2.4 covers window rows 463 and 464
// (centre 464.17, 1.2 pixels either side); at e = 10 no other bar comes within 0.04 of it.
const int kBarZeroRows[] = {463, 464};
const float kBarZeroAlone = 10.0f;

void paintLines(LinesScene& scene, float elapsed, int times) {
    testgl::startFrame();
    for (int i = 0; i < times; ++i)
        scene.paint(elapsed, 0.02f, 0.0f);
}

TEST(LinesScene, BarZeroNeverMovesWhileTheFastBarsDoAndFiveBarsAddUpToWhite) {
    REQUIRE_GL_CONTEXT();
    LinesScene scene;
    for (float elapsed : {0.0f, 1.7f, 10.0f, 33.3f, 120.0f, 999.0f}) {
        paintLines(scene, elapsed, 1);
        for (int row : kBarZeroRows)
            for (int x : {0, 400, 799})
                EXPECT_GE(readPixel(x, row).r, 50) << "e = " << elapsed << ", row " << row;
    }
    paintLines(scene, kBarZeroAlone, 1);
    EXPECT_EQ(readPixel(400, 460).r, 0) << "below the bar, clear of it by more than a pixel";

    paintLines(scene, 0.0f, 1);
    const std::vector<Rgb> start = testgl::readRect(400, 0, 1, 600);
    paintLines(scene, 2.0f, 1);
    const std::vector<Rgb> later = testgl::readRect(400, 0, 1, 600);
    int changedRows = 0;
    for (int row = 0; row < 600; ++row)
        changedRows += start[row].r != later[row].r;
    EXPECT_GT(changedRows, 20);

    // Each bar adds a fifth, so five overlapping reach white.
    for (int overlapping = 1; overlapping <= 5; ++overlapping) {
        paintLines(scene, kBarZeroAlone, overlapping);
        const int grey = 51 * overlapping;
        EXPECT_PIXEL_NEAR(400, kBarZeroRows[0], (Rgb{grey, grey, grey}), 1) << overlapping;
    }
    // Blending stays on for the next effect; texturing, depth and lighting come back.
    testgl::expectGlState({GL_BLEND, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_LIGHTING}, {});
}

// [SECTION] Planes and spinning wheel

TEST(PlanesScene, FloorAndCeilingFadeIntoBlackFogPerPixelWhileTheViewTurns) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    PlanesScene scene;
    paintFrame(scene, 0.0f);
    // Rows 100 and 499 see the planes 7 units away, rows 242 and 357 about 25, the middle row
    // the horizon; the white picture leaves only the fog to shade them.
    for (int y : {0, 100, 499, 599}) {
        EXPECT_GE(readPixel(400, y).r, 250) << y;
        EXPECT_GE(readPixel(30, y).g, 250) << y;
    }
    for (int y : {242, 357}) {
        const Rgb halfway = readPixel(400, y);
        EXPECT_NEAR(halfway.r, 125, 30) << y;
        EXPECT_EQ(halfway.g, halfway.r);
    }
    EXPECT_EQ(readPixel(400, 300).r, 0);
    EXPECT_EQ(readPixel(400, 299).r, 0);
    testgl::expectGlState({GL_TEXTURE_2D, GL_DEPTH_TEST, GL_LIGHTING}, {GL_FOG});

    // Turned and rolled, the view still looks along the planes, which fill most of it; fog
    // taken per vertex of the huge quads would blacken them.
    for (float elapsed : {0.6f, 1.0f, 5.0f}) {
        paintFrame(scene, elapsed);
        EXPECT_GT(testgl::litPixels(), 800 * 600 * 3 / 4) << "e = " << elapsed;
    }
}

int red(const std::vector<unsigned char>& frame, int x, int y) {
    return frame[(static_cast<size_t>(y) * 800 + static_cast<size_t>(x)) * 3];
}

TEST(SpinningScene, PanelsAddEighthsAndStandSymmetricUntilTheWheelRocks) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    const int panelStep = testgl::kSpinningGrey / 8; // each panel adds an eighth of the grey
    SpinningScene scene;
    paintFrame(scene, 0.0f);
    const std::vector<unsigned char> still = testgl::readFrame();
    int brightest = 0, unevenOrAsymmetric = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 400; x += 5) {
            const int value = red(still, x, y);
            unevenOrAsymmetric += value % panelStep != 0 || value != red(still, 799 - x, y);
            brightest = std::max(brightest, value);
        }
    }
    EXPECT_EQ(unevenOrAsymmetric, 0);
    EXPECT_GE(brightest, 10 * panelStep) << "many panels overlap somewhere";

    paintFrame(scene, 1.0f);
    const std::vector<unsigned char> rocked = testgl::readFrame();
    int asymmetric = 0;
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 400; x += 5)
            asymmetric += red(rocked, x, y) != red(rocked, 799 - x, y);
    EXPECT_GT(asymmetric, 50);

    // The picture is a function of elapsed alone.
    paintFrame(scene, 0.0f);
    EXPECT_EQ(testgl::readFrame(), still);
    testgl::expectGlState({GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING}, {GL_BLEND, GL_TEXTURE_2D});
}

} // namespace
