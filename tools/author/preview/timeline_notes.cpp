// The beat grid comment.
#include "tools/author/preview/timeline_notes.h"

#include <cmath>
#include <cstdio>

namespace preview {

BeatGrid readBeatGrid(const std::string& text) {
    BeatGrid grid;
    for (size_t at = text.find("<!--"); at != std::string::npos; at = text.find("<!--", at + 4)) {
        double bpm = 0, offset = 0;
        char tail[4] = "";
        if (std::sscanf(text.c_str() + at, "<!-- bpm %lf offset %lf %3s", &bpm, &offset, tail) ==
                3 &&
            std::string(tail) == "-->" && bpm > 0 && bpm < 1000 && std::isfinite(offset)) {
            grid.declared = true;
            grid.bpm = bpm;
            grid.offset = offset;
            return grid;
        }
    }
    return grid;
}

std::string barAndBeat(const cues::BeatGrid* grid, double seconds) {
    if (!grid)
        return "";
    cues::GridPoint beat = grid->beatAt(seconds);
    if (beat.bar < 1)
        return "";
    return "bar " + std::to_string(beat.bar) + " beat " + std::to_string(beat.beat);
}

} // namespace preview
