// The demo player: builds the demo (cell-shading ramp, scenes, timeline), draws the frame at a
// music time, knows where the timeline ends, and tears it all down so that it can build again.
// It needs a current GL context but no window system: the demo, the capture renderer, the soak
// run and the tests all play through it.
#pragma once

#include "framework/script.h"
#include "sound/sound.h"

#include <cstdint>
#include <string>

// Where the frame's time comes from. Times are music milliseconds.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual int64_t milliseconds() = 0;
};

// The music's play position: the demo's one clock.
class MusicTime final : public TimeSource {
public:
    explicit MusicTime(FSOUND_STREAM* stream) : stream(stream) {}
    int64_t milliseconds() override { return sound::streamTimeMs(stream); }

private:
    FSOUND_STREAM* stream;
};

// A fixed frame clock for offline rendering: frame n at floor(n * 1000 / fps) ms, so every run
// at one rate shows the same times.
class FixedFrameClock final : public TimeSource {
public:
    explicit FixedFrameClock(int fps) : fps(fps) {}
    static int64_t frameMilliseconds(int64_t frame, int fps) { return frame * 1000 / fps; }

    int64_t milliseconds() override { return frameMilliseconds(frame, fps); }
    void seekToFrame(int64_t to) { frame = to; }
    void advance() { ++frame; }
    int64_t currentFrame() const { return frame; }
    int framesPerSecond() const { return fps; }

private:
    int fps;
    int64_t frame = 0;
};

// The music clock's milliseconds as timeline seconds, the one conversion used everywhere.
inline float musicSeconds(int64_t milliseconds) {
    return static_cast<float>(static_cast<double>(milliseconds) / 1000.0);
}
// Whether a frame at `milliseconds` comes after a timeline's end at `end` seconds: the demo has
// ended by then.
inline bool pastTimelineEnd(int64_t milliseconds, float end) {
    return musicSeconds(milliseconds) > end;
}

class DemoPlayer {
public:
    // Plays the given timeline; the scenes register into it on build.
    explicit DemoPlayer(tarvo64k::Script& timeline) : timeline(timeline) {}
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    // The cell-shading ramp, every scene constructed and registered, and the timeline read from
    // `timelineText`, the whole file's bytes (tarvo64k::readTimelineFile). Pictures are read
    // from data/ under the current directory.
    void build(const std::string& timelineText);
    // Deletes what build made and empties the timeline; nothing is left for the next build.
    void teardown();
    bool isBuilt() const { return built; }
    // Reads another timeline for the scenes already built, which keep their state.
    void rereadTimeline(const std::string& timelineText);

    // Clears the frame and runs the timeline at `seconds`; false once the timeline has ended.
    bool drawAt(float seconds);
    bool drawFrame(TimeSource& clock) { return drawAt(musicSeconds(clock.milliseconds())); }
    // The latest end of any effect, in seconds: the timeline's end.
    float end() const { return timeline.lastEnd; }
    // Whether a frame at `milliseconds` would be past the timeline's end.
    bool pastTheEnd(int64_t milliseconds) const { return pastTimelineEnd(milliseconds, end()); }

private:
    tarvo64k::Script& timeline;
    bool built = false;
};
