// The window record, the stop flag, the X error trap that the window's pieces share, and what
// happens when the X connection is lost.
#include "host/window_parts.h"

#include <cstdio>
#include <cstdlib>

HostWindow GLWin;
volatile std::sig_atomic_t done = 0;

namespace {

int recordedXError = 0;
XErrorHandler previousXErrorHandler = nullptr;

int recordXError(Display*, XErrorEvent* event) {
    recordedXError = event->error_code;
    return 0;
}

int lostDisplayStatus = 1;

// Xlib's own handler calls exit, whose atexit teardown would then talk to the dead connection
// (and Xlib would call exit again from inside it), so this one skips the teardown. The
// desktop's video mode is the mode guardian's to put back: this process can no longer reach
// the server.
int leaveOnLostDisplay(Display* display) {
    std::fprintf(stderr, "X connection to \"%s\" lost: the server closed it or went away\n",
                 DisplayString(display));
    std::fflush(nullptr);
    std::_Exit(lostDisplayStatus);
}

} // namespace

void grabXErrors() {
    recordedXError = 0;
    previousXErrorHandler = XSetErrorHandler(recordXError);
}

int releaseXErrors(Display* display) {
    XSync(display, False);
    XSetErrorHandler(previousXErrorHandler);
    return recordedXError;
}

void exitWhenDisplayLost(int status) {
    lostDisplayStatus = status;
    XSetIOErrorHandler(leaveOnLostDisplay);
}
