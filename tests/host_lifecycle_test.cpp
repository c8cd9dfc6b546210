// The host's pieces that need no running demo: the base GL state, the projection, the music
// clock's conversion and the sound error texts.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool) would break its templates.
#include "host/demo.h"
#include "host/demo_player.h"
#include "host/host_window.h"
#include "tests/gl_test_context.h"

#include <GL/gl.h>

#include <string>

namespace {

TEST(SoundErrorText, CoversTheTableAndNothingElse) {
    EXPECT_STREQ(FMOD_ErrorString(0), "No errors");
    EXPECT_STREQ(FMOD_ErrorString(9), "File not found");
    EXPECT_STREQ(FMOD_ErrorString(12), "Not enough memory ");
    EXPECT_STREQ(FMOD_ErrorString(18), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(FMOD_ErrorString(19), "Unknown error");
    EXPECT_STREQ(FMOD_ErrorString(-1), "Unknown error");
}

TEST(MusicClock, MillisecondsBecomeTimelineSecondsAndTheEndIsInclusive) {
    EXPECT_FLOAT_EQ(musicSeconds(1500), 1.5f);
    std::string timeline = "<effect start=\"0\" end=\"200\" name=\"none\"/>";
    script.parse(reinterpret_cast<const unsigned char*>(timeline.data()),
                 static_cast<unsigned int>(timeline.size()));
    EXPECT_EQ(script.update(musicSeconds(200000)), 1);
    EXPECT_EQ(script.update(musicSeconds(200001)), 0);
}

TEST(BaseGLState, InitGLLeavesWhatScenesRelyOn) {
    REQUIRE_GL_CONTEXT();
    for (GLenum enabled : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_LIGHT0, GL_LIGHTING, GL_COLOR_MATERIAL})
        EXPECT_TRUE(glIsEnabled(enabled)) << std::hex << enabled;
    for (GLenum disabled : {GL_BLEND, GL_CULL_FACE, GL_FOG, GL_ALPHA_TEST, GL_TEXTURE_1D})
        EXPECT_FALSE(glIsEnabled(disabled)) << std::hex << disabled;
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(BaseGLState, ResizeSetsViewportAndProjectionAndTreatsHeightZeroAsOne) {
    REQUIRE_GL_CONTEXT();
    GLint viewport[4];
    GLfloat projection[16];

    resizeGLScene(640, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: x scale = cot(fov / 2) / aspect, y scale = cot(fov / 2).
    EXPECT_NEAR(projection[5], 2.4142135f, 1e-5);
    EXPECT_NEAR(projection[0], 2.4142135f / 640.0f, 1e-6);

    resizeGLScene(800, 600);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], 2.4142135f * 0.75f, 1e-5);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

} // namespace
