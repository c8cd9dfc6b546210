// The sound-server output: a libpulse playback stream fed from libpulse's own thread. The
// server's timing reports (read index and sink latency) say which frame the listener hears now.
// Works on PulseAudio and on PipeWire's pulse server.
#include "sound/output_backends.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>

namespace sound {

namespace {

// What the server buffers for us: enough to ride out a busy moment of the machine, little enough
// that a seek or a pause is heard soon. The server sizes its own buffer to match.
constexpr pa_usec_t kTargetLatencyUsec = 100 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kRefillUsec = 20 * PA_USEC_PER_MSEC;
// How often the server is asked where it plays; between reports the position is carried on by
// the monotonic clock.
constexpr pa_usec_t kTimingPeriodUsec = 20 * PA_USEC_PER_MSEC;
// A server that has not let us connect and open the stream by then is taken as absent.
constexpr pa_usec_t kConnectTimeoutUsec = 3 * PA_USEC_PER_SEC;
// The longest wait for the stream's first frame to be heard before open returns anyway.
constexpr pa_usec_t kLiveTimeoutUsec = 3 * PA_USEC_PER_SEC;
constexpr int kFrameBytes = 4;

class PulseOutput final : public AudioOutput {
public:
    PulseOutput(int framesPerSecond, Renderer& renderer)
        : framesPerSecond(framesPerSecond), renderer(renderer) {}
    ~PulseOutput() override;

    bool open(std::string& why);

    void lock() override { pa_threaded_mainloop_lock(loop); }
    void unlock() override { pa_threaded_mainloop_unlock(loop); }
    Hearing heardFrame(int64_t& frame) override;
    const char* name() const override { return "pulse"; }
    bool silent() const override { return false; }

private:
    bool connectContext(std::string& why);
    bool connectStream(std::string& why);
    bool waitForContext();
    bool waitForStream();
    void waitUntilHeard();
    void feed(size_t bytes);
    void takeTiming();

    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, size_t bytes, void* self);
    static void connectTimedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void*);
    static void timingDue(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void*);
    static void timingArrived(pa_stream* stream, void* self);

    const int framesPerSecond;
    Renderer& renderer;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* connectTimer = nullptr; // while connecting
    pa_time_event* timingTimer = nullptr;
    int64_t framesWritten = 0;
    // The timing reports. While the server plays, each gives the monotonic time at which frame
    // 0 was (or would have been) heard; the latest few are kept, see takeTiming.
    bool reportPlaying = false;
    int64_t reportHeardFrame = 0; // at the last report
    std::array<int64_t, 10> frameZeroNs{};
    int frameZeroCount = 0;
    bool timedOut = false;
    bool lost = false; // the connection failed after it was up
};

PulseOutput::~PulseOutput() {
    if (loop == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop);
    for (pa_time_event* timer : {connectTimer, timingTimer}) {
        if (timer != nullptr) {
            pa_threaded_mainloop_get_api(loop)->time_free(timer);
        }
    }
    if (stream != nullptr) {
        pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context != nullptr) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

bool PulseOutput::open(std::string& why) {
    loop = pa_threaded_mainloop_new();
    if (loop == nullptr || pa_threaded_mainloop_start(loop) < 0) {
        why = "libpulse could not start its thread";
        return false;
    }
    lock();
    bool opened = connectContext(why) && connectStream(why);
    if (connectTimer != nullptr) {
        pa_threaded_mainloop_get_api(loop)->time_free(connectTimer);
        connectTimer = nullptr;
    }
    if (opened) {
        waitUntilHeard();
    }
    unlock();
    return opened;
}

// NOTE: a server can take seconds to play a new stream: PulseAudio's null sink, idle, renders
// two seconds ahead and rewinds only a few milliseconds for a newcomer. Waiting here, while the
// stream plays silence, keeps that delay out of the music's start, where it would hold the
// picture and could pass for a device that plays nothing.
void PulseOutput::waitUntilHeard() {
    pa_usec_t giveUpAt = pa_rtclock_now() + kLiveTimeoutUsec;
    while (!lost && !(reportPlaying && reportHeardFrame > 0) && pa_rtclock_now() < giveUpAt) {
        pa_threaded_mainloop_wait(loop); // woken at least every kTimingPeriodUsec
    }
}

bool PulseOutput::connectContext(std::string& why) {
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Solvane");
    if (context == nullptr) {
        why = "libpulse could not make a context";
        return false;
    }
    pa_context_set_state_callback(context, contextChanged, this);
    connectTimer = pa_context_rttime_new(context, pa_rtclock_now() + kConnectTimeoutUsec,
                                         connectTimedOut, this);
    // NOTE: no autospawn. Where nothing runs, a spawned daemon would outlive the demo, and on a
    // machine without a card it would only play into its own null sink.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        why = pa_strerror(pa_context_errno(context));
        return false;
    }
    bool ready = waitForContext();
    if (!ready) {
        why = timedOut ? "the server did not answer" : pa_strerror(pa_context_errno(context));
    }
    return ready;
}

bool PulseOutput::connectStream(std::string& why) {
    pa_sample_spec format{PA_SAMPLE_S16NE, static_cast<uint32_t>(framesPerSecond), 2};
    stream = pa_stream_new(context, "Music", &format, nullptr);
    if (stream == nullptr) {
        why = pa_strerror(pa_context_errno(context));
        return false;
    }
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
    // even started, and moves in 20 ms steps; timingArrived does the same job exactly.
    if (pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0 ||
        !waitForStream()) {
        why = timedOut ? "the server did not answer" : pa_strerror(pa_context_errno(context));
        return false;
    }
    timingTimer = pa_context_rttime_new(context, pa_rtclock_now(), timingDue, this);
    return true;
}

bool PulseOutput::waitForContext() {
    for (;;) {
        pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
            return true;
        }
        if (!PA_CONTEXT_IS_GOOD(state) || timedOut) {
            return false;
        }
        pa_threaded_mainloop_wait(loop);
    }
}

bool PulseOutput::waitForStream() {
    for (;;) {
        pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) {
            return true;
        }
        if (!PA_STREAM_IS_GOOD(state) || timedOut) {
            return false;
        }
        pa_threaded_mainloop_wait(loop);
    }
}

Hearing PulseOutput::heardFrame(int64_t& frame) {
    if (lost) {
        return Hearing::kLost;
    }
    frame = reportHeardFrame;
    if (reportPlaying && frameZeroCount > 0) {
        // The latest moment among the reports: see takeTiming.
        int64_t zeroNs =
            *std::max_element(frameZeroNs.begin(), frameZeroNs.begin() + frameZeroCount);
        frame = static_cast<int64_t>((monotonicNanoseconds() - zeroNs) * 1e-9 * framesPerSecond);
    }
    frame = std::clamp<int64_t>(frame, 0, framesWritten);
    return Hearing::kFrame;
}

// libpulse's thread: a timing report. The server measured it about one transport time before
// it arrived; the frame heard then is the server's read position less what its sink still holds.
//
// NOTE: servers that play in periods report a position that jumps a period at a time
// (PipeWire's pulse server: 21 ms, with a fixed sink latency of under a millisecond), so a
// single report can put the frame heard up to a period ahead. A frame is never heard before its
// period starts, so of the last few reports the one that puts frame 0 latest is the truth.
// A device that slows down or stalls shows at once; one that speeds up after 200 ms.
void PulseOutput::takeTiming() {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (timing == nullptr || timing->read_index_corrupt) {
        return;
    }
    int64_t readFrame = timing->read_index / kFrameBytes;
    int64_t heldFrames = int64_t(timing->sink_usec) * framesPerSecond / int64_t(PA_USEC_PER_SEC);
    int64_t measuredNs = monotonicNanoseconds() - int64_t(timing->transport_usec) * 1000;
    reportHeardFrame = readFrame - heldFrames;
    reportPlaying = timing->playing != 0;
    if (!reportPlaying) {
        frameZeroCount = 0;
    } else {
        int64_t zeroNs = measuredNs - reportHeardFrame * 1000000000 / framesPerSecond;
        if (frameZeroCount < int(frameZeroNs.size())) {
            ++frameZeroCount;
        }
        std::rotate(frameZeroNs.rbegin(), frameZeroNs.rbegin() + 1, frameZeroNs.rend());
        frameZeroNs[0] = zeroNs;
    }
    pa_threaded_mainloop_signal(loop, 0);
}

// libpulse's thread, with the loop locked: hands the server what it asks for, frame by frame
// in step with our own count, so that a device frame number means the same on both sides.
void PulseOutput::feed(size_t bytes) {
    while (bytes >= kFrameBytes) {
        void* data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || size < kFrameBytes) {
            return;
        }
        int frames = static_cast<int>(std::min(size, bytes) / kFrameBytes);
        renderer.render(static_cast<int16_t*>(data), frames, framesWritten);
        if (pa_stream_write(stream, data, size_t(frames) * kFrameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            return;
        }
        framesWritten += frames;
        bytes -= size_t(frames) * kFrameBytes;
    }
}

void PulseOutput::contextChanged(pa_context* context, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        output->lost = true;
    }
    pa_threaded_mainloop_signal(output->loop, 0);
}

void PulseOutput::streamChanged(pa_stream* stream, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        output->lost = true;
    }
    pa_threaded_mainloop_signal(output->loop, 0);
}

void PulseOutput::streamWants(pa_stream*, size_t bytes, void* self) {
    static_cast<PulseOutput*>(self)->feed(bytes);
}

void PulseOutput::timingDue(pa_mainloop_api*, pa_time_event* event, const struct timeval*,
                            void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    if (output->lost) {
        return;
    }
    pa_context_rttime_restart(output->context, event, pa_rtclock_now() + kTimingPeriodUsec);
    pa_threaded_mainloop_signal(output->loop, 0); // waitUntilHeard looks at the time
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
    output->timedOut = true;
    pa_threaded_mainloop_signal(output->loop, 0);
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
