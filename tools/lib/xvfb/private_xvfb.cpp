// Starts Xvfb with -displayfd: the server writes its display number to our pipe once it
// accepts connections, which avoids both guessing a free number and polling for readiness.
#include "tools/lib/xvfb/private_xvfb.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kStartTimeoutMs = 15000;

bool displayOpens() {
    if (!std::getenv("DISPLAY"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

[[noreturn]] void execXvfb(int readyFd) {
    // Terminal signals are for our process; it stops the server itself. If we die without
    // doing so, the kernel stops it.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    int quiet = open("/dev/null", O_RDWR);
    if (quiet >= 0) {
        dup2(quiet, 0);
        dup2(quiet, 1);
        dup2(quiet, 2);
    }
    std::string fd = std::to_string(readyFd);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "+extension", "GLX", static_cast<char*>(nullptr));
    _exit(127);
}

// Reads the display number the server writes when ready; empty on timeout or exit.
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
    if (displayOpens())
        return "";
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::string("private Xvfb: ") + std::strerror(errno);
    pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return std::string("private Xvfb: ") + std::strerror(errno);
    }
    if (pid == 0) {
        close(pipeFds[0]);
        execXvfb(pipeFds[1]);
    }
    close(pipeFds[1]);
    std::string number = readDisplayNumber(pipeFds[0]);
    close(pipeFds[0]);
    if (number.empty()) {
        stop();
        return "private Xvfb: the server did not start (is Xvfb installed?)";
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return "";
}

void PrivateXvfb::stop() {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
}
