// A video's chapters: named times on the music's clock, written as ffmpeg's metadata file so
// that MP4 and Matroska outputs carry them. The music's sections and the timeline's markers
// name them where there are any; else each run of frames with the same active effects is one.
#pragma once

#include "framework/script.h"
#include "tools/author/capture/capture_plan.h"
#include "tools/lib/cues/markers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct Chapter {
    int64_t milliseconds; // music time at which it starts
    std::string title;
};

// A chapter where the set of active effects changes, from the range's first frame on,
// titled with the effects' scene names (authoring::effectSceneNames).
std::vector<Chapter> effectRunChapters(const tarvo64k::Script& script,
                                       const std::vector<std::string>& effectNames,
                                       const Plan& plan);

// A chapter at each named time, titled with its name; before the first one, when the range
// starts earlier, a chapter titled with the effects shown there. Empty when `named` is.
std::vector<Chapter> namedChapters(const std::vector<cues::Marker>& named,
                                   const tarvo64k::Script& script,
                                   const std::vector<std::string>& effectNames, const Plan& plan);

// FFMETADATA text for a video showing music time [firstMs, endMs): each chapter ends where
// the next begins and the last at the video's end; times count from the video's start. A
// chapter that begins before the video is cut to its start; one at or past the end is left
// out. Empty when no chapter remains.
std::string chapterMetadata(std::vector<Chapter> chapters, int64_t firstMs, int64_t endMs);

} // namespace capture
