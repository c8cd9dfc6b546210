// DesignMojs and DesignMojs2: the blob rows' start, pulse and age shrink, and the meter's step
// on each trigger.
#include "scenes/design_mojs.h"
#include "scenes/design_mojs2.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

// At distance 10 one unit is 72.4 pixels: the blobs at x = 0 of the upper row (i = 15) and of
// the lower row (also i = 15) are centred on (400, 539) and (400, 61).
const int kUpperBlobY = 539;
const int kLowerBlobY = 61;
// Half a unit above the upper blob's centre, where only that blob can reach.
const int kAboveUpperBlobY = kUpperBlobY + 36;

template <typename Scene> void paintFrame(Scene& scene, float elapsed) {
    sceneprobe::beginFrame();
    scene.paint(elapsed, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(DesignMojs, RunStartsAtHomeAndShrinksAwayWithAge) {
    REQUIRE_GL_CONTEXT();
    DesignMojs scene;
    // e = 0, age 0: blob 15 has size sin(60) / 2 + 0.5 = 0.35 and a white glow at its centre.
    paintFrame(scene, 0.0f);
    for (int y : {kUpperBlobY, kLowerBlobY}) {
        const testgl::Rgb centre = testgl::readPixel(400, y);
        EXPECT_GE(centre.r, 240) << y;
        EXPECT_EQ(centre.g, centre.r);
        EXPECT_EQ(centre.b, centre.r);
    }
    EXPECT_EQ(testgl::readPixel(400, kAboveUpperBlobY).r, 0);
    EXPECT_EQ(testgl::readPixel(400, 300).r, 0);

    // Past 1 / 0.7 s of age nothing is left, whatever the pulse.
    for (float elapsed : {1.45f, 1.5f, 3.0f, 20.0f}) {
        paintFrame(scene, elapsed);
        EXPECT_EQ(sceneprobe::litPixels(), 0) << "e = " << elapsed;
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(DesignMojs, TriggerRestartsTheRunWhileThePulseKeepsAbsoluteTime) {
    REQUIRE_GL_CONTEXT();
    DesignMojs scene;
    paintFrame(scene, 0.0f);
    paintFrame(scene, 0.3f);
    scene.trigger(0.0f, "", "");
    // Age 0 again, but the pulse follows e = 3: blob 15 has size sin(90) / 2 + 0.5 = 0.95,
    // so it reaches half a unit above its centre (it would not at the first run's 0.35).
    paintFrame(scene, 3.0f);
    EXPECT_GE(testgl::readPixel(400, kUpperBlobY).r, 240);
    EXPECT_GE(testgl::readPixel(400, kLowerBlobY).r, 240);
    EXPECT_GT(testgl::readPixel(400, kAboveUpperBlobY).r, 60);
    paintFrame(scene, 4.5f);
    EXPECT_EQ(sceneprobe::litPixels(), 0);
}

// The meter stands at distance 2.4: bar i's centre column is 730.7 + 11.3 i, its base on
// row 28.
int barColumn(int bar) {
    return 731 + (bar * 113) / 10;
}

// The highest lit row in the bar's centre column: its cap line.
int capRow(int bar) {
    for (int y = 120; y >= 0; --y) {
        if (testgl::readPixel(barColumn(bar), y).r > 100)
            return y;
    }
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
    EXPECT_GT(testgl::readPixel(barColumn(0), 28).r, 100);
    // The outline and cap of bar 0 (8 by 26 pixels) are unbroken lines.
    int outline = 0;
    for (int y = 20; y < 62; ++y) {
        for (int x = barColumn(0) - 6; x <= barColumn(0) + 6; ++x)
            outline += testgl::readPixel(x, y).r > 100;
    }
    EXPECT_GT(outline, 60);

    // Later paints keep the heights; a trigger gives bar 1 the height bar 0 had.
    paintFrame(meter, 7.0f);
    EXPECT_EQ(capRow(0), barZeroCap);
    meter.trigger(7.0f, "", "");
    paintFrame(meter, 7.5f);
    EXPECT_EQ(capRow(1), barZeroCap);

    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST(DesignMojs2, FirstPaintTakesThePhaseFromElapsed) {
    REQUIRE_GL_CONTEXT();
    DesignMojs2 started;
    DesignMojs2 stepped;
    paintFrame(stepped, 0.0f);
    stepped.trigger(0.0f, "", "");
    // Phase 1 either way: one started at e = 1, one started at 0 and stepped once.
    paintFrame(started, 1.0f);
    int heights[5];
    for (int bar = 0; bar < 5; ++bar)
        heights[bar] = capRow(bar);
    paintFrame(stepped, 5.0f);
    for (int bar = 0; bar < 5; ++bar)
        EXPECT_EQ(capRow(bar), heights[bar]) << "bar " << bar;
}

} // namespace
