// The demo end to end under the test display: windowed runs in a scratch demo directory with
// a generated MP3 and small timelines, poked from outside as a user or window manager would.
#include "tests/demo_e2e_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
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

// A display server that accepts the connection and never answers: the demo waits inside
// Xlib, where no stop flag is looked at, and a stop signal must still end it.
TEST_F(DemoEndToEnd, AStopSignalEndsADemoBlockedOnASilentServer) {
    int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int display = 90;
    for (; display < 200; ++display) {
        address.sin_port = htons(static_cast<uint16_t>(6000 + display)); // X's TCP ports
        if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            break;
    }
    ASSERT_EQ(listen(server, 1), 0);
    const std::string shown = std::getenv("DISPLAY");
    setenv("DISPLAY", ("127.0.0.1:" + std::to_string(display)).c_str(), 1);
    writeFile(directory + "/script.odml", timelineOf(60));
    startDemo();
    setenv("DISPLAY", shown.c_str(), 1);
    pollfd waiting = {server, POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, 20000), 1) << "the demo never connected";
    int connection = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    usleep(200000);
    demo.signal(SIGTERM);
    EXPECT_EQ(demo.wait(30), 128 + SIGTERM) << demo.output() << demo.errors();
    close(connection);
    close(server);
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

// Through a stand-in driver that offers swap control and records the calls: the demo asks for
// one frame per refresh through the first whole extension name offered, and asks nothing where
// none is offered; the capture, on its own clock, asks the driver not to wait.
TEST_F(DemoEndToEnd, AsksForOneFramePerRefreshWhereGlxOffersSwapControl) {
    writeFile(directory + "/script.odml", timelineOf(0.3));
    const std::string log = directory + "/swap.log";
    struct Run {
        const char* offers;
        std::string program;
        std::vector<std::string> arguments;
        const char* calls;
    };
    const std::vector<std::string> windowed = {"/windowed"};
    const Run runs[] = {{"GLX_SGI_swap_control GLX_MESA_swap_control GLX_EXT_swap_control", kDemo,
                         windowed, "glXSwapIntervalEXT 1\n"},
                        {"GLX_EXT_swap_control_tear GLX_MESA_swap_control", kDemo, windowed,
                         "glXSwapIntervalMESA 1\n"},
                        {"GLX_SGI_swap_control", kDemo, windowed, "glXSwapIntervalSGI 1\n"},
                        {"", kDemo, windowed, ""},
                        {"GLX_EXT_swap_control",
                         kCapture,
                         {"--dir", ".", "--shot", "0.1:shot.png"},
                         "glXSwapIntervalEXT 0\n"}};
    runCommand("mkdir -p '" + directory + "/data'");
    std::string asanOptions = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    // The sanitizer runtime must otherwise be the first library loaded.
    setenv("ASAN_OPTIONS", (asanOptions + ":verify_asan_link_order=0").c_str(), 1);
    setenv("SWAP_SHIM_LOG", log.c_str(), 1);
    for (const Run& run : runs) {
        std::remove(log.c_str());
        setenv("SWAP_SHIM_OFFERS", run.offers, 1);
        setenv("LD_PRELOAD", kSwapShim.c_str(), 1);
        ChildProcess child;
        bool started = child.start(run.program, run.arguments, directory);
        unsetenv("LD_PRELOAD");
        ASSERT_TRUE(started);
        EXPECT_EQ(child.wait(30), 0) << run.offers << "\n" << child.output() << child.errors();
        EXPECT_EQ(readFile(log), run.calls) << run.program << " offered: " << run.offers;
    }
    setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
}

} // namespace
