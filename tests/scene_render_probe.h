// Helpers for scene render tests: a working directory holding the pictures scenes load, frame
// read-back and probes. (Allocation counting: tests/allocation_counter.h.)
#pragma once

#include <string>
#include <vector>

namespace sceneprobe {

// Grey of the test spinning.png: a panel at alpha 1/8 adds 4, so 40 panels cannot saturate.
constexpr unsigned char kSpinningGrey = 32;

// Changes into a fresh temporary directory whose data/ holds solid white planes.png and
// cubes.png and a solid grey spinning.png, and back to the previous directory on destruction.
class PictureDirectory {
public:
    PictureDirectory();
    ~PictureDirectory();

private:
    std::string previous;
    std::string directory;
};

// Clears colour and depth and loads the identity model-view matrix, as the host does before
// the timeline paints a frame.
void beginFrame();

// The whole 800 x 600 back buffer as RGB bytes, bottom row first.
std::vector<unsigned char> readFrame();

// Pixels of the back buffer with any channel above `threshold`.
int litPixels(int threshold = 8);

} // namespace sceneprobe
