// The pieces the window is made of, one file each; for host/ only. Calls go one way:
// x11_window.cpp and window_events.cpp call these, and these call only window_state.cpp, besides
// the video mode announcing its switch to the mode guardian, which opens its own display.
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

// [SECTION] mode_guardian.cpp: a process that puts the desktop's mode back if the demo dies
// without doing so. Started first, before the display is open.

void startModeGuardian();
void announceModeSwitch(int screen, const XF86VidModeModeInfo& desktop,
                        const XF86VidModeModeInfo& chosen);
void stopModeGuardian(); // once the demo has put the mode back itself

// [SECTION] full_screen_input.cpp

// Maps the window and waits until it is viewable: pointer warps and grabs come after that.
void mapAndWaitUntilViewable(Display* display, Window window);
// Each grab is retried for a short while, then the demo goes on without it, with one line.
void grabKeyboardAndPointer(Display* display, Window window, Cursor cursor);

// [SECTION] x11_window.cpp

Display* openDisplay();

// [SECTION] window_state.cpp: a temporary error handler that records X protocol errors
// instead of ending the process, around calls that may fail on a server without some feature.

void grabXErrors();
int releaseXErrors(Display* display); // the error code seen since grabXErrors, or 0

// [SECTION] tool_window.cpp: once a tool's window is open, a lost display is recorded instead
// of ending the process.

bool displayLost();

// [SECTION] offscreen_frame.cpp

// Back to the window's back buffer at scale 1; the tool window calls it before closing.
void releaseOffscreenFrame();
