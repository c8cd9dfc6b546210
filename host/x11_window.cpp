// The X11 window: creation in both modes and the teardown. Its events: window_events.cpp.
#include "host/host_window.h"
#include "host/window_parts.h"

#include <X11/keysym.h>

#include <cstdio>
#include <unistd.h>

// [SECTION] Window creation

namespace {

// An empty 1 x 1 bitmap as both source and mask: the pointer disappears over the window.
Cursor makeInvisibleCursor(Window window) {
    static const char emptyBits[1] = {0};
    Pixmap bitmap = XCreateBitmapFromData(GLWin.display, window, emptyBits, 1, 1);
    if (!bitmap) {
        std::fprintf(stderr, "error: out of memory.\n");
        return None;
    }
    XColor black = {};
    Cursor cursor = XCreatePixmapCursor(GLWin.display, bitmap, bitmap, &black, &black, 0, 0);
    XFreePixmap(GLWin.display, bitmap);
    return cursor;
}

void createFullScreenWindow(XVisualInfo* visual, ChosenMode mode) {
    Display* display = GLWin.display;
    switchToChosenMode(display);
    std::printf("Resolution %dx%d\n", mode.width, mode.height);

    GLWin.windowAttributes.override_redirect = True;
    GLWin.windowAttributes.event_mask = kWindowEventMask;
    GLWin.window = XCreateWindow(display, RootWindow(display, visual->screen), 0, 0, mode.width,
                                 mode.height, 0, visual->depth, InputOutput, visual->visual,
                                 CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect,
                                 &GLWin.windowAttributes);
    Cursor cursor = makeInvisibleCursor(GLWin.window);
    mapAndWaitUntilViewable(display, GLWin.window);
    XWarpPointer(display, None, GLWin.window, 0, 0, 0, 0, 0, 0);
    grabKeyboardAndPointer(display, GLWin.window, cursor);
}

void createManagedWindow(XVisualInfo* visual, const char* title, int width, int height) {
    Display* display = GLWin.display;
    GLWin.windowAttributes.event_mask = kWindowEventMask;
    GLWin.window = XCreateWindow(display, RootWindow(display, visual->screen), 0, 0, width, height,
                                 0, visual->depth, InputOutput, visual->visual,
                                 CWBorderPixel | CWColormap | CWEventMask, &GLWin.windowAttributes);
    // The close button then arrives as a client message instead of killing the connection.
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", True);
    if (deleteWindow != None)
        XSetWMProtocols(display, GLWin.window, &deleteWindow, 1);
    XSetStandardProperties(display, GLWin.window, title, title, None, nullptr, 0, nullptr);
    XMapRaised(display, GLWin.window);
}

int giveUp(const char* what) {
    std::printf("%s on display \"%s\"\n", what, DisplayString(GLWin.display));
    XCloseDisplay(GLWin.display);
    GLWin.display = nullptr;
    return kWindowUnavailable;
}

} // namespace

// A busy server's listen queue can be full for a moment, even right after it accepted another
// client (a tool opening its window again): connect fails with EAGAIN, or with another error
// once Xlib has fallen back to the server's socket file. Short waits for up to two seconds ride
// that out; without a DISPLAY there is nothing to wait for. The one place that retries it.
Display* openDisplay() {
    constexpr int kAttempts = 40;
    constexpr useconds_t kWaitMicroseconds = 50000;
    for (int attempt = 1;; ++attempt) {
        Display* display = XOpenDisplay(nullptr);
        if (display || XDisplayName(nullptr)[0] == '\0' || attempt == kAttempts)
            return display;
        usleep(kWaitMicroseconds);
    }
}

int createGLWindow(const char* title, int width, int height, int /*bits*/, int fullScreenFlag) {
    GLWin.fullScreen = fullScreenFlag;
    if (GLWin.fullScreen)
        startModeGuardian();
    GLWin.display = openDisplay();
    if (!GLWin.display) {
        std::printf("Cannot open display \"%s\"\n", XDisplayName(nullptr));
        return kWindowUnavailable;
    }
    GLWin.screen = DefaultScreen(GLWin.display);
    ChosenMode mode = readVideoModes(GLWin.display, width, height);

    XVisualInfo* visual = chooseVisual(GLWin.display, GLWin.screen);
    if (!visual)
        return giveUp("No RGBA visual with a depth buffer");
    GLWin.context = createContext(GLWin.display, visual);
    if (!GLWin.context) {
        XFree(visual);
        return giveUp("Could not create a GLX context");
    }

    GLWin.windowAttributes.colormap = XCreateColormap(
        GLWin.display, RootWindow(GLWin.display, visual->screen), visual->visual, AllocNone);
    GLWin.windowAttributes.border_pixel = 0;
    if (GLWin.fullScreen)
        createFullScreenWindow(visual, mode);
    else
        createManagedWindow(visual, title, width, height);
    XFree(visual);

    glXMakeCurrent(GLWin.display, GLWin.window, GLWin.context);
    Window root;
    unsigned int border;
    XGetGeometry(GLWin.display, GLWin.window, &root, &GLWin.x, &GLWin.y, &GLWin.width,
                 &GLWin.height, &border, &GLWin.depth);
    std::printf("Depth %d\n", GLWin.depth);
    if (glXIsDirect(GLWin.display, GLWin.context))
        std::printf("Congrats, you have Direct Rendering!\n");
    else
        std::printf("Sorry, no Direct Rendering possible!\n");

    if (!initGL()) {
        std::printf("Could not initialize OpenGL.\nAborting...\n");
        return kWindowFailed;
    }
    return kWindowReady;
}

// [SECTION] Teardown

void killGLWindow() {
    if (GLWin.display) {
        destroyContext();
        if (GLWin.fullScreen)
            restoreDesktopMode(GLWin.display);
        XCloseDisplay(GLWin.display);
        GLWin.display = nullptr;
    }
    stopModeGuardian();
}

void waitUntilMapped() {
    XEvent event;
    do {
        XNextEvent(GLWin.display, &event);
    } while (event.type != MapNotify);
}
