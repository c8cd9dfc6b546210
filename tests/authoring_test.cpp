// The author tools' shared pieces that need no window: the fixed clock's arithmetic and the
// one check of a demo directory, whose messages every tool prints.
#include "host/demo_player.h"
#include "tests/process_runner.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/authoring/frame_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace authoring;

TEST(FrameClock, FirstFrameAtOrAfterAgreesWithTheFrameTimes) {
    for (int fps : {1, 7, 24, 25, 30, 60, 144, 1000}) {
        for (int64_t ms = 0; ms <= 3000; ++ms) {
            int64_t frame = firstFrameAtOrAfter(ms, fps);
            ASSERT_GE(FixedFrameClock::frameMilliseconds(frame, fps), ms)
                << fps << " fps, " << ms << " ms";
            if (frame > 0) {
                ASSERT_LT(FixedFrameClock::frameMilliseconds(frame - 1, fps), ms)
                    << fps << " fps, " << ms;
            }
        }
    }
    EXPECT_EQ(FixedFrameClock::frameMilliseconds(1, 60), 16);
    EXPECT_EQ(FixedFrameClock::frameMilliseconds(59, 60), 983);
    EXPECT_EQ(FixedFrameClock::frameMilliseconds(60, 60), 1000);
}

TEST(FrameClock, CommandLineSecondsBecomeWholeMilliseconds) {
    double seconds = 0;
    ASSERT_TRUE(parseSeconds("0.7", &seconds));
    EXPECT_EQ(millisecondsAtOrAfter(seconds), 700) << "binary rounding must not reach 701";
    ASSERT_TRUE(parseSeconds("1.2345", &seconds));
    EXPECT_EQ(millisecondsAtOrAfter(seconds), 1235);
    ASSERT_TRUE(parseSeconds("12", &seconds));
    EXPECT_EQ(millisecondsAtOrAfter(seconds), 12000);
    for (const char* bad : {"", "-1", "abc", "1s", "nan", "inf", " 2"})
        EXPECT_FALSE(parseSeconds(bad, &seconds)) << bad;
    EXPECT_EQ(formatClock(65250), "1:05.250");
}

TEST(DemoDirectory, OneCheckRefusesInOneLineAndReadsTheTimelineOnce) {
    char made[] = "/tmp/solvane-demo-XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string root = made;
    DemoDirectory demo;
    EXPECT_EQ(openDemoDirectory(root + "/none", "", &demo),
              "--dir " + root + "/none: No such file or directory");
    EXPECT_EQ(openDemoDirectory(root, "", &demo),
              "--dir " + root + ": not a demo directory: it has no data/ with the pictures");
    ASSERT_EQ(mkdir((root + "/data").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/script.odml").c_str(), 0755), 0);
    EXPECT_EQ(openDemoDirectory(root, "", &demo),
              root + "/script.odml: cannot read the timeline: Is a directory");
    ASSERT_EQ(rmdir((root + "/script.odml").c_str()), 0);
    int writer = makeSilentFifo(root + "/script.odml");
    ASSERT_GE(writer, 0);
    EXPECT_EQ(openDemoDirectory(root, "", &demo),
              root + "/script.odml: cannot read the timeline: not a regular file");
    close(writer);
    ASSERT_EQ(unlink((root + "/script.odml").c_str()), 0);
    std::ofstream(root + "/script.odml") << "<effect start=\"0\" end=\"1\" name=\"fade\"/>";

    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(openDemoDirectory(root.substr(1), "", &demo), "") << "relative to where it starts";
    EXPECT_EQ(demo.timelinePath, root + "/script.odml");
    EXPECT_EQ(demo.timelineText, "<effect start=\"0\" end=\"1\" name=\"fade\"/>");
    char here[4096];
    EXPECT_EQ(std::string(getcwd(here, sizeof here)), root);
    const std::string stamp = demoFilesStamp(demo.timelinePath);
    std::ofstream("data/new.png") << "picture";
    EXPECT_NE(demoFilesStamp(demo.timelinePath), stamp) << "a picture added under data/";
    ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
}
