// Sorting-based statistics; runs once at the end of a benchmark, so copying is fine.
#include "tools/author/capture/frame_stats.h"

#include <algorithm>
#include <cmath>

namespace capture {

namespace {

double nearestRank(const std::vector<double>& sorted, double fraction) {
    size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[rank > 0 ? rank - 1 : 0];
}

} // namespace

TimeSummary summarise(std::vector<double> milliseconds) {
    TimeSummary summary;
    summary.count = static_cast<int64_t>(milliseconds.size());
    if (milliseconds.empty())
        return summary;
    std::sort(milliseconds.begin(), milliseconds.end());
    size_t middle = milliseconds.size() / 2;
    summary.median = milliseconds.size() % 2
                         ? milliseconds[middle]
                         : (milliseconds[middle - 1] + milliseconds[middle]) / 2;
    summary.p95 = nearestRank(milliseconds, 0.95);
    summary.p99 = nearestRank(milliseconds, 0.99);
    summary.max = milliseconds.back();
    for (double value : milliseconds)
        summary.total += value;
    return summary;
}

void addToSections(std::vector<Section>* sections, const std::vector<int>& effects,
                   const std::string& label, int64_t frame, int64_t milliseconds, double frameMs) {
    if (sections->empty() || sections->back().effects != effects ||
        sections->back().lastFrame + 1 != frame) {
        Section section;
        section.effects = effects;
        section.label = label;
        section.firstFrame = frame;
        section.firstMs = milliseconds;
        sections->push_back(section);
    }
    Section& section = sections->back();
    section.lastFrame = frame;
    section.lastMs = milliseconds;
    section.frameMs.push_back(frameMs);
}

} // namespace capture
