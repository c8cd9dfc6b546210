// The picture slides: "intro" (a pulsing strip), "credits" (three zooming pictures) and
// "greetings" (a turning column of picture bands with outlines).
#include "tests/picture_scene_support.h"

#include "scenes/credits_scene.h"
#include "scenes/greetings_scene.h"
#include "scenes/intro_scene.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace {

using picturetest::fillRect;
using picturetest::startFrame;
using testgl::Rgb;

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const float kPi = 3.14159265f;

// Intro's pulse runs at 0.7 radians per second at speed 1.
float atPhase(float start, float phase, float speed = 1.0f) {
    return start + phase / (0.7f * speed);
}

TEST(IntroScene, PulsesFromItsFirstPaintAndDrawsNothingAfterPhaseTen) {
    REQUIRE_GL_CONTEXT();
    picturetest::enterPictureDirectory();
    IntroScene intro;

    startFrame();
    intro.paint(3.0f, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 1);

    startFrame();
    intro.paint(atPhase(3.0f, kPi / 2), 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kRed, 1);
    // The strip is 0.25 high at distance 1.5: rows 240 to 360, and wider than the window.
    EXPECT_PIXEL_NEAR(2, 350, kRed, 1);
    EXPECT_PIXEL_NEAR(400, 370, kBlack, 0);

    // The negative half of the sine is clamped to transparent.
    startFrame();
    intro.paint(atPhase(3.0f, 4.0f), 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 0);

    // At phase 13.5 the sine is 0.8, but the pulse is over.
    startFrame();
    intro.paint(atPhase(3.0f, 13.5f), 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(IntroScene, EachTriggerRestartsThePulseWithTheNextPictureAtItsSpeed) {
    REQUIRE_GL_CONTEXT();
    picturetest::enterPictureDirectory();
    IntroScene intro;
    struct Step {
        float time;
        const char* value;
        Rgb peak;
    };
    const Step steps[] = {{5.0f, "2", kGreen}, {20.0f, "1", kBlue}, {40.0f, "0.5", kRed}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.value);
        intro.trigger(step.time, "next", step.value);
        const float speed = static_cast<float>(std::atof(step.value));
        startFrame();
        intro.paint(atPhase(step.time, kPi / 2, speed), 0, 0);
        EXPECT_PIXEL_NEAR(400, 300, step.peak, 1);
        startFrame();
        intro.paint(atPhase(step.time, kPi / 6, speed), 0, 0);
        EXPECT_PIXEL_NEAR(400, 300, (Rgb{step.peak.r / 2, step.peak.g / 2, step.peak.b / 2}), 2);
    }
    // No number: speed 0 freezes the pulse at phase 0, invisible.
    intro.trigger(60.0f, "next", "soon");
    startFrame();
    intro.paint(61.0f, 0, 0);
    EXPECT_PIXEL_NEAR(400, 300, kBlack, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(CreditsScene, PicturesZoomUpInTurnAndTheSequenceEndsWithinThreeSeconds) {
    REQUIRE_GL_CONTEXT();
    picturetest::enterPictureDirectory();
    CreditsScene credits;
    // 0.7 s in: picture 0 at size 2.1 (alpha sin 2.1, 190 pixels either side of the centre),
    // picture 1 over it at size 0.15 (alpha sin 0.15, 13 pixels either side).
    const float alpha0 = std::sin(2.1f), alpha1 = std::sin(0.15f);
    const Rgb outer{static_cast<int>(255 * alpha0), 0, 0};
    const Rgb centre{static_cast<int>(255 * alpha0 * (1 - alpha1)), static_cast<int>(255 * alpha1),
                     0};
    for (float start : {10.0f, 13.0f}) {
        SCOPED_TRACE(start);
        if (start != 10.0f)
            credits.trigger(start, "", "");
        startFrame();
        credits.paint(start, 0, 0);
        startFrame();
        credits.paint(start + 0.7f, 0, 0);
        EXPECT_PIXEL_NEAR(520, 300, outer, 2);
        EXPECT_PIXEL_NEAR(400, 300, centre, 2);
        EXPECT_PIXEL_NEAR(400, 340, kBlack, 0);
        startFrame();
        credits.paint(start + 2.7f, 0, 0);
        for (int x : {300, 400, 520})
            EXPECT_PIXEL_NEAR(x, 300, kBlack, 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GreetingsScene, FourBandsCutAtTransparentTexelsWithBlackOutlinesAtTheSeams) {
    REQUIRE_GL_CONTEXT();
    picturetest::enterPictureDirectory();
    GLint alphaBits = -1;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    ASSERT_EQ(alphaBits, 0) << "the bands' blend function relies on a window without alpha";
    GreetingsScene greetings;
    startFrame();
    fillRect(0, 0, 800, 600, Rgb{255, 255, 255});
    greetings.paint(0, 0, 0);

    // Down the middle, top to bottom: red, the transparent band (the white behind it), green,
    // and white, tinted yellow by the colour (1, 1, 0.2).
    EXPECT_PIXEL_NEAR(400, 520, kRed, 1);
    EXPECT_PIXEL_NEAR(400, 370, (Rgb{255, 255, 255}), 0);
    EXPECT_PIXEL_NEAR(400, 230, kGreen, 1);
    EXPECT_PIXEL_NEAR(400, 80, (Rgb{255, 255, 51}), 1);

    // Right of the column (which reaches x 571 at most), only the outline squares draw: at
    // the seams' heights, and nowhere far from them.
    const int seamRows[] = {437, 300, 163};
    for (int seam : seamRows) {
        SCOPED_TRACE(seam);
        int black = 0;
        for (const Rgb& pixel : picturetest::readRect(600, seam - 50, 190, 100))
            black += pixel.r < 40 && pixel.g < 40 && pixel.b < 40;
        EXPECT_GT(black, 100);
    }
    int elsewhere = 0;
    for (const Rgb& pixel : picturetest::readRect(600, 520, 190, 70))
        elsewhere += pixel.r < 250;
    EXPECT_EQ(elsewhere, 0);

    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
