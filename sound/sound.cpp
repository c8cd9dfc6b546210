// The FSOUND_* calls: lifecycle, streams, pause and the music clock. Every call runs on the
// host's main thread; the output's own thread only renders (sound/playback.cpp).
#include "sound/sound.h"

#include "sound/audio_output.h"
#include "sound/mp3_decoder.h"
#include "sound/music_clock.h"
#include "sound/playback.h"
#include "sound/sound_diagnostics.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

struct FSOUND_STREAM {
    explicit FSOUND_STREAM(int framesPerSecond) : clock(framesPerSecond) {}

    sound::Mp3Decoder decoder;
    sound::SegmentMap runs; // what the output was handed; changed with the output locked
    sound::MusicClock clock;
    double startMs = 0; // where the next play starts
};

namespace {

constexpr float kVersion = 3.70f;

struct SoundSystem {
    explicit SoundSystem(int framesPerSecond)
        : framesPerSecond(framesPerSecond), playback(framesPerSecond) {}

    const int framesPerSecond;
    sound::Playback playback;
    std::unique_ptr<sound::AudioOutput> output; // after playback, which it renders through
    int channels = 0;
    std::vector<FSOUND_STREAM*> streams; // open streams, owned
    FSOUND_STREAM* playing = nullptr;
    int playingChannel = -1;
};

SoundSystem* sys = nullptr;
int lastError = sound::kOk;

bool fail(int error) {
    lastError = error;
    return false;
}

bool knownStream(FSOUND_STREAM* stream) {
    if (sys == nullptr) {
        return fail(sound::kNotInitialised);
    }
    for (FSOUND_STREAM* open : sys->streams) {
        if (open == stream) {
            return true;
        }
    }
    return fail(sound::kInvalidParameter);
}

int64_t toFrames(double ms) {
    return std::llround(ms * sys->framesPerSecond / 1000.0);
}

// Holds the output's lock for a scope: the clock asks the output what is heard, and the
// renderer must not run while the playing stream changes.
class OutputLock {
public:
    OutputLock() { sys->output->lock(); }
    ~OutputLock() { sys->output->unlock(); }
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
};

void detachPlaying() {
    FSOUND_STREAM* stopped = sys->playing;
    if (stopped == nullptr) {
        return;
    }
    OutputLock locked;
    stopped->startMs =
        stopped->clock.stop(sound::monotonicNanoseconds(), *sys->output, stopped->runs);
    sys->playback.stop();
    sys->playing = nullptr;
    sys->playingChannel = -1;
}

// A server that came back after a loss takes the playing stream's music again, placed where the
// clock, on real time meanwhile, will be when the output's next buffer is heard. The clock has
// seen the loss by now: it is read before this.
void rejoinServer(int64_t nowNs) {
    int64_t nextFrame = 0;
    if (!sys->output->rejoin(nextFrame)) {
        return;
    }
    std::fprintf(stderr, "sound: the sound server is back; the music plays again\n");
    FSOUND_STREAM* stream = sys->playing;
    if (stream == nullptr) {
        return;
    }
    int64_t heard = nextFrame;
    sys->output->heardFrame(heard);
    sound::MusicClock::Rejoined rejoined =
        stream->clock.rejoin(nowNs, (nextFrame - heard) * 1000.0 / sys->framesPerSecond);
    sys->playback.resume(toFrames(rejoined.musicMs), rejoined.generation);
}

void freeStream(FSOUND_STREAM* stream) {
    if (sys->playing == stream) {
        detachPlaying();
    }
    delete stream;
}

} // namespace

float FSOUND_GetVersion() {
    return kVersion;
}

signed char FSOUND_Init(int mixrate, int maxSoftwareChannels, unsigned int /*flags*/) {
    if (sys != nullptr) {
        return fail(sound::kAlreadyInitialised);
    }
    if (mixrate < 8000 || mixrate > 192000 || maxSoftwareChannels < 1) {
        return fail(sound::kInvalidParameter);
    }
    sys = new (std::nothrow) SoundSystem(mixrate);
    if (sys == nullptr) {
        return fail(sound::kOutOfMemory);
    }
    sys->channels = maxSoftwareChannels;
    sys->output = sound::openAudioOutput(mixrate, sys->playback);
    if (sys->output == nullptr) {
        delete sys;
        sys = nullptr;
        return fail(sound::kOutputInitFailed);
    }
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int /*mode*/, int offset, int length) {
    if (sys == nullptr) {
        fail(sound::kNotInitialised);
        return nullptr;
    }
    if (name == nullptr || offset != 0 || length != 0) {
        fail(sound::kInvalidParameter);
        return nullptr;
    }
    std::unique_ptr<FSOUND_STREAM> stream(new (std::nothrow) FSOUND_STREAM(sys->framesPerSecond));
    if (stream == nullptr) {
        fail(sound::kOutOfMemory);
        return nullptr;
    }
    int error = stream->decoder.open(name, sys->framesPerSecond);
    if (error != sound::kOk) {
        fail(error);
        return nullptr;
    }
    sys->streams.push_back(stream.get());
    return stream.release();
}

int FSOUND_GetError() {
    return lastError;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    if (!knownStream(stream)) {
        return -1;
    }
    if (channel < -1 || channel >= sys->channels) {
        fail(sound::kInvalidParameter);
        return -1;
    }
    int used = channel < 0 ? 0 : channel;
    if (sys->playing == stream) {
        return used;
    }
    detachPlaying();
    // The stream is not on the output's thread here, so its decoder is ours to move.
    int64_t startFrame = toFrames(stream->startMs);
    if (!stream->decoder.seek(startFrame)) {
        fail(sound::kPlayFailed);
        return -1;
    }
    OutputLock locked;
    uint32_t generation =
        stream->clock.start(sound::monotonicNanoseconds(), stream->startMs, !sys->output->silent());
    sys->playback.play(stream->decoder, stream->runs, startFrame, generation);
    sys->playing = stream;
    sys->playingChannel = used;
    return used;
}

signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms) {
    if (!knownStream(stream)) {
        return 0;
    }
    if (ms < 0) {
        return fail(sound::kInvalidParameter);
    }
    if (!stream->clock.running()) {
        stream->startMs = ms;
        return 1;
    }
    OutputLock locked;
    uint32_t generation = stream->clock.seek(sound::monotonicNanoseconds(), ms);
    sys->playback.seek(toFrames(ms), generation);
    return 1;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
    return static_cast<int>(std::min<int64_t>(sound::streamTimeMs(stream), INT_MAX));
}

signed char FSOUND_SetPaused(int channel, signed char paused) {
    if (sys == nullptr) {
        return fail(sound::kNotInitialised);
    }
    if (sys->playing == nullptr || channel != sys->playingChannel) {
        return fail(sound::kInvalidParameter);
    }
    OutputLock locked;
    sys->playing->clock.setPaused(sound::monotonicNanoseconds(), paused != 0);
    sys->playback.setPaused(paused != 0);
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!knownStream(stream)) {
        return 0;
    }
    for (size_t i = 0; i < sys->streams.size(); ++i) {
        if (sys->streams[i] == stream) {
            sys->streams.erase(sys->streams.begin() + i);
            break;
        }
    }
    freeStream(stream);
    return 1;
}

void FSOUND_Close() {
    if (sys == nullptr) {
        return;
    }
    for (FSOUND_STREAM* stream : sys->streams) {
        freeStream(stream);
    }
    sys->output.reset();
    delete sys;
    sys = nullptr;
}

namespace sound {

int64_t streamTimeMs(FSOUND_STREAM* stream) {
    if (!knownStream(stream)) {
        return 0;
    }
    double ms = stream->startMs;
    if (stream->clock.running()) {
        OutputLock locked;
        int64_t nowNs = monotonicNanoseconds();
        stream->clock.positionMs(nowNs, *sys->output, stream->runs);
        rejoinServer(nowNs);
        ms = stream->clock.positionMs(nowNs, *sys->output, stream->runs);
    }
    // A double from 2^63 on has no int64_t; no run lasts that long, but a cast would be undefined.
    return ms <= 0 ? 0 : ms >= 9e18 ? INT64_MAX : static_cast<int64_t>(ms);
}

const char* outputDriverName() {
    return sys != nullptr ? sys->output->name() : "none";
}

bool outputIsSilent() {
    return sys != nullptr && sys->output->silent();
}

bool clockOnRealTime(FSOUND_STREAM* stream) {
    return knownStream(stream) && stream->clock.onRealTime();
}

int64_t queuedPeriodFrames() {
    if (sys == nullptr) {
        return 0;
    }
    OutputLock locked;
    return sys->output->queuedPeriodFrames();
}

} // namespace sound
