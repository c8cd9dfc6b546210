// solvane-capture's command line: what to render and where to put it.
#pragma once

#include "tools/author/capture/video_encoder.h"
#include "tools/lib/cues/markers.h"

#include <string>
#include <vector>

namespace capture {

struct ShotRequest {
    double seconds = 0;
    std::string path;
};

struct Options {
    std::string directory = "."; // the demo directory the scenes load from
    std::string script;          // the timeline; empty means DIR/script.odml
    int fps = 60;
    int scale = 1; // the frame is scale x 800 by scale x 600
    bool hasFrom = false, hasTo = false;
    double from = 0, to = 0; // seconds; the range is from <= t < to
    // A section or marker name given instead of seconds, resolved once the demo is open.
    std::string fromName, toName;

    std::vector<ShotRequest> shots;
    std::string framesDirectory;
    std::string video;
    VideoPreset preset = VideoPreset::Web;
    int crf = kPresetCrf;
    std::string sheet;
    double every = 5;
    int columns = 6;
    bool bench = false;
    bool profile = false;

    bool help = false;
    bool version = false;
};

// Fills `options` from argv. Returns an empty string, or one line saying what is wrong.
std::string parseOptions(int argc, char** argv, Options* options);

const char* usageText();

// Turns --from/--to names into seconds from the demo's named times and checks the range.
// Returns "" or one line naming the names there are.
std::string resolveNamedRange(const std::vector<cues::Marker>& markers, Options* options);

// One line when two outputs would be written to the same file (paths compared as given, so
// resolve them first), else empty.
std::string checkDistinctOutputs(const Options& options);

} // namespace capture
