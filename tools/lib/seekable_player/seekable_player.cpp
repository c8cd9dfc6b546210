// The demo player on the fixed frame clock, with replays that draw only the pixels that matter.
#include "tools/lib/seekable_player/seekable_player.h"

#include "host/window_interface.h"
#include "scenes/scene_registry.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/timeline_info.h"

#include <GL/gl.h>

#include <algorithm>

namespace authoring {

namespace {

// A scene copies the frame for itself to show in the next one (the blur's feedback).
constexpr int kFeedback = 1 << 16;

} // namespace

SeekablePlayer::SeekablePlayer(const std::string& timelineText, int fps)
    : text(timelineText), player(timeline), clock(fps) {
    // The GL state a new window starts with, which is what a straight run starts from.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    build();
}

SeekablePlayer::~SeekablePlayer() {
    player.teardown();
    glPopClientAttrib();
    glPopAttrib();
}

// NOTE: scenes leave GL state behind for the next frame and the next scene, so a replay
// must start from the state a new window has, not from wherever the last frame left it.
void SeekablePlayer::build() {
    if (player.isBuilt()) {
        player.teardown();
        glPopClientAttrib();
        glPopAttrib();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        resizeGLScene(kWindowWidth, kWindowHeight);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    player.build(text);
    effectNames = effectSceneNames(timeline);
    effectFlags.clear();
    for (const std::string& name : effectNames) {
        const SceneInfo* scene = findScene(name);
        effectFlags.push_back(scene ? scene->flags : 0);
    }
    shown = -1;
}

int64_t SeekablePlayer::frameForSeek(double seconds) const {
    return firstFrameAtOrAfter(millisecondsAtOrAfter(seconds), fps());
}

int64_t SeekablePlayer::frameAt(int64_t milliseconds) const {
    return std::max<int64_t>(0, firstFrameAtOrAfter(milliseconds + 1, fps()) - 1);
}

int64_t SeekablePlayer::lastFrame() const {
    int64_t frame = frameAt(static_cast<int64_t>(end() * 1000.0f));
    while (frame > 0 && player.pastTheEnd(FixedFrameClock::frameMilliseconds(frame, fps())))
        --frame;
    return frame;
}

// What the scenes active in `frame` do with captured frames. kReadsCapture is counted only
// for a reader that paints before any capture of that frame, since only it sees the capture
// of the frame before.
int SeekablePlayer::activeFlags(int64_t frame) const {
    const float seconds = musicSeconds(FixedFrameClock::frameMilliseconds(frame, fps()));
    int flags = 0;
    for (size_t i = 0; i < timeline.effects.size(); ++i) {
        if (!timeline.effects[i]->activeAt(seconds))
            continue;
        int scene = effectFlags[i];
        if ((scene & kReadsCapture) && (flags & kWritesCapture))
            scene &= ~kReadsCapture;
        flags |= scene;
        if ((scene & kCopiesFrame) && !(scene & kWritesCapture))
            flags |= kFeedback;
    }
    return flags;
}

// Which of the frames `first` to `target` must be drawn with their pixels: the target, and
// every frame whose copy into a texture a later frame that matters shows. Worked backwards:
// a capture is seen until the next capture replaces it, the blur's copy by the blur's next
// frame, however far on.
std::vector<bool> SeekablePlayer::pixelsThatMatter(int64_t first, int64_t target) const {
    const size_t count = static_cast<size_t>(target - first + 1);
    std::vector<int> flags(count);
    for (size_t i = 0; i < count; ++i)
        flags[i] = activeFlags(first + static_cast<int64_t>(i));
    std::vector<bool> matters(count, false);
    matters[count - 1] = true;
    bool captureSeen = false, feedbackSeen = false; // after the frame being looked at
    for (size_t i = count - 1; i-- > 0;) {
        const int next = flags[i + 1];
        captureSeen =
            ((next & kReadsCapture) && matters[i + 1]) || (!(next & kWritesCapture) && captureSeen);
        feedbackSeen =
            ((next & kFeedback) && matters[i + 1]) || (!(next & kFeedback) && feedbackSeen);
        matters[i] = ((flags[i] & kWritesCapture) && captureSeen) ||
                     ((flags[i] & kFeedback) && feedbackSeen);
    }
    return matters;
}

void SeekablePlayer::drawFrame(int64_t frame, bool visible) {
    const float seconds = musicSeconds(FixedFrameClock::frameMilliseconds(frame, fps()));
    const bool scissored = !visible;
    if (scissored) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 0, 0);
    }
    player.drawAt(seconds);
    if (scissored)
        glDisable(GL_SCISSOR_TEST);
    shown = frame;
}

bool SeekablePlayer::moveTo(int64_t target) {
    if (target == shown)
        return false;
    if (target < shown)
        build();
    const int64_t first = shown + 1;
    const std::vector<bool> matters = pixelsThatMatter(first, target);
    for (int64_t frame = first; frame <= target; ++frame)
        drawFrame(frame, matters[static_cast<size_t>(frame - first)]);
    return true;
}

void SeekablePlayer::reload(const std::string& timelineText) {
    text = timelineText;
    const int64_t at = std::max<int64_t>(shown, 0);
    build();
    moveTo(at);
}

std::vector<std::string> SeekablePlayer::activeEffects() const {
    std::vector<int> active;
    authoring::activeEffects(timeline, musicSeconds(milliseconds()), &active);
    std::vector<std::string> names;
    for (int index : active)
        names.push_back(effectNames[static_cast<size_t>(index)]);
    return names;
}

std::vector<float> SeekablePlayer::boundaries() const {
    std::vector<float> times;
    for (const tarvo64k::Effect* effect : timeline.effects) {
        times.push_back(effect->start);
        times.push_back(effect->end);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

} // namespace authoring
