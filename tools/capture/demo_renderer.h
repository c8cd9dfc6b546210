// The demo, driven frame by frame from outside: the host's own window (windowed, titled
// "Solvane capture"), scenes and timeline, with no sound. Times are music milliseconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

class DemoRenderer {
public:
    DemoRenderer() = default;
    DemoRenderer(const DemoRenderer&) = delete;
    DemoRenderer& operator=(const DemoRenderer&) = delete;
    ~DemoRenderer() { close(); }

    // Opens the window and builds the demo from the timeline at `scriptPath`, with the
    // current directory as the demo directory. The host's set-up lines, which it prints on
    // standard output, are held back and shown on standard error only if the window fails.
    std::string open(const std::string& scriptPath);
    // One frame at `milliseconds` of music, as drawDemo draws it: into the back buffer.
    void draw(int64_t milliseconds);
    // The back buffer as RGB rows, top row first.
    void read(std::vector<unsigned char>* rgb);
    void present();
    void finishGpu();
    // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.7, 256 bits)".
    std::string rendererName() const;
    // Destroys the scenes, empties the timeline and closes the window: open may build again.
    void close();

    static constexpr int kWidth = 800, kHeight = 600;

private:
    bool windowOpen = false, demoBuilt = false;
    std::vector<unsigned char> bottomUp;
};

} // namespace capture
