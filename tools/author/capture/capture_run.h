// The render loop: every frame from 0 to the plan's last, in order, on the fixed clock, each
// handed to the outputs that want it (shots, frame files, the video, the sheet, the bench).
#pragma once

#include "framework/script.h"
#include "tools/author/capture/bench_report.h"
#include "tools/author/capture/capture_plan.h"
#include "tools/author/capture/demo_renderer.h"
#include "tools/author/capture/options.h"
#include "tools/author/capture/output_files.h"
#include "tools/lib/cues/markers.h"

#include <csignal>
#include <string>
#include <vector>

namespace capture {

// The number of the signal (SIGINT, SIGTERM, SIGHUP) that asked the run to stop, or 0; the
// loop stops at the next frame and the run fails cleanly.
extern volatile std::sig_atomic_t interrupted;

struct CaptureJob {
    const Options* options;
    const Plan* plan;
    std::string scriptPath;          // absolute
    std::string musicPath;           // absolute; for --video
    std::string ffmpeg;              // for --video
    std::vector<cues::Marker> named; // the music's sections and the timeline's markers
};

// Renders and stages every output file in `outputs` (the caller commits them). Fills
// `figures` when benchmarking. Returns an empty string, or one line.
std::string runCapture(const CaptureJob& job, tarvo64k::Script& script, DemoRenderer& renderer,
                       OutputFiles& outputs, BenchFigures* figures);

} // namespace capture
