// Opening the host's window for the offline tools.
#include "tools/lib/window/tool_window.h"

#include "host/host_window.h"

#include <cstdio>
#include <unistd.h>

namespace toolwindow {

namespace {

constexpr int kWindowAttempts = 3;
constexpr useconds_t kRetryMicroseconds = 300000;

} // namespace

HeldOutput::HeldOutput(bool withErrors) : file(std::tmpfile()) {
    std::fflush(stdout);
    saved = dup(STDOUT_FILENO);
    if (file && saved >= 0)
        dup2(fileno(file), STDOUT_FILENO);
    if (withErrors) {
        std::fflush(stderr);
        savedErrors = dup(STDERR_FILENO);
        if (file && savedErrors >= 0)
            dup2(fileno(file), STDERR_FILENO);
    }
}

std::string HeldOutput::release() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        ::close(saved);
        saved = -1;
    }
    if (savedErrors >= 0) {
        dup2(savedErrors, STDERR_FILENO);
        ::close(savedErrors);
        savedErrors = -1;
    }
    std::string text;
    if (file) {
        std::rewind(file);
        char buffer[512];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
        file = nullptr;
    }
    return text;
}

std::string open(const char* title) {
    int window = kWindowUnavailable;
    std::string lines;
    // NOTE: a busy X server may refuse a connection for a moment even though it accepted
    // one just before; a few tries ride that out.
    for (int attempt = 0; attempt < kWindowAttempts && window == kWindowUnavailable; ++attempt) {
        if (attempt > 0)
            usleep(kRetryMicroseconds);
        HeldOutput held;
        window = createGLWindow(title, kWidth, kHeight, 24, 0);
        lines = held.release();
    }
    if (window != kWindowReady) {
        std::fputs(lines.c_str(), stderr);
        killGLWindow();
        return "could not open an 800x600 GL window (see the lines above)";
    }
    waitUntilMapped();
    // The tools draw on their own clock, faster than the display when they can: a driver that
    // waits for the refresh by default must not hold them to it.
    setSwapInterval(0);
    return "";
}

void close() {
    killGLWindow();
}

} // namespace toolwindow
