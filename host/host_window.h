// The demo's window, GL context, video mode and main loop: the one part of Solvane that
// knows X11 and GLX. Split by concern: x11_window.cpp (the window), window_events.cpp (the
// event path and the demo's loop), tool_window.cpp (the window as tools use it), glx_context.cpp
// (visual, context and swap interval), video_mode.cpp (full-screen mode switch),
// full_screen_input.cpp (map, pointer warp and grabs), mode_guardian.cpp (the process that puts
// the mode back should the demo die), gl_setup.cpp (base GL state), all over window_state.cpp
// (the window record, the X error trap and the lost-connection exit). Their pieces are declared
// in window_parts.h, for host/ only; tools see window_interface.h alone.
#pragma once

#include "host/window_interface.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/xf86vmode.h>

struct HostWindow {
    Display* display;
    int screen;
    Window window;
    GLXContext context; // null once destroyed
    XSetWindowAttributes windowAttributes;
    int fullScreen; // decides the creation path and whether the mode is restored at exit
    XF86VidModeModeInfo desktopMode; // the mode in force at start
    int x, y;
    unsigned int width, height; // drawable size, kept current by resize events
    unsigned int depth;
};

extern HostWindow GLWin;

constexpr long kWindowEventMask =
    ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;

// createGLWindow's results. kWindowUnavailable means there is no window or context at all
// (no display, no visual); the reason has been printed.
enum { kWindowUnavailable = -1, kWindowFailed = 0, kWindowReady = 1 };

int createGLWindow(const char* title, int width, int height, int bits, int fullScreenFlag);
int initGL();
// Runs the frame step and shows its frame; the last frame stays on screen.
void drawGLScene();
void keyPressed(unsigned long keysym);
void killGLWindow();
// From now on a lost X connection (the window killed, the server gone) ends the process at
// once with `status` and one line on standard error: no atexit teardown runs.
void exitWhenDisplayLost(int status);
// Waits until the window just created is on screen, for callers that draw before any loop.
void waitUntilMapped();
