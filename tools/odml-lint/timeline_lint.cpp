// The timeline linter's checks and its JSON dump. The records come from Script::load itself,
// with one silent scene registered under each of the demo's scene names.
#include "tools/odml-lint/timeline_lint.h"

#include "framework/script.h"
#include "framework/script_diagnostics.h"
#include "scenes/scene_registry.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <vector>

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

namespace {

// Stands in for a scene: the linter only needs to know which name an effect resolved to.
class NamedScene final : public tarvo64k::Callback {
public:
    explicit NamedScene(const SceneInfo* info) : info(info) {}
    void trigger(float, const std::string&, const std::string&) override {}
    void paint(float, float, float) override {}
    const SceneInfo* info;
};

struct Finding {
    unsigned int position;
    std::string message;
};

class Collector final : public tarvo64k::ScriptDiagnostics {
public:
    void warning(unsigned int position, const std::string& message) override {
        findings.push_back({position, message});
    }
    void effectRead(const Effect& effect, unsigned int position) override {
        positions[&effect] = position;
    }
    void triggerRead(const Trigger& trigger, unsigned int position) override {
        positions[&trigger] = position;
    }

    std::vector<Finding> findings;
    std::map<const void*, unsigned int> positions;
};

bool readWhole(const std::string& path, std::string* bytes, std::string* why) {
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

std::string seconds(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

const SceneInfo* sceneOf(const Effect& effect) {
    return effect.callback ? static_cast<NamedScene*>(effect.callback)->info : nullptr;
}

// [SECTION] Checks on the records

void checkTrigger(const Effect& effect, const Trigger& trigger, unsigned int position,
                  std::vector<Finding>* findings) {
    float length = effect.end - effect.start;
    if (trigger.repeat <= 0) {
        findings->push_back(
            {position, "trigger can never fire: repeat is " + std::to_string(trigger.repeat)});
        return;
    }
    if (!(trigger.start < length)) {
        findings->push_back({position, "trigger can never fire: it is due " +
                                           seconds(trigger.start) + " s into an effect of " +
                                           seconds(length) + " s"});
        return;
    }
    float lastDue = trigger.start + trigger.delay * static_cast<float>(trigger.repeat - 1);
    if (trigger.repeat > 1 && !(lastDue < length)) {
        int inside = trigger.delay > 0
                         ? static_cast<int>(std::ceil((length - trigger.start) / trigger.delay))
                         : trigger.repeat;
        findings->push_back({position, "only " + std::to_string(inside) + " of " +
                                           std::to_string(trigger.repeat) +
                                           " repetitions are due before the effect ends"});
    }

    const SceneInfo* scene = sceneOf(effect);
    std::string name = trigger.name ? trigger.name : "";
    if (!scene || findTrigger(*scene, name))
        return;
    std::string accepted = describeTriggerNames(*scene);
    std::string what = name.empty() ? "a trigger without a name" : "trigger '" + name + "'";
    findings->push_back(
        {position,
         "scene '" + std::string(scene->name) + "' does not act on " + what +
             (accepted.empty() ? "; it ignores all triggers" : " (it knows " + accepted + ")")});
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

void checkRecords(const Script& script, const Collector& collector,
                  std::vector<Finding>* findings) {
    if (script.effects.empty())
        findings->push_back({0, "the timeline holds no effect; the demo ends at its first frame"});
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const Effect& effect = *script.effects[i];
        unsigned int position = collector.positions.at(&effect);
        if (!(effect.end > effect.start)) {
            findings->push_back({position, "effect ends at " + seconds(effect.end) +
                                               " s, not after its start at " +
                                               seconds(effect.start) + " s; it never paints"});
            continue;
        }
        const SceneInfo* scene = sceneOf(effect);
        if (scene && (scene->flags & kReadsCapture) && !captureActiveAt(script, i, effect.start))
            findings->push_back({position, "no 'render2texture' effect earlier in the file is "
                                           "active at " +
                                               seconds(effect.start) + " s, so '" + scene->name +
                                               "' shows no fresh capture"});
        if (!effect.callback)
            continue; // its triggers never fire; the unknown name was reported already
        for (const Trigger* trigger : effect.triggers)
            checkTrigger(effect, *trigger, collector.positions.at(trigger), findings);
    }
}

// [SECTION] Output

void printFindings(const std::string& path, const std::string& bytes, std::vector<Finding> findings,
                   FILE* out) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.position < b.position; });
    unsigned int line = 1, lineStart = 0, scanned = 0;
    for (const Finding& finding : findings) {
        for (; scanned < finding.position && scanned < bytes.size(); ++scanned) {
            if (bytes[scanned] == '\n') {
                ++line;
                lineStart = scanned + 1;
            }
        }
        std::fprintf(out, "%s:%u:%u: warning: %s\n", path.c_str(), line,
                     finding.position - lineStart + 1, finding.message.c_str());
    }
}

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

void printDump(const Script& script, FILE* out) {
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const Effect& effect = *script.effects[i];
        const SceneInfo* scene = sceneOf(effect);
        std::fprintf(out, "{\"effect\":%zu,\"start\":", i);
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
    std::fputs("{\"lastEnd\":", out);
    printJsonNumber(script.lastEnd, out);
    std::fputs("}\n", out);
}

} // namespace

LintStatus lintTimeline(const std::string& path, bool dump, FILE* warnings, FILE* dumpOut) {
    std::string bytes, why;
    if (!readWhole(path, &bytes, &why)) {
        std::fprintf(warnings, "odml-lint: cannot read %s: %s\n", path.c_str(), why.c_str());
        return kLintUnreadable;
    }

    std::vector<NamedScene> scenes;
    scenes.reserve(kSceneCount);
    Script script;
    for (int i = 0; i < kSceneCount; ++i) {
        scenes.emplace_back(&kScenes[i]);
        script.addCallback(kScenes[i].name, &scenes.back());
    }
    Collector collector;
    script.load(path.c_str(), &collector);

    std::vector<Finding> findings = collector.findings;
    checkRecords(script, collector, &findings);
    printFindings(path, bytes, findings, warnings);
    if (dump)
        printDump(script, dumpOut);
    return findings.empty() ? kLintClean : kLintWarnings;
}
