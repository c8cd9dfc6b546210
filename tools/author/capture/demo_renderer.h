// The demo, driven frame by frame from outside: the host's own window (windowed, titled
// "Solvane capture") around the demo player, with no sound. Times are music milliseconds.
#pragma once

#include "host/demo_player.h"

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

class DemoRenderer {
public:
    DemoRenderer();
    DemoRenderer(const DemoRenderer&) = delete;
    DemoRenderer& operator=(const DemoRenderer&) = delete;
    ~DemoRenderer() { close(); }

    // Opens the window and builds the demo from the timeline's bytes, with the current
    // directory as the demo directory. The host's set-up lines, which it prints on
    // standard output, are held back and shown on standard error only if the window fails.
    // What the scenes print while they load (missing pictures and the like) is kept in
    // buildLines, for the caller to show once it knows the run goes ahead.
    // At `scale` above 1 the frames are drawn off screen, that many times 800 x 600.
    std::string open(const std::string& timelineText, int scale = 1);
    std::string buildLines;
    // One frame at `milliseconds` of music, as drawDemo draws it: into the back buffer.
    void draw(int64_t milliseconds);
    // The frame's size in pixels.
    int width() const;
    int height() const;
    // The frame as RGB rows, top row first.
    void read(std::vector<unsigned char>* rgb);
    // Shows the frame; "" or why the window is gone.
    std::string present();
    void finishGpu();
    // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.7, 256 bits)".
    std::string rendererName() const;
    // Destroys the scenes, empties the timeline and closes the window: open may build again.
    void close();
    // The timeline's end in seconds, once open has built the demo.
    float timelineEnd() const { return player.end(); }

private:
    DemoPlayer player;
    bool windowOpen = false;
};

} // namespace capture
