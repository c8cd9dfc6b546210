// The cue sheet beside a soundtrack (music.cues beside music.mp3): the tempo map, the named
// sections and the onsets by kind, as a line-oriented text a person can read. musicgen writes
// one from its score; solvane-cues detects one from any MP3. docs/cue-sheet.md is the format.
#pragma once

#include <string>
#include <vector>

namespace cues {

// What sounds at an onset: the score's own voices, or how strong a detected onset is.
enum class CueKind { kick, clap, snare, hook, fill, strong, weak };

struct Cue {
    double seconds;
    CueKind kind;
};

// From `seconds` on, until the next change: beats at `bpm`, bars of `beatsPerBar` beats,
// the first bar starting at `seconds`.
struct TempoChange {
    double seconds;
    double bpm;
    int beatsPerBar;
    int beatUnit; // the metre's lower number, shown only
};

struct Section {
    double seconds;
    std::string name;
};

struct CueSheet {
    double length = 0;              // seconds of music
    std::vector<TempoChange> tempo; // in time order; the first starts at the first downbeat
    std::vector<Section> sections;  // in time order
    std::vector<Cue> cues;          // in time order
};

const char* cueKindName(CueKind kind);

std::string formatCueSheet(const CueSheet& sheet);
// Returns "" and fills `sheet`, or "line N: why".
std::string parseCueSheet(const std::string& text, CueSheet* sheet);
// Reads and parses a regular file (a FIFO or device is refused, never waited on); returns "" or
// "why" (the path is the caller's to name).
std::string readCueSheet(const std::string& path, CueSheet* sheet);
// Writes the file whole or not at all (a temporary renamed over it); returns "" or "PATH: why".
std::string writeCueSheet(const std::string& path, const CueSheet& sheet);

// The cue sheet's path for a music file: the same name with the extension .cues.
std::string cueSheetFor(const std::string& musicPath);

// Seconds to the microsecond without trailing zeros ("61.875"), as sheets and snapped
// timelines write them.
std::string decimalSeconds(double seconds);
// Seconds as M:SS.mmm, the way messages show times of the music ("1:01.875").
std::string clockTime(double seconds);

} // namespace cues
