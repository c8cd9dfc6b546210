// A timeline over every scene, run frame by frame through the scene table and the global
// script as the demo runs it: no GL error, and no allocation per frame once drawn. And every
// trigger the scene list describes, fed the values at the edges of what it takes.
#include "tests/allocation_counter.h"
#include "tests/render_support.h"

// After gtest: Xlib's macros (None, Bool) would break its templates.
#include "host/demo.h"
#include "host/demo_player.h"
#include "scenes/scene_table.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

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

// Texture and display-list names in use among the first few thousand: what a teardown that
// forgets one leaves behind, and a preview that rebuilds the demo on every backward seek piles up.
int glNamesInUse() {
    int inUse = 0;
    for (GLuint name = 1; name < 4096; ++name)
        inUse += (glIsTexture(name) ? 1 : 0) + (glIsList(name) ? 1 : 0);
    return inUse;
}

TEST(SceneTimeline, EveryNameRunsToTheEndWithoutGLErrorsOrAllocationsPerFrameAndTearsDownClean) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    const int namesBefore = glNamesInUse();
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
    EXPECT_EQ(glNamesInUse(), namesBefore) << "textures or display lists left after the teardown";
}

// [SECTION] Trigger values at the edges

// The frames a scene paints, built afresh, with one trigger fired at 0.5 s; and whether nan
// reached the current colour or the model-view matrix after any of them.
struct TriggerRun {
    std::vector<std::vector<unsigned char>> frames;
    bool nanInState = false;
};

TriggerRun runWithTrigger(const SceneInfo& scene, const char* name, const std::string& value) {
    const std::string text = std::string("<effect start=\"0\" end=\"3\" name=\"") + scene.name +
                             "\"><trigger start=\"0.5\" name=\"" + name + "\" value=\"" + value +
                             "\"/></effect>";
    constructScenes();
    tarvo64k::Script timeline;
    registerScenes(timeline);
    timeline.parse(reinterpret_cast<const unsigned char*>(text.data()),
                   static_cast<unsigned int>(text.size()));
    TriggerRun run;
    for (float time : {0.4f, 0.6f, 1.2f, 2.5f}) {
        testgl::startFrame();
        timeline.update(time);
        run.frames.push_back(testgl::readFrame());
        GLfloat state[20];
        glGetFloatv(GL_CURRENT_COLOR, state);
        glGetFloatv(GL_MODELVIEW_MATRIX, state + 4);
        run.nanInState |= std::any_of(state, state + 20, [](float v) { return std::isnan(v); });
    }
    destroyScenes();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return run;
}

TEST(SceneTriggers, NumbersBeyondTheFloatRangeActAsTheNearestFloatAndNanAsZero) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    const std::string largest = "3.4028234663852886e38";
    const std::pair<const char*, std::string> equivalents[] = {
        {"1e300", largest}, {"-inf", "-" + largest}, {"nan", "0"}};
    for (int s = 0; s < kSceneCount; ++s) {
        for (int t = 0; t < kScenes[s].triggerCount; ++t) {
            const TriggerInfo& trigger = kScenes[s].triggers[t];
            if (trigger.value != TriggerValue::Number)
                continue;
            const char* name = trigger.name ? trigger.name : "next";
            std::map<std::string, TriggerRun> nearest;
            for (const auto& [value, same] : equivalents) {
                SCOPED_TRACE(std::string(kScenes[s].name) + " " + name + "=" + value);
                if (!nearest.count(same))
                    nearest[same] = runWithTrigger(kScenes[s], name, same);
                const TriggerRun run = runWithTrigger(kScenes[s], name, value);
                EXPECT_TRUE(run.frames == nearest[same].frames) << "frames differ from " << same;
                EXPECT_FALSE(run.nanInState);
            }
        }
    }
}

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

TEST(SceneTriggers, KeywordsMatchExactlyAndIndexesOutsideTheRangeAreIgnoredHoweverLarge) {
    int checked = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        for (int t = 0; t < kScenes[s].triggerCount; ++t) {
            const TriggerInfo& trigger = kScenes[s].triggers[t];
            const std::string name = trigger.name ? trigger.name : "";
            SCOPED_TRACE(std::string(kScenes[s].name) + " " + name);
            const auto read = [&](const std::string& value) {
                return FiredTrigger(kScenes[s], name, value);
            };
            if (trigger.value == TriggerValue::Keyword) {
                const std::string fallback = fallbackKeyword(trigger);
                for (const char* const* keyword = trigger.keywords; *keyword; ++keyword) {
                    const std::string exact = *keyword;
                    EXPECT_TRUE(read(exact).means(*keyword));
                    EXPECT_EQ(read(exact).means(fallback.c_str()), exact == fallback);
                    for (const std::string& near : {upperCase(exact), " " + exact, exact + " "})
                        EXPECT_TRUE(read(near).means(fallback.c_str())) << "'" << near << "'";
                }
                EXPECT_TRUE(read("").means(fallback.c_str()));
                ++checked;
            }
            if (trigger.value == TriggerValue::Index) {
                for (int index = 0; index < trigger.indexCount; ++index)
                    EXPECT_EQ(read(std::to_string(index) + ".9").index(), index);
                for (const std::string& outside :
                     {std::string("-1"), std::to_string(trigger.indexCount),
                      std::string("4294967296"), std::string("99999999999999999999")})
                    EXPECT_EQ(read(outside).index(), std::nullopt) << outside;
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 4) << "fade, crash, tstretch and backgroundtex read keywords or indexes";
}

} // namespace
