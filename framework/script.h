// The timeline engine: the registry of named scenes, the reader of "script.odml" and the
// per-frame evaluation that fires due triggers and paints active effects.
#pragma once

#include "framework/callback.h"

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

    Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;
    ~Effect();
};

// Hears what the reader would otherwise throw away in silence. The demo passes none;
// the timeline linter passes one to turn every degradation into a warning.
class ScriptReadListener {
public:
    virtual void warning(unsigned int position, const std::string& message) = 0;
    virtual void effectRead(const Effect& effect, unsigned int position) = 0;
    virtual void triggerRead(const Trigger& trigger, unsigned int position) = 0;

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

    // Reads a timeline file and appends its effects. A missing or unreadable file leaves the
    // script as it was; nothing is ever reported unless a listener is given.
    void load(const char* fileName, ScriptReadListener* listener = nullptr);

    // Reads a timeline held in memory, as load does with a file's bytes.
    void parse(const unsigned char* text, unsigned int length,
               ScriptReadListener* listener = nullptr);

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

    unsigned int skipToWhitespace(const unsigned char* text, unsigned int position,
                                  unsigned int end);
    int skipToInfo(const unsigned char* text, unsigned int position, unsigned int end);
    unsigned int skipToArgumentEnd(const unsigned char* text, unsigned int position,
                                   unsigned int end);

    // Diagnostics for the listener; never called without one.
    void warn(unsigned int position, const std::string& message);
    void warnIgnoredTag(const unsigned char* text, unsigned int first, unsigned int end);
    void warnSkippedText(const unsigned char* text, unsigned int from, unsigned int to,
                         unsigned int end);
    unsigned int warnUnknownAttribute(const unsigned char* text, unsigned int position,
                                      unsigned int end, const char* const* keywords,
                                      int keywordCount);
    void checkNumber(const std::string& number, const char* keyword, unsigned int position);

    // Reading state, valid only inside parse.
    unsigned int textLength = 0;
    ScriptReadListener* listener = nullptr;
};

} // namespace tarvo64k
