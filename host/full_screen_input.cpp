// The full-screen window's way onto the screen: mapped, waited for until viewable, then the
// pointer warp and the keyboard and pointer grabs, each grab retried for a short while.
#include "host/window_parts.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kMapWaitMilliseconds = 2000;
constexpr int kGrabAttempts = 20;
constexpr useconds_t kGrabRetryMicroseconds = 50000; // a second in all

int grabKeyboard(Display* display, Window window, Cursor) {
    return XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}

// NOTE: a synchronous pointer grab that is never allowed to proceed: the server holds clicks
// back, so a click does not end the demo in full screen. Closing the display releases it.
int grabPointer(Display* display, Window window, Cursor cursor) {
    return XGrabPointer(display, window, True, ButtonPressMask, GrabModeSync, GrabModeAsync, window,
                        cursor, CurrentTime);
}

const char* grabFailure(int result) {
    switch (result) {
    case AlreadyGrabbed:
        return "another client holds it";
    case GrabNotViewable:
        return "the window is not viewable";
    case GrabFrozen:
        return "another client's grab froze it";
    default:
        return "the server refused it";
    }
}

using GrabAttempt = int (*)(Display*, Window, Cursor);

// Another client's grab (a menu, a screen locker, a key still held) often ends within moments.
void grabWithRetries(const char* device, GrabAttempt attempt, Display* display, Window window,
                     Cursor cursor) {
    int result = GrabSuccess;
    for (int tries = 0; tries < kGrabAttempts; ++tries) {
        if ((result = attempt(display, window, cursor)) == GrabSuccess)
            return;
        usleep(kGrabRetryMicroseconds);
    }
    std::fprintf(stderr, "%s grab failed: %s; the demo goes on without it\n", device,
                 grabFailure(result));
}

} // namespace

// NOTE: requests that need a viewable window must wait for MapNotify: the map request alone
// is not enough on every server. Xwayland 22 crashes on a pointer warp into a window that is
// not on screen yet, and grabs on an unviewable window fail.
void mapAndWaitUntilViewable(Display* display, Window window) {
    XMapRaised(display, window);
    XEvent event;
    for (int waited = 0; waited < kMapWaitMilliseconds; waited += 10) {
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event))
            return;
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 10);
    }
    std::fprintf(stderr, "window map failed: no MapNotify within %d ms\n", kMapWaitMilliseconds);
}

void grabKeyboardAndPointer(Display* display, Window window, Cursor cursor) {
    grabWithRetries("keyboard", grabKeyboard, display, window, cursor);
    grabWithRetries("pointer", grabPointer, display, window, cursor);
}
