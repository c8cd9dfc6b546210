// The timeline engine: the registry of named scenes, the reader of "script.odml"
// (script_reader.cpp) and the per-frame evaluation that fires due triggers and paints active
// effects (script.cpp).
#pragma once

#include "framework/callback.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarvo64k {

struct CallbackEntry {
    Callback* callback = nullptr; // borrowed
    std::string name;
};

struct Trigger {
    char* name = nullptr;  // owned, NUL-terminated; null when the tag had no name
    char* value = nullptr; // owned, NUL-terminated; null when the tag had no value
    float start = 0;       // seconds after the holding effect's start
    float delay = 0;       // seconds between repetitions
    int repeat = 1;
    int fired = 0; // never reset, so time going backwards re-arms nothing

    Trigger() = default;
    Trigger(const Trigger&) = delete;
    Trigger& operator=(const Trigger&) = delete;
    ~Trigger();
};

struct Effect {
    float start = 0;              // seconds of music, inclusive
    float end = 0;                // exclusive
    Callback* callback = nullptr; // borrowed; null when the name matched no registered scene
    std::vector<Trigger*> triggers;

    // Whether the effect paints at `time` seconds: its start in, its end out.
    bool activeAt(float time) const { return time >= start && time < end; }

    Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;
    ~Effect();
};

// Hears what the reader does with the file: each record it keeps, and each place where it
// degrades or skips something in silence. Every hook does nothing by default, and the demo
// reads with no listener; the tools' lint library puts each finding into words. Positions are
// byte offsets into the text; spans are [first, end).
class ScriptReadListener {
public:
    virtual void effectRead(const Effect& /*effect*/, unsigned int /*position*/) {}
    virtual void triggerRead(const Trigger& /*trigger*/, unsigned int /*position*/) {}

    // Reading stopped at text outside any tag.
    virtual void textOutsideTags(unsigned int /*position*/, unsigned int /*bytesIgnored*/) {}
    // The last tag has no '>'.
    virtual void tagCutOff(unsigned int /*position*/) {}
    // A closing tag other than "</effect>" ended the current effect; the span is the tag.
    virtual void closingTagEndsEffect(const unsigned char* /*text*/, unsigned int /*first*/,
                                      unsigned int /*end*/) {}
    virtual void triggerOutsideEffect(unsigned int /*position*/) {}
    // A tag that is neither an effect nor a trigger; the span is what lies between < and >.
    virtual void tagIgnored(const unsigned char* /*text*/, unsigned int /*first*/,
                            unsigned int /*end*/) {}
    // An effect or trigger tag that is not self-closing; the span is between < and >.
    virtual void openTagRead(const unsigned char* /*text*/, unsigned int /*first*/,
                             unsigned int /*end*/) {}
    // Text from `from` to `to` stepped over between attributes of the tag ending at `end`.
    virtual void textSkipped(const unsigned char* /*text*/, unsigned int /*from*/,
                             unsigned int /*to*/, unsigned int /*end*/) {}
    // No known attribute starts at `position`. Returns where the unrecognised text ends, so
    // that its rest is not reported again.
    virtual unsigned int attributeNotRecognised(const unsigned char* /*text*/,
                                                unsigned int position, unsigned int /*end*/,
                                                const char* const* /*keywords*/,
                                                int /*keywordCount*/) {
        return position;
    }
    virtual void closingQuoteMissing(unsigned int /*position*/) {}
    // `keyword` as the reader compares it, e.g. "start=\"".
    virtual void attributeRepeated(unsigned int /*position*/, const char* /*keyword*/) {}
    virtual void numberRead(const std::string& /*number*/, const char* /*keyword*/,
                            unsigned int /*position*/) {}
    virtual void repeatTruncated(unsigned int /*position*/, const std::string& /*number*/,
                                 int /*repeat*/) {}
    virtual void sceneNotFound(unsigned int /*position*/, const std::string& /*name*/) {}
    virtual void effectUnnamed(unsigned int /*position*/) {}

protected:
    ~ScriptReadListener() = default;
};

class Script {
public:
    Effect* currentEffect = nullptr; // where triggers read from the file go; unused in playback
    float lastEnd = 0;               // the largest effect end read so far: the end of the timeline
    float lastTime = 0;              // the time given to the previous update
    std::vector<Effect*> effects;
    std::vector<CallbackEntry*> callbacks;

    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script();

    // Register every scene before load: effects look their scene up while the file is read.
    void addCallback(const std::string& name, Callback* callback);
    // Forgets every effect and callback, as a new Script: for building the demo again.
    void clear();

    // Reads a timeline's bytes and appends its effects. Nothing is ever reported unless a
    // listener is given.
    void parse(const unsigned char* text, unsigned int length,
               ScriptReadListener* listener = nullptr);
    void parse(const std::string& text, ScriptReadListener* listener = nullptr);

    // Fires due triggers and paints the effects active at `time` (seconds of music).
    // Returns 1 while the timeline runs, 0 once `time` is past its end.
    int update(float time);

private:
    void updateEffect(Effect* effect, float time, float delta);

    int parseTag(const unsigned char* text, unsigned int position, unsigned int length);
    void parseTagInfo(const unsigned char* text, unsigned int first, unsigned int end);
    void parseTrigger(Trigger* trigger, const unsigned char* text, unsigned int first,
                      unsigned int end);
    void parseEffect(Effect* effect, const unsigned char* text, unsigned int first,
                     unsigned int end);
    template <typename Store>
    void scanAttributes(const unsigned char* text, unsigned int first, unsigned int end,
                        const char* const* keywords, int keywordCount, Store store);

    int skipToInfo(const unsigned char* text, unsigned int position, unsigned int end);
    unsigned int skipToArgumentEnd(const unsigned char* text, unsigned int position,
                                   unsigned int end);

    // Reading state, valid only inside parse; `listener` is never null there.
    unsigned int textLength = 0;
    ScriptReadListener* listener = nullptr;
};

// The largest timeline read: a real one is kilobytes, and parsing costs several times the
// file's size in memory.
constexpr size_t kLongestTimelineBytes = 16u << 20;

// Reads the whole timeline file at `path` into `text`, so that it is read once and parsed from
// memory. Returns 0, or the errno of the failure (EISDIR for a directory, EFBIG for a file of
// more than kLongestTimelineBytes, ENOMEM when memory runs out), or kNotARegularFile.
int readTimelineFile(const char* path, std::string* text);

} // namespace tarvo64k
