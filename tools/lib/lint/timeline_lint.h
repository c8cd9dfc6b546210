// Lints a timeline: reads it once, through the demo's own reader with a stand-in registered
// under each of the demo's scene names, hears every silent degradation, then checks what the
// scenes and the music make of the records. odml-lint and the preview show these findings.
#pragma once

#include "framework/script.h"
#include "scenes/scene_registry.h"
#include "tools/lib/lint/finding.h"
#include "tools/lib/lint/reader_findings.h"

#include <memory>
#include <string>
#include <vector>

namespace lint {

// Stands in for a scene: the lint only needs to know which name an effect resolved to.
class NamedScene final : public tarvo64k::Callback {
public:
    explicit NamedScene(const SceneInfo* info) : info(info) {}
    void trigger(float, const std::string&, const std::string&) override {}
    void paint(float, float, float) override {}
    const SceneInfo* info;
};

// The demo's reader over `text` from byte `from` on: the records and what it heard.
struct TimelineReading {
    TimelineReading(const std::string& text, unsigned int from);
    TimelineReading(const TimelineReading&) = delete;
    TimelineReading& operator=(const TimelineReading&) = delete;

    // The scene an effect's name resolved to, or null.
    static const SceneInfo* sceneOf(const tarvo64k::Effect& effect);

    std::vector<NamedScene> scenes;
    tarvo64k::Script script;
    ReaderFindings heard;
};

struct LintedTimeline {
    std::string text;                      // the file's bytes, read once
    std::unique_ptr<TimelineReading> demo; // what the demo itself reads from them
    std::vector<Finding> findings;         // in the order of their positions
};

// `musicSeconds` is the music's length, negative when unknown.
void lintTimelineText(std::string text, double musicSeconds, LintedTimeline* timeline);
// Reads the file once and lints it. Returns 0, or the errno of the read (nothing linted).
int lintTimelineFile(const std::string& path, double musicSeconds, LintedTimeline* timeline);

// The checks on the records of a reading (trigger times and values, effects against the music
// and the captures), added to `findings`.
void checkRecords(const std::string& text, const TimelineReading& reading, double musicSeconds,
                  std::vector<Finding>* findings);

// The length of an MP3 file in seconds, or a negative number with `why` filled in.
double musicLength(const std::string& path, std::string* why);
// The music beside a timeline: music.mp3 in its directory, or "" when there is none.
std::string musicBeside(const std::string& timelinePath);

} // namespace lint
