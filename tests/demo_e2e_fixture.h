// The fixture of the demo's end-to-end tests: windowed runs in a scratch demo directory
// with a generated two-second MP3, poked from outside as a user or window manager would.
#pragma once

#include "tests/process_runner.h"
#include "tools/lib/mp3tone/mp3_tone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

inline const std::string kDemo = SOLVANE_PATH;
inline const std::string kPoke = X_POKE_PATH;
inline const std::string kCapture = CAPTURE_PATH;
inline const std::string kSwapShim = SWAP_SHIM_PATH;

inline std::string timelineOf(double seconds) {
    return "<effect start=\"0\" end=\"" + std::to_string(seconds) + "\" name=\"nothing\"/>\n";
}

class DemoEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        toneDirectory = makeTemporaryDirectory("solvane-tone");
        mp3tone::ToneOptions tone;
        tone.seconds = 2.0;
        ASSERT_TRUE(mp3tone::writeTone(toneDirectory + "/music.mp3", tone));
    }
    static void TearDownTestSuite() { runCommand("rm -rf '" + toneDirectory + "'"); }

    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display (scripts/run-tests provides one)";
        directory = makeTemporaryDirectory("solvane-e2e");
        ASSERT_FALSE(directory.empty());
        ASSERT_EQ(runCommand("cp '" + toneDirectory + "/music.mp3' '" + directory + "/'"), 0);
    }
    void TearDown() override {
        if (!directory.empty())
            runCommand("rm -rf '" + directory + "'");
    }

    void startDemo(const std::vector<std::string>& arguments = {"/windowed"}) {
        ASSERT_TRUE(demo.start(kDemo, arguments, directory));
    }
    int poke(const std::string& arguments) { return runCommand("'" + kPoke + "' " + arguments); }
    // Waits until the demo's window is up and its first frames are drawn.
    void waitUntilRunning() {
        ASSERT_TRUE(demo.waitForOutput("Direct Rendering", 20)) << demo.output();
        ASSERT_EQ(poke("wait 20 >/dev/null"), 0);
    }

    static inline std::string toneDirectory;
    std::string directory;
    ChildProcess demo;
};
