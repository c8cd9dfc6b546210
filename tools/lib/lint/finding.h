// What the lint library finds in a timeline: values with a kind, a byte position and a text
// made once where the finding is made. Tools tell findings apart by their kind, never by
// their text, and print them in one shape: FILE:LINE:COL: warning: TEXT.
#pragma once

#include <string>

namespace lint {

enum class FindingKind {
    // What the reader skips or misreads in silence.
    TextOutsideTags,
    TagCutOff,
    ClosingTagEndsEffect,
    TriggerOutsideEffect,
    TagIgnored,
    NotSelfClosing,
    EffectUnnamed,
    SceneNotFound,
    ClosingQuoteMissing,
    AttributeRepeated,
    AttributeIgnored,
    TextSkipped,
    NumberMisread,
    RepeatTruncated,
    // What the scenes and the music make of the records.
    EffectNeverPaints,
    PastTheMusic,
    TimeOutOfReach,
    NoCaptureToShow,
    TriggerTiming,
    TriggerNeverFires,
    TriggerNameIgnored,
    TriggerValueMisread,
    // The demo reads nothing of the file: errors.
    ByteOrderMark,
    NoEffect,
};

struct Finding {
    FindingKind kind;
    unsigned int position; // byte offset into the file
    std::string message;
    std::string scene; // the scene a trigger finding is about, or empty
};

bool isError(FindingKind kind);

// Titles of docs/timeline.md's sections, as notes quote them.
namespace docs {
constexpr const char* kFormat = "The file format";
constexpr const char* kEffects = "Effects";
constexpr const char* kTimes = "Times, delay and repeat";
constexpr const char* kCapture = "Effects that meet";
constexpr const char* kMusic = "The music";
constexpr const char* kScenes = "The scenes";
// Every section a note may name; timeline-doc checks that the document has each.
constexpr const char* kAll[] = {kFormat, kEffects, kTimes, kCapture, kMusic, kScenes};
} // namespace docs

// The section of docs/timeline.md about the finding: one of docs::kAll, or the name of a scene
// (its section under "The scenes").
std::string docSection(const Finding& finding);

// Lines and columns (from 1, columns in bytes) of positions taken in increasing order, in one
// pass over the text however many findings it has.
class LineCounter {
public:
    explicit LineCounter(const std::string& text) : text(text) {}
    void advanceTo(unsigned int position);
    unsigned int line = 1;
    size_t lineStart = 0;

private:
    const std::string& text;
    size_t scanned = 0;
};

// "NAME:LINE:COL: warning: TEXT" ("error:" for an error), without a newline; `lines` must have
// advanced to the finding's position.
std::string findingLine(const std::string& name, const LineCounter& lines, const Finding& finding);

} // namespace lint
