// Tempo-map arithmetic for the linter, the preview's strip and its jump keys.
#include "tools/lib/cues/beat_grid.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace cues {

namespace {

constexpr double kCuePreference = 0.001; // seconds a cue may lose by and still be named

// Lower wins: the kinds an author most likely placed a picture change on.
int kindRank(CueKind kind) {
    switch (kind) {
    case CueKind::hook:
        return 0;
    case CueKind::clap:
        return 1;
    case CueKind::strong:
        return 2;
    case CueKind::kick:
        return 3;
    case CueKind::snare:
        return 4;
    case CueKind::fill:
        return 5;
    case CueKind::weak:
        return 6;
    }
    return 7;
}

const Cue* nearestCue(const std::vector<Cue>& cues, double seconds) {
    auto after = std::lower_bound(cues.begin(), cues.end(), seconds,
                                  [](const Cue& cue, double time) { return cue.seconds < time; });
    double nearest = INFINITY;
    if (after != cues.end())
        nearest = after->seconds - seconds;
    if (after != cues.begin())
        nearest = std::min(nearest, seconds - std::prev(after)->seconds);
    // Several cues may share the nearest time: name the kind ranked first.
    const Cue* best = nullptr;
    auto consider = [&](const Cue& cue) {
        if (!best || kindRank(cue.kind) < kindRank(best->kind))
            best = &cue;
    };
    for (auto it = after; it != cues.end() && it->seconds - seconds <= nearest + 1e-6; ++it)
        consider(*it);
    for (auto it = after; it != cues.begin() && seconds - std::prev(it)->seconds <= nearest + 1e-6;
         --it)
        consider(*std::prev(it));
    return best;
}

} // namespace

std::string Target::describe() const {
    std::string at = " at " + clockTime(seconds);
    if (cue)
        return std::string("the ") + cueKindName(cue->kind) + at;
    std::string name = "beat " + std::to_string(point.bar) + ":" + std::to_string(point.beat);
    if (point.step == 0)
        return name + at;
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, "%.2f",
                  static_cast<double>(point.step) / point.stepsPerBeat);
    return "step " + std::to_string(point.bar) + ":" + std::to_string(point.beat) + (fraction + 1) +
           at;
}

BeatGrid::BeatGrid(std::vector<TempoChange> tempo) {
    assert(!tempo.empty() && "a cue sheet always has a tempo; parseCueSheet refuses one without");
    int bar = 1;
    for (size_t i = 0; i < tempo.size(); ++i) {
        segments.push_back({tempo[i], bar});
        if (i + 1 < tempo.size()) {
            double barSeconds = segments.back().beatSeconds() * tempo[i].beatsPerBar;
            bar += static_cast<int>(
                std::ceil((tempo[i + 1].seconds - tempo[i].seconds) / barSeconds - 1e-6));
        }
    }
}

const BeatGrid::Segment& BeatGrid::segmentAt(double seconds) const {
    auto after = std::upper_bound(
        segments.begin(), segments.end(), seconds,
        [](double time, const Segment& segment) { return time < segment.tempo.seconds; });
    return after == segments.begin() ? segments.front() : *std::prev(after);
}

GridPoint BeatGrid::pointAt(const Segment& segment, long stepIndex, int stepsPerBeat) const {
    long beats = static_cast<long>(std::floor(static_cast<double>(stepIndex) / stepsPerBeat));
    long bars =
        static_cast<long>(std::floor(static_cast<double>(beats) / segment.tempo.beatsPerBar));
    GridPoint point;
    point.seconds = segment.tempo.seconds + stepIndex * segment.beatSeconds() / stepsPerBeat;
    point.bar = segment.firstBar + static_cast<int>(bars);
    point.beat = static_cast<int>(beats - bars * segment.tempo.beatsPerBar) + 1;
    point.step = static_cast<int>(stepIndex - beats * stepsPerBeat);
    point.stepsPerBeat = stepsPerBeat;
    return point;
}

GridPoint BeatGrid::nearest(double seconds, int stepsPerBeat) const {
    const Segment& segment = segmentAt(seconds);
    double stepSeconds = segment.beatSeconds() / stepsPerBeat;
    GridPoint best = pointAt(segment, std::lround((seconds - segment.tempo.seconds) / stepSeconds),
                             stepsPerBeat);
    const Segment* following = &segment + 1;
    if (following != segments.data() + segments.size()) {
        // The next tempo's downbeat ends this segment's grid and may be nearer.
        GridPoint start = pointAt(*following, 0, stepsPerBeat);
        if (best.seconds >= start.seconds ||
            std::fabs(start.seconds - seconds) < std::fabs(best.seconds - seconds))
            best = start;
    }
    return best;
}

GridPoint BeatGrid::beatAfter(const GridPoint& beat) const {
    const Segment& segment = segmentAt(beat.seconds);
    const Segment* following = &segment + 1;
    double time = beat.seconds + segment.beatSeconds();
    if (following != segments.data() + segments.size() && time > following->tempo.seconds - 1e-6)
        return pointAt(*following, 0, 1);
    return nearest(time, 1);
}

GridPoint BeatGrid::beatBefore(const GridPoint& beat) const {
    const Segment& segment = segmentAt(beat.seconds);
    double time = beat.seconds - segment.beatSeconds();
    if (&segment == segments.data() || time > segment.tempo.seconds - 1e-6)
        return nearest(time, 1);
    // The previous tempo's last beat before this one's downbeat.
    const Segment& previous = *(&segment - 1);
    long index = static_cast<long>(std::ceil(
        (segment.tempo.seconds - previous.tempo.seconds) / previous.beatSeconds() - 1e-6));
    return pointAt(previous, index - 1, 1);
}

double BeatGrid::next(double seconds, GridUnit unit, bool forward) const {
    GridPoint point = nearest(seconds, 1);
    for (int guard = 0; guard < 1 << 16; ++guard) {
        bool beyond = forward ? point.seconds > seconds + 1e-6 : point.seconds < seconds - 1e-6;
        if (beyond && (unit != GridUnit::bar || point.beat == 1))
            return point.seconds;
        point = forward ? beatAfter(point) : beatBefore(point);
    }
    return seconds;
}

std::vector<BeatGrid::Line> BeatGrid::beatLines(double from, double to) const {
    std::vector<Line> lines;
    GridPoint point = nearest(from, 1);
    if (point.seconds < from)
        point = beatAfter(point);
    for (; point.seconds < to && lines.size() < 100000; point = beatAfter(point))
        lines.push_back({point.seconds, point.beat == 1});
    return lines;
}

GridPoint BeatGrid::beatAt(double seconds) const {
    const Segment& segment = segmentAt(seconds);
    double beats = (seconds - segment.tempo.seconds) / segment.beatSeconds();
    return pointAt(segment, static_cast<long>(std::floor(beats + 1e-9)), 1);
}

Target nearestTarget(const BeatGrid& grid, const std::vector<Cue>& cues, double seconds,
                     int stepsPerBeat) {
    GridPoint point = grid.nearest(seconds, stepsPerBeat);
    const Cue* cue = nearestCue(cues, seconds);
    if (cue &&
        std::fabs(cue->seconds - seconds) <= std::fabs(point.seconds - seconds) + kCuePreference)
        return {cue->seconds, cue, point};
    return {point.seconds, nullptr, point};
}

} // namespace cues
