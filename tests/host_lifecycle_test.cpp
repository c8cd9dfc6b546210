// The host's pieces that need no running demo: the base GL state, the projection and the
// frame read back for the tools.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool) would break its templates.
#include "host/demo.h"
#include "host/host_window.h"
#include "tests/render_support.h"

#include <GL/gl.h>

namespace {

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

TEST(ToolWindow, ReadFrameGivesTheBackBufferInEachLayoutAndRowOrder) {
    REQUIRE_GL_CONTEXT();
    testgl::startFrame();
    testgl::fillRect(0, 0, kWindowWidth, 1, {255, 0, 0});                 // the bottom row
    testgl::fillRect(0, kWindowHeight - 1, kWindowWidth, 1, {0, 0, 255}); // the top row
    using host::PixelLayout;
    using host::RowOrder;
    for (PixelLayout layout : {PixelLayout::kRgb, PixelLayout::kRgba})
        for (RowOrder order : {RowOrder::kTopDown, RowOrder::kBottomUp}) {
            std::vector<unsigned char> pixels;
            host::readFrame(layout, order, &pixels);
            const size_t rowBytes = kWindowWidth * (layout == PixelLayout::kRgb ? 3 : 4);
            ASSERT_EQ(pixels.size(), rowBytes * kWindowHeight);
            auto blueOfRow = [&](int row) {
                return pixels[rowBytes * row + rowBytes - 1 - (layout == PixelLayout::kRgba)];
            };
            auto redOfRow = [&](int row) { return pixels[rowBytes * row]; };
            const int top = order == RowOrder::kTopDown ? 0 : kWindowHeight - 1;
            EXPECT_EQ(blueOfRow(top), 255) << int(layout) << int(order);
            EXPECT_EQ(redOfRow(kWindowHeight - 1 - top), 255) << int(layout) << int(order);
            EXPECT_EQ(redOfRow(1) + redOfRow(kWindowHeight - 2), 0) << int(layout) << int(order);
        }
}

} // namespace
