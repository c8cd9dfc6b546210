// A timeline over every scene, run frame by frame through the host's table and the global
// script as the demo runs it: no GL error, and no allocation per frame once drawn.
#include "tests/allocation_counter.h"
#include "tests/render_support.h"

// After gtest: Xlib's macros (None, Bool) would break its templates.
#include "host/demo.h"
#include "host/demo_player.h"
#include "host/scene_table.h"

#include <GL/gl.h>

namespace {

const char kTimeline[] =
    "<effect start=\"0\" end=\"6\" name=\"backgroundtex\">\n"
    "  <trigger start=\"1\" name=\"texture\" value=\"1\"/>\n"
    "  <trigger start=\"2\" name=\"texture\" value=\"7\"/>\n"
    "</effect>\n"
    "<effect start=\"0\" end=\"2.5\" name=\"intro\">\n"
    "  <trigger start=\"0.5\" name=\"next\" value=\"2\" repeat=\"3\" delay=\"0.5\"/>\n"
    "</effect>\n"
    "<effect start=\"1\" end=\"4\" name=\"credits\"><trigger start=\"1.5\"/></effect>\n"
    "<effect start=\"2\" end=\"5\" name=\"greetings\"/>\n"
    "<effect start=\"0\" end=\"6\" name=\"radialblur\">\n"
    "  <trigger start=\"0\" name=\"amount\" value=\"0.6\"/>\n"
    "  <trigger start=\"3\" name=\"step\" value=\"1\"/>\n"
    "</effect>\n"
    "<effect start=\"0\" end=\"6\" name=\"render2texture\"/>\n"
    "<effect start=\"0\" end=\"6\" name=\"background\">\n"
    "  <trigger start=\"0\" name=\"a\" value=\"0.3\"/>\n"
    "  <trigger start=\"0\" name=\"b\" value=\"0\"/>\n"
    "</effect>\n"
    "<effect start=\"0\" end=\"2\" name=\"fade\">\n"
    "  <trigger start=\"0\" name=\"mode\" value=\"in\"/>\n"
    "</effect>\n"
    "<effect start=\"2\" end=\"4\" name=\"tstretch\"/>\n"
    "<effect start=\"4\" end=\"6\" name=\"tfly\"/>\n"
    "<effect start=\"4\" end=\"6\" name=\"twister\"/>\n"
    "<effect start=\"2\" end=\"4\" name=\"crash\"><trigger name=\"color\" "
    "value=\"black\"/></effect>\n"
    "<effect start=\"5\" end=\"6\" name=\"endcube\"/>\n"
    "<effect start=\"0\" end=\"3\" name=\"planes\"/>\n"
    "<effect start=\"0\" end=\"6\" name=\"particles\">\n"
    "  <trigger start=\"1\" name=\"enlarge\" value=\"1.5\"/>\n"
    "  <trigger start=\"2\" name=\"contract\"/>\n"
    "  <trigger start=\"3\" name=\"expand\" value=\"1\"/>\n"
    "  <trigger start=\"4\" name=\"end\"/>\n"
    "</effect>\n"
    "<effect start=\"1\" end=\"5\" name=\"designmojs\"><trigger delay=\"1\" "
    "repeat=\"3\"/></effect>\n"
    "<effect start=\"0\" end=\"6\" name=\"cubes\"><trigger delay=\"1\" repeat=\"4\"/></effect>\n"
    "<effect start=\"3\" end=\"6\" name=\"spinning\"/>\n"
    "<effect start=\"0\" end=\"6\" name=\"lines\"/>\n"
    "<effect start=\"0\" end=\"6\" name=\"designmojs2\"><trigger delay=\".5\" "
    "repeat=\"9\"/></effect>\n"
    "<effect start=\"4\" end=\"6\" name=\"stars\"/>\n";

// Runs a timeline at 25 frames a second from 0 until it ends (or 7 s); returns the frames
// drawn, and the first GL error seen after a frame with its time.
struct TimelineRun {
    int frames = 0;
    bool ended = false;
    GLenum firstError = GL_NO_ERROR;
    float firstErrorAt = -1;
};

template <typename DrawFrame> TimelineRun runTimeline(DrawFrame drawFrame) {
    TimelineRun run;
    for (float time = 0; !run.ended && time < 7.0f; time += 0.04f) {
        run.ended = !drawFrame(time);
        ++run.frames;
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR && run.firstError == GL_NO_ERROR) {
            run.firstError = error;
            run.firstErrorAt = time;
        }
    }
    return run;
}

TEST(SceneTimeline, EveryNameRunsToTheEndWithoutGLErrorsOrAllocationsPerFrame) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    DemoPlayer player(script);
    player.build(kTimeline);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "while building the scenes";

    const TimelineRun run = runTimeline([&player](float time) { return player.drawAt(time); });
    EXPECT_TRUE(run.ended) << "the timeline should have ended after 6 s";
    EXPECT_GT(run.frames, 150);
    EXPECT_EQ(run.firstError, GLenum(GL_NO_ERROR)) << "first at " << run.firstErrorAt << " s";

    // NOTE: llvmpipe compiles its shader variants with LLVM, through operator new, the first
    // time it meets a state combination. So count on a replay of the same timeline, with the
    // variants compiled, on a script of its own.
    tarvo64k::Script replay;
    registerScenes(replay);
    replay.parse(reinterpret_cast<const unsigned char*>(kTimeline), sizeof kTimeline - 1);
    const long long before = testalloc::allocations();
    const TimelineRun counted = runTimeline([&replay](float time) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        return replay.update(time);
    });
    const long long allocated = testalloc::allocations() - before;
    EXPECT_TRUE(counted.ended);
    EXPECT_EQ(allocated, 0);

    player.teardown();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
