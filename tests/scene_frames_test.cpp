// The planes, particles, design overlay, cubes, spinning and lines scenes side by side: frames
// and triggers raise no GL error and allocate nothing once the first frame is drawn.
#include "scenes/cubes_scene.h"
#include "scenes/design_mojs.h"
#include "scenes/design_mojs2.h"
#include "scenes/lines_scene.h"
#include "scenes/particles_scene.h"
#include "scenes/planes_scene.h"
#include "scenes/spinning_scene.h"
#include "tests/allocation_counter.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct Scenes {
    PlanesScene planes;
    ParticlesScene particles;
    DesignMojs designmojs;
    CubesScene cubes;
    SpinningScene spinning;
    LinesScene lines;
    DesignMojs2 designmojs2;

    // One frame with every scene active, in the order the scene table lists them.
    void paint(float elapsed) {
        tarvo64k::Callback* all[] = {&planes,   &cubes, &particles,  &designmojs,
                                     &spinning, &lines, &designmojs2};
        sceneprobe::beginFrame();
        for (tarvo64k::Callback* scene : all)
            scene->paint(elapsed, 0.02f, 0.1f);
        glFinish();
    }
};

TEST(SceneFrames, DrawAndTriggerWithoutGLErrorsOrAllocations) {
    // NOTE: Mesa's llvmpipe compiles new shader variants with LLVM at any frame, allocating
    // through our operator new; softpipe draws the same without it. Each test has its own
    // process, so the choice stays with this test.
    setenv("GALLIUM_DRIVER", "softpipe", 1);
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    Scenes scenes;
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Triggers arrive with the timeline's own strings, made once.
    const std::string names[] = {"enlarge", "contract", "expand", "end", "go"};
    const std::string value = "1.5";

    scenes.paint(0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const long long before = testalloc::allocations();
    // Softpipe is slow (the wheel's 40 full-screen panels take seconds), so two frames.
    for (int frame = 1; frame <= 2; ++frame) {
        const float elapsed = 0.7f * static_cast<float>(frame);
        for (const std::string& name : names) {
            scenes.particles.trigger(elapsed, name, value);
            scenes.designmojs.trigger(elapsed, name, value);
            scenes.cubes.trigger(elapsed, name, value);
            scenes.designmojs2.trigger(elapsed, name, value);
        }
        scenes.paint(elapsed);
    }
    EXPECT_EQ(testalloc::allocations(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GT(sceneprobe::litPixels(), 1000);
}

} // namespace
