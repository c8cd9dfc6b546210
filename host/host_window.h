// The demo's window, GL context, video mode and main loop: the one part of Solvane that
// knows X11 and GLX. Split by concern: x11_window.cpp (window and events), glx_context.cpp
// (visual and context), video_mode.cpp (full-screen mode switch), gl_setup.cpp (base GL state).
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/xf86vmode.h>

#include <csignal>

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

// Set to 1 to end the main loop. Signal handlers write it too, hence its type.
extern volatile std::sig_atomic_t done;

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr long kWindowEventMask =
    ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;

// createGLWindow's results. kWindowUnavailable means there is no window or context at all
// (no display, no visual); the reason has been printed.
enum { kWindowUnavailable = -1, kWindowFailed = 0, kWindowReady = 1 };

int createGLWindow(const char* title, int width, int height, int bits, int fullScreenFlag);
int initGL();
void resizeGLScene(unsigned int width, unsigned int height);
void drawGLScene();
void keyPressed(unsigned long keysym);
void handleEvent(XEvent* event);
void runMainLoop();
void killGLWindow();

// [SECTION] Pieces of createGLWindow and killGLWindow, one file each

// glx_context.cpp
XVisualInfo* chooseVisual(Display* display, int screen);
GLXContext createContext(Display* display, XVisualInfo* visual);
void destroyContext();

// video_mode.cpp: with no usable mode list these act on the desktop size and switch nothing.
struct ChosenMode {
    int width, height;
};
ChosenMode readVideoModes(int width, int height);
void switchToChosenMode();
void restoreDesktopMode();

// x11_window.cpp: a temporary error handler that records X protocol errors instead of
// ending the process, around calls that may fail on a server without some feature.
void grabXErrors();
int releaseXErrors(); // the error code seen since grabXErrors, or 0
