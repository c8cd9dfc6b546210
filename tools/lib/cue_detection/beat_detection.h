// A cue sheet for music we did not write: beats and onsets found by aubio, the beats fitted
// into a tempo map (with its changes), and the figures of one sheet against another.
#pragma once

#include "tools/lib/cues/cue_sheet.h"

#include <string>
#include <vector>

namespace cues {

constexpr int kDetectionRate = 44100;

// Beats and onsets of mono samples at kDetectionRate, with the tempo map fitted to the beats.
// Bars are taken to start at each tempo's first beat (`beatsPerBar` beats a bar); onsets
// louder than most are `strong`, the rest `weak`.
CueSheet detectCueSheet(const std::vector<float>& mono, int beatsPerBar);

// Decodes an MP3 file to mono at kDetectionRate. Returns "" or why not.
std::string decodeMono(const std::string& path, std::vector<float>* mono);

// How a detected sheet's grid meets a reference sheet's beats.
struct Comparison {
    int referenceBeats = 0;              // the reference's beats inside the detected range
    int beatsWithin10Ms = 0;             // ... with a detected beat within 10 ms
    double medianErrorMs = 0;            // beat time error
    double worstTempoError = 0;          // BPM, over the reference's tempo segments
    std::vector<std::string> tempoLines; // "128 BPM from 0:00.000: detected 127.98"
};

Comparison compareSheets(const CueSheet& detected, const CueSheet& reference);

} // namespace cues
