// The full-screen video mode: read the mode list, switch to the requested size, switch back.
// Without the XF86VidMode extension (or with an empty mode list) the desktop size is used
// and nothing is switched.
#include "host/window_parts.h"

#include <cstdio>

namespace {

XF86VidModeModeInfo chosenMode;
bool haveModes = false;
bool switched = false;

} // namespace

ChosenMode readVideoModes(Display* display, int width, int height) {
    int major = 0, minor = 0;
    XF86VidModeModeInfo** modes = nullptr;
    int modeCount = 0;
    int opcode, event, error;
    // Asked first, so that a server without the extension gets no query Xlib complains about.
    bool present = XQueryExtension(display, "XFree86-VidModeExtension", &opcode, &event, &error);
    if (present && XF86VidModeQueryVersion(display, &major, &minor)) {
        std::printf("XF86VidModeExtension-Version %d.%d\n", major, minor);
        grabXErrors();
        if (!XF86VidModeGetAllModeLines(display, GLWin.screen, &modeCount, &modes))
            modeCount = 0;
        if (releaseXErrors(display) != 0)
            modeCount = 0;
    }

    haveModes = modeCount > 0 && modes;
    if (!haveModes) {
        if (modes)
            XFree(modes);
        if (GLWin.fullScreen)
            std::printf("No video modes to switch to: full screen at the desktop size\n");
        return {DisplayWidth(display, GLWin.screen), DisplayHeight(display, GLWin.screen)};
    }

    GLWin.desktopMode = *modes[0];
    // The last entry of the requested size wins; with none, the mode in force at start.
    int chosen = 0;
    for (int i = 0; i < modeCount; ++i)
        if (modes[i]->hdisplay == width && modes[i]->vdisplay == height)
            chosen = i;
    chosenMode = *modes[chosen];
    XFree(modes);
    return {chosenMode.hdisplay, chosenMode.vdisplay};
}

void switchToChosenMode(Display* display) {
    if (!haveModes)
        return;
    announceModeSwitch(GLWin.screen, GLWin.desktopMode, chosenMode);
    grabXErrors();
    XF86VidModeSwitchToMode(display, GLWin.screen, &chosenMode);
    XF86VidModeSetViewPort(display, GLWin.screen, 0, 0);
    switched = releaseXErrors(display) == 0;
    if (!switched)
        std::printf("Could not switch the video mode: full screen at the desktop size\n");
}

void restoreDesktopMode(Display* display) {
    if (!switched)
        return;
    grabXErrors();
    XF86VidModeSwitchToMode(display, GLWin.screen, &GLWin.desktopMode);
    XF86VidModeSetViewPort(display, GLWin.screen, 0, 0);
    if (int error = releaseXErrors(display))
        std::fprintf(stderr, "video mode restore failed: X error %d\n", error);
    switched = false;
}
