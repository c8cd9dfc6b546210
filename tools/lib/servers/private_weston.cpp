// A private headless weston with Xwayland. weston names Xwayland's display only in its log,
// which it writes into the server's scratch directory (its working directory).
#include "tools/lib/servers/private_servers.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace servers {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
const char kLogName[] = "weston.log";
const char kAnnouncement[] = "xserver listening on display ";

// ":N" once the log announces it, else "".
std::string announcedDisplay(const std::string& logPath) {
    std::ifstream log(logPath);
    std::string line;
    while (std::getline(log, line)) {
        size_t at = line.find(kAnnouncement);
        if (at == std::string::npos)
            continue;
        std::istringstream rest(line.substr(at + sizeof kAnnouncement - 1));
        std::string display;
        rest >> display;
        if (display.size() > 1 && display[0] == ':')
            return display;
    }
    return "";
}

} // namespace

std::string PrivateWeston::start() {
    xDisplay.clear();
    for (const char* program : {"weston", "Xwayland"})
        if (!onPath(program))
            return std::string(program) + " is not installed";
    // Its own Wayland socket lives in the private runtime directory, so a fixed name is safe.
    std::string error = process.start({"weston", "--backend=headless-backend.so", "--xwayland",
                                       "--socket=solvane", "--width=1280", "--height=720",
                                       "--idle-time=0", std::string("--log=") + kLogName},
                                      {"WAYLAND_DISPLAY", "DISPLAY"});
    if (!error.empty())
        return "weston: " + error;
    const std::string logPath = process.directory() + "/" + kLogName;
    const auto giveUp = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < giveUp) {
        xDisplay = announcedDisplay(logPath);
        if (!xDisplay.empty())
            return "";
        if (!process.running())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    process.stop();
    return "weston did not announce an Xwayland display within 10 s";
}

} // namespace servers
