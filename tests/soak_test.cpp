// The soak run's pieces: its memory figures and judgement, and the thing it leans on, that the
// demo can be built, run and torn down again in one process and then runs exactly as before.
#include "tools/author/capture/demo_renderer.h"
#include "tools/benches/soak/memory_figures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kStatus = "Name:\tsolvane-soak\n"
                            "VmPeak:\t  812344 kB\n"
                            "VmHWM:\t  176512 kB\n"
                            "VmRSS:\t  139204 kB\n"
                            "RssAnon:\t   70012 kB\n";

TEST(SoakMemory, ReadsResidentAndPeakFromProcStatus) {
    soak::MemorySample sample;
    ASSERT_TRUE(soak::parseProcStatus(kStatus, &sample));
    EXPECT_EQ(sample.residentKiB, 139204);
    EXPECT_EQ(sample.peakKiB, 176512);

    // A key must start its line: "RssAnon" is not "VmRSS", and a missing line fails.
    EXPECT_FALSE(soak::parseProcStatus("Name:\tx\nXVmRSS:\t 5 kB\nVmHWM:\t 9 kB\n", &sample));
    EXPECT_FALSE(soak::parseProcStatus("VmRSS:\t 5 kB\n", &sample));
    EXPECT_FALSE(soak::parseProcStatus("VmRSS:\t kB\nVmHWM:\t 9 kB\n", &sample));

    soak::MemorySample own;
    ASSERT_TRUE(soak::sampleMemory(&own));
    EXPECT_GT(own.residentKiB, 0);
    EXPECT_GE(own.peakKiB, own.residentKiB);
}

soak::PassFigures pass(long endKiB, long teardownKiB, long heapKiB) {
    soak::PassFigures figures;
    figures.afterFrames.residentKiB = endKiB;
    figures.afterTeardown.residentKiB = teardownKiB;
    figures.afterFrames.heapInUseKiB = heapKiB;
    figures.afterTeardown.heapInUseKiB = heapKiB;
    return figures;
}

TEST(SoakMemory, GrowthIsMeasuredAgainstTheFirstPassAtBothMoments) {
    const long allowance = 4096;
    // The first pass pays for what stays loaded; later passes that end lower are steady.
    soak::Growth growth = soak::judgeGrowth(
        {pass(140000, 72000, 800), pass(136000, 72100, 850), pass(136500, 72300, 855)}, allowance);
    EXPECT_TRUE(growth.steady);
    EXPECT_EQ(growth.residentKiB, 300);
    EXPECT_EQ(growth.heapKiB, 55);

    // A picture's worth left behind by every teardown shows after it, whatever the end says.
    growth = soak::judgeGrowth(
        {pass(140000, 72000, 800), pass(140000, 76096, 800), pass(140000, 80192, 800)}, allowance);
    EXPECT_FALSE(growth.steady);
    EXPECT_EQ(growth.residentKiB, 8192);

    // The heap alone growing is growth too; exactly the allowance is still steady.
    EXPECT_FALSE(
        soak::judgeGrowth({pass(1, 1, 800), pass(1, 1, 800 + allowance + 1)}, allowance).steady);
    EXPECT_TRUE(
        soak::judgeGrowth({pass(1, 1, 800), pass(1, 1, 800 + allowance)}, allowance).steady);
    EXPECT_TRUE(soak::judgeGrowth({pass(9000000, 9000000, 9000000)}, allowance).steady);
}

// Frames of the demo at these times, drawn at 5 fps from 0 so that latches, fired triggers
// and the random sequence are what a run would have by then.
std::map<int64_t, std::vector<unsigned char>> renderDemo(const std::vector<int64_t>& wanted) {
    std::map<int64_t, std::vector<unsigned char>> frames;
    capture::DemoRenderer renderer;
    std::string text;
    std::string error = tarvo64k::readTimelineFile("script.odml", &text) ? "no script.odml" : "";
    if (error.empty())
        error = renderer.open(text);
    EXPECT_EQ(error, "");
    if (!error.empty())
        return frames;
    const int fps = 5;
    for (int64_t frame = 0; frames.size() < wanted.size(); ++frame) {
        int64_t milliseconds = FixedFrameClock::frameMilliseconds(frame, fps);
        renderer.draw(milliseconds);
        for (int64_t time : wanted)
            if (time == milliseconds)
                renderer.read(&frames[time]);
        renderer.present();
    }
    return frames;
}

TEST(SoakRebuild, TheDemoBuiltAgainInTheSameProcessDrawsTheSameFrames) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    ASSERT_EQ(chdir(SOLVANE_DEMO_DIR), 0);
    // The stars (29 s) and the shards (46.6 s) both come from the seeded random sequence.
    const std::vector<int64_t> times = {2000, 29000, 46600};
    auto first = renderDemo(times);
    auto second = renderDemo(times);
    ASSERT_EQ(first.size(), times.size());
    ASSERT_EQ(second.size(), times.size());
    for (int64_t time : times) {
        SCOPED_TRACE(time);
        EXPECT_TRUE(first[time] == second[time]);
    }
}

} // namespace
