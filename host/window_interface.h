// The host's window as the demo and the tools drive it, with no X11 or GLX type in sight:
// open it, present a frame, poll its events through a handler, read the frame back, run the
// demo's own loop, and learn that the display went away. The X11 side lives in
// window_events.cpp and tool_window.cpp.
#pragma once

#include <csignal>
#include <string>
#include <vector>

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// Viewport and projection for a drawable size; height 0 counts as 1.
void resizeGLScene(unsigned int width, unsigned int height);

// The GLX extension through which the swap interval was set; kNoSwapControl where GLX offers
// none (or none that takes the interval asked for), and buffers swap as fast as frames come.
enum SwapControl { kNoSwapControl, kExtSwapControl, kMesaSwapControl, kSgiSwapControl };
// Asks the driver to show at most one frame per `refreshesPerFrame` display refreshes (0 for
// no waiting) on the current window. With 1, the swap waits in the driver for the refresh, so
// a loop that never sleeps still draws no frame nobody sees.
SwapControl setSwapInterval(int refreshesPerFrame);
const char* swapControlName(SwapControl control); // the extension's name, or "none"

// [SECTION] The demo's own loop

// Set to 1 to end the main loop. Signal handlers write it too, hence its type.
extern volatile std::sig_atomic_t done;

// What the main loop runs for each frame: draws it into the back buffer and returns 0 once
// the demo has ended (drawDemo is one).
using FrameStep = int (*)();

// Drains every queued event through the demo's handler (window_events.cpp), then draws
// exactly one frame through `frameStep`, until done.
void runMainLoop(FrameStep frameStep);

namespace host {

// [SECTION] Events

// The keys the demo and the tools act on; every other key arrives as kOther.
enum class Key {
    kOther,
    kEscape,
    kSpace,
    kLeft,
    kRight,
    kPageUp,
    kPageDown,
    kHome,
    kBracketLeft,
    kBracketRight,
    kBackslash,
    kR,
    kH,
    kT,
    kComma,
    kPeriod,
    kUp,
    kDown,
};

struct WindowEvent {
    enum class Kind {
        kKey,    // a key pressed
        kButton, // a mouse button pressed in the window
        kExpose, // the last of a series of exposes: the window wants its picture again
        kResize, // the window's size changed, or it moved (same size)
        kClose,  // the window manager's close button
    };
    Kind kind = Kind::kKey;
    Key key = Key::kOther;
    unsigned long keysym = 0;           // kKey: the X keysym of the unshifted key, for the demo
    bool shift = false;                 // kKey: with Shift held
    int button = 0;                     // kButton: 1 is the left button
    int x = 0, y = 0;                   // kButton: window pixels from the top-left corner
    unsigned int width = 0, height = 0; // kResize: the window's size now
};

class WindowEventHandler {
public:
    virtual void handle(const WindowEvent& event) = 0;

protected:
    ~WindowEventHandler() = default;
};

enum class WindowStatus { kOpen, kDisplayLost };

// Hands every queued event to `handler`, in order, without waiting for more.
WindowStatus pollWindowEvents(WindowEventHandler& handler);

// [SECTION] Frames

// Shows the back buffer; the frame stays on screen until the next.
WindowStatus presentFrame();

enum class PixelLayout { kRgb, kRgba };
enum class RowOrder {
    kTopDown,  // as pictures and videos store them
    kBottomUp, // as GL reads them
};

// The frame, 8 bits a channel: the 800 × 600 back buffer, or the off-screen frame at the
// tool's scale. `pixels` is resized to fit, so a caller that keeps it allocates once.
void readFrame(PixelLayout layout, RowOrder order, std::vector<unsigned char>* pixels);

// [SECTION] The window as a tool opens it

// Opens the window windowed, 800 × 600, titled `title`, makes its GL context current and
// waits until it is on screen. A busy server gets a few tries. The host's set-up lines are
// held back and written to standard error only when it fails. From here on a lost display
// ends nothing: pollWindowEvents and presentFrame report it (and SIGPIPE, if at its default,
// is ignored, so that writing to the gone server fails instead). Returns "" or one line.
std::string openToolWindow(const char* title);
void closeToolWindow();

// Renders the tool's frames at `scale` times 800 × 600 (1 to 3): above 1, off screen in a
// framebuffer object, so the display's size does not matter, with the pixel scale of the
// scenes (gfx/pixel_scale.h) to match; 1 keeps the window's back buffer. Call after
// openToolWindow and before the scenes are built. Returns "" or one line.
std::string setToolFrameScale(int scale);
int toolFrameWidth();
int toolFrameHeight();

} // namespace host
