// x-poke: pokes the demo's window from outside, as a user or a window manager would, for the
// end-to-end tests. Usage: x-poke COMMAND [ARGS]; exits 1 with a message when it cannot.
//   wait SECONDS        wait for the demo's window and print its id
//   key KEYSYM | click  press a key (e.g. Escape) or mouse button 1 over the window (XTEST)
//   close               send the window manager's WM_DELETE_WINDOW request
//   bogus-message       send a client message whose type is no atom
//   resize W H | move X Y
//   geometry            print the window's WIDTHxHEIGHT+X+Y
//   mode                print the screen's current video mode as WIDTHxHEIGHT@DOTCLOCK (kHz)
//   modes               print every mode of the server's list, one a line, the same way
//   switch WIDTH HEIGHT switch the video mode to the first of that size, as a user would
//   kill-client         make the server close the demo's connection, as xkill does
//   hold-grabs SECONDS  grab keyboard and pointer, print "held", and let go SECONDS after
//                       the demo's window appears
//   grabs               print whether keyboard and pointer are grabbed by another client
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/xf86vmode.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

Display* display;

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "x-poke: %s\n", why.c_str());
    std::exit(1);
}

bool isDemoWindow(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable ||
        attributes.c_class != InputOutput)
        return false;
    // Windowed, the demo is the window named "Solvane"; full screen, it has no name but
    // bypasses the window manager. Test fixtures and tools name their windows otherwise.
    char* name = nullptr;
    bool named = XFetchName(display, window, &name) && name;
    bool demo = named ? std::strcmp(name, "Solvane") == 0 : attributes.override_redirect;
    if (name)
        XFree(name);
    return demo;
}

Window findWindow() {
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(display, root, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            if (isDemoWindow(children[i]))
                found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

Window waitForWindow(double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        if (Window window = findWindow())
            return window;
        usleep(50000);
    }
    fail("the demo's window did not appear");
}

void pointAt(Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    XTestFakeMotionEvent(display, DefaultScreen(display), attributes.x + attributes.width / 2,
                         attributes.y + attributes.height / 2, CurrentTime);
}

void sendClientMessage(Window window, Atom type, long data) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = data;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

bool grabbedElsewhere(bool keyboard) {
    Window root = DefaultRootWindow(display);
    int result =
        keyboard ? XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime)
                 : XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, None, None,
                                CurrentTime);
    if (result == GrabSuccess) {
        keyboard ? XUngrabKeyboard(display, CurrentTime) : XUngrabPointer(display, CurrentTime);
        XSync(display, False);
    }
    return result != GrabSuccess;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        fail("usage: x-poke COMMAND [ARGS]");
    // The test server's listen queue may be full for a moment while other tests connect.
    for (int attempt = 0; attempt < 20 && !display; ++attempt) {
        display = XOpenDisplay(nullptr);
        if (!display)
            usleep(50000);
    }
    if (!display)
        fail("cannot open display");
    std::string command = argv[1];

    if (command == "mode") {
        int dotClock;
        XF86VidModeModeLine line;
        if (!XF86VidModeGetModeLine(display, DefaultScreen(display), &dotClock, &line))
            fail("no video mode extension");
        std::printf("%dx%d@%d\n", line.hdisplay, line.vdisplay, dotClock);
        return 0;
    }

    if (command == "modes") {
        int count = 0;
        XF86VidModeModeInfo** modes = nullptr;
        if (!XF86VidModeGetAllModeLines(display, DefaultScreen(display), &count, &modes))
            fail("no video mode extension");
        for (int i = 0; i < count; ++i)
            std::printf("%dx%d@%d\n", modes[i]->hdisplay, modes[i]->vdisplay, modes[i]->dotclock);
        XFree(modes);
        return 0;
    }

    if (command == "switch" && argc > 3) {
        int count = 0;
        XF86VidModeModeInfo** modes = nullptr;
        XF86VidModeGetAllModeLines(display, DefaultScreen(display), &count, &modes);
        int found = 0;
        while (found < count && (modes[found]->hdisplay != std::atoi(argv[2]) ||
                                 modes[found]->vdisplay != std::atoi(argv[3])))
            ++found;
        if (found == count)
            fail("no such mode");
        XF86VidModeSwitchToMode(display, DefaultScreen(display), modes[found]);
        XSync(display, False);
        return 0;
    }
    if (command == "grabs") {
        std::printf("keyboard:%s pointer:%s\n", grabbedElsewhere(true) ? "held" : "free",
                    grabbedElsewhere(false) ? "held" : "free");
        return 0;
    }
    if (command == "hold-grabs" && argc > 2) {
        Window root = DefaultRootWindow(display);
        if (XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) ||
            XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, None, None,
                         CurrentTime))
            fail("cannot grab keyboard and pointer");
        std::printf("held\n");
        std::fflush(stdout);
        waitForWindow(30);
        usleep(static_cast<useconds_t>(std::atof(argv[2]) * 1e6));
        return 0;
    }

    Window window = waitForWindow(command == "wait" && argc > 2 ? std::atof(argv[2]) : 10);
    if (command == "wait") {
        std::printf("0x%lx\n", window);
    } else if (command == "key" && argc > 2) {
        KeySym keysym = XStringToKeysym(argv[2]);
        KeyCode code = XKeysymToKeycode(display, keysym);
        if (!code)
            fail(std::string("unknown key ") + argv[2]);
        pointAt(window);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
    } else if (command == "click") {
        pointAt(window);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
    } else if (command == "close") {
        sendClientMessage(window, XInternAtom(display, "WM_PROTOCOLS", False),
                          static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False)));
    } else if (command == "kill-client") {
        XKillClient(display, window);
    } else if (command == "bogus-message") {
        sendClientMessage(window, 0x7ffffff0, 0);
    } else if (command == "resize" && argc > 3) {
        XResizeWindow(display, window, std::atoi(argv[2]), std::atoi(argv[3]));
    } else if (command == "move" && argc > 3) {
        XMoveWindow(display, window, std::atoi(argv[2]), std::atoi(argv[3]));
    } else if (command == "geometry") {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        std::printf("%dx%d+%d+%d\n", attributes.width, attributes.height, attributes.x,
                    attributes.y);
    } else {
        fail("unknown command " + command);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
