// The sound-server output: a libpulse playback stream fed from libpulse's own thread, with the
// frame heard now worked out from the server's timing reports (sound/server_timing.h). When the
// server goes away the output keeps trying to connect, on that thread, and feeds a server that
// answers silence until its stream is heard; then the sound layer takes it back (rejoin). Works
// on PulseAudio and on PipeWire's pulse server.
#include "sound/output_backends.h"
#include "sound/server_timing.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace sound {

namespace {

// What the server buffers for us: enough to ride out a busy moment of the machine, little enough
// that a seek or a pause is heard soon. The server sizes its own buffer to match.
constexpr pa_usec_t kTargetLatencyUsec = 100 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kRefillUsec = 20 * PA_USEC_PER_MSEC;
// How often the server is asked where it plays: at uneven intervals, 20 ms on average (see
// sound/server_timing.cpp); between reports the monotonic clock carries the position on.
constexpr pa_usec_t kTimingMinUsec = 5 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kTimingMaxUsec = 35 * PA_USEC_PER_MSEC;
// A server that has not let us connect and open the stream by then is taken as absent.
constexpr pa_usec_t kConnectTimeoutUsec = 3 * PA_USEC_PER_SEC;
// The longest wait at start-up for the stream's first frame to be heard before open returns.
constexpr pa_usec_t kLiveTimeoutUsec = 3 * PA_USEC_PER_SEC;
// How often a lost server is looked for: a failed attempt costs a socket connect, and a server
// that is back is heard well within a second.
constexpr pa_usec_t kRetryUsec = 250 * PA_USEC_PER_MSEC;
constexpr int kFrameBytes = 4;

class PulseOutput final : public AudioOutput {
public:
    PulseOutput(int framesPerSecond, Renderer& renderer)
        : framesPerSecond(framesPerSecond), renderer(renderer), timing(framesPerSecond) {}
    ~PulseOutput() override;

    bool open(std::string& why);

    void lock() override { pa_threaded_mainloop_lock(loop); }
    void unlock() override { pa_threaded_mainloop_unlock(loop); }
    Hearing heardFrame(int64_t& frame) override;
    bool rejoin(int64_t& nextFrame) override;
    int64_t queuedPeriodFrames() override { return timing.queuedFrames(); }
    const char* name() const override { return "pulse"; }
    bool silent() const override { return false; }

private:
    // Where the connection stands; changed on libpulse's thread, or with the loop locked.
    enum class State {
        kConnecting, // context or stream on the way up, or the stream not heard yet: silence
        kHeard,      // back after a loss and heard: silence until the sound layer rejoins
        kPlaying,    // the renderer feeds the stream
        kLost,       // no server: another attempt every kRetryUsec once we have played
    };

    void connect();
    void openStream();
    void disconnect();
    void fail(const char* why);
    bool streamUp() const { return streamReady || state == State::kLost; }
    bool heardOrLost() const { return timing.heard() || state == State::kLost; }
    void waitUntil(bool (PulseOutput::*done)() const, pa_usec_t timeoutUsec);
    pa_time_event* startTimer(pa_usec_t afterUsec, pa_time_event_cb_t callback);
    void restartTimer(pa_time_event* timer, pa_usec_t afterUsec);
    void freeTimer(pa_time_event*& timer);
    void feed(size_t bytes);
    void takeTiming();

    static void contextChanged(pa_context* context, void* self);
    static void serverDescribed(pa_context*, const pa_server_info* info, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, size_t bytes, void* self);
    static void connectTimedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void*);
    static void retryDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void wakeDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void timingDue(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void*);
    static void timingArrived(pa_stream* stream, void* self);

    const int framesPerSecond;
    Renderer& renderer;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* connectTimer = nullptr; // while the context and stream come up
    pa_time_event* timingTimer = nullptr;
    pa_time_event* retryTimer = nullptr;
    State state = State::kConnecting;
    bool played = false; // open succeeded: a loss from now on is retried
    bool streamReady = false;
    std::string failure;       // why the last attempt failed
    int64_t framesWritten = 0; // across every stream, so that output frames never repeat
    int64_t streamStart = 0;   // the output frame of the current stream's first frame
    ServerTiming timing;
    std::minstd_rand timingJitter;
};

PulseOutput::~PulseOutput() {
    if (loop == nullptr) {
        return;
    }
    lock();
    freeTimer(retryTimer);
    disconnect();
    unlock();
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

// [SECTION] Connecting, and connecting again after a loss

// NOTE: a server can take seconds to play a new stream: PulseAudio's null sink, idle, renders
// two seconds ahead and rewinds only a few milliseconds for a newcomer. Waiting here, while the
// stream plays silence, keeps that delay out of the music's start, where it would hold the
// picture and could pass for a device that plays nothing.
bool PulseOutput::open(std::string& why) {
    loop = pa_threaded_mainloop_new();
    if (loop == nullptr || pa_threaded_mainloop_start(loop) < 0) {
        why = "libpulse could not start its thread";
        return false;
    }
    lock();
    connect();
    waitUntil(&PulseOutput::streamUp, kConnectTimeoutUsec);
    waitUntil(&PulseOutput::heardOrLost, kLiveTimeoutUsec);
    bool opened = state != State::kLost;
    if (opened) {
        state = State::kPlaying;
        played = true;
    } else {
        why = failure;
        disconnect();
    }
    unlock();
    return opened;
}

void PulseOutput::connect() {
    state = State::kConnecting;
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Solvane");
    if (context == nullptr) {
        fail("libpulse could not make a context");
        return;
    }
    pa_context_set_state_callback(context, contextChanged, this);
    connectTimer = startTimer(kConnectTimeoutUsec, connectTimedOut);
    // NOTE: no autospawn. Where nothing runs, a spawned daemon would outlive the demo, and on a
    // machine without a card it would only play into its own null sink.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        fail(nullptr);
    }
}

void PulseOutput::openStream() {
    pa_sample_spec format{PA_SAMPLE_S16NE, static_cast<uint32_t>(framesPerSecond), 2};
    stream = pa_stream_new(context, "Music", &format, nullptr);
    if (stream == nullptr) {
        fail(nullptr);
        return;
    }
    streamStart = framesWritten;
    timing.restart();
    pa_stream_set_state_callback(stream, streamChanged, this);
    pa_stream_set_write_callback(stream, streamWants, this);
    pa_stream_set_latency_update_callback(stream, timingArrived, this);
    pa_buffer_attr buffer;
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatencyUsec, &format));
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRefillUsec, &format));
    buffer.fragsize = static_cast<uint32_t>(-1);
    // ADJUST_LATENCY makes the server size its own buffer to ours. NOTE: no
    // INTERPOLATE_TIMING: libpulse's interpolation reports frames heard before the stream has
    // even started, and moves in 20 ms steps; ServerTiming does the same job exactly.
    if (pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0) {
        fail(nullptr);
    }
}

void PulseOutput::disconnect() {
    freeTimer(connectTimer);
    freeTimer(timingTimer);
    if (stream != nullptr) {
        pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }
    if (context != nullptr) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    streamReady = false;
}

// The attempt or the connection failed; the objects are freed by the next attempt, outside
// libpulse's callbacks, or by open. `why` null: the context's own error.
void PulseOutput::fail(const char* why) {
    if (state == State::kLost) {
        return;
    }
    failure = why != nullptr ? why : pa_strerror(pa_context_errno(context));
    state = State::kLost;
    if (played) {
        if (retryTimer == nullptr) {
            retryTimer = startTimer(kRetryUsec, retryDue);
        } else {
            restartTimer(retryTimer, kRetryUsec);
        }
    }
    pa_threaded_mainloop_signal(loop, 0);
}

// [SECTION] What the sound layer asks

Hearing PulseOutput::heardFrame(int64_t& frame) {
    if (state != State::kPlaying) {
        return Hearing::kLost;
    }
    frame = std::clamp<int64_t>(streamStart + timing.heardAt(monotonicNanoseconds()), streamStart,
                                framesWritten);
    return Hearing::kFrame;
}

bool PulseOutput::rejoin(int64_t& nextFrame) {
    if (state != State::kHeard) {
        return false;
    }
    state = State::kPlaying;
    nextFrame = framesWritten;
    return true;
}

// [SECTION] Waits and timers

void PulseOutput::waitUntil(bool (PulseOutput::*done)() const, pa_usec_t timeoutUsec) {
    pa_usec_t giveUpAt = pa_rtclock_now() + timeoutUsec;
    pa_time_event* wake = startTimer(timeoutUsec, wakeDue);
    while (!(this->*done)() && pa_rtclock_now() < giveUpAt) {
        pa_threaded_mainloop_wait(loop);
    }
    freeTimer(wake);
}

// Timers on the wall clock: libpulse keeps its monotonic ones for a context's, and the retry
// timer outlives every context.
pa_time_event* PulseOutput::startTimer(pa_usec_t afterUsec, pa_time_event_cb_t callback) {
    timeval at;
    pa_timeval_add(pa_gettimeofday(&at), afterUsec);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
    return api->time_new(api, &at, callback, this);
}

void PulseOutput::restartTimer(pa_time_event* timer, pa_usec_t afterUsec) {
    timeval at;
    pa_timeval_add(pa_gettimeofday(&at), afterUsec);
    pa_threaded_mainloop_get_api(loop)->time_restart(timer, &at);
}

void PulseOutput::freeTimer(pa_time_event*& timer) {
    if (timer != nullptr) {
        pa_threaded_mainloop_get_api(loop)->time_free(timer);
        timer = nullptr;
    }
}

// [SECTION] Timing reports and feeding

// libpulse's thread: a timing report. It was measured at its timestamp, on the wall clock that
// a server on this machine shares with us (else libpulse's estimate), so neither the reply's way
// back nor a wait for this thread delays it.
void PulseOutput::takeTiming() {
    const pa_timing_info* report = pa_stream_get_timing_info(stream);
    if (report == nullptr || report->read_index_corrupt) {
        return;
    }
    timeval wallNow;
    int64_t sinceMeasuredUsec = int64_t(pa_timeval_load(pa_gettimeofday(&wallNow))) -
                                int64_t(pa_timeval_load(&report->timestamp));
    int64_t heldFrames = int64_t(report->sink_usec) * framesPerSecond / int64_t(PA_USEC_PER_SEC);
    timing.report(monotonicNanoseconds() - sinceMeasuredUsec * 1000,
                  report->read_index / kFrameBytes, heldFrames, report->playing != 0);
    if (state == State::kConnecting && played && timing.heard()) {
        state = State::kHeard;
    }
    pa_threaded_mainloop_signal(loop, 0);
}

// libpulse's thread, with the loop locked: hands the server what it asks for, frame by frame
// in step with our own count, so that an output frame number means the same on both sides.
void PulseOutput::feed(size_t bytes) {
    while (bytes >= kFrameBytes) {
        void* data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || size < kFrameBytes) {
            return;
        }
        int frames = static_cast<int>(std::min(size, bytes) / kFrameBytes);
        if (state == State::kPlaying) {
            renderer.render(static_cast<int16_t*>(data), frames, framesWritten);
        } else {
            std::memset(data, 0, size_t(frames) * kFrameBytes);
        }
        if (pa_stream_write(stream, data, size_t(frames) * kFrameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            return;
        }
        framesWritten += frames;
        bytes -= size_t(frames) * kFrameBytes;
    }
}

// [SECTION] libpulse's callbacks

void PulseOutput::contextChanged(pa_context* context, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        pa_operation* asking = pa_context_get_server_info(context, serverDescribed, self);
        if (asking != nullptr) {
            pa_operation_unref(asking);
        }
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        output->fail(nullptr);
    }
}

// The stream opens once the server has said what it is. NOTE: PipeWire's pulse server counts as
// read the period it has queued for the graph's next cycle, and its sink latency leaves that
// period out (pipewire-pulse 0.3.65).
void PulseOutput::serverDescribed(pa_context*, const pa_server_info* info, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    if (info == nullptr) {
        output->fail(nullptr);
        return;
    }
    output->timing.setQueuesOnePeriod(std::strstr(info->server_name, "PipeWire") != nullptr);
    output->openStream();
}

void PulseOutput::streamChanged(pa_stream* stream, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY && !output->streamReady) {
        output->streamReady = true;
        output->freeTimer(output->connectTimer);
        output->timingTimer = output->startTimer(0, timingDue);
    } else if (!PA_STREAM_IS_GOOD(state)) {
        output->fail(nullptr);
    }
    pa_threaded_mainloop_signal(output->loop, 0);
}

void PulseOutput::streamWants(pa_stream*, size_t bytes, void* self) {
    static_cast<PulseOutput*>(self)->feed(bytes);
}

void PulseOutput::timingDue(pa_mainloop_api*, pa_time_event* event, const struct timeval*,
                            void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    if (output->state == State::kLost) {
        return;
    }
    std::uniform_int_distribution<pa_usec_t> interval(kTimingMinUsec, kTimingMaxUsec);
    output->restartTimer(event, interval(output->timingJitter));
    pa_operation* asking = pa_stream_update_timing_info(output->stream, nullptr, nullptr);
    if (asking != nullptr) {
        pa_operation_unref(asking);
    }
}

void PulseOutput::timingArrived(pa_stream*, void* self) {
    static_cast<PulseOutput*>(self)->takeTiming();
}

void PulseOutput::connectTimedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*,
                                  void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    if (!output->streamReady) {
        output->fail("the server did not answer");
    }
}

void PulseOutput::retryDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    if (output->state == State::kLost) {
        output->disconnect();
        output->connect();
    }
}

void PulseOutput::wakeDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop, 0);
}

} // namespace

std::unique_ptr<AudioOutput> openPulseOutput(int framesPerSecond, Renderer& renderer,
                                             std::string& why) {
    auto output = std::make_unique<PulseOutput>(framesPerSecond, renderer);
    if (!output->open(why)) {
        return nullptr;
    }
    return output;
}

} // namespace sound
