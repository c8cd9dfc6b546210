// The demo player on the fixed frame clock, with checkpoints to jump from and replays that
// draw only the pixels that matter.
#include "tools/lib/seekable_player/seekable_player.h"

#include "gfx/capture_texture.h"
#include "gfx/png_loader.h"
#include "host/window_interface.h"
#include "scenes/scene_table.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/timeline_info.h"
#include "tools/lib/seekable_player/timeline_difference.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace authoring {

namespace {

// A scene copies the frame for itself to show in the next one (the blur's feedback).
constexpr int kFeedback = 1 << 16;
// Frames drawn between two questions whether to give a replay up.
constexpr int64_t kFramesBetweenInterrupts = 8;
// Times where two timelines part are compared in floats; a frame this close before one is
// drawn again too.
constexpr float kPartingMargin = 0.001f;

// Only the frame's texels (the preview draws at pixel scale 1): copies never write the rest,
// which stays as first uploaded. Rows of 2400 and 3072 bytes need no care for the pixel store
// alignment.
TexturePixels readTexture(unsigned int name) {
    std::vector<unsigned char> square(captureBytes());
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, square.data());
    constexpr size_t row = 3 * kCapturedWidth;
    auto frame = std::make_shared<std::vector<unsigned char>>(row * kCapturedHeight);
    for (size_t y = 0; y < kCapturedHeight; ++y)
        std::copy_n(square.data() + y * 3 * captureSize(), row, frame->data() + y * row);
    return frame;
}

void writeTexture(unsigned int name, const TexturePixels& pixels) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kCapturedWidth, kCapturedHeight, GL_RGB,
                    GL_UNSIGNED_BYTE, pixels->data());
}

} // namespace

SeekablePlayer::SeekablePlayer(const std::string& timelineText, int fps, size_t checkpointBudget)
    : text(timelineText), player(timeline), clock(fps), store(checkpointBudget, fps),
      black(std::make_shared<std::vector<unsigned char>>(3 * kCapturedWidth * kCapturedHeight)) {
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

// NOTE: scenes leave GL state behind for the next frame and the next scene, so a build must
// start from the state a new window has, not from wherever the last frame left it. Building
// makes new textures, so no checkpoint of the old build stays.
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
    readEffectFlags();
    shown = -1;
    current = true;
    captured = feedback = {black, true, false};
    store.clear();
    takeCheckpoint();
}

void SeekablePlayer::readEffectFlags() {
    effectNames = effectSceneNames(timeline);
    effectFlags.clear();
    for (const std::string& name : effectNames) {
        const SceneInfo* scene = findScene(name);
        effectFlags.push_back(scene ? scene->flags : 0);
    }
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
// frame, however far on. Also says whether the textures as they were before `first` are seen.
std::vector<bool> SeekablePlayer::pixelsThatMatter(int64_t first, int64_t target,
                                                   bool* captureNeeded,
                                                   bool* feedbackNeeded) const {
    const size_t count = static_cast<size_t>(target - first + 1);
    std::vector<int> flags(count);
    for (size_t i = 0; i < count; ++i)
        flags[i] = activeFlags(first + static_cast<int64_t>(i));
    std::vector<bool> matters(count, false);
    matters[count - 1] = true;
    bool captureSeen = false, feedbackSeen = false; // after the frame being looked at
    for (size_t i = count; i-- > 0;) {
        const int next = flags[i];
        captureSeen =
            ((next & kReadsCapture) && matters[i]) || (!(next & kWritesCapture) && captureSeen);
        feedbackSeen = ((next & kFeedback) && matters[i]) || (!(next & kFeedback) && feedbackSeen);
        if (i > 0)
            matters[i - 1] = ((flags[i - 1] & kWritesCapture) && captureSeen) ||
                             ((flags[i - 1] & kFeedback) && feedbackSeen);
    }
    *captureNeeded = captureSeen;
    *feedbackNeeded = feedbackSeen;
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
    ++drawn;
    // A copy of a frame drawn without its pixels holds whatever the buffer had.
    const int flags = activeFlags(frame);
    if (flags & kWritesCapture)
        captured = {captured.atLastCheckpoint, visible, true};
    if (flags & kFeedback)
        feedback = {feedback.atLastCheckpoint, visible, true};
    if (store.due(frame)) {
        const DemoCheckpoint* there = store.at(frame);
        if (!there || (!there->captured && captured.known) || (!there->feedback && feedback.known))
            takeCheckpoint();
    }
}

void SeekablePlayer::takeCheckpoint() {
    DemoCheckpoint checkpoint;
    checkpoint.frame = shown;
    saveSceneStates(&checkpoint.scenes);
    checkpoint.timeline = timeline.playbackState();
    checkpoint.gl = GlSnapshot::take();
    for (auto [track, texture] : {std::make_pair(&captured, render_texture),
                                  std::make_pair(&feedback, feedbackTexture())}) {
        if (!track->known)
            track->atLastCheckpoint = nullptr;
        else if (track->changed || !track->atLastCheckpoint)
            track->atLastCheckpoint = readTexture(texture);
        track->changed = false;
    }
    checkpoint.captured = captured.atLastCheckpoint;
    checkpoint.feedback = feedback.atLastCheckpoint;
    glBindTexture(GL_TEXTURE_2D, static_cast<unsigned int>(checkpoint.gl.boundTexture2d()));
    store.add(std::move(checkpoint));
}

void SeekablePlayer::restore(const DemoCheckpoint& checkpoint) {
    if (checkpoint.captured)
        writeTexture(render_texture, checkpoint.captured);
    if (checkpoint.feedback)
        writeTexture(feedbackTexture(), checkpoint.feedback);
    captured = {checkpoint.captured, checkpoint.captured != nullptr, false};
    feedback = {checkpoint.feedback, checkpoint.feedback != nullptr, false};
    restoreSceneStates(checkpoint.scenes);
    timeline.restorePlaybackState(checkpoint.timeline);
    checkpoint.gl.restore();
    shown = checkpoint.frame;
    current = true;
}

bool SeekablePlayer::restoreCheckpoint(int64_t frame) {
    const DemoCheckpoint* checkpoint = store.at(frame);
    if (checkpoint)
        restore(*checkpoint);
    return checkpoint != nullptr;
}

// A start whose texture contents are unknown serves only a replay that never shows them.
bool SeekablePlayer::canStartFrom(int64_t frame, bool captureKnown, bool feedbackKnown,
                                  int64_t target) const {
    if (captureKnown && feedbackKnown)
        return true;
    bool captureNeeded = false, feedbackNeeded = false;
    pixelsThatMatter(frame + 1, target, &captureNeeded, &feedbackNeeded);
    return (captureKnown || !captureNeeded) && (feedbackKnown || !feedbackNeeded);
}

// Goes on from the frame shown when no usable checkpoint lies between it and the target.
void SeekablePlayer::startFor(int64_t target) {
    const bool fromShown =
        current && shown < target && canStartFrom(shown, captured.known, feedback.known, target);
    const int64_t after = fromShown ? shown : std::numeric_limits<int64_t>::min();
    const DemoCheckpoint* checkpoint =
        store.latestBefore(target, after, [&](const DemoCheckpoint& c) {
            return canStartFrom(c.frame, c.captured != nullptr, c.feedback != nullptr, target);
        });
    if (checkpoint)
        restore(*checkpoint);
    else if (!fromShown)
        build(); // the state as built is always kept, so this is only a safety net
}

bool SeekablePlayer::replayTo(int64_t target, const Interrupt& interrupted) {
    const int64_t first = shown + 1;
    bool captureNeeded = false, feedbackNeeded = false;
    const std::vector<bool> matters =
        pixelsThatMatter(first, target, &captureNeeded, &feedbackNeeded);
    for (int64_t frame = first; frame <= target; ++frame) {
        drawFrame(frame, matters[static_cast<size_t>(frame - first)]);
        if (interrupted && frame < target && (frame - first + 1) % kFramesBetweenInterrupts == 0 &&
            interrupted())
            return false;
    }
    return true;
}

bool SeekablePlayer::moveTo(int64_t target, const Interrupt& interrupted) {
    wanted = target;
    if (current && target == shown)
        return false;
    startFor(target);
    return replayTo(target, interrupted);
}

// The changed pictures into the textures they went into at build, so that the checkpoints
// stay valid up to the first effect of a scene that shows one. NaN when one of them cannot be
// loaded: a build would leave that texture empty, so only a build gives the same frames.
float SeekablePlayer::loadPicturesAgain(const std::vector<std::string>& changed,
                                        const tarvo64k::Script& next) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    std::vector<std::string> scenes;
    bool loaded = true;
    for (const ScenePicture& picture : scenePictures()) {
        if (std::find(changed.begin(), changed.end(), picture.file) == changed.end())
            continue;
        glBindTexture(GL_TEXTURE_2D, picture.texture);
        loaded = loadPng(picture.file) && loaded;
        scenes.push_back(picture.scene);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    if (!loaded)
        return std::numeric_limits<float>::quiet_NaN();
    float first = std::numeric_limits<float>::infinity();
    const std::vector<std::string> names = effectSceneNames(next);
    for (size_t i = 0; i < names.size(); ++i)
        if (std::find(scenes.begin(), scenes.end(), names[i]) != scenes.end())
            first = std::min(first, next.effects[i]->start);
    return first;
}

bool SeekablePlayer::reload(const std::string& timelineText,
                            const std::vector<std::string>& changedPictures,
                            const Interrupt& interrupted) {
    const int64_t at = wantedFrame();
    text = timelineText;
    tarvo64k::Script next;
    registerScenes(next);
    next.parse(text);
    const float picturesShown = changedPictures.empty() ? std::numeric_limits<float>::infinity()
                                                        : loadPicturesAgain(changedPictures, next);
    if (std::isnan(picturesShown)) {
        build();
        moveTo(at, interrupted);
        return shown == at;
    }
    const float parting = std::min(firstDifference(timeline, next), picturesShown) - kPartingMargin;
    const auto before = [&](int64_t frame) {
        return musicSeconds(FixedFrameClock::frameMilliseconds(frame, fps())) < parting;
    };
    int64_t kept = -1;
    for (int64_t frame : store.frames())
        if (frame >= 0 && before(frame))
            kept = frame;
    store.dropFrom(kept + 1);
    store.forEach([&](DemoCheckpoint& checkpoint) {
        checkpoint.timeline.fired =
            carryFiredCounts(timeline, next, parting, checkpoint.timeline.fired);
    });
    tarvo64k::PlaybackState now = timeline.playbackState();
    now.fired = carryFiredCounts(timeline, next, parting, now.fired);
    player.rereadTimeline(text);
    readEffectFlags();
    if (current && before(shown))
        timeline.restorePlaybackState(now); // the state shown is the new timeline's too
    else
        current = false;
    moveTo(at, interrupted);
    return current && shown == at;
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
