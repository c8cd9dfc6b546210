// The FSOUND_* calls: lifecycle, streams, and the audio callback that decodes the playing one.
// Every call but the callback runs on the host's main thread.
#include "sound/sound.h"

#include "sound/audio_output.h"
#include "sound/mp3_decoder.h"
#include "sound/music_clock.h"
#include "sound/sound_diagnostics.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

struct FSOUND_STREAM {
    FSOUND_STREAM(int framesPerSecond, int64_t latencyFrames, bool followsDevice)
        : clock(framesPerSecond, latencyFrames, followsDevice) {}

    sound::Mp3Decoder decoder;
    sound::MusicClock clock;
    double startMs = 0; // where the next play starts
    // A seek for the audio thread: stream frame = device frame + offset from its next buffer.
    std::atomic<double> seekOffsetFrames{0};
    std::atomic<bool> seekPending{false};
};

namespace {

constexpr float kVersion = 3.70f;
// Moving the decoder by less than this is not worth the click it makes (output frames).
constexpr int64_t kSeekToleranceFrames = 64;

struct SoundSystem {
    sound::AudioOutput output;
    int channels = 0;
    std::vector<FSOUND_STREAM*> streams; // open streams, owned
    FSOUND_STREAM* playing = nullptr;    // changed only with the output locked
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

// Audio thread: applies a seek asked for since the last buffer. The offset already accounts for
// the frames the device still holds, so FSOUND_Stream_SetTime(s, 0) right after play finds the
// decoder where it should be, give or take the moments the calls took; such near misses are left
// alone rather than repeating a millisecond of music.
void applySeek(FSOUND_STREAM& stream) {
    if (!stream.seekPending.exchange(false, std::memory_order_acquire)) {
        return;
    }
    double offset = stream.seekOffsetFrames.load(std::memory_order_relaxed);
    int64_t target = std::llround(stream.clock.framesHanded() + offset);
    if (std::llabs(target - stream.decoder.position()) > kSeekToleranceFrames) {
        stream.decoder.seek(target);
    }
}

// Audio thread, SDL's callback. No locks and no allocation: the decoder works in the buffers
// it made at open, and the clock report is a sequence lock the main thread never holds.
void render(void* context, unsigned char* out, int bytes) {
    int64_t now = sound::monotonicNanoseconds();
    FSOUND_STREAM* stream = static_cast<SoundSystem*>(context)->playing;
    int frames = bytes / sound::kBytesPerFrame;
    int decoded = 0;
    if (stream != nullptr) {
        applySeek(*stream);
        decoded = stream->decoder.read(reinterpret_cast<int16_t*>(out), frames);
        stream->clock.deviceTook(now, frames); // silence past the end counts as played
    }
    std::memset(out + decoded * sound::kBytesPerFrame, 0, bytes - decoded * sound::kBytesPerFrame);
}

void detachPlaying() {
    if (sys->playing == nullptr) {
        return;
    }
    sys->output.lock();
    FSOUND_STREAM* stopped = sys->playing;
    sys->playing = nullptr;
    sys->output.unlock();
    stopped->startMs = stopped->clock.stop(sound::monotonicNanoseconds());
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
    sys = new (std::nothrow) SoundSystem;
    if (sys == nullptr) {
        return fail(sound::kOutOfMemory);
    }
    sys->channels = maxSoftwareChannels;
    if (!sys->output.open(mixrate, render, sys)) {
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
    std::unique_ptr<FSOUND_STREAM> stream(new (std::nothrow) FSOUND_STREAM(
        sys->output.framesPerSecond(), sys->output.latencyFrames(), !sys->output.silent()));
    if (stream == nullptr) {
        fail(sound::kOutOfMemory);
        return nullptr;
    }
    int error = stream->decoder.open(name, sys->output.framesPerSecond());
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
    // The stream is not on the audio thread here, so its decoder and clock are ours to reset.
    int64_t startFrame = std::llround(stream->startMs * sys->output.framesPerSecond() / 1000.0);
    if (!stream->decoder.seek(startFrame)) {
        fail(sound::kPlayFailed);
        return -1;
    }
    stream->seekPending.store(false);
    sys->output.lock();
    stream->clock.start(sound::monotonicNanoseconds(), stream->startMs);
    sys->playing = stream;
    sys->output.unlock();
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
    double offset = stream->clock.seek(sound::monotonicNanoseconds(), ms);
    stream->seekOffsetFrames.store(offset, std::memory_order_relaxed);
    stream->seekPending.store(true, std::memory_order_release);
    return 1;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
    if (!knownStream(stream)) {
        return 0;
    }
    if (!stream->clock.running()) {
        return static_cast<int>(stream->startMs);
    }
    double ms = stream->clock.positionMs(sound::monotonicNanoseconds());
    return ms > 0 ? static_cast<int>(ms) : 0;
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
    sys->output.close();
    delete sys;
    sys = nullptr;
}

namespace sound {

const char* outputDriverName() {
    return sys != nullptr ? sys->output.driverName() : "none";
}

bool outputIsSilent() {
    return sys != nullptr && sys->output.silent();
}

} // namespace sound
