// The full-screen layers: "background" (a colour blended by its alpha) and "backgroundtex"
// (one of two pictures).
#include "tests/picture_scene_support.h"

#include "scenes/background_scene.h"
#include "scenes/background_tex.h"

#include <GL/gl.h>

namespace {

using picturetest::drawGradient;
using picturetest::gradientAt;
using picturetest::startFrame;
using testgl::Rgb;

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
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(BackgroundScene, LeavesTexturingOnAndItsColourSet) {
    REQUIRE_GL_CONTEXT();
    BackgroundScene background;
    background.trigger(0, "g", "0.25");
    glDisable(GL_TEXTURE_2D);
    startFrame();
    background.paint(0, 0, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.25f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Picture 1.png has red = x / 4 and green = y / 4, counted from its top-left corner: window
// pixel (x, y) shows its pixel (x, 599 - y).
Rgb pictureOneAt(int x, int y) {
    return Rgb{x / 4, (599 - y) / 4, 200};
}

TEST(BackgroundTex, ShowsTheTopLeftOfAPictureAndIgnoresIndexesBeyondTheTwo) {
    REQUIRE_GL_CONTEXT();
    picturetest::enterPictureDirectory();
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
            const Rgb expected =
                step.pictureOne ? pictureOneAt(probe[0], probe[1]) : picturetest::kPicture2;
            EXPECT_PIXEL_NEAR(probe[0], probe[1], expected, 1);
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
