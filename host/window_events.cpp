// The one event path: X events translated into the host's own and handed to a handler, the
// demo's handler, and the demo's main loop over it.
#include "host/host_window.h"
#include "host/window_interface.h"
#include "host/window_parts.h"

#include <X11/keysym.h>

#include <cstdio>

// [SECTION] Translating X events

namespace {

using host::Key;
using host::WindowEvent;

Key keyOf(KeySym keysym) {
    struct Named {
        KeySym keysym;
        Key key;
    };
    static const Named kKeys[] = {
        {XK_Escape, Key::kEscape},
        {XK_space, Key::kSpace},
        {XK_Left, Key::kLeft},
        {XK_Right, Key::kRight},
        {XK_Prior, Key::kPageUp},
        {XK_Next, Key::kPageDown},
        {XK_Home, Key::kHome},
        {XK_bracketleft, Key::kBracketLeft},
        {XK_bracketright, Key::kBracketRight},
        {XK_backslash, Key::kBackslash},
        {XK_r, Key::kR},
        {XK_h, Key::kH},
        {XK_t, Key::kT},
        {XK_comma, Key::kComma},
        {XK_period, Key::kPeriod},
        {XK_Up, Key::kUp},
        {XK_Down, Key::kDown},
    };
    for (const Named& named : kKeys)
        if (named.keysym == keysym)
            return named.key;
    return Key::kOther;
}

// Only the window manager's delete request counts (its type is WM_PROTOCOLS). Any client may
// send a message with a bogus atom; that must not end the process.
bool isCloseRequest(const XClientMessageEvent& message) {
    grabXErrors();
    char* name = XGetAtomName(GLWin.display, message.message_type);
    releaseXErrors(GLWin.display);
    bool close = name && name[0] == 'W';
    if (name)
        XFree(name);
    return close;
}

// False for events no handler acts on.
bool translate(XEvent& event, WindowEvent* out) {
    switch (event.type) {
    case KeyPress:
        out->kind = WindowEvent::Kind::kKey;
        out->keysym = XLookupKeysym(&event.xkey, 0);
        out->key = keyOf(out->keysym);
        out->shift = (event.xkey.state & ShiftMask) != 0;
        return true;
    case ButtonPress:
        out->kind = WindowEvent::Kind::kButton;
        out->button = static_cast<int>(event.xbutton.button);
        out->x = event.xbutton.x;
        out->y = event.xbutton.y;
        return true;
    case Expose:
        out->kind = WindowEvent::Kind::kExpose;
        return event.xexpose.count == 0;
    case ConfigureNotify:
        out->kind = WindowEvent::Kind::kResize;
        out->width = static_cast<unsigned int>(event.xconfigure.width);
        out->height = static_cast<unsigned int>(event.xconfigure.height);
        return true;
    case ClientMessage:
        out->kind = WindowEvent::Kind::kClose;
        return isCloseRequest(event.xclient);
    default:
        return false;
    }
}

} // namespace

host::WindowStatus host::pollWindowEvents(WindowEventHandler& handler) {
    while (!displayLost() && XPending(GLWin.display) > 0) {
        XEvent event;
        XNextEvent(GLWin.display, &event);
        WindowEvent translated;
        if (translate(event, &translated))
            handler.handle(translated);
    }
    return displayLost() ? WindowStatus::kDisplayLost : WindowStatus::kOpen;
}

// [SECTION] The demo's handler and main loop

void keyPressed(unsigned long keysym) {
    if (keysym == XK_Escape)
        done = 1;
}

namespace {

FrameStep runningStep = nullptr;

} // namespace

void drawGLScene() {
    if (runningStep && !runningStep())
        done = 1;
    glXSwapBuffers(GLWin.display, GLWin.window); // the last frame stays on screen
}

namespace {

void resizeWindow(unsigned int width, unsigned int height) {
    if (width == GLWin.width && height == GLWin.height)
        return;
    GLWin.width = width;
    GLWin.height = height;
    std::printf("Resize event\n");
    resizeGLScene(width, height);
}

class DemoEvents final : public host::WindowEventHandler {
public:
    void handle(const WindowEvent& event) override {
        switch (event.kind) {
        case WindowEvent::Kind::kKey:
            keyPressed(event.keysym);
            break;
        case WindowEvent::Kind::kButton:
            done = 1; // any button; in full screen the pointer grab holds clicks back
            break;
        case WindowEvent::Kind::kExpose:
            drawGLScene();
            break;
        case WindowEvent::Kind::kResize:
            resizeWindow(event.width, event.height);
            break;
        case WindowEvent::Kind::kClose:
            std::printf("Exiting sanely...\n");
            done = 1;
            break;
        }
    }
};

} // namespace

// Never sleeps: the frame rate is what the machine gives. The queue is drained even once a
// handler has set `done`, and one more frame is drawn.
void runMainLoop(FrameStep frameStep) {
    runningStep = frameStep;
    DemoEvents events;
    while (!done) {
        host::pollWindowEvents(events);
        drawGLScene();
    }
}
