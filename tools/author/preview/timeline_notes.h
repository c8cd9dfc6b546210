// What the preview reads from a timeline besides its effects: the beat grid an author declares
// in a comment.
#pragma once

#include <string>

namespace preview {

// From a comment "<!-- bpm 128 offset 0 -->" anywhere in the file; offset is the first
// downbeat in seconds. The demo's reader skips comments, so the demo never sees it.
struct BeatGrid {
    bool declared = false;
    double bpm = 0;
    double offset = 0;
};
BeatGrid readBeatGrid(const std::string& text);

// "bar 12 beat 3" (both counted from 1, four beats a bar) at `seconds`; "" before the first
// downbeat or without a grid.
std::string barAndBeat(const BeatGrid& grid, double seconds);

} // namespace preview
