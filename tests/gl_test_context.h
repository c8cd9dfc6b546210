// A GL context for render tests: an 800 x 600 double-buffered window on the display named by
// DISPLAY: the demo's own window, with initGL's state and the host's projection.
#pragma once

#include <gtest/gtest.h>

namespace testgl {

struct Rgb {
    int r;
    int g;
    int b;
};

// Opens the window and makes its context current, once per process. Returns false, with the
// reason in *why, when there is no display or no usable visual.
bool openContext(const char** why);

// Reads one pixel of the back buffer, after glFinish; (0, 0) is the bottom-left corner.
Rgb readPixel(int x, int y);

} // namespace testgl

// Skips the calling test, with the reason, when no GL context can be had.
#define REQUIRE_GL_CONTEXT()                                                                       \
    do {                                                                                           \
        const char* why = nullptr;                                                                 \
        if (!testgl::openContext(&why)) {                                                          \
            GTEST_SKIP() << "no GL context: " << why;                                              \
        }                                                                                          \
    } while (0)
