// The full-screen layers, "background" (a colour blended by its alpha) and "backgroundtex"
// (one of two pictures), and the picture slides: "intro" (a pulsing strip), "credits" (three
// zooming pictures) and "greetings" (a turning column of picture bands with outlines).
#include "tests/png_test_files.h"
#include "tests/render_support.h"

#include "scenes/background_scene.h"
#include "scenes/background_tex.h"
#include "scenes/credits_scene.h"
#include "scenes/greetings_scene.h"
#include "scenes/intro_scene.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace {

using namespace testgl;
const int kProbes[][2] = {{1, 1}, {798, 598}, {400, 300}, {123, 456}, {678, 90}};

Rgb halved(Rgb colour) {
    return Rgb{colour.r / 2, colour.g / 2, colour.b / 2};
}

TEST(BackgroundScene, OpaqueWhiteUntilTriggeredThenATintByItsAlpha) {
    REQUIRE_GL_CONTEXT();
    BackgroundScene background;
    startFrame();
    drawGradient();
    background.paint(0, 0, 0);
    for (const auto& probe : kProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], (Rgb{255, 255, 255}), 0);

    // Black at half alpha halves the frame drawn before it; unknown names change nothing.
    for (const char* name : {"a", "r", "g", "b"})
        background.trigger(0, name, name[0] == 'a' ? "0.5" : "0");
    background.trigger(0, "R", "1");
    startFrame();
    drawGradient();
    background.paint(0, 0, 0);
    for (const auto& probe : kProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], halved(gradientAt(probe[0], probe[1])), 1);

    // Fully transparent: no pixel changes.
    background.trigger(0, "r", "1");
    background.trigger(0, "a", "0");
    startFrame();
    drawGradient();
    background.paint(0, 0, 0);
    for (const auto& probe : kProbes)
        EXPECT_PIXEL_NEAR(probe[0], probe[1], gradientAt(probe[0], probe[1]), 0);

    // It leaves texturing on, blending off and its colour set, even when it found texturing off.
    background.trigger(0, "g", "0.25");
    glDisable(GL_TEXTURE_2D);
    background.paint(0, 0, 0);
    expectGlState({GL_TEXTURE_2D, GL_DEPTH_TEST, GL_LIGHTING}, {GL_BLEND});
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.25f);
}

// Picture 1.png has red = x / 4 and green = y / 4, counted from its top-left corner: window
// pixel (x, y) shows its pixel (x, 599 - y).
Rgb pictureOneAt(int x, int y) {
    return Rgb{x / 4, (599 - y) / 4, 200};
}

TEST(BackgroundTex, ShowsTheTopLeftOfAPictureAndIgnoresIndexesBeyondTheTwo) {
    REQUIRE_GL_CONTEXT();
    enterPictureDirectory();
    BackgroundTex backgroundTex;

    struct Step {
        const char* value; // of a "texture" trigger; null: no trigger
        bool pictureOne;
    };
    const Step steps[] = {{nullptr, false}, {"1", true},  {"7", true},
                          {"-1", true},     {"0", false}, {" 1x", true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.value ? step.value : "untriggered");
        if (step.value)
            backgroundTex.trigger(0, "texture", step.value);
        startFrame();
        backgroundTex.paint(0, 0, 0);
        for (const auto& probe : kProbes) {
            const Rgb expected = step.pictureOne ? pictureOneAt(probe[0], probe[1]) : kPicture2;
            EXPECT_PIXEL_NEAR(probe[0], probe[1], expected, 1);
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// [SECTION] Slides

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const float kPi = 3.14159265f;

// Intro's pulse runs at 0.7 radians per second at speed 1.
float atPhase(float start, float phase, float speed = 1.0f) {
    return start + phase / (0.7f * speed);
}

TEST(IntroScene, PulsesFromItsFirstPaintUntilPhaseTenAndEachTriggerRestartsIt) {
    REQUIRE_GL_CONTEXT();
    enterPictureDirectory();
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
    expectGlState({GL_DEPTH_TEST}, {GL_BLEND});

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

TEST(CreditsScene, PicturesZoomUpInTurnUprightAndTheSequenceEndsWithinThreeSeconds) {
    REQUIRE_GL_CONTEXT();
    enterPictureDirectory();
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

    // Upright: a picture red above its middle and blue below shows red above the centre.
    testpng::writePixels("data/kesto.png", 64, 32, false, [](int, int y, unsigned char* pixel) {
        pixel[0] = y < 16 ? 255 : 0;
        pixel[1] = 0;
        pixel[2] = y < 16 ? 0 : 255;
    });
    CreditsScene upright;
    writeSolidPicture("kesto", kRed);
    startFrame();
    upright.paint(0, 0, 0);
    startFrame();
    upright.paint(0.7f, 0, 0);
    EXPECT_PIXEL_NEAR(520, 315, outer, 2);
    EXPECT_PIXEL_NEAR(520, 285, (Rgb{0, 0, outer.r}), 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GreetingsScene, FourBandsCutAtTransparentTexelsWithBlackOutlinesAtTheSeams) {
    REQUIRE_GL_CONTEXT();
    enterPictureDirectory();
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
        for (const Rgb& pixel : readRect(600, seam - 50, 190, 100))
            black += pixel.r < 40 && pixel.g < 40 && pixel.b < 40;
        EXPECT_GT(black, 100);
    }
    int elsewhere = 0;
    for (const Rgb& pixel : readRect(600, 520, 190, 70))
        elsewhere += pixel.r < 250;
    EXPECT_EQ(elsewhere, 0);

    expectGlState({GL_CULL_FACE}, {GL_FOG, GL_ALPHA_TEST});
}

} // namespace
