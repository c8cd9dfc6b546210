// Which frames a capture renders and what each is for, worked out from the options and the
// timeline's end before any window opens, so bad times are reported before anything runs.
#pragma once

#include "tools/author/capture/options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct PlannedShot {
    int64_t frame;
    std::string path;
};

struct Plan {
    int fps = 60;
    int64_t rangeFirst = 0, rangeEnd = 0; // frames of the range, end exclusive
    int64_t lastFrame = -1;               // the last frame to render; -1 for none
    std::vector<PlannedShot> shots;
    std::vector<int64_t> sheetFrames;

    bool usesRange = false; // --frames, --video, --sheet or --bench
    int64_t rangeFrames() const { return rangeEnd - rangeFirst; }
    bool inRange(int64_t frame) const { return frame >= rangeFirst && frame < rangeEnd; }
};

// `timelineEnd` is the script's lastEnd. Returns an empty string, or one line.
std::string makePlan(const Options& options, float timelineEnd, Plan* plan);

} // namespace capture
