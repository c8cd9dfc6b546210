// One reading of the text with the demo's reader, twice after a byte-order mark, and the
// findings of both kinds in the order of their positions.
#include "tools/lib/lint/timeline_lint.h"

#include <algorithm>
#include <sys/stat.h>

namespace lint {

namespace {

const char kByteOrderMark[] = "\xef\xbb\xbf";

} // namespace

TimelineReading::TimelineReading(const std::string& text, unsigned int from) : heard(from) {
    for (int i = 0; i < kSceneCount; ++i)
        heard.sceneNames.push_back(kScenes[i].name);
    scenes.reserve(kSceneCount);
    for (int i = 0; i < kSceneCount; ++i) {
        scenes.emplace_back(&kScenes[i]);
        script.addCallback(kScenes[i].name, &scenes.back());
    }
    script.parse(reinterpret_cast<const unsigned char*>(text.data()) + from,
                 static_cast<unsigned int>(text.size() - from), &heard);
}

const SceneInfo* TimelineReading::sceneOf(const tarvo64k::Effect& effect) {
    return effect.callback ? static_cast<NamedScene*>(effect.callback)->info : nullptr;
}

void lintTimelineText(std::string text, double musicSeconds, LintedTimeline* timeline) {
    timeline->text = std::move(text);
    const std::string& bytes = timeline->text;
    timeline->demo = std::make_unique<TimelineReading>(bytes, 0);

    // After a byte-order mark the demo reads nothing, so the advice comes from a second
    // reading of the rest, as if the mark were not there.
    const bool marked = bytes.compare(0, 3, kByteOrderMark) == 0;
    std::unique_ptr<TimelineReading> afterMark =
        marked ? std::make_unique<TimelineReading>(bytes, 3) : nullptr;
    const TimelineReading& advice = marked ? *afterMark : *timeline->demo;
    std::vector<Finding>& findings = timeline->findings;
    findings = advice.heard.findings;
    if (marked)
        findings.push_back({FindingKind::ByteOrderMark, 0,
                            "the file begins with a UTF-8 byte-order mark, which the demo reads "
                            "as text outside tags: it reads nothing of this file; save it "
                            "without the mark",
                            ""});
    else if (timeline->demo->script.effects.empty())
        findings.push_back({FindingKind::NoEffect, 0,
                            "the timeline holds no effect; the demo ends at its first frame", ""});
    checkRecords(bytes, advice, musicSeconds, &findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.position < b.position; });
}

int lintTimelineFile(const std::string& path, double musicSeconds, LintedTimeline* timeline) {
    std::string text;
    int error = tarvo64k::readTimelineFile(path.c_str(), &text);
    if (error == 0)
        lintTimelineText(std::move(text), musicSeconds, timeline);
    return error;
}

std::string musicBeside(const std::string& timelinePath) {
    size_t slash = timelinePath.rfind('/');
    std::string music =
        (slash == std::string::npos ? "" : timelinePath.substr(0, slash + 1)) + "music.mp3";
    struct stat info;
    return stat(music.c_str(), &info) == 0 ? music : "";
}

} // namespace lint
