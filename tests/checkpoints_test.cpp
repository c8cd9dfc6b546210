// The seekable player's checkpoints hold the whole demo state: drawing on from any of them, a
// seek that restores one, and a reload that keeps those before an edit all give the frames of
// a straight run, on a timeline where every scene that carries state is changed by triggers.
#include "tests/render_support.h"
#include "tools/lib/seekable_player/seekable_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kFps = 10;
// How far on from each checkpoint the frames are compared: past the next few checkpoints.
constexpr int64_t kFramesOn = 16;
constexpr size_t kSmallBudget = size_t{4} << 20;

// Latches, trigger values, captures shown later, the blur's feedback and GL state (fog, line
// width, blending, the cell-shading texture) left from one effect for the next.
const char kStateful[] =
    "<effect start=\"0\" end=\"2\" name=\"intro\"><trigger start=\"0.5\" value=\"2\"/>"
    "<trigger start=\"1.2\" value=\"0.5\"/></effect>"
    "<effect start=\"0\" end=\"3\" name=\"designmojs2\"><trigger start=\"1\" delay=\"0.5\" "
    "repeat=\"3\"/></effect>"
    "<effect start=\"1\" end=\"3\" name=\"cubes\"><trigger start=\"1.2\"/></effect>"
    "<effect start=\"1.5\" end=\"2.5\" name=\"radialblur\"><trigger start=\"0.3\" "
    "name=\"step\" value=\"1.2\"/></effect>"
    "<effect start=\"2.5\" end=\"5\" name=\"particles\"><trigger start=\"0.5\" name=\"enlarge\" "
    "value=\"1\"/><trigger start=\"1\" name=\"expand\" value=\"2\"/><trigger start=\"1.5\" "
    "name=\"end\"/><trigger start=\"1.7\" name=\"contract\"/></effect>"
    "<effect start=\"2.8\" end=\"3.2\" name=\"render2texture\"/>"
    "<effect start=\"3.2\" end=\"4\" name=\"crash\"><trigger name=\"color\" value=\"black\"/>"
    "</effect>"
    "<effect start=\"3\" end=\"4.5\" name=\"planes\"/>"
    "<effect start=\"4\" end=\"5\" name=\"lines\"/>"
    "<effect start=\"4.5\" end=\"5\" name=\"render2texture\"/>"
    "<effect start=\"5\" end=\"6\" name=\"tfly\"/>"
    "<effect start=\"5\" end=\"6.5\" name=\"background\"><trigger start=\"0.5\" name=\"g\" "
    "value=\"0.2\"/><trigger start=\"0.5\" name=\"a\" value=\"0.5\"/></effect>"
    "<effect start=\"5.5\" end=\"6.5\" name=\"credits\"><trigger start=\"0.4\"/></effect>"
    "<effect start=\"6\" end=\"7\" name=\"twister\"/>"
    "<effect start=\"6.5\" end=\"7\" name=\"tstretch\"><trigger name=\"mode\" value=\"in\"/>"
    "</effect>";

// Every frame from the first to the last, each drawn with its pixels.
std::vector<std::vector<unsigned char>> straightRun(authoring::SeekablePlayer& player) {
    std::vector<std::vector<unsigned char>> frames;
    for (int64_t frame = 0; frame <= player.lastFrame(); ++frame) {
        player.moveTo(frame);
        frames.push_back(testgl::readFrame());
    }
    return frames;
}

std::string edited(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

} // namespace

TEST(Checkpoints, DrawingOnFromEveryCheckpointGivesTheStraightRunsFrames) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    authoring::SeekablePlayer player(kStateful, kFps);
    const std::vector<std::vector<unsigned char>> straight = straightRun(player);
    const int64_t last = player.lastFrame();
    ASSERT_GE(player.checkpoints().frames().size(), 10u);
    for (int64_t checkpoint : player.checkpoints().frames()) {
        ASSERT_TRUE(player.restoreCheckpoint(checkpoint));
        for (int64_t frame = checkpoint + 1; frame <= std::min(last, checkpoint + kFramesOn);
             ++frame) {
            player.moveTo(frame);
            if (testgl::readFrame() != straight[static_cast<size_t>(frame)]) {
                ADD_FAILURE() << "frame " << frame << " drawn on from checkpoint " << checkpoint;
                break;
            }
        }
    }
}

TEST(Checkpoints, SeeksAndReloadsKeepingEarlierCheckpointsGiveTheStraightRunsFrames) {
    REQUIRE_GL_CONTEXT();
    testgl::enterPictureDirectory();
    // A trigger changed at 5.5 s; then one added to the lattice at 4.4 s, ahead of others.
    const std::string before = edited(kStateful, "value=\"0.2\"", "value=\"0.9\"");
    const std::string after = edited(before, "<trigger start=\"1.5\" name=\"end\"/>",
                                     "<trigger start=\"1.9\" name=\"expand\" value=\"1\"/>"
                                     "<trigger start=\"1.5\" name=\"end\"/>");
    std::vector<std::vector<unsigned char>> expected[3];
    const std::string timelines[3] = {kStateful, before, after};
    for (int i = 0; i < 3; ++i) {
        authoring::SeekablePlayer player(timelines[i], kFps);
        expected[i] = straightRun(player);
    }
    std::vector<unsigned char> reloaded;
    {
        // A budget that the captures and the blur overrun: the checkpoints get further apart.
        authoring::SeekablePlayer player(kStateful, kFps, kSmallBudget);
        player.moveTo(player.lastFrame()); // lays the checkpoints, with frames not drawn in full
        for (int64_t target : {68, 22, 47, 31, 5, 60, 36, 18}) {
            player.moveTo(target);
            EXPECT_TRUE(testgl::readFrame() == expected[0][static_cast<size_t>(target)])
                << "seek to frame " << target;
        }
        EXPECT_LE(player.checkpoints().bytes(), kSmallBudget);
        EXPECT_GT(player.checkpoints().spacingFrames(), kFps / 2);
        const auto spacing = [&] { return player.checkpoints().spacingFrames(); };
        // At 5.8 s both edits lie behind; at 4 s the trigger taken out again lies ahead.
        // A reload given up on the way (the files changed again) is finished by the next one.
        player.moveTo(58);
        EXPECT_FALSE(player.reload(after, {}, [] { return true; }));
        EXPECT_LT(player.frame(), 58);
        EXPECT_TRUE(player.reload(after, {}));
        EXPECT_TRUE(testgl::readFrame() == expected[2][58]) << "reload with both edits";
        player.moveTo(40);
        int64_t drawn = player.framesDrawn();
        player.reload(before, {});
        EXPECT_TRUE(testgl::readFrame() == expected[1][40]) << "reload undoing the later edit";
        EXPECT_EQ(player.framesDrawn(), drawn) << "nothing to draw again before 4.4 s";
        for (int64_t target : {63, 12, 36}) {
            player.moveTo(target);
            EXPECT_TRUE(testgl::readFrame() == expected[1][static_cast<size_t>(target)])
                << "seek after the reloads to frame " << target;
        }
        // A changed picture: drawn again from the twister's start, the first to show it.
        player.moveTo(62);
        const std::vector<unsigned char> oldPicture = testgl::readFrame();
        testgl::writeSolidPicture("1", {200, 100, 0});
        drawn = player.framesDrawn();
        player.reload(before, {"data/1.png"});
        EXPECT_LE(player.framesDrawn() - drawn, spacing() + 1)
            << "drawn again from the twister's start";
        reloaded = testgl::readFrame();
        EXPECT_FALSE(reloaded == oldPicture) << "the new picture shows";
    }
    authoring::SeekablePlayer fresh(before, kFps);
    fresh.moveTo(62);
    EXPECT_TRUE(testgl::readFrame() == reloaded) << "reload of a changed picture";
}
