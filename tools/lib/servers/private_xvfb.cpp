// A private Xvfb started with -displayfd: the server writes its display number to our pipe
// once it accepts connections, which avoids both guessing a free number and polling.
#include "tools/lib/servers/private_servers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace servers {

namespace {

constexpr int kStartTimeoutMs = 15000;

// xdpyinfo, rather than a connection of our own, keeps this library free of X11.
bool displayAnswers() {
    return std::getenv("DISPLAY") && runQuietly({"xdpyinfo"}) == 0;
}

// The display number the server writes when ready; empty on timeout or exit.
std::string readDisplayNumber(int fd) {
    std::string number;
    char byte = 0;
    for (;;) {
        pollfd ready = {fd, POLLIN, 0};
        int polled = poll(&ready, 1, kStartTimeoutMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0 || read(fd, &byte, 1) != 1)
            return "";
        if (byte == '\n')
            return number;
        number += byte;
    }
}

} // namespace

std::string PrivateXvfb::startIfNeeded() {
    return displayAnswers() ? "" : start();
}

std::string PrivateXvfb::start() {
    stop();
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return std::string("private Xvfb: ") + std::strerror(errno);
    std::string error = process.start({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24",
                                       "-nolisten", "tcp", "+extension", "GLX"},
                                      {}, ready[1]);
    close(ready[1]);
    std::string number = error.empty() ? readDisplayNumber(ready[0]) : "";
    close(ready[0]);
    if (!error.empty())
        return "private Xvfb: " + error;
    if (number.empty()) {
        process.stop();
        return "private Xvfb: the server did not start (is Xvfb installed?)";
    }
    const char* display = std::getenv("DISPLAY");
    hadDisplay = display != nullptr;
    replaced = hadDisplay ? display : "";
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
    return "";
}

void PrivateXvfb::stop() {
    process.stop();
    if (name.empty())
        return;
    if (hadDisplay)
        setenv("DISPLAY", replaced.c_str(), 1);
    else
        unsetenv("DISPLAY");
    name.clear();
}

} // namespace servers
