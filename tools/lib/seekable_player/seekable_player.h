// The demo player on the fixed frame clock, seekable both ways, so that whatever it shows is
// the frame a straight run at the same rate shows at that time. Moving forwards draws the
// frames in between; moving backwards builds the demo again and replays from frame 0. Frames
// that nobody sees are drawn with every pixel scissored away, except where a scene copies the
// frame into a texture that a later frame shows. Needs a current GL context of the demo's
// frame size; the preview plays through it.
#pragma once

#include "framework/script.h"
#include "host/demo_player.h"
#include "tools/lib/authoring/frame_clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

class SeekablePlayer {
public:
    // Builds the demo from the timeline's bytes; no frame is drawn yet.
    SeekablePlayer(const std::string& timelineText, int fps);
    SeekablePlayer(const SeekablePlayer&) = delete;
    SeekablePlayer& operator=(const SeekablePlayer&) = delete;
    ~SeekablePlayer();

    int fps() const { return clock.framesPerSecond(); }
    // The frame in the back buffer, or -1 before the first.
    int64_t frame() const { return shown; }
    int64_t milliseconds() const { return FixedFrameClock::frameMilliseconds(shown, fps()); }
    // The frame a capture's --shot at `seconds` saves; the last frame shown at `milliseconds`.
    int64_t frameForSeek(double seconds) const;
    int64_t frameAt(int64_t milliseconds) const;
    // Where the timeline ends, in seconds; the last frame before it.
    float end() const { return authoring::usableTimelineEnd(player.end()); }
    int64_t lastFrame() const;

    // Draws frame `target` (0 onwards) into the back buffer, building the demo again first
    // when the target lies behind. False when it is the frame shown already: nothing drawn.
    bool moveTo(int64_t target);

    // Builds the demo again from a new timeline and replays it to the frame shown.
    void reload(const std::string& timelineText);

    // The scene names of the effects active in the frame shown, in timeline order.
    std::vector<std::string> activeEffects() const;
    // Every effect's start and end, in seconds, sorted, each once.
    std::vector<float> boundaries() const;

private:
    void build();
    void drawFrame(int64_t frame, bool visible);
    int activeFlags(int64_t frame) const;
    std::vector<bool> pixelsThatMatter(int64_t first, int64_t target) const;

    std::string text; // the timeline's bytes, built again from on every replay
    tarvo64k::Script timeline;
    DemoPlayer player;
    FixedFrameClock clock;
    int64_t shown = -1;
    std::vector<std::string> effectNames; // of every effect's scene, in timeline order
    std::vector<int> effectFlags;         // of every effect's scene (SceneFlags)
};

} // namespace authoring
