// The pieces the window is made of, one file each; for host/ only. Calls go one way:
// x11_window.cpp and window_events.cpp call these, and these call only window_state.cpp.
#pragma once

#include "host/host_window.h"

// [SECTION] glx_context.cpp

XVisualInfo* chooseVisual(Display* display, int screen);
GLXContext createContext(Display* display, XVisualInfo* visual);
void destroyContext();

// [SECTION] video_mode.cpp: with no usable mode list these act on the desktop size and
// switch nothing.

struct ChosenMode {
    int width, height;
};
ChosenMode readVideoModes(Display* display, int width, int height);
void switchToChosenMode(Display* display);
void restoreDesktopMode(Display* display);

// [SECTION] window_state.cpp: a temporary error handler that records X protocol errors
// instead of ending the process, around calls that may fail on a server without some feature.

void grabXErrors();
int releaseXErrors(Display* display); // the error code seen since grabXErrors, or 0

// [SECTION] tool_window.cpp: once a tool's window is open, a lost display is recorded instead
// of ending the process.

bool displayLost();
