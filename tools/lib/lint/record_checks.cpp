// The checks on what the demo's reader keeps: trigger times and values against what each
// scene reads, effects against the music's end and the captures they show.
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/lint/name_suggestion.h"
#include "tools/lib/lint/timeline_lint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lint {

namespace {

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Where `attribute` (e.g. "value=\"") stands in the tag at `tag`, or the tag itself.
unsigned int attributePosition(const std::string& bytes, unsigned int tag, const char* attribute) {
    size_t end = bytes.find('>', tag);
    size_t at = bytes.find(std::string(" ") + attribute, tag);
    return at < end ? static_cast<unsigned int>(at + 1) : tag;
}

// [SECTION] Trigger values

struct TriggerContext {
    const std::string& bytes;
    const SceneInfo& scene;
    const TriggerInfo& info;
    const Trigger& trigger;
    unsigned int position;
};

void checkNumberValue(const TriggerContext& context, const std::string& what,
                      std::vector<Finding>* findings) {
    const char* value = context.trigger.value ? context.trigger.value : "";
    const bool whole = context.info.value == TriggerValue::Index;
    char* stop = nullptr;
    double number =
        whole ? static_cast<double>(std::strtol(value, &stop, 10)) : std::strtod(value, &stop);
    std::string kind = whole ? "a whole number" : "a number";
    if (stop == value) {
        findings->push_back({FindingKind::TriggerValueMisread, context.position,
                             what + " is not " + kind + "; '" + context.scene.name + "' reads 0",
                             context.scene.name});
        return;
    }
    if (*stop != '\0')
        findings->push_back({FindingKind::TriggerValueMisread, context.position,
                             what + " is read only as '" +
                                 std::string(value, static_cast<size_t>(stop - value)) + "'",
                             context.scene.name});
    if (whole && (number < 0 || number >= context.info.indexCount))
        findings->push_back({FindingKind::TriggerValueMisread, context.position,
                             what + " is outside 0 to " +
                                 std::to_string(context.info.indexCount - 1) + "; '" +
                                 context.scene.name + "' ignores the trigger",
                             context.scene.name});
}

void checkKeywordValue(const TriggerContext& context, const std::string& what,
                       std::vector<Finding>* findings) {
    const std::string value = context.trigger.value ? context.trigger.value : "";
    std::vector<std::string> keywords;
    std::string listed;
    for (const char* const* keyword = context.info.keywords; *keyword; ++keyword) {
        if (value == *keyword)
            return;
        keywords.push_back(*keyword);
        listed += (listed.empty() ? "'" : keyword[1] ? ", '" : " or '") + keywords.back() + "'";
    }
    findings->push_back({FindingKind::TriggerValueMisread, context.position,
                         what + (context.trigger.value ? " is not " + listed : "") + "; '" +
                             context.scene.name + "' takes it as '" +
                             fallbackKeyword(context.info) + "'" + didYouMean(value, keywords),
                         context.scene.name});
}

void checkTriggerValue(const TriggerContext& context, std::vector<Finding>* findings) {
    if (context.info.value == TriggerValue::Ignored)
        return;
    std::string name =
        context.info.name ? "trigger '" + std::string(context.info.name) + "'" : "the trigger";
    if (!context.trigger.value && context.info.value != TriggerValue::Keyword) {
        findings->push_back({FindingKind::TriggerValueMisread, context.position,
                             name + " has no value; '" + context.scene.name + "' reads 0",
                             context.scene.name});
        return;
    }
    std::string what = context.trigger.value
                           ? "value '" + std::string(context.trigger.value) + "' of " + name
                           : name + " has no value";
    if (context.info.value == TriggerValue::Keyword)
        checkKeywordValue(context, what, findings);
    else
        checkNumberValue(context, what, findings);
}

// [SECTION] Checks on the records

struct Check {
    const std::string& bytes;
    const Script& script;
    const ReaderFindings& heard;
    double musicSeconds; // negative: unknown
    std::vector<Finding>* findings;

    void add(FindingKind kind, unsigned int position, const std::string& message,
             const std::string& scene = "") {
        findings->push_back({kind, position, message, scene});
    }
    void trigger(const Effect& effect, const Trigger& trigger, unsigned int position);
    void triggerName(const SceneInfo& scene, const Trigger& trigger, unsigned int position);
    void effectAgainstMusic(const Effect& effect, unsigned int position);
    void effectWithinReach(const Effect& effect, unsigned int position);
    void records();
};

void Check::triggerName(const SceneInfo& scene, const Trigger& trigger, unsigned int position) {
    std::string name = trigger.name ? trigger.name : "";
    const TriggerInfo* info = findTrigger(scene, name);
    if (info) {
        checkTriggerValue(
            {bytes, scene, *info, trigger, attributePosition(bytes, position, "value=\"")},
            findings);
        return;
    }
    std::vector<std::string> names;
    for (int i = 0; i < scene.triggerCount; ++i)
        names.push_back(scene.triggers[i].name);
    std::string what = name.empty() ? "a trigger without a name" : "trigger '" + name + "'";
    std::string hint = didYouMean(name, names);
    if (hint.empty())
        hint = names.empty() ? "; it ignores all triggers"
                             : " (it knows " + describeTriggerNames(scene) + ")";
    add(FindingKind::TriggerNameIgnored, attributePosition(bytes, position, "name=\""),
        "scene '" + std::string(scene.name) + "' does not act on " + what + hint, scene.name);
}

void Check::trigger(const Effect& effect, const Trigger& trigger, unsigned int position) {
    float length = effect.end - effect.start;
    if (trigger.start < 0)
        add(FindingKind::TriggerTiming, position,
            "trigger starts at " + seconds(trigger.start) +
                " s: its times count from the effect's start, so it fires in the effect's "
                "first frame");
    if (trigger.repeat > 1 && trigger.delay < 0)
        add(FindingKind::TriggerTiming, position,
            "delay " + seconds(trigger.delay) +
                " s is negative: the repetitions all fire at once, one a frame");
    if (trigger.repeat <= 0) {
        add(FindingKind::TriggerNeverFires, position,
            "trigger can never fire: repeat is " + std::to_string(trigger.repeat));
        return;
    }
    if (!(trigger.start < length)) {
        add(FindingKind::TriggerNeverFires, position,
            "trigger can never fire: it is due " + seconds(trigger.start) +
                " s into an effect of " + seconds(length) + " s");
        return;
    }
    float lastDue = trigger.start + trigger.delay * static_cast<float>(trigger.repeat - 1);
    if (trigger.repeat > 1 && !(lastDue < length)) {
        int inside = trigger.delay > 0
                         ? static_cast<int>(std::ceil((length - trigger.start) / trigger.delay))
                         : trigger.repeat;
        add(FindingKind::TriggerTiming, position,
            "only " + std::to_string(inside) + " of " + std::to_string(trigger.repeat) +
                " repetitions are due before the effect ends");
    }
    double due = static_cast<double>(effect.start) + std::max(0.0f, trigger.start);
    if (musicSeconds >= 0 && effect.start < musicSeconds && due >= musicSeconds)
        add(FindingKind::PastTheMusic, position,
            "trigger is due at " + seconds(due) + " s, after the music ends at " +
                seconds(musicSeconds) + " s");

    if (const SceneInfo* scene = TimelineReading::sceneOf(effect))
        triggerName(*scene, trigger, position);
}

void Check::effectAgainstMusic(const Effect& effect, unsigned int position) {
    if (musicSeconds < 0)
        return;
    if (effect.start >= musicSeconds)
        add(FindingKind::PastTheMusic, position,
            "effect starts at " + seconds(effect.start) + " s, after the music ends at " +
                seconds(musicSeconds) + " s; it plays in silence");
    else if (effect.end > musicSeconds)
        add(FindingKind::PastTheMusic, position,
            "effect ends at " + seconds(effect.end) + " s, after the music ends at " +
                seconds(musicSeconds) + " s; its last " + seconds(effect.end - musicSeconds) +
                " s play in silence");
}

void Check::effectWithinReach(const Effect& effect, unsigned int position) {
    const float longest = authoring::kLongestSeconds;
    const bool startBeyond = std::fabs(effect.start) > longest;
    if (!startBeyond && !(std::fabs(effect.end) > longest && effect.end > effect.start))
        return;
    add(FindingKind::TimeOutOfReach, position,
        std::string("effect ") + (startBeyond ? "starts" : "ends") + " at " +
            seconds(startBeyond ? effect.start : effect.end) + " s, beyond " + seconds(longest) +
            " s (4:33:04), past which seconds lose the millisecond; the preview and the "
            "capture stop there");
}

bool captureActiveAt(const Script& script, size_t before, float time) {
    for (size_t i = 0; i < before; ++i) {
        const Effect& effect = *script.effects[i];
        const SceneInfo* scene = TimelineReading::sceneOf(effect);
        if (scene && (scene->flags & kWritesCapture) && effect.activeAt(time))
            return true;
    }
    return false;
}

void Check::records() {
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const Effect& effect = *script.effects[i];
        unsigned int position = heard.positions.at(&effect);
        effectWithinReach(effect, position);
        if (!(effect.end > effect.start)) {
            add(FindingKind::EffectNeverPaints, position,
                "effect ends at " + seconds(effect.end) + " s, not after its start at " +
                    seconds(effect.start) + " s; it never paints");
            continue;
        }
        effectAgainstMusic(effect, position);
        const SceneInfo* scene = TimelineReading::sceneOf(effect);
        if (scene && (scene->flags & kReadsCapture) && !captureActiveAt(script, i, effect.start))
            add(FindingKind::NoCaptureToShow, position,
                "no '" + std::string(captureScene().name) +
                    "' effect earlier in the file is active at " + seconds(effect.start) +
                    " s, so '" + scene->name + "' shows no fresh capture");
        if (!effect.callback)
            continue; // its triggers never fire; the unknown name was reported already
        for (const Trigger* trigger : effect.triggers)
            this->trigger(effect, *trigger, heard.positions.at(trigger));
    }
}

} // namespace

void checkRecords(const std::string& text, const TimelineReading& reading, double musicSeconds,
                  std::vector<Finding>* findings) {
    Check{text, reading.script, reading.heard, musicSeconds, findings}.records();
}

} // namespace lint
