// Opening the host's window for the offline tools.
#include "tools/lib/window/tool_window.h"

#include "host/demo_player.h"
#include "host/host_window.h"

#include <cstdio>
#include <unistd.h>

namespace toolwindow {

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
    HeldOutput held;
    int window = createGLWindow(title, kFrameWidth, kFrameHeight, 24, 0);
    std::string lines = held.release();
    if (window != kWindowReady) {
        std::fputs(lines.c_str(), stderr);
        killGLWindow();
        return "could not open an " + std::to_string(kFrameWidth) + "x" +
               std::to_string(kFrameHeight) + " GL window (see the lines above)";
    }
    waitUntilMapped();
    return "";
}

void close() {
    killGLWindow();
}

} // namespace toolwindow
