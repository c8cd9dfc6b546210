// Named times of the music: the cue sheet's sections and the marker comments an author puts
// in the timeline, "<!-- marker SECONDS NAME -->". They are what the preview jumps to, what
// solvane-capture's --from and --to accept instead of seconds, and the video's chapters.
#pragma once

#include "tools/lib/cues/cue_sheet.h"

#include <string>
#include <vector>

namespace cues {

struct Marker {
    double seconds;
    std::string name;
};

// The timeline's marker comments, in the order of the file.
std::vector<Marker> timelineMarkers(const std::string& timelineText);

// The sections of `sheet` (when given) and the timeline's markers, in time order; at one time
// the section comes first.
std::vector<Marker> namedTimes(const CueSheet* sheet, const std::string& timelineText);

// The same for a demo directory's music: the sheet beside `musicPath` when it can be read.
std::vector<Marker> namedTimesOf(const std::string& musicPath, const std::string& timelineText);

// The marker called `name`, compared without regard to case, or null.
const Marker* findMarker(const std::vector<Marker>& markers, const std::string& name);

// "intro, build-up, main theme" for a message; "none" when empty.
std::string markerNames(const std::vector<Marker>& markers);

} // namespace cues
