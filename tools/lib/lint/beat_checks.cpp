// Beat checks and snapping: both walk the same placements (a time of music, where the file
// says it, the number that sets it) and ask the cue sheet's grid what each was meant for.
#include "tools/lib/lint/beat_checks.h"

#include "tools/lib/cues/beat_grid.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <unistd.h>

namespace lint {

namespace {

using tarvo64k::Effect;
using tarvo64k::Trigger;

constexpr int kRepetitionsChecked = 10000; // beyond this a trigger is a counter, not a cue
constexpr double kUnchanged = 5e-7;        // seconds: what float storage may round away

// The number inside attribute `name` (as `name="NUMBER"`) of the tag starting at `tag`.
struct NumberSpan {
    size_t position = std::string::npos, length = 0;
    bool found() const { return position != std::string::npos && length > 0; }
};

NumberSpan attributeNumber(const std::string& bytes, unsigned int tag, const char* name) {
    NumberSpan span;
    size_t end = bytes.find('>', tag);
    std::string key = std::string(name) + "=\"";
    for (size_t at = bytes.find(key, tag); at < end; at = bytes.find(key, at + 1)) {
        if (!std::isspace(static_cast<unsigned char>(bytes[at - 1])))
            continue;
        span.position = at + key.size();
        while (span.position + span.length < bytes.size() &&
               std::strchr("+-.0123456789eE", bytes[span.position + span.length]) &&
               bytes[span.position + span.length] != '\0')
            ++span.length;
        return span;
    }
    return span;
}

struct Placement {
    unsigned int position; // what the finding points at
    std::string what;      // "effect 'twister' starts"
    double seconds;
};

struct BeatCheck {
    const std::string& bytes;
    const TimelineReading& reading;
    const cues::CueSheet& sheet;
    const BeatOptions& options;
    cues::BeatGrid grid{sheet.tempo};

    // Whether a time misses the grid and the cues; `target` gets what it was meant for.
    bool misses(double seconds, cues::Target* target) const {
        if (sheet.length > 0 && std::fabs(seconds - sheet.length) <= options.toleranceSeconds)
            return false; // ending with the music is on purpose
        *target = cues::nearestTarget(grid, sheet.cues, seconds, options.stepsPerBeat);
        return std::fabs(target->seconds - seconds) > options.toleranceSeconds;
    }
    std::vector<Placement> placements(const Effect& effect) const;
};

std::string sceneName(const Effect& effect) {
    const SceneInfo* scene = TimelineReading::sceneOf(effect);
    return scene ? scene->name : "?";
}

std::vector<Placement> BeatCheck::placements(const Effect& effect) const {
    unsigned int tag = reading.heard.positions.at(&effect);
    auto at = [&](unsigned int record, const char* name) {
        NumberSpan span = attributeNumber(bytes, record, name);
        return span.found() ? static_cast<unsigned int>(span.position) : record;
    };
    std::string scene = "effect '" + sceneName(effect) + "'";
    std::vector<Placement> result = {{at(tag, "start"), scene + " starts", effect.start},
                                     {at(tag, "end"), scene + " ends", effect.end}};
    for (const Trigger* trigger : effect.triggers) {
        unsigned int record = reading.heard.positions.at(trigger);
        std::string name =
            trigger->name ? "trigger '" + std::string(trigger->name) + "'" : "the trigger";
        std::vector<double> due = dueTimes(effect, *trigger, kRepetitionsChecked);
        for (size_t k = 0; k < due.size(); ++k) {
            std::string which = due.size() == 1 ? name
                                                : "repetition " + std::to_string(k + 1) + " of " +
                                                      std::to_string(due.size()) + " of " + name;
            result.push_back({at(record, k ? "delay" : "start"), which + " fires", due[k]});
        }
    }
    return result;
}

std::string missText(const Placement& placement, const cues::Target& target) {
    double off = placement.seconds - target.seconds;
    long millis = std::lround(std::fabs(off) * 1000);
    return placement.what + " " + std::to_string(millis) + " ms " + (off > 0 ? "after" : "before") +
           " " + target.describe();
}

struct Edit {
    NumberSpan span;
    double value;
};

} // namespace

std::vector<double> dueTimes(const Effect& effect, const Trigger& trigger, int limit) {
    std::vector<double> times;
    double first = double(effect.start) + std::max(0.0f, trigger.start);
    for (int k = 0; k < std::min(trigger.repeat, limit); ++k) {
        double due = first + double(trigger.delay) * k;
        if (due >= effect.end || (k > 0 && trigger.delay <= 0))
            break;
        times.push_back(due);
    }
    return times;
}

void checkBeat(const std::string& text, const TimelineReading& reading, const cues::CueSheet& sheet,
               const BeatOptions& options, std::vector<Finding>* findings) {
    BeatCheck check{text, reading, sheet, options};
    for (const Effect* effect : reading.script.effects) {
        for (const Placement& placement : check.placements(*effect)) {
            cues::Target target;
            if (check.misses(placement.seconds, &target))
                findings->push_back({FindingKind::OffTheBeat, placement.position,
                                     missText(placement, target), sceneName(*effect)});
        }
    }
}

void addBeatFindings(const cues::CueSheet& sheet, const BeatOptions& options,
                     LintedTimeline* timeline) {
    checkBeat(timeline->text, *timeline->demo, sheet, options, &timeline->findings);
    std::stable_sort(timeline->findings.begin(), timeline->findings.end(),
                     [](const Finding& a, const Finding& b) { return a.position < b.position; });
}

std::string snapToBeat(const std::string& text, const TimelineReading& reading,
                       const cues::CueSheet& sheet, const BeatOptions& options, int* moved) {
    BeatCheck check{text, reading, sheet, options};
    auto snapped = [&](double seconds) {
        cues::Target target;
        return check.misses(seconds, &target) ? target.seconds : seconds;
    };
    std::vector<Edit> edits;
    auto rewrite = [&](unsigned int record, const char* name, double from, double to) {
        NumberSpan span = attributeNumber(text, record, name);
        if (span.found() && std::fabs(to - from) > kUnchanged)
            edits.push_back({span, to});
    };
    for (const Effect* effect : reading.script.effects) {
        unsigned int tag = reading.heard.positions.at(effect);
        double start = snapped(effect->start);
        rewrite(tag, "start", effect->start, start);
        rewrite(tag, "end", effect->end, snapped(effect->end));
        for (const Trigger* trigger : effect->triggers) {
            std::vector<double> due = dueTimes(*effect, *trigger, kRepetitionsChecked);
            if (due.empty() || trigger->start < 0)
                continue;
            unsigned int record = reading.heard.positions.at(trigger);
            double first = snapped(due.front());
            rewrite(record, "start", trigger->start, first - start);
            if (due.size() > 1)
                rewrite(record, "delay", trigger->delay,
                        (snapped(due.back()) - first) / double(due.size() - 1));
        }
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.span.position > b.span.position; });
    std::string result = text;
    for (const Edit& edit : edits)
        result.replace(edit.span.position, edit.span.length, cues::decimalSeconds(edit.value));
    if (moved)
        *moved = static_cast<int>(edits.size());
    return result;
}

std::string cueSheetBeside(const std::string& timelinePath) {
    std::string music = musicBeside(timelinePath);
    if (music.empty())
        return "";
    std::string sheet = cues::cueSheetFor(music);
    return access(sheet.c_str(), R_OK) == 0 ? sheet : "";
}

} // namespace lint
