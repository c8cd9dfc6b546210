// The preview's demo: the demo player on the fixed frame clock, so that whatever it shows is
// the frame a straight run at the same rate shows at that time. Moving forwards draws the
// frames in between; moving backwards builds the demo again and replays from frame 0. Frames
// that nobody sees are drawn with every pixel scissored away, except where a scene copies the
// frame into a texture that a later frame shows.
#pragma once

#include "framework/script.h"
#include "host/demo_player.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace preview {

class Session {
public:
    Session(std::string scriptPath, int fps);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    static constexpr int kFrameWidth = 800, kFrameHeight = 600;

    int fps() const { return clock.framesPerSecond(); }
    // The frame in the back buffer, or -1 before the first.
    int64_t frame() const { return shown; }
    int64_t milliseconds() const { return FixedFrameClock::frameMilliseconds(shown, fps()); }
    // The frame a capture's --shot at `seconds` saves; the last frame shown at `milliseconds`.
    int64_t frameForSeek(double seconds) const;
    int64_t frameAt(int64_t milliseconds) const;
    // Where the timeline ends, in seconds; the last frame before it.
    float end() const { return player.end(); }
    int64_t lastFrame() const;

    // Draws frame `target` (0 onwards) into the back buffer, building the demo again first
    // when the target lies behind. False when it is the frame shown already: nothing drawn.
    bool moveTo(int64_t target);

    // Reads the timeline again with the demo's own reader. On success the demo is built again
    // and replayed to the current frame; otherwise the old timeline stays. Returns "" or why.
    std::string reload();
    // Lines of "LINE:COL: warning" from the last successful reload or the first build.
    const std::vector<std::string>& warnings() const { return readWarnings; }
    // Whether the timeline file or a picture under data/ changed since the last build.
    bool filesChanged() const { return stampFiles() != builtStamp; }

    // The scene names of the effects active in the frame shown, in timeline order.
    std::vector<std::string> activeEffects() const;
    std::vector<float> boundaries() const;
    const std::string& scriptText() const { return text; }

private:
    void build();
    void drawFrame(int64_t frame, bool visible);
    int flagsOf(const tarvo64k::Effect* effect) const;
    int activeFlags(int64_t frame) const;
    std::vector<bool> pixelsThatMatter(int64_t first, int64_t target) const;
    std::string stampFiles() const;

    std::string scriptPath;
    tarvo64k::Script timeline;
    DemoPlayer player;
    FixedFrameClock clock;
    int64_t shown = -1;
    std::map<const tarvo64k::Callback*, int> sceneFlags;
    std::map<const tarvo64k::Callback*, std::string> sceneNames;
    std::vector<std::string> readWarnings;
    std::string text, builtStamp;
};

// Reads and lints a timeline with the demo's reader. Returns "" and fills `text` and
// `warnings`, or why it cannot be read.
std::string lintTimeline(const std::string& path, std::string* text,
                         std::vector<std::string>* warnings);

} // namespace preview
