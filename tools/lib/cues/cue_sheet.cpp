// Reads and writes cue sheets: one fact a line, "KEYWORD SECONDS ...", '#' starts a comment.
#include "tools/lib/cues/cue_sheet.h"

#include "framework/input_file.h"
#include "tools/lib/authoring/safe_output.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace cues {

namespace {

constexpr CueKind kAllKinds[] = {CueKind::kick, CueKind::clap,   CueKind::snare, CueKind::hook,
                                 CueKind::fill, CueKind::strong, CueKind::weak};

} // namespace

std::string decimalSeconds(double seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    std::string result = text;
    result.erase(result.find_last_not_of('0') + 1);
    if (result.back() == '.')
        result.pop_back();
    return result;
}

namespace {

bool readSeconds(std::istringstream& words, double* seconds) {
    return static_cast<bool>(words >> *seconds) && std::isfinite(*seconds) && *seconds >= 0;
}

// "128 4/4" after a tempo line's time.
std::string parseTempo(std::istringstream& words, TempoChange* change) {
    char slash = 0;
    if (!(words >> change->bpm >> change->beatsPerBar >> slash >> change->beatUnit) || slash != '/')
        return "a tempo line reads 'tempo SECONDS BPM BEATS/UNIT'";
    if (!(change->bpm >= 10 && change->bpm <= 1000))
        return "tempo " + decimalSeconds(change->bpm) + " BPM is outside 10 to 1000";
    if (change->beatsPerBar < 1 || change->beatsPerBar > 32 || change->beatUnit < 1)
        return "the metre must have 1 to 32 beats a bar";
    return "";
}

std::string parseLine(const std::string& keyword, std::istringstream& words, CueSheet* sheet) {
    double seconds = 0;
    if (!readSeconds(words, &seconds))
        return "'" + keyword + "' needs a time in seconds, 0 or more";
    if (keyword == "length") {
        sheet->length = seconds;
    } else if (keyword == "tempo") {
        TempoChange change{seconds, 0, 0, 0};
        std::string why = parseTempo(words, &change);
        if (!why.empty())
            return why;
        if (!sheet->tempo.empty() && seconds <= sheet->tempo.back().seconds)
            return "tempo changes must come in time order";
        sheet->tempo.push_back(change);
    } else if (keyword == "section") {
        std::string name;
        std::getline(words >> std::ws, name);
        if (name.empty())
            return "a section needs a name";
        sheet->sections.push_back({seconds, name});
    } else {
        const CueKind* kind = std::find_if(std::begin(kAllKinds), std::end(kAllKinds),
                                           [&](CueKind k) { return keyword == cueKindName(k); });
        if (kind == std::end(kAllKinds))
            return "unknown keyword '" + keyword + "'";
        sheet->cues.push_back({seconds, *kind});
    }
    std::string rest;
    return words >> rest ? "unexpected '" + rest + "' after the " + keyword : "";
}

} // namespace

const char* cueKindName(CueKind kind) {
    switch (kind) {
    case CueKind::kick:
        return "kick";
    case CueKind::clap:
        return "clap";
    case CueKind::snare:
        return "snare";
    case CueKind::hook:
        return "hook";
    case CueKind::fill:
        return "fill";
    case CueKind::strong:
        return "strong";
    case CueKind::weak:
        return "weak";
    }
    return "cue";
}

std::string formatCueSheet(const CueSheet& sheet) {
    std::string text = "# Solvane cue sheet: seconds of the decoded music (docs/cue-sheet.md)\n";
    text += "length " + decimalSeconds(sheet.length) + "\n";
    for (const TempoChange& change : sheet.tempo)
        text += "tempo " + decimalSeconds(change.seconds) + " " + decimalSeconds(change.bpm) + " " +
                std::to_string(change.beatsPerBar) + "/" + std::to_string(change.beatUnit) + "\n";
    for (const Section& section : sheet.sections)
        text += "section " + decimalSeconds(section.seconds) + " " + section.name + "\n";
    for (const Cue& cue : sheet.cues)
        text += std::string(cueKindName(cue.kind)) + " " + decimalSeconds(cue.seconds) + "\n";
    return text;
}

std::string parseCueSheet(const std::string& text, CueSheet* sheet) {
    *sheet = CueSheet();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword))
            continue;
        std::string why = parseLine(keyword, words, sheet);
        if (!why.empty())
            return "line " + std::to_string(number) + ": " + why;
    }
    if (sheet->tempo.empty())
        return "no tempo line: the sheet needs at least one";
    auto earlier = [](const auto& a, const auto& b) { return a.seconds < b.seconds; };
    std::stable_sort(sheet->sections.begin(), sheet->sections.end(), earlier);
    std::stable_sort(sheet->cues.begin(), sheet->cues.end(), earlier);
    return "";
}

std::string readCueSheet(const std::string& path, CueSheet* sheet) {
    std::string text;
    // A cue sheet is a few kilobytes; a megabyte is far beyond any piece of music.
    const size_t kLargestSheet = 1u << 20;
    int error = tarvo64k::readRegularFile(path.c_str(), kLargestSheet, &text);
    if (error != 0)
        return tarvo64k::inputErrorText(error);
    return parseCueSheet(text, sheet);
}

std::string writeCueSheet(const std::string& path, const CueSheet& sheet) {
    const std::string text = formatCueSheet(sheet);
    return authoring::writeAtomically(path, [&](const std::string& temporary) -> std::string {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        return file ? "" : temporary + ": " + std::strerror(errno);
    });
}

std::string cueSheetFor(const std::string& musicPath) {
    size_t slash = musicPath.rfind('/');
    size_t dot = musicPath.rfind('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? musicPath.substr(0, dot) : musicPath) + ".cues";
}

std::string clockTime(double seconds) {
    long millis = std::lround(seconds * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%s%ld:%02ld.%03ld", millis < 0 ? "-" : "",
                  std::labs(millis) / 60000, std::labs(millis) / 1000 % 60,
                  std::labs(millis) % 1000);
    return text;
}

} // namespace cues
