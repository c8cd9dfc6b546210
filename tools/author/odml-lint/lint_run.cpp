// One run of the linter over one file: the findings printed with their excerpts, the dump of
// what the demo reads, and the scene list. The findings come from the shared lint library.
#include "tools/author/odml-lint/lint_run.h"

#include "framework/input_file.h"
#include "tools/author/odml-lint/lint_report.h"
#include "tools/lib/lint/timeline_lint.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

namespace {

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
        const SceneInfo* scene = lint::TimelineReading::sceneOf(effect);
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

// The music's length from music.mp3 beside the timeline, if there is one.
double musicBeside(const std::string& path, const std::string& shown, FILE* warnings) {
    std::string music = path == "-" ? "" : lint::musicBeside(path);
    if (music.empty())
        return -1;
    std::string why;
    double length = lint::musicLength(music, &why);
    if (length < 0)
        std::fprintf(warnings, "odml-lint: %s: times not checked against %s: %s\n", shown.c_str(),
                     music.c_str(), why.c_str());
    return length;
}

int readInput(const std::string& path, std::string* text) {
    if (path != "-")
        return tarvo64k::readTimelineFile(path.c_str(), text);
    char chunk[65536];
    text->clear();
    while (std::cin.read(chunk, sizeof chunk) || std::cin.gcount() > 0) {
        text->append(chunk, static_cast<size_t>(std::cin.gcount()));
        if (text->size() > tarvo64k::kLongestTimelineBytes)
            return EFBIG;
    }
    return std::cin.bad() ? EIO : 0;
}

} // namespace

LintStatus lintTimeline(const std::string& path, const LintOptions& options, FILE* warnings,
                        FILE* dumpOut) {
    const std::string shown = path == "-" ? "<stdin>" : path;
    std::string text;
    if (int error = readInput(path, &text)) {
        std::fprintf(warnings, "odml-lint: cannot read %s: %s\n", shown.c_str(),
                     tarvo64k::inputErrorText(error));
        return kLintErrors;
    }
    double music =
        options.musicSeconds >= 0 ? options.musicSeconds : musicBeside(path, shown, warnings);
    lint::LintedTimeline timeline;
    lint::lintTimelineText(std::move(text), music, &timeline);

    printFindings(shown, timeline.text, timeline.findings, options.explain, warnings);
    if (options.dump)
        printDump(timeline.demo->script, options.nameInDump ? shown.c_str() : nullptr, dumpOut);
    LintStatus status = kLintClean;
    for (const lint::Finding& finding : timeline.findings)
        status = std::max(status, lint::isError(finding.kind) ? kLintErrors : kLintWarnings);
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
