// Collects named times from a cue sheet and a timeline's marker comments.
#include "tools/lib/cues/markers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace cues {

namespace {

const char kMarkerOpen[] = "<!--", kMarkerWord[] = "marker";

// "SECONDS NAME" inside one comment's text; false when it is not a marker.
bool readMarker(const std::string& comment, Marker* marker) {
    size_t at = comment.find_first_not_of(" \t\r\n");
    if (at == std::string::npos || comment.compare(at, sizeof kMarkerWord - 1, kMarkerWord) != 0)
        return false;
    at += sizeof kMarkerWord - 1;
    const char* start = comment.c_str() + at;
    char* end = nullptr;
    marker->seconds = std::strtod(start, &end);
    if (end == start || !std::isspace(static_cast<unsigned char>(*start)) ||
        !std::isfinite(marker->seconds) || marker->seconds < 0)
        return false;
    size_t nameStart = comment.find_first_not_of(" \t\r\n", end - comment.c_str());
    size_t nameEnd = comment.find_last_not_of(" \t\r\n");
    if (nameStart == std::string::npos)
        return false;
    marker->name = comment.substr(nameStart, nameEnd - nameStart + 1);
    return true;
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::vector<Marker> timelineMarkers(const std::string& timelineText) {
    std::vector<Marker> markers;
    for (size_t open = timelineText.find(kMarkerOpen); open != std::string::npos;
         open = timelineText.find(kMarkerOpen, open + 1)) {
        size_t from = open + sizeof kMarkerOpen - 1;
        size_t close = timelineText.find("-->", from);
        if (close == std::string::npos)
            break;
        Marker marker;
        if (readMarker(timelineText.substr(from, close - from), &marker))
            markers.push_back(marker);
        open = close;
    }
    return markers;
}

std::vector<Marker> namedTimes(const CueSheet* sheet, const std::string& timelineText) {
    std::vector<Marker> markers;
    if (sheet)
        for (const Section& section : sheet->sections)
            markers.push_back({section.seconds, section.name});
    for (const Marker& marker : timelineMarkers(timelineText))
        markers.push_back(marker);
    std::stable_sort(markers.begin(), markers.end(),
                     [](const Marker& a, const Marker& b) { return a.seconds < b.seconds; });
    return markers;
}

std::vector<Marker> namedTimesOf(const std::string& musicPath, const std::string& timelineText) {
    CueSheet sheet;
    bool readable = readCueSheet(cueSheetFor(musicPath), &sheet).empty();
    return namedTimes(readable ? &sheet : nullptr, timelineText);
}

const Marker* findMarker(const std::vector<Marker>& markers, const std::string& name) {
    for (const Marker& marker : markers)
        if (lowered(marker.name) == lowered(name))
            return &marker;
    return nullptr;
}

std::string markerNames(const std::vector<Marker>& markers) {
    std::string names;
    for (const Marker& marker : markers)
        names += (names.empty() ? "" : ", ") + marker.name;
    return names.empty() ? "none" : names;
}

} // namespace cues
