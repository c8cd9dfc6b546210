// Writes MP3 files of a sine tone or a click track, for the sound tests and the clock benchmark
// (libmp3lame).
#pragma once

#include <string>

namespace mp3tone {

struct ToneOptions {
    int framesPerSecond = 44100;
    int channels = 2;
    double seconds = 1.0;
    double frequency = 440.0;
    bool variableBitrate = false;
    bool id3Tag = false; // an ID3v2 title tag in front of the first frame
    // A click track when above 0: the tone sounds for clickSeconds at the start of every
    // interval of this many seconds, with silence between.
    double clickIntervalSeconds = 0;
    double clickSeconds = 0.005;
    // Between the clicks, the tone goes on this much quieter (0: silence), so that a recording
    // shows where the music plays at all.
    double betweenClicksLevel = 0;
};

// Encodes the tone into `path`; returns false, with the reason on standard error, on failure.
bool writeTone(const std::string& path, const ToneOptions& options);

} // namespace mp3tone
