// The window as the tools use it: opened windowed, shown before the first
// frame, presented and read back, and a lost display reported instead of ending the process.
#include "host/held_output.h"
#include "host/host_window.h"
#include "host/window_interface.h"
#include "host/window_parts.h"

#include <GL/gl.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

bool lost = false;

// Xlib's default prints a line and exits; the tool says it in its own words instead.
int ignoreIOError(Display*) {
    return 0;
}

// Once this returns, Xlib marks the connection dead and every later call on it returns at
// once, so the tool can stop and clean up in its own time.
void noteLostDisplay(Display*, void*) {
    lost = true;
}

// NOTE: a server that is shutting down destroys the window before it drops the connection,
// so the end often shows first as a refused swap. Nothing else a tool asks for fails.
int noteRefusedRequest(Display*, XErrorEvent*) {
    lost = true;
    return 0;
}

void watchForLostDisplay() {
    lost = false;
    XSetErrorHandler(noteRefusedRequest);
    XSetIOErrorHandler(ignoreIOError);
    XSetIOErrorExitHandler(GLWin.display, noteLostDisplay, nullptr);
    // A write to a server that has gone raises SIGPIPE, which would end the process first.
    struct sigaction current = {};
    sigaction(SIGPIPE, nullptr, &current);
    if (current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

bool displayLost() {
    return lost;
}

namespace host {

std::string openToolWindow(const char* title) {
    HeldOutput held;
    int window = createGLWindow(title, kWindowWidth, kWindowHeight, 24, 0);
    std::string lines = held.release();
    if (window != kWindowReady) {
        std::fputs(lines.c_str(), stderr);
        killGLWindow();
        return "could not open an " + std::to_string(kWindowWidth) + "x" +
               std::to_string(kWindowHeight) + " GL window (see the lines above)";
    }
    waitUntilMapped();
    watchForLostDisplay();
    // The tools draw on their own clock, faster than the display when they can: a driver that
    // waits for the refresh by default must not hold them to it.
    setSwapInterval(0);
    return "";
}

void closeToolWindow() {
    releaseOffscreenFrame();
    killGLWindow();
    lost = false;
}

WindowStatus presentFrame() {
    if (!lost) {
        glXSwapBuffers(GLWin.display, GLWin.window);
        XPending(GLWin.display); // reads the connection: a server gone shows here
    }
    return lost ? WindowStatus::kDisplayLost : WindowStatus::kOpen;
}

void readFrame(PixelLayout layout, RowOrder order, std::vector<unsigned char>* pixels) {
    const int channels = layout == PixelLayout::kRgb ? 3 : 4;
    const int width = toolFrameWidth(), height = toolFrameHeight();
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    pixels->resize(rowBytes * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels->data());
    if (order == RowOrder::kBottomUp)
        return;
    unsigned char* top = pixels->data();
    unsigned char* bottom = top + rowBytes * (height - 1);
    for (; top < bottom; top += rowBytes, bottom -= rowBytes)
        std::swap_ranges(top, top + rowBytes, bottom);
}

} // namespace host
