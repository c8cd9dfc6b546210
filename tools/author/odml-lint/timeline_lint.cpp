// The timeline linter's checks and its JSON dump. The records come from the demo's own
// reader, with one silent scene registered under each of the demo's scene names.
#include "tools/author/odml-lint/timeline_lint.h"

#include "framework/name_suggestion.h"
#include "framework/script.h"
#include "framework/script_diagnostics.h"
#include "scenes/scene_registry.h"
#include "tools/author/odml-lint/lint_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <vector>

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

namespace {

const char kByteOrderMark[] = "\xef\xbb\xbf";

// Stands in for a scene: the linter only needs to know which name an effect resolved to.
class NamedScene final : public tarvo64k::Callback {
public:
    explicit NamedScene(const SceneInfo* info) : info(info) {}
    void trigger(float, const std::string&, const std::string&) override {}
    void paint(float, float, float) override {}
    const SceneInfo* info;
};

// Hears the reader; positions are shifted by `offset` when it reads a tail of the file.
class Collector final : public tarvo64k::ScriptDiagnostics {
public:
    explicit Collector(unsigned int offset) : offset(offset) {
        for (int i = 0; i < kSceneCount; ++i)
            sceneNames.push_back(kScenes[i].name);
    }
    void warning(unsigned int position, const std::string& message) override {
        Finding finding{position + offset, message};
        if (message.compare(0, 17, "no scene is named") == 0 ||
            message.compare(0, 22, "effect without a name") == 0)
            finding.section = docs::kScenes;
        findings.push_back(finding);
    }
    void effectRead(const Effect& effect, unsigned int position) override {
        positions[&effect] = position + offset;
    }
    void triggerRead(const Trigger& trigger, unsigned int position) override {
        positions[&trigger] = position + offset;
    }

    unsigned int offset;
    std::vector<Finding> findings;
    std::map<const void*, unsigned int> positions;
};

// The demo's reader with the demo's scene names registered.
struct Reading {
    std::vector<NamedScene> scenes;
    Script script;
    Collector collector;

    Reading(const std::string& bytes, unsigned int from) : collector(from) {
        scenes.reserve(kSceneCount);
        for (int i = 0; i < kSceneCount; ++i) {
            scenes.emplace_back(&kScenes[i]);
            script.addCallback(kScenes[i].name, &scenes.back());
        }
        script.parse(reinterpret_cast<const unsigned char*>(bytes.data()) + from,
                     static_cast<unsigned int>(bytes.size() - from), &collector);
    }
};

bool readWhole(const std::string& path, std::string* bytes, std::string* why) {
    if (path == "-") {
        bytes->assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad())
            *why = "read error";
        return !std::cin.bad();
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *why = std::strerror(EISDIR);
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *why = std::strerror(errno);
        return false;
    }
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, got);
    bool failed = std::ferror(file);
    std::fclose(file);
    if (failed)
        *why = "read error";
    return !failed;
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

const SceneInfo* sceneOf(const Effect& effect) {
    return effect.callback ? static_cast<NamedScene*>(effect.callback)->info : nullptr;
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
        findings->push_back({context.position,
                             what + " is not " + kind + "; '" + context.scene.name + "' reads 0",
                             context.scene.name});
        return;
    }
    if (*stop != '\0')
        findings->push_back({context.position,
                             what + " is read only as '" +
                                 std::string(value, static_cast<size_t>(stop - value)) + "'",
                             context.scene.name});
    if (whole && (number < 0 || number >= context.info.indexCount))
        findings->push_back({context.position,
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
    findings->push_back({context.position,
                         what + (context.trigger.value ? " is not " + listed : "") + "; '" +
                             context.scene.name + "' takes it as '" +
                             fallbackKeyword(context.info) + "'" +
                             tarvo64k::didYouMean(value, keywords),
                         context.scene.name});
}

void checkTriggerValue(const TriggerContext& context, std::vector<Finding>* findings) {
    if (context.info.value == TriggerValue::Ignored)
        return;
    std::string name =
        context.info.name ? "trigger '" + std::string(context.info.name) + "'" : "the trigger";
    if (!context.trigger.value && context.info.value != TriggerValue::Keyword) {
        findings->push_back({context.position,
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
    const Collector& collector;
    double musicSeconds; // negative: unknown
    std::vector<Finding>* findings;

    void add(unsigned int position, const std::string& message, const std::string& section) {
        findings->push_back({position, message, section});
    }
    void trigger(const Effect& effect, const Trigger& trigger, unsigned int position);
    void triggerName(const SceneInfo& scene, const Trigger& trigger, unsigned int position);
    void effectAgainstMusic(const Effect& effect, unsigned int position);
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
    std::string hint = tarvo64k::didYouMean(name, names);
    if (hint.empty())
        hint = names.empty() ? "; it ignores all triggers"
                             : " (it knows " + describeTriggerNames(scene) + ")";
    add(attributePosition(bytes, position, "name=\""),
        "scene '" + std::string(scene.name) + "' does not act on " + what + hint, scene.name);
}

void Check::trigger(const Effect& effect, const Trigger& trigger, unsigned int position) {
    float length = effect.end - effect.start;
    if (trigger.start < 0)
        add(position,
            "trigger starts at " + seconds(trigger.start) +
                " s: its times count from the effect's start, so it fires in the effect's "
                "first frame",
            docs::kTimes);
    if (trigger.repeat > 1 && trigger.delay < 0)
        add(position,
            "delay " + seconds(trigger.delay) +
                " s is negative: the repetitions all fire at once, one a frame",
            docs::kTimes);
    if (trigger.repeat <= 0) {
        add(position, "trigger can never fire: repeat is " + std::to_string(trigger.repeat),
            docs::kTimes);
        return;
    }
    if (!(trigger.start < length)) {
        add(position,
            "trigger can never fire: it is due " + seconds(trigger.start) +
                " s into an effect of " + seconds(length) + " s",
            docs::kTimes);
        return;
    }
    float lastDue = trigger.start + trigger.delay * static_cast<float>(trigger.repeat - 1);
    if (trigger.repeat > 1 && !(lastDue < length)) {
        int inside = trigger.delay > 0
                         ? static_cast<int>(std::ceil((length - trigger.start) / trigger.delay))
                         : trigger.repeat;
        add(position,
            "only " + std::to_string(inside) + " of " + std::to_string(trigger.repeat) +
                " repetitions are due before the effect ends",
            docs::kTimes);
    }
    double due = static_cast<double>(effect.start) + std::max(0.0f, trigger.start);
    if (musicSeconds >= 0 && effect.start < musicSeconds && due >= musicSeconds)
        add(position,
            "trigger is due at " + seconds(due) + " s, after the music ends at " +
                seconds(musicSeconds) + " s",
            docs::kMusic);

    if (const SceneInfo* scene = sceneOf(effect))
        triggerName(*scene, trigger, position);
}

void Check::effectAgainstMusic(const Effect& effect, unsigned int position) {
    if (musicSeconds < 0)
        return;
    if (effect.start >= musicSeconds)
        add(position,
            "effect starts at " + seconds(effect.start) + " s, after the music ends at " +
                seconds(musicSeconds) + " s; it plays in silence",
            docs::kMusic);
    else if (effect.end > musicSeconds)
        add(position,
            "effect ends at " + seconds(effect.end) + " s, after the music ends at " +
                seconds(musicSeconds) + " s; its last " + seconds(effect.end - musicSeconds) +
                " s play in silence",
            docs::kMusic);
}

bool captureActiveAt(const Script& script, size_t before, float time) {
    for (size_t i = 0; i < before; ++i) {
        const Effect& effect = *script.effects[i];
        const SceneInfo* scene = sceneOf(effect);
        if (scene && (scene->flags & kWritesCapture) && time >= effect.start && time < effect.end)
            return true;
    }
    return false;
}

void Check::records() {
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const Effect& effect = *script.effects[i];
        unsigned int position = collector.positions.at(&effect);
        if (!(effect.end > effect.start)) {
            add(position,
                "effect ends at " + seconds(effect.end) + " s, not after its start at " +
                    seconds(effect.start) + " s; it never paints",
                docs::kEffects);
            continue;
        }
        effectAgainstMusic(effect, position);
        const SceneInfo* scene = sceneOf(effect);
        if (scene && (scene->flags & kReadsCapture) && !captureActiveAt(script, i, effect.start))
            add(position,
                "no '" + std::string(captureScene().name) +
                    "' effect earlier in the file is active at " + seconds(effect.start) +
                    " s, so '" + scene->name + "' shows no fresh capture",
                docs::kCapture);
        if (!effect.callback)
            continue; // its triggers never fire; the unknown name was reported already
        for (const Trigger* trigger : effect.triggers)
            this->trigger(effect, *trigger, collector.positions.at(trigger));
    }
}

// [SECTION] The dump

void printJsonNumber(float value, FILE* out) {
    if (std::isfinite(value))
        std::fprintf(out, "%.9g", value);
    else // JSON has no infinities; keep the reader's value readable
        std::fprintf(out, "\"%s\"", std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf");
}

void printJsonString(const char* text, FILE* out) {
    if (!text) {
        std::fputs("null", out);
        return;
    }
    std::fputc('"', out);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == '"' || *c == '\\')
            std::fprintf(out, "\\%c", *c);
        else if (*c < 0x20 || *c > 0x7e)
            std::fprintf(out, "\\u%04x", *c);
        else
            std::fputc(*c, out);
    }
    std::fputc('"', out);
}

void printDump(const Script& script, const char* file, FILE* out) {
    auto begin = [&](const char* key) {
        std::fputc('{', out);
        if (file) {
            std::fputs("\"file\":", out);
            printJsonString(file, out);
            std::fputc(',', out);
        }
        std::fprintf(out, "\"%s\":", key);
    };
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const Effect& effect = *script.effects[i];
        const SceneInfo* scene = sceneOf(effect);
        begin("effect");
        std::fprintf(out, "%zu,\"start\":", i);
        printJsonNumber(effect.start, out);
        std::fputs(",\"end\":", out);
        printJsonNumber(effect.end, out);
        std::fputs(",\"scene\":", out);
        printJsonString(scene ? scene->name : nullptr, out);
        std::fputs(",\"triggers\":[", out);
        for (size_t t = 0; t < effect.triggers.size(); ++t) {
            const Trigger& trigger = *effect.triggers[t];
            std::fputs(t ? ",{\"start\":" : "{\"start\":", out);
            printJsonNumber(trigger.start, out);
            std::fputs(",\"delay\":", out);
            printJsonNumber(trigger.delay, out);
            std::fprintf(out, ",\"repeat\":%d,\"name\":", trigger.repeat);
            printJsonString(trigger.name, out);
            std::fputs(",\"value\":", out);
            printJsonString(trigger.value, out);
            std::fputc('}', out);
        }
        std::fputs("]}\n", out);
    }
    begin("lastEnd");
    printJsonNumber(script.lastEnd, out);
    std::fputs("}\n", out);
}

// The music beside a timeline file: music.mp3 in its directory, if there is one.
double musicBeside(const std::string& path, const std::string& shown, FILE* warnings) {
    if (path == "-")
        return -1;
    size_t slash = path.rfind('/');
    std::string music = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + "music.mp3";
    struct stat info;
    if (stat(music.c_str(), &info) != 0)
        return -1;
    std::string why;
    double length = musicLength(music, &why);
    if (length < 0)
        std::fprintf(warnings, "odml-lint: %s: times not checked against %s: %s\n", shown.c_str(),
                     music.c_str(), why.c_str());
    return length;
}

} // namespace

LintStatus lintTimeline(const std::string& path, const LintOptions& options, FILE* warnings,
                        FILE* dumpOut) {
    const std::string shown = path == "-" ? "<stdin>" : path;
    std::string bytes, why;
    if (!readWhole(path, &bytes, &why)) {
        std::fprintf(warnings, "odml-lint: cannot read %s: %s\n", shown.c_str(), why.c_str());
        return kLintErrors;
    }
    double music =
        options.musicSeconds >= 0 ? options.musicSeconds : musicBeside(path, shown, warnings);

    // What the demo reads. After a byte-order mark that is nothing, so the advice comes
    // from a second reading of the rest, as if the mark were not there.
    Reading demo(bytes, 0);
    const bool marked = bytes.compare(0, 3, kByteOrderMark) == 0;
    std::unique_ptr<Reading> afterMark = marked ? std::make_unique<Reading>(bytes, 3) : nullptr;
    const Reading& advice = marked ? *afterMark : demo;
    std::vector<Finding> findings = advice.collector.findings;
    if (marked)
        findings.push_back({0,
                            "the file begins with a UTF-8 byte-order mark, which the demo reads "
                            "as text outside tags: it reads nothing of this file; save it "
                            "without the mark",
                            docs::kFormat, Severity::Error});
    else if (demo.script.effects.empty())
        findings.push_back({0, "the timeline holds no effect; the demo ends at its first frame",
                            docs::kEffects, Severity::Error});
    Check{bytes, advice.script, advice.collector, music, &findings}.records();

    printFindings(shown, bytes, findings, options.explain, warnings);
    if (options.dump)
        printDump(demo.script, options.nameInDump ? shown.c_str() : nullptr, dumpOut);
    LintStatus status = kLintClean;
    for (const Finding& finding : findings)
        status =
            std::max(status, finding.severity == Severity::Error ? kLintErrors : kLintWarnings);
    return status;
}

void printSceneList(FILE* out) {
    for (int i = 0; i < kSceneCount; ++i) {
        const SceneInfo& scene = kScenes[i];
        std::fprintf(out, "%s\n    %s\n", scene.name, scene.draws);
        if (scene.flags & kReadsCapture)
            std::fprintf(out, "    shows the frame an earlier '%s' captured\n",
                         captureScene().name);
        if (scene.triggerCount == 0)
            std::fputs("    no triggers\n", out);
        for (int t = 0; t < scene.triggerCount; ++t) {
            const TriggerInfo& trigger = scene.triggers[t];
            std::fprintf(out, "    trigger %s: %s; %s\n",
                         trigger.name ? ("'" + std::string(trigger.name) + "'").c_str()
                                      : "of any name",
                         describeTriggerValue(trigger).c_str(), trigger.does);
        }
    }
}
