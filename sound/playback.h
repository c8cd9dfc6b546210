// The renderer: decodes the playing stream into the output's buffers, carries out seeks and
// pauses there (with short fades, so that a pause never clicks), and marks in the stream's
// SegmentMap which music went where. Every member runs with the output locked.
#pragma once

#include "sound/audio_output.h"
#include "sound/mp3_decoder.h"
#include "sound/music_clock.h"

namespace sound {

class Playback final : public Renderer {
public:
    // Fade out on pause and in on resume, in milliseconds.
    static constexpr int kFadeMs = 5;

    explicit Playback(int framesPerSecond) : fadeFrames(framesPerSecond * kFadeMs / 1000) {}

    // Plays `decoder`, already at `musicFrame`, from the next buffer on; runs go to `map`.
    void play(Mp3Decoder& decoder, SegmentMap& map, int64_t musicFrame, uint32_t generation);
    void stop();
    // Moves decoding to `musicFrame` at the next buffer, as the clock's `generation`.
    void seek(int64_t musicFrame, uint32_t generation);
    void setPaused(bool paused);
    // Plays on from `musicFrame` on an output that lost what it was given: fading in, or
    // standing there while paused.
    void resume(int64_t musicFrame, uint32_t generation);

    void render(int16_t* out, int frames, int64_t deviceFrame) override;

private:
    void markRun(int64_t deviceFrame);
    int renderMusic(int16_t* out, int frames);
    void applyGain(int16_t* out, int frames);

    const int fadeFrames;
    Mp3Decoder* decoder = nullptr;
    SegmentMap* map = nullptr;
    int64_t musicFrame = 0; // the music frame of the next frame rendered
    uint32_t generation = 0;
    bool positionChanged = false; // a start or seek not yet marked in the map
    bool pausing = false;         // fading out, or paused
    bool standing = false;        // paused and faded out: silence, the music not moving
    int gainFrames = 0;           // the fade's gain, in frames of fadeFrames
};

} // namespace sound
