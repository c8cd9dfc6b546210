// The renderer: decoding, seeks and fades on the output's thread. No locks and no allocation:
// the output holds its lock around render, and the decoder works in buffers made at open.
#include "sound/playback.h"

#include <algorithm>
#include <cstring>

namespace sound {

void Playback::play(Mp3Decoder& playing, SegmentMap& runs, int64_t startFrame,
                    uint32_t startGeneration) {
    decoder = &playing;
    map = &runs;
    musicFrame = startFrame;
    generation = startGeneration;
    positionChanged = true;
    pausing = false;
    standing = false;
    gainFrames = fadeFrames;
}

void Playback::stop() {
    decoder = nullptr;
    map = nullptr;
}

void Playback::seek(int64_t frame, uint32_t seekGeneration) {
    musicFrame = frame;
    generation = seekGeneration;
    positionChanged = true;
}

void Playback::setPaused(bool paused) {
    pausing = paused;
}

void Playback::resume(int64_t frame, uint32_t resumeGeneration) {
    seek(frame, resumeGeneration);
    gainFrames = 0; // paused, the fade out is over at once
}

void Playback::markRun(int64_t deviceFrame) {
    map->add({deviceFrame, musicFrame, !standing, generation});
}

void Playback::render(int16_t* out, int frames, int64_t deviceFrame) {
    if (decoder == nullptr) {
        std::memset(out, 0, size_t(frames) * kBytesPerFrame);
        return;
    }
    if (positionChanged) {
        if (decoder->position() != musicFrame) {
            decoder->seek(musicFrame);
        }
        markRun(deviceFrame);
        positionChanged = false;
    }
    int done = 0;
    while (done < frames) {
        if (standing && pausing) {
            std::memset(out + done * kOutputChannels, 0, size_t(frames - done) * kBytesPerFrame);
            return;
        }
        if (standing) { // resuming: the music moves again from here, fading in
            standing = false;
            markRun(deviceFrame + done);
        }
        done += renderMusic(out + done * kOutputChannels, frames - done);
        if (pausing && gainFrames == 0) {
            standing = true;
            markRun(deviceFrame + done);
        }
    }
}

// Decodes up to `frames` frames, no further than the end of a fade-out; returns how many.
// Silence past the end of the music counts as music played.
int Playback::renderMusic(int16_t* out, int frames) {
    if (pausing) {
        frames = std::min(frames, gainFrames);
    }
    int decoded = decoder->read(out, frames);
    std::memset(out + decoded * kOutputChannels, 0, size_t(frames - decoded) * kBytesPerFrame);
    applyGain(out, frames);
    musicFrame += frames;
    return frames;
}

void Playback::applyGain(int16_t* out, int frames) {
    int target = pausing ? 0 : fadeFrames;
    for (int i = 0; i < frames && gainFrames != target; ++i) {
        gainFrames += pausing ? -1 : 1;
        for (int channel = 0; channel < kOutputChannels; ++channel) {
            int16_t& sample = out[i * kOutputChannels + channel];
            sample = static_cast<int16_t>(sample * gainFrames / fadeFrames);
        }
    }
}

} // namespace sound
