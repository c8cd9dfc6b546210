// The window record, the stop flag, and the X error trap that the window's pieces share.
#include "host/window_parts.h"

HostWindow GLWin;
volatile std::sig_atomic_t done = 0;

namespace {

int recordedXError = 0;
XErrorHandler previousXErrorHandler = nullptr;

int recordXError(Display*, XErrorEvent* event) {
    recordedXError = event->error_code;
    return 0;
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
