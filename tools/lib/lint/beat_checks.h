// The timeline against the music's cue sheet: effect starts and ends and every trigger
// repetition that misses the beat grid and every cue by more than a tolerance, with what it
// was probably meant for, and the same timeline with those times moved onto it.
#pragma once

#include "tools/lib/cues/cue_sheet.h"
#include "tools/lib/lint/timeline_lint.h"

#include <string>
#include <vector>

namespace lint {

struct BeatOptions {
    double toleranceSeconds = 0.015;
    int stepsPerBeat = 4; // the grid: sixteenth steps in 4/4
};

// The times of music at which a trigger's repetitions are due inside its effect, the first
// `limit` of them at most.
std::vector<double> dueTimes(const tarvo64k::Effect& effect, const tarvo64k::Trigger& trigger,
                             int limit);

// Adds an OffTheBeat finding for each time that misses.
void checkBeat(const std::string& text, const TimelineReading& reading, const cues::CueSheet& sheet,
               const BeatOptions& options, std::vector<Finding>* findings);

// checkBeat over a linted timeline, its findings kept in the order of their positions.
void addBeatFindings(const cues::CueSheet& sheet, const BeatOptions& options,
                     LintedTimeline* timeline);

// `text` with each number behind a time that misses rewritten so the time lands on its
// target; every other byte stays. A trigger's start moves with its effect's start, so that
// the triggers keep their times of music. `moved` (optional) counts the numbers rewritten.
std::string snapToBeat(const std::string& text, const TimelineReading& reading,
                       const cues::CueSheet& sheet, const BeatOptions& options, int* moved);

// The cue sheet beside a timeline's music (music.cues beside music.mp3), or "".
std::string cueSheetBeside(const std::string& timelinePath);

} // namespace lint
