// The full-screen path against a real X server with the video mode extension: the Xorg dummy
// driver, started here on a free display (as root only; elsewhere these tests skip); and on
// Xwayland, where scripts/run-tests provides one.
// gtest first: Xlib's None macro would break its headers.
#include <gtest/gtest.h>

#include "tests/process_runner.h"
#include "tools/lib/mp3tone/mp3_tone.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/socket.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

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
        makeDemoDirectory();
    }
    void makeDemoDirectory() {
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

// Orphans of the demo (its mode guardian) are reparented to this process, so that a test can
// tell whether any outlives the demo.
std::vector<pid_t> guardiansOfThisProcess() {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string stat = readFile(entry.path().string() + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos || stat.find("(solvane-guard)") == std::string::npos)
            continue;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 2, "%*c %d", &parent) == 1 && parent == getpid())
            found.push_back(std::stoi(entry.path().filename().string()));
    }
    return found;
}

// True once every guardian has exited (and is reaped) within the time limit.
bool guardiansGone(double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        std::vector<pid_t> guardians = guardiansOfThisProcess();
        for (pid_t guardian : guardians)
            waitpid(guardian, nullptr, WNOHANG);
        if (guardians.empty())
            return true;
        usleep(50000);
    }
    return false;
}

TEST_F(FullScreen, SwitchesToTheLast800x600ModeAndEveryEndRestoresTheDesktop) {
    startServer("dummy-800x600.conf");
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    const rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore); // a crash test is not worth a core file
    // The signals below stand for crashes: a sanitizer build must die of them as a plain one
    // does, not report them itself and exit 1.
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = sanitizerOptions ? sanitizerOptions : "";
    setenv("ASAN_OPTIONS", (asanOptions + ":handle_segv=0").c_str(), 1);
    const std::string desktop = poke("mode");
    EXPECT_EQ(desktop.rfind("1024x768@", 0), 0u) << desktop;
    std::pair<std::string, std::string> modes = modesOf800x600(poke("modes"));
    ASSERT_NE(modes.first, modes.second) << "the server must offer two different 800x600 modes";

    // The poke command or signal that ends the demo, and its exit status. Where the demo cannot
    // run its teardown, the guardian puts the mode back, and says so; unless the user has
    // switched to another mode meanwhile.
    struct Ending {
        const char* poke;
        int signal;
        int status;
        const char* userSwitch = nullptr;
    };
    for (Ending ending :
         {Ending{"key Escape", 0, 0}, Ending{"close", 0, 0}, Ending{nullptr, SIGTERM, 0},
          Ending{nullptr, SIGINT, 0}, Ending{nullptr, SIGHUP, 0}, Ending{nullptr, 0, 0},
          Ending{"kill-client", 0, 1}, Ending{nullptr, SIGQUIT, 128 + SIGQUIT},
          Ending{nullptr, SIGSEGV, 128 + SIGSEGV}, Ending{nullptr, SIGABRT, 128 + SIGABRT},
          Ending{nullptr, SIGKILL, 128 + SIGKILL},
          Ending{nullptr, SIGKILL, 128 + SIGKILL, "640 480"}}) {
        std::string what = ending.poke     ? ending.poke
                           : ending.signal ? strsignal(ending.signal)
                                           : "the timeline's end";
        writeFile(directory + "/script.odml", ending.poke || ending.signal
                                                  ? "<effect start=\"0\" end=\"120\" name=\"x\"/>"
                                                  : "<effect start=\"0\" end=\"1.5\" name=\"x\"/>");
        ChildProcess demo;
        startDemo(demo);
        EXPECT_EQ(poke("mode"), modes.second) << what;
        EXPECT_EQ(poke("geometry"), "800x600+0+0") << what;
        if (ending.userSwitch)
            poke(std::string("switch ") + ending.userSwitch);
        if (ending.poke)
            poke(ending.poke);
        else if (ending.signal)
            demo.signal(ending.signal);
        EXPECT_EQ(demo.wait(20), ending.status) << what << "\n" << demo.output() << demo.errors();
        EXPECT_TRUE(guardiansGone(10)) << "the mode guardian outlived the demo after " << what;
        EXPECT_EQ(poke("mode").rfind(ending.userSwitch ? "640x480@" : desktop, 0), 0u)
            << "after " << what << "\n"
            << demo.errors();
        if (ending.userSwitch)
            poke("switch 1024 768");
        if (ending.status == 1) { // the connection cut: said once, plainly
            EXPECT_NE(demo.errors().find("X connection to \"" + server.display + "\" lost"),
                      std::string::npos)
                << demo.errors();
        }
        bool abnormal = ending.status > 0 && !ending.userSwitch;
        EXPECT_EQ(demo.errors().find("solvane-guard:") != std::string::npos, abnormal)
            << what << "\n"
            << demo.errors();
        EXPECT_NE(demo.output().find("Resolution 800x600\n"), std::string::npos) << what;
    }
    setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
}

TEST_F(FullScreen, AGrabHeldByAnotherClientIsRetriedThenGoneWithout) {
    startServer("dummy-800x600.conf");
    for (double holdSeconds : {0.3, 30.0}) {
        ChildProcess holder;
        std::string holderDirectory = directory + "/holder";
        mkdir(holderDirectory.c_str(), 0755);
        ASSERT_TRUE(
            holder.start(kPoke, {"hold-grabs", std::to_string(holdSeconds)}, holderDirectory));
        ASSERT_TRUE(holder.waitForOutput("held", 10)) << holder.errors();
        ChildProcess demo;
        startDemo(demo);
        bool retried = holdSeconds < 1;
        if (retried) { // the demo, not the holder, has them now
            EXPECT_EQ(holder.wait(10), 0);
            EXPECT_EQ(poke("grabs"), "keyboard:held pointer:held");
        }
        demo.signal(SIGTERM);
        EXPECT_EQ(demo.wait(20), 0);
        EXPECT_EQ(demo.errors().find("grab failed") == std::string::npos, retried)
            << holdSeconds << "\n"
            << demo.errors();
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

// Whether the server behind a connection this process holds is still the same one: a server
// that crashed closes it (and weston would start a new Xwayland on the same display).
bool stillConnected(Display* display) {
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    char byte;
    if (poll(&connection, 1, 0) < 0 || (connection.revents & (POLLHUP | POLLERR)))
        return false;
    return !(connection.revents & POLLIN) ||
           recv(connection.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

// Xwayland, the X server of Wayland desktops, under a private headless weston.
TEST_F(FullScreen, OnXwaylandRunsToTheEndEndsOnEscapeAndTheServerLives) {
    const char* xwayland = std::getenv("SOLVANE_TEST_XWAYLAND_DISPLAY");
    if (!xwayland)
        GTEST_SKIP() << "no Xwayland: scripts/run-tests starts a private weston and sets "
                        "SOLVANE_TEST_XWAYLAND_DISPLAY";
    setenv("DISPLAY", xwayland, 1);
    Display* watcher = XOpenDisplay(xwayland);
    ASSERT_TRUE(watcher) << "cannot open Xwayland's display " << xwayland;
    makeDemoDirectory();
    writeFile(directory + "/script.odml", "<effect start=\"0\" end=\"1.5\" name=\"x\"/>");
    for (std::string mode : {"", "/windowed"}) {
        ChildProcess demo;
        ASSERT_TRUE(demo.start(kDemo, {mode}, directory));
        EXPECT_EQ(demo.wait(30), 0) << mode << "\n" << demo.output() << demo.errors();
        EXPECT_TRUE(stillConnected(watcher)) << "Xwayland died under the demo " << mode;
    }
    writeFile(directory + "/script.odml", "<effect start=\"0\" end=\"120\" name=\"x\"/>");
    ChildProcess demo;
    startDemo(demo);
    poke("key Escape");
    EXPECT_EQ(demo.wait(20), 0) << demo.output() << demo.errors();
    EXPECT_NE(demo.output().find("Resolution 800x600\n"), std::string::npos) << demo.output();
    EXPECT_TRUE(stillConnected(watcher)) << "Xwayland died under the demo";
    XCloseDisplay(watcher);
}

} // namespace
