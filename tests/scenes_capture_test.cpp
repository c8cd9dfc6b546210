// The scenes around the captured frame: "render2texture" and the scenes that draw its
// capture back ("fade", "tstretch", "tfly"), and the feedback blur "radialblur".
#include "tests/render_support.h"

#include "framework/script.h"
#include "scenes/fade_scene.h"
#include "scenes/r2tex_scene.h"
#include "scenes/radial_blur.h"
#include "scenes/stretch_transition.h"
#include "scenes/tfly_scene.h"

#include <GL/gl.h>

#include <memory>
#include <string>
#include <utility>

namespace {

using namespace testgl;

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};
const Rgb kBackdrop{0, 0, 120};

Rgb mix(Rgb top, Rgb below, float alpha) {
    auto channel = [alpha](int a, int b) { return static_cast<int>(a * alpha + b * (1 - alpha)); };
    return Rgb{channel(top.r, below.r), channel(top.g, below.g), channel(top.b, below.b)};
}

// Probe points spread over the window, next to each corner. NOTE: not in the outermost
// columns and rows: the screen quad's x scale 1.333 (not 4/3) leaves them a fraction of a
// texel short, where linear filtering mixes in a little of the texels beyond the capture.
const int kProbes[][2] = {{1, 1},     {798, 1},  {1, 598},   {798, 598}, {400, 300},
                          {123, 456}, {678, 90}, {250, 520}, {560, 222}, {17, 301}};

void expectPixels(std::initializer_list<std::pair<int, int>> points, Rgb colour, int tolerance) {
    for (const auto& [x, y] : points)
        EXPECT_PIXEL_NEAR(x, y, colour, tolerance);
}

void expectGradient(int tolerance) {
    for (const auto& probe : kProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], gradientAt(probe[0], probe[1]), tolerance);
}

// A capture scene and the texture it fills, with a known frame captured.
class Captured : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        r2texScene = std::make_unique<R2texScene>(); // its texture needs the context
    }
    void capture(Rgb colour) {
        startFrame();
        fillRect(0, 0, 800, 600, colour);
        r2tex().paint(0, 0, 0);
    }
    void captureGradient() {
        startFrame();
        drawGradient();
        r2tex().paint(0, 0, 0);
    }
    R2texScene& r2tex() { return *r2texScene; }

    std::unique_ptr<R2texScene> r2texScene;
};

using CaptureAndFade = Captured;

TEST_F(CaptureAndFade, CaptureClearsTheFrameAndFadeShowsItBackPixelForPixel) {
    FadeScene fade;
    // Before any capture the texture is black.
    startFrame();
    fillRect(0, 0, 800, 600, kWhite);
    fade.paint(0, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 1);

    captureGradient();
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 0);
    EXPECT_PIXEL_NEAR(799, 599, kBlack, 0);
    fillRect(0, 0, 800, 600, kBackdrop);
    fade.paint(0, 0, 0);
    expectGradient(2);

    // Halfway through a fade out, half of the capture over what was drawn after it.
    fillRect(0, 0, 800, 600, kBackdrop);
    fade.paint(1.0f, 0, 0.5f);
    EXPECT_PIXEL_NEAR(123, 456, mix(gradientAt(123, 456), kBackdrop, 0.5f), 2);

    // A second capture in a frame sees only what was drawn since the first.
    capture(kWhite);
    fillRect(0, 0, 400, 600, Rgb{0, 200, 0});
    r2tex().paint(0, 0, 0);
    fade.paint(0, 0, 0);
    EXPECT_PIXEL_NEAR(100, 300, (Rgb{0, 200, 0}), 1);
    EXPECT_PIXEL_NEAR(700, 300, kBlack, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CaptureAndFade, OnlyExactlyInFadesIn) {
    FadeScene fade;
    capture(kWhite);
    struct Case {
        const char* name;
        const char* value;
        float progress;
        Rgb seen;
    };
    const Case cases[] = {
        {"mode", "in", 0.0f, kBackdrop},
        {"mode", "in", 0.75f, mix(kWhite, kBackdrop, 0.75f)},
        {"Mode", "out", 0.0f, kBackdrop}, // a name it does not know changes nothing
        {"mode", "In", 0.0f, kWhite},
        {"mode", "in", 0.0f, kBackdrop},
        {"mode", "", 0.25f, mix(kWhite, kBackdrop, 0.75f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = '" + c.value + "'");
        fade.trigger(0, c.name, c.value);
        fillRect(0, 0, 800, 600, kBackdrop);
        fade.paint(0, 0, c.progress);
        EXPECT_PIXEL_NEAR(400, 300, c.seen, 2);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CaptureAndFade, ModeHoldsIntoTheNextFadeEffect) {
    FadeScene fade;
    tarvo64k::Script timeline;
    timeline.addCallback("render2texture", &r2tex());
    timeline.addCallback("fade", &fade);
    // White is captured every frame; the fades draw it back over the cleared frame.
    const std::string text = "<effect start=\"0\" end=\"4\" name=\"render2texture\"/>"
                             "<effect start=\"0\" end=\"1\" name=\"fade\">"
                             "<trigger start=\"0\" name=\"mode\" value=\"in\"/></effect>"
                             "<effect start=\"2\" end=\"3\" name=\"fade\"/>";
    timeline.parse(reinterpret_cast<const unsigned char*>(text.data()),
                   static_cast<unsigned int>(text.size()));
    for (float time : {0.0f, 2.0f, 2.5f}) {
        startFrame();
        fillRect(0, 0, 800, 600, kWhite);
        timeline.update(time);
        const int expected = time == 2.5f ? 127 : 0;
        EXPECT_PIXEL_NEAR(400, 300, (Rgb{expected, expected, expected}), 2) << time;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

using StretchTransition = Captured;

TEST_F(StretchTransition, SqueezesToAHalfHeightBandThenNarrowsToAThinStrip) {
    ::StretchTransition stretch;
    capture(kWhite);
    // Blending is off, so the band is opaque whatever its alpha.
    glDisable(GL_BLEND);
    stretch.paint(0, 0, 0.25f);
    expectPixels({{2, 300}, {400, 300}, {797, 300}, {400, 445}, {400, 155}}, kWhite, 1);
    expectPixels({{400, 455}, {400, 145}}, kBlack, 1);

    // About 2 % of 600 rows high and half the width, about the centre.
    startFrame();
    stretch.paint(0, 0, 0.75f);
    expectPixels({{205, 300}, {400, 300}, {595, 300}, {400, 304}}, kWhite, 1);
    expectPixels({{400, 309}, {400, 291}, {195, 300}, {605, 300}}, kBlack, 1);

    // Its alpha shows only when an earlier effect left blending on, which it leaves alone.
    capture(kWhite);
    glEnable(GL_BLEND);
    stretch.paint(0, 0, 0.25f);
    EXPECT_PIXEL_NEAR(400, 300, mix(kWhite, kBlack, 0.75f), 2);
    stretch.trigger(0, "mode", "in");
    glClear(GL_COLOR_BUFFER_BIT);
    stretch.paint(0, 0, 0.25f);
    EXPECT_PIXEL_NEAR(400, 300, mix(kWhite, kBlack, 0.25f), 2);
    expectGlState({GL_BLEND}, {});
    glDisable(GL_BLEND);
}

using TFly = Captured;

TEST_F(TFly, StartsAsTheCapturedFrameAndHalfwayIsSmallUpsideDownAndHalfFaded) {
    TFlyScene fly;
    captureGradient();
    fly.paint(0, 0, 0);
    expectGradient(2);

    startFrame();
    fillRect(0, 300, 800, 300, Rgb{255, 0, 0});
    fillRect(0, 0, 800, 300, Rgb{0, 0, 255});
    r2tex().paint(0, 0, 0);
    // Culling on: the card shows its back after half a turn about x.
    glEnable(GL_CULL_FACE);
    fly.paint(0, 0, 0.5f);
    // Centred at (1.875, 0, -14.914): window x 426 to 556, y 252 to 348.
    EXPECT_PIXEL_NEAR(491, 320, (Rgb{0, 0, 127}), 2);
    EXPECT_PIXEL_NEAR(491, 280, (Rgb{127, 0, 0}), 2);
    expectPixels({{400, 300}, {580, 300}, {491, 360}}, kBlack, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(RadialBlur, StartsBlackLeavesTheFrameAloneAtAmountZeroAndTrailsOutwardsOrInPlace) {
    REQUIRE_GL_CONTEXT();
    RadialBlur blur;
    startFrame();
    fillRect(0, 0, 800, 600, Rgb{200, 200, 200});
    blur.paint(0, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, (Rgb{20, 20, 20}), 2);

    blur.trigger(0, "amount", "0");
    for (int frame = 0; frame < 2; ++frame) {
        startFrame();
        drawGradient();
        blur.paint(0, 0, 0);
        expectGradient(1);
    }
    // The number before the letters; the last capture, enlarged about the centre, at half.
    blur.trigger(0, "amount", "0.5abc");
    startFrame();
    blur.paint(0, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, mix(gradientAt(400, 300), kBlack, 0.5f), 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    blur.trigger(0, "amount", "0.5");
    // A square right of the centre, x 600 to 640; enlarged by 1.05 it spans x 610 to 652.
    auto trailOfSquare = [&blur]() {
        // Blank frames first, until the earlier trails have halved away.
        for (int frame = 0; frame < 10; ++frame) {
            startFrame();
            blur.paint(0, 0, 0);
        }
        startFrame();
        fillRect(600, 290, 40, 20, kWhite);
        blur.paint(0, 0, 0);
        startFrame();
        blur.paint(0, 0, 0);
    };
    trailOfSquare();
    EXPECT_PIXEL_NEAR(647, 300, (Rgb{64, 64, 64}), 3);
    EXPECT_PIXEL_NEAR(604, 300, kBlack, 1);

    blur.trigger(0, "step", "1");
    trailOfSquare();
    EXPECT_PIXEL_NEAR(604, 300, (Rgb{64, 64, 64}), 3);
    EXPECT_PIXEL_NEAR(647, 300, kBlack, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
