// The full-screen path against a real X server with the video mode extension: the Xorg dummy
// driver, started here on a free display (as root only; elsewhere these tests skip).
#include "tests/process_runner.h"
#include "tools/lib/mp3tone/mp3_tone.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

const std::string kDemo = SOLVANE_PATH;
const std::string kPoke = X_POKE_PATH;
const std::string kConfigs = XORG_CONFIG_DIR;

// One Xorg dummy server for the life of a test process.
class DummyServer {
public:
    bool start(const std::string& config, std::string* why) {
        if (geteuid() != 0) {
            *why = "the Xorg dummy server needs root";
            return false;
        }
        for (int number = 140; number < 180; ++number) {
            if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
                continue;
            display = ":" + std::to_string(number);
            logDirectory = makeTemporaryDirectory("solvane-xorg");
            if (!server.start("/usr/bin/Xorg",
                              {display, "-config", config, "-noreset", "-nolisten", "tcp",
                               "-logfile", logDirectory + "/Xorg.log"},
                              logDirectory))
                break;
            for (int tries = 0; tries < 100 && server.running(); ++tries) {
                if (runCommand("DISPLAY=" + display + " xdpyinfo >/dev/null 2>&1") == 0)
                    return true;
                usleep(100000);
            }
            server.signal(SIGTERM);
            server.wait(10);
        }
        *why = "the Xorg dummy server did not start (see Xorg.log in " + logDirectory + ")";
        return false;
    }
    ~DummyServer() {
        server.signal(SIGTERM);
        server.wait(10);
        if (!logDirectory.empty())
            runCommand("rm -rf '" + logDirectory + "'");
    }

    std::string display;

private:
    ChildProcess server;
    std::string logDirectory;
};

class FullScreen : public ::testing::Test {
protected:
    void startServer(const std::string& config) {
        std::string why;
        if (!server.start(kConfigs + "/" + config, &why))
            GTEST_SKIP() << why;
        setenv("DISPLAY", server.display.c_str(), 1);
        directory = makeTemporaryDirectory("solvane-fullscreen");
        mp3tone::ToneOptions tone;
        tone.seconds = 1.0;
        ASSERT_TRUE(mp3tone::writeTone(directory + "/music.mp3", tone));
        writeFile(directory + "/script.odml",
                  "<effect start=\"0\" end=\"120\" name=\"nothing\"/>\n");
    }
    void TearDown() override {
        if (!directory.empty())
            runCommand("rm -rf '" + directory + "'");
    }

    std::string poke(const std::string& command) {
        std::string out = directory + "/poke.txt";
        if (runCommand("'" + kPoke + "' " + command + " >'" + out + "' 2>&1") != 0)
            return "failed: " + readFile(out);
        std::string text = readFile(out);
        return text.empty() ? text : text.substr(0, text.size() - 1);
    }
    void startDemo(ChildProcess& demo) {
        ASSERT_TRUE(demo.start(kDemo, {}, directory));
        ASSERT_TRUE(demo.waitForOutput("Direct Rendering", 20)) << demo.output();
        ASSERT_EQ(poke("wait 20").rfind("0x", 0), 0u);
    }

    DummyServer server;
    std::string directory;
};

// The first and the last 800 x 600 entries of the server's mode list, as x-poke prints modes.
std::pair<std::string, std::string> modesOf800x600(const std::string& list) {
    std::pair<std::string, std::string> firstAndLast;
    size_t at = 0;
    while ((at = list.find("800x600@", at)) != std::string::npos) {
        std::string mode = list.substr(at, list.find('\n', at) - at);
        if (firstAndLast.first.empty())
            firstAndLast.first = mode;
        firstAndLast.second = mode;
        at += mode.size();
    }
    return firstAndLast;
}

TEST_F(FullScreen, SwitchesToTheLast800x600ModeAndAlwaysRestoresTheDesktop) {
    startServer("dummy-800x600.conf");
    const std::string desktop = poke("mode");
    EXPECT_EQ(desktop.rfind("1024x768@", 0), 0u) << desktop;
    std::pair<std::string, std::string> modes = modesOf800x600(poke("modes"));
    ASSERT_NE(modes.first, modes.second) << "the server must offer two different 800x600 modes";

    struct Ending {
        const char* poke;
        int signal;
    };
    for (Ending ending : {Ending{"key Escape", 0}, Ending{nullptr, SIGTERM},
                          Ending{nullptr, SIGINT}, Ending{nullptr, 0}}) {
        std::string what = ending.poke     ? ending.poke
                           : ending.signal ? "signal " + std::to_string(ending.signal)
                                           : "the timeline's end";
        if (!ending.poke && !ending.signal)
            writeFile(directory + "/script.odml", "<effect start=\"0\" end=\"1.5\" name=\"x\"/>");
        ChildProcess demo;
        startDemo(demo);
        EXPECT_EQ(poke("mode"), modes.second) << what;
        EXPECT_EQ(poke("geometry"), "800x600+0+0") << what;
        if (ending.poke)
            poke(ending.poke);
        else if (ending.signal)
            demo.signal(ending.signal);
        EXPECT_EQ(demo.wait(20), 0) << what << "\n" << demo.output() << demo.errors();
        EXPECT_NE(demo.output().find("Resolution 800x600\n"), std::string::npos) << what;
        EXPECT_EQ(poke("mode"), desktop) << "after " << what;
    }
}

TEST_F(FullScreen, SoundFailureRestoresTheDesktopBeforeExiting) {
    startServer("dummy-800x600.conf");
    std::remove((directory + "/music.mp3").c_str());
    ChildProcess demo;
    ASSERT_TRUE(demo.start(kDemo, {}, directory));
    EXPECT_EQ(demo.wait(20), 1);
    EXPECT_NE(demo.output().find("Resolution 800x600\n"), std::string::npos) << demo.output();
    EXPECT_NE(demo.output().find("\nFile not found\n"), std::string::npos) << demo.output();
    EXPECT_EQ(poke("mode").rfind("1024x768@", 0), 0u);
}

TEST_F(FullScreen, AClickDoesNotEndTheDemo) {
    startServer("dummy-800x600.conf");
    ChildProcess demo;
    startDemo(demo);
    poke("click");
    usleep(1000000);
    EXPECT_TRUE(demo.running()) << "the pointer grab holds clicks back";
    poke("key Escape");
    EXPECT_EQ(demo.wait(20), 0);
    EXPECT_EQ(poke("mode").rfind("1024x768@", 0), 0u);
}

TEST_F(FullScreen, WithoutAn800x600ModeTheWindowCoversTheDesktop) {
    startServer("dummy-no-800x600.conf");
    ChildProcess demo;
    startDemo(demo);
    EXPECT_EQ(poke("mode").rfind("1024x768@", 0), 0u);
    EXPECT_EQ(poke("geometry"), "1024x768+0+0");
    demo.signal(SIGTERM);
    EXPECT_EQ(demo.wait(20), 0);
    EXPECT_NE(demo.output().find("Resolution 1024x768\n"), std::string::npos) << demo.output();
}

} // namespace
