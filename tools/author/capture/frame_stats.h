// Frame-time statistics for the benchmark: overall, per timeline section, and per scene.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct TimeSummary {
    int64_t count = 0;
    double median = 0, p95 = 0, p99 = 0, max = 0, total = 0; // milliseconds
};

// Nearest-rank percentiles; the median of an even count is the mean of the middle two.
TimeSummary summarise(std::vector<double> milliseconds);

// A run of consecutive frames with the same set of active effects.
struct Section {
    std::vector<int> effects; // indexes into the script's effects
    std::string label;
    int64_t firstFrame = 0, lastFrame = 0;
    int64_t firstMs = 0, lastMs = 0;
    std::vector<double> frameMs;
};

// Appends a frame to the last section, or opens a new one when the active set changed.
void addToSections(std::vector<Section>* sections, const std::vector<int>& effects,
                   const std::string& label, int64_t frame, int64_t milliseconds, double frameMs);

} // namespace capture
