// The demo player on the fixed frame clock, seekable both ways, so that whatever it shows is
// the frame a straight run at the same rate shows at that time. While it draws it lays
// checkpoints of the whole demo state (tools/lib/seekable_player/checkpoints.h); a move
// restores the latest one before the target, or goes on from the frame shown when that is
// nearer, and replays the frames in between. Frames that nobody sees are drawn with every
// pixel scissored away, except where a scene copies the frame into a texture that a later
// frame shows. Needs a current GL context of the demo's frame size; the preview plays
// through it.
#pragma once

#include "framework/script.h"
#include "host/demo_player.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/seekable_player/checkpoints.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace authoring {

class SeekablePlayer {
public:
    // Builds the demo from the timeline's bytes; no frame is drawn yet. Checkpoints stay
    // within `checkpointBudget` bytes.
    SeekablePlayer(const std::string& timelineText, int fps,
                   size_t checkpointBudget = kDefaultCheckpointBudget);
    SeekablePlayer(const SeekablePlayer&) = delete;
    SeekablePlayer& operator=(const SeekablePlayer&) = delete;
    ~SeekablePlayer();

    int fps() const { return clock.framesPerSecond(); }
    // The frame in the back buffer, or -1 before the first.
    int64_t frame() const { return shown; }
    // The frame the last move or reload was to show: frame() unless it was given up.
    int64_t wantedFrame() const { return std::max<int64_t>(wanted, 0); }
    // How many frames were drawn so far, with or without their pixels.
    int64_t framesDrawn() const { return drawn; }
    int64_t milliseconds() const { return FixedFrameClock::frameMilliseconds(shown, fps()); }
    // The frame a capture's --shot at `seconds` saves; the last frame shown at `milliseconds`.
    int64_t frameForSeek(double seconds) const;
    int64_t frameAt(int64_t milliseconds) const;
    // Where the timeline ends, in seconds; the last frame before it.
    float end() const { return authoring::usableTimelineEnd(player.end()); }
    int64_t lastFrame() const;

    // Asked now and then during a long replay; true gives the replay up.
    using Interrupt = std::function<bool()>;

    // Draws frame `target` (0 onwards) into the back buffer. False when it is the frame shown
    // already, or when `interrupted` gave the replay up on the way (the frame shown then lies
    // before the target).
    bool moveTo(int64_t target, const Interrupt& interrupted = {});

    // Reads a new timeline, loads the pictures (paths as "data/1.png") that changed again and
    // shows the frame asked for last. Checkpoints before the earliest time at which the two
    // timelines can differ, or a scene that shows a changed picture first paints, stay, so only
    // the frames from there are drawn again. False when `interrupted` gave the replay up: call
    // again (or move) to finish.
    bool reload(const std::string& timelineText, const std::vector<std::string>& changedPictures,
                const Interrupt& interrupted = {});

    // The scene names of the effects active in the frame shown, in timeline order.
    std::vector<std::string> activeEffects() const;
    // Every effect's start and end, in seconds, sorted, each once.
    std::vector<float> boundaries() const;

    const CheckpointStore& checkpoints() const { return store; }
    // Puts the demo back in the state after checkpoint `frame`, for a check that drawing on
    // from it gives the frames of a straight run. False when there is none at that frame.
    bool restoreCheckpoint(int64_t frame);

private:
    // What a texture a later frame reads holds, followed between checkpoints.
    struct TextureTrack {
        TexturePixels atLastCheckpoint; // null: unknown
        bool known = true;              // false once copied from a frame drawn without pixels
        bool changed = false;           // copied into since the last checkpoint
    };

    void build();
    void readEffectFlags();
    float loadPicturesAgain(const std::vector<std::string>& changed, const tarvo64k::Script& next);
    void startFor(int64_t target);
    bool replayTo(int64_t target, const Interrupt& interrupted);
    void drawFrame(int64_t frame, bool visible);
    void takeCheckpoint();
    void restore(const DemoCheckpoint& checkpoint);
    bool canStartFrom(int64_t frame, bool captureKnown, bool feedbackKnown, int64_t target) const;
    int activeFlags(int64_t frame) const;
    std::vector<bool> pixelsThatMatter(int64_t first, int64_t target, bool* captureNeeded,
                                       bool* feedbackNeeded) const;

    std::string text; // the timeline's bytes, built again from when pictures change
    tarvo64k::Script timeline;
    DemoPlayer player;
    FixedFrameClock clock;
    int64_t shown = -1;
    int64_t wanted = -1; // the frame the last move was asked for
    int64_t drawn = 0;
    bool current = true;                  // the scenes and GL hold the state after frame `shown`
    std::vector<std::string> effectNames; // of every effect's scene, in timeline order
    std::vector<int> effectFlags;         // of every effect's scene (SceneFlags)
    CheckpointStore store;
    TextureTrack captured, feedback;
    TexturePixels black; // both textures as built
};

} // namespace authoring
