// The benchmark's tables on standard output: overall and per-section frame times, and with
// --profile each scene's paint cost.
#pragma once

#include "tools/author/capture/frame_stats.h"
#include "tools/author/capture/scene_profiler.h"

#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// Where a run's wall time went, whether benchmarking or not.
struct RunTimes {
    int64_t frames = 0;
    double wallMs = 0, renderMs = 0, readBackMs = 0, encoderWaitMs = 0;
};

struct BenchFigures {
    RunTimes times;
    std::string timeline, renderer;
    int fps = 60;
    int width = 0, height = 0;
    int64_t firstFrame = 0, lastFrame = 0, firstMs = 0, lastMs = 0;
    std::vector<double> frameMs;
    std::vector<Section> sections;
    bool profiled = false;
    std::vector<SceneCost> sceneCosts;
};

void printBench(std::FILE* out, const BenchFigures& figures);
// One line: frames, wall time, and the render, read-back and encoder-wait shares.
void printRunTimes(std::FILE* out, const RunTimes& times);

} // namespace capture
