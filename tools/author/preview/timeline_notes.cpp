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

std::string barAndBeat(const BeatGrid& grid, double seconds) {
    if (!grid.declared || seconds < grid.offset)
        return "";
    const long beat = static_cast<long>(std::floor((seconds - grid.offset) * grid.bpm / 60.0));
    return "bar " + std::to_string(beat / 4 + 1) + " beat " + std::to_string(beat % 4 + 1);
}

} // namespace preview
