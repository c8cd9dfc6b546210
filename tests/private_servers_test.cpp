// private-servers as the scripts use it: the command runs with servers of its own, its exit
// status comes back, and nothing of the servers is left once it has ended, however it ended.
#include "tests/process_runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <unistd.h>

namespace {

const std::string kServers = PRIVATE_SERVERS_PATH;

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

TEST(PrivateServers, TheCommandRunsWithItsOwnServersAndNothingIsLeftAfter) {
    const std::string directory = makeTemporaryDirectory("private-servers");
    ASSERT_FALSE(directory.empty());
    ChildProcess run;
    ASSERT_TRUE(run.start("/usr/bin/env",
                          {"-u", "DISPLAY", kServers, "--xvfb-if-needed", "--pulseaudio", "SOUND",
                           "--", "sh", "-c",
                           "xdpyinfo >/dev/null && PULSE_SERVER=$SOUND pactl info >/dev/null && "
                           "echo $DISPLAY ${SOUND#unix:} && exec sleep 60"},
                          directory));
    ASSERT_TRUE(run.waitForOutput("\n", 60)) << run.errors();
    std::string display, socket;
    std::istringstream(run.output()) >> display >> socket;
    const std::string scratch = socket.substr(0, socket.rfind("/pulse/"));
    const std::vector<std::string> traces = {"/tmp/.X11-unix/X" + display.substr(1), scratch};
    for (const std::string& trace : traces)
        EXPECT_TRUE(exists(trace)) << trace;

    run.signal(SIGTERM); // passed on to the command
    EXPECT_EQ(run.wait(30), 128 + SIGTERM);
    for (const std::string& trace : traces)
        EXPECT_FALSE(exists(trace)) << trace;

    EXPECT_EQ(runCommand("env -u DISPLAY '" + kServers + "' --xvfb-if-needed -- sh -c 'exit 7'"),
              7);
    EXPECT_EQ(runCommand("'" + kServers + "' --xvfb-if-needed -- no-such-program"), 127);
    EXPECT_EQ(runCommand("'" + kServers + "' --no-such-option true"), 125);
    runCommand("rm -rf '" + directory + "'");
}

} // namespace
