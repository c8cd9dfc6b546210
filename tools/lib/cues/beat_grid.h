// The grid a cue sheet's tempo map implies: bars, beats and their even subdivisions, with
// bar:beat names, and the cue or grid point nearest a time. Bars count from 1 at the first
// downbeat; times before it extend the first tempo backwards.
#pragma once

#include "tools/lib/cues/cue_sheet.h"

#include <string>
#include <vector>

namespace cues {

struct GridPoint {
    double seconds;
    int bar;  // from 1; 0 and less before the first downbeat
    int beat; // from 1 within the bar
    int step; // from 0 within the beat
    int stepsPerBeat;
};

// What a time was probably meant for: a cue, or a point of the grid when no cue is as near.
struct Target {
    double seconds;
    const Cue* cue; // null: a grid point
    GridPoint point;
    std::string describe() const; // "the clap at 1:01.875", "beat 33:2 at 1:00.469"
};

enum class GridUnit { step, beat, bar };

class BeatGrid {
public:
    explicit BeatGrid(std::vector<TempoChange> tempo);

    // The grid point nearest `seconds`, on a grid of `stepsPerBeat` steps a beat.
    GridPoint nearest(double seconds, int stepsPerBeat) const;
    // The first beat or bar strictly after `seconds` (forward) or strictly before it.
    double next(double seconds, GridUnit unit, bool forward) const;
    // Beat starts in [from, to), bar starts flagged.
    struct Line {
        double seconds;
        bool barStart;
    };
    std::vector<Line> beatLines(double from, double to) const;
    // The beat that `seconds` falls in (the last one at or before it).
    GridPoint beatAt(double seconds) const;

private:
    struct Segment {
        TempoChange tempo;
        int firstBar;
        double beatSeconds() const { return 60 / tempo.bpm; }
    };
    const Segment& segmentAt(double seconds) const;
    GridPoint pointAt(const Segment& segment, long stepIndex, int stepsPerBeat) const;
    GridPoint beatAfter(const GridPoint& beat) const;
    GridPoint beatBefore(const GridPoint& beat) const;
    std::vector<Segment> segments;
};

// The cue or grid point nearest `seconds`; a cue wins over a grid point up to a millisecond
// further away, and among cues at one time the kind an effect most likely follows.
Target nearestTarget(const BeatGrid& grid, const std::vector<Cue>& cues, double seconds,
                     int stepsPerBeat);

} // namespace cues
