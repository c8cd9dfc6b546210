// The author tools' shared pieces that need no window: the fixed clock's arithmetic and the
// one check of a demo directory, whose messages every tool prints.
#include "host/demo_player.h"
#include "tests/process_runner.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/safe_output.h"
#include "tools/lib/png/png_writer.h"

#include <gtest/gtest.h>

#include <random>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

TEST(SafeOutput, NoInputIsWrittenOverAndAFailedWriteLeavesNoTrace) {
    const std::string root = makeTemporaryDirectory("solvane-output");
    ASSERT_EQ(chdir(root.c_str()), 0);
    ASSERT_EQ(mkdir("data", 0755), 0);
    for (const char* input : {"script.odml", "music.mp3", "data/1.png"})
        writeFile(input, "input");
    ASSERT_EQ(symlink("data/1.png", "link.png"), 0);
    const std::string timeline = root + "/script.odml";
    EXPECT_EQ(refuseDemoInput(root + "/link.png", timeline),
              root + "/link.png: is the demo's picture data/1.png; not written over");
    for (const char* input : {"./script.odml", "music.mp3", "data/../data"})
        EXPECT_NE(refuseDemoInput(input, timeline), "") << input;
    EXPECT_EQ(refuseDemoInput("new.png", timeline), "");

    // A frame of noise cannot be compressed under the file size limit: the write fails.
    std::vector<unsigned char> noise(800 * 600 * 3);
    std::mt19937 random(27);
    for (unsigned char& byte : noise)
        byte = static_cast<unsigned char>(random());
    auto writeShot = [&](const std::string& path) {
        return writeRgbPng(path, noise.data(), 800, 600);
    };
    writeFile("shot.png", "earlier");
    rlimit was;
    getrlimit(RLIMIT_FSIZE, &was);
    rlimit small = {16384, was.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string failed = writeAtomically("shot.png", writeShot);
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(failed, "shot.png: File too large");
    EXPECT_TRUE(readFile("shot.png") == "earlier");
    EXPECT_EQ(writeAtomically("shot.png", writeShot), "");
    EXPECT_TRUE(readFile("shot.png").compare(0, 4, "\x89PNG") == 0);
    EXPECT_EQ(runCommand("test $(ls -A | wc -l) = 5"), 0) << "a temporary left behind";
    ASSERT_EQ(runCommand("rm -rf '" + root + "'"), 0);
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
