// The demo end to end under the test display: windowed runs in a scratch demo directory with
// a generated MP3 and small timelines, poked from outside as a user or window manager would.
#include "tests/demo_e2e_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

TEST_F(DemoEndToEnd, PrintsProgressInOrderAndEndsWithTheTimeline) {
    writeFile(directory + "/script.odml", timelineOf(2));
    startDemo();
    int status = demo.wait(30);
    double seconds = demo.secondsSinceStart();
    EXPECT_EQ(status, 0) << demo.output() << demo.errors();
    EXPECT_GE(seconds, 2.0);
    EXPECT_LT(seconds, 12.0);

    std::string output = demo.output();
    size_t at = 0;
    for (const char* line : {"Got Doublebuffered Visual!\n", "glX-Version ", "Depth 24\n",
                             "Congrats, you have Direct Rendering!\n"}) {
        size_t found = output.find(line, at);
        EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n"
                                            << output;
        if (found != std::string::npos)
            at = found;
    }
    EXPECT_EQ(output.find("Resolution"), std::string::npos) << "windowed runs switch nothing";
}

TEST_F(DemoEndToEnd, MissingMusicEndsWithTheSoundError) {
    std::remove((directory + "/music.mp3").c_str());
    writeFile(directory + "/script.odml", timelineOf(60));
    startDemo();
    EXPECT_EQ(demo.wait(20), 1);
    EXPECT_NE(demo.output().find("\nFile not found\n"), std::string::npos) << demo.output();
    const std::string named = "music.mp3: cannot open the music: No such file or directory\n";
    const std::string errors = demo.errors();
    // A line of its own (the leak checker may add its summary after it).
    EXPECT_NE(("\n" + errors).find("\n" + named), std::string::npos)
        << "a line on standard error names the file:\n"
        << errors;
}

TEST_F(DemoEndToEnd, EscapeClickCloseAndStopSignalsEndTheDemo) {
    writeFile(directory + "/script.odml", timelineOf(120));
    struct Ending {
        const char* how;
        int signal;
    };
    for (Ending ending :
         {Ending{"key Escape", 0}, Ending{"click", 0}, Ending{"close", 0}, Ending{nullptr, SIGTERM},
          Ending{nullptr, SIGINT}, Ending{nullptr, SIGHUP}}) {
        ChildProcess run;
        ASSERT_TRUE(run.start(kDemo, {"/windowed"}, directory));
        ASSERT_TRUE(run.waitForOutput("Direct Rendering", 20)) << run.output();
        ASSERT_EQ(poke("wait 20 >/dev/null"), 0);
        if (ending.how)
            ASSERT_EQ(poke(ending.how), 0);
        else
            run.signal(ending.signal);
        std::string what = ending.how ? ending.how : "signal " + std::to_string(ending.signal);
        EXPECT_EQ(run.wait(20), 0) << what << "\n" << run.output() << run.errors();
        bool saidExiting = run.output().find("Exiting sanely...\n") != std::string::npos;
        EXPECT_EQ(saidExiting, what == "close") << what;
    }
}

TEST_F(DemoEndToEnd, ResizePrintsOnceAndMovesAndStrangeMessagesAreHarmless) {
    writeFile(directory + "/script.odml", timelineOf(120));
    startDemo();
    waitUntilRunning();
    ASSERT_EQ(poke("resize 640 480"), 0);
    ASSERT_TRUE(demo.waitForOutput("Resize event\n", 10)) << demo.output();
    ASSERT_EQ(poke("move 30 40"), 0);
    ASSERT_EQ(poke("bogus-message"), 0);
    ASSERT_EQ(poke("resize 640 480"), 0);
    usleep(500000);
    EXPECT_TRUE(demo.running()) << demo.output() << demo.errors();
    demo.signal(SIGTERM);
    EXPECT_EQ(demo.wait(20), 0);

    std::string output = demo.output();
    size_t first = output.find("Resize event\n");
    EXPECT_EQ(output.find("Resize event\n", first + 1), std::string::npos) << output;
}

TEST_F(DemoEndToEnd, OnlyTheExactWindowedArgumentSelectsAWindow) {
    // Without the video mode extension (the test display has none) full screen covers the
    // desktop at its own size. An empty timeline ends each run at once.
    writeFile(directory + "/script.odml", "");
    for (const char* argument : {"/Windowed", "/windowed ", "/windowedx", "windowed"}) {
        ChildProcess run;
        ASSERT_TRUE(run.start(kDemo, {"extra", argument}, directory));
        EXPECT_EQ(run.wait(30), 0) << argument << "\n" << run.output();
        EXPECT_NE(run.output().find("Resolution "), std::string::npos) << argument << "\n"
                                                                       << run.output();
    }
    ChildProcess windowed;
    ASSERT_TRUE(windowed.start(kDemo, {"extra", "/windowed", "/fullscreen"}, directory));
    EXPECT_EQ(windowed.wait(30), 0);
    EXPECT_EQ(windowed.output().find("Resolution "), std::string::npos) << windowed.output();
}

} // namespace
