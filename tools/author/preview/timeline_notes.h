// What the preview reads from a timeline besides its effects: the beat grid an author declares
// in a comment, for music without a cue sheet.
#pragma once

#include "tools/lib/cues/beat_grid.h"

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

// "bar 12 beat 3" (both counted from 1) at `seconds` on the music's grid (the cue sheet's,
// else the comment's); "" before the first downbeat or without a grid.
std::string barAndBeat(const cues::BeatGrid* grid, double seconds);

} // namespace preview
