// The monitor recorder. Each click is timed from the server's timing reports for the record
// stream: at a report, the frame being heard is the write index plus what the source and the
// transport still hold, less what the sink holds beyond the monitor (libpulse's own formula for
// a monitor's stream time). The reports agree with one another to a fraction of a millisecond,
// so those of the second around a frame map it to the moment it was heard.
#include "tools/benches/clockbench/monitor_recorder.h"

#include "sound/audio_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace syncprobe {

namespace {

constexpr pa_usec_t kTimingPeriodUsec = 10 * PA_USEC_PER_MSEC;
constexpr int kThreshold = 32767 / 4;
constexpr int kWhisper = 32767 / 64;

int64_t firstAbove(const int16_t* samples, int frames, int level) {
    for (int i = 0; i < frames; ++i) {
        if (std::abs(int(samples[2 * i])) > level) {
            return i;
        }
    }
    return -1;
}

void askTiming(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* stream) {
    auto* recording = static_cast<pa_stream*>(stream);
    if (pa_stream_get_state(recording) != PA_STREAM_READY) {
        return;
    }
    pa_context_rttime_restart(pa_stream_get_context(recording), event,
                              pa_rtclock_now() + kTimingPeriodUsec);
    pa_operation* asking = pa_stream_update_timing_info(recording, nullptr, nullptr);
    if (asking != nullptr) {
        pa_operation_unref(asking);
    }
}

} // namespace

void OnsetFinder::feed(const int16_t* samples, int frames, int64_t firstFrame,
                       std::vector<int64_t>& onsets) {
    for (int i = 0; i < frames; ++i) {
        if (std::abs(int(samples[2 * i])) < kThreshold) {
            ++quietFrames;
            continue;
        }
        if (quietFrames >= quietFramesNeeded) {
            onsets.push_back(firstFrame + i);
        }
        quietFrames = 0;
    }
}

MonitorRecorder::~MonitorRecorder() {
    stop();
}

bool MonitorRecorder::start(std::string& why) {
    loop = pa_threaded_mainloop_new();
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Solvane sync probe");
    pa_context_set_state_callback(context, contextChanged, this);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop) < 0) {
        why = pa_strerror(pa_context_errno(context));
        return false;
    }
    pa_threaded_mainloop_lock(loop);
    while (pa_context_get_state(context) != PA_CONTEXT_READY &&
           PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        pa_threaded_mainloop_wait(loop);
    }
    bool ready = pa_context_get_state(context) == PA_CONTEXT_READY;
    if (ready) {
        pa_sample_spec format{PA_SAMPLE_S16NE, kFramesPerSecond, 2};
        stream = pa_stream_new(context, "Monitor", &format, nullptr);
        pa_stream_set_state_callback(stream, stateChanged, this);
        pa_stream_set_read_callback(stream, dataArrived, this);
        pa_stream_set_latency_update_callback(stream, timingArrived, this);
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<uint32_t>(-1);
        buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(2 * PA_USEC_PER_MSEC, &format));
        pa_stream_connect_record(stream, "nullsink.monitor", &buffer, PA_STREAM_ADJUST_LATENCY);
        while (pa_stream_get_state(stream) == PA_STREAM_CREATING) {
            pa_threaded_mainloop_wait(loop);
        }
        ready = pa_stream_get_state(stream) == PA_STREAM_READY;
        if (ready) {
            timingTimer = pa_context_rttime_new(context, pa_rtclock_now(), askTiming, stream);
        }
    }
    if (!ready) {
        why = pa_strerror(pa_context_errno(context));
    }
    pa_threaded_mainloop_unlock(loop);
    return ready;
}

void MonitorRecorder::stop() {
    if (loop == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop);
    if (timingTimer != nullptr) {
        pa_threaded_mainloop_get_api(loop)->time_free(timingTimer);
    }
    if (stream != nullptr) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
    stream = nullptr;
    context = nullptr;
    timingTimer = nullptr;
}

void MonitorRecorder::takeData() {
    int64_t arrival = sound::monotonicNanoseconds();
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 &&
           bytes > 0) {
        int frames = static_cast<int>(bytes / 4);
        if (data != nullptr) {
            auto* samples = static_cast<const int16_t*>(data);
            finder.feed(samples, frames, framesRead, onsetFrames);
            int64_t sound = firstSoundFrame < 0 ? firstAbove(samples, frames, kWhisper) : -1;
            firstSoundFrame = sound >= 0 ? framesRead + sound : firstSoundFrame;
        } // a hole is silence
        framesRead += frames;
        pieces.push_back({arrival, framesRead});
        pa_stream_drop(stream);
    }
}

void MonitorRecorder::takeTiming() {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (timing == nullptr || timing->write_index_corrupt) {
        return;
    }
    double heardUsec = double(pa_bytes_to_usec(uint64_t(std::max<int64_t>(0, timing->write_index)),
                                               pa_stream_get_sample_spec(stream))) +
                       double(timing->transport_usec) + double(timing->source_usec) -
                       double(timing->sink_usec);
    reports.push_back({sound::monotonicNanoseconds(), heardUsec * kFramesPerSecond / 1e6});
}

// Servers that record in periods (PipeWire) report a write position that jumps a period at a
// time, which puts frame 0 up to a period early; a report just before a jump is right. The 90th
// percentile takes those, and leaves out reports that our thread took late.
double MonitorRecorder::heardOffsetNs(int64_t aroundFrame) const {
    std::vector<double> offsets;
    for (const Report& report : reports) {
        if (aroundFrame >= 0 && std::abs(report.heardFrame - aroundFrame) > kFramesPerSecond) {
            continue;
        }
        offsets.push_back(report.arrivalNs - report.heardFrame * 1e9 / kFramesPerSecond);
    }
    if (offsets.empty()) {
        return 0;
    }
    std::sort(offsets.begin(), offsets.end());
    return offsets[offsets.size() * 9 / 10];
}

double MonitorRecorder::sinkRatePercent() const {
    if (reports.size() < 20) {
        return 0;
    }
    const Report& first = reports[5];
    const Report& last = reports[reports.size() - 5];
    double framesPerSecond =
        (last.heardFrame - first.heardFrame) / ((last.arrivalNs - first.arrivalNs) / 1e9);
    return 100.0 * (framesPerSecond - kFramesPerSecond) / kFramesPerSecond;
}

double MonitorRecorder::arrivalCheckMs() const {
    return (arrivalOffsetNs() - heardOffsetNs()) / 1e6;
}

double MonitorRecorder::arrivalOffsetNs() const {
    double earliest = 1e300;
    int64_t firstFrame = 0;
    for (const Piece& piece : pieces) {
        earliest = std::min(earliest, piece.arrivalNs - firstFrame * 1e9 / kFramesPerSecond);
        firstFrame = piece.endFrame;
    }
    return earliest;
}

std::vector<int64_t> MonitorRecorder::clicksHeardNs() const {
    std::vector<int64_t> heard;
    for (int64_t frame : onsetFrames) {
        double offset = heardOffsetNs(frame);
        heard.push_back(static_cast<int64_t>(offset + frame * 1e9 / kFramesPerSecond));
    }
    return heard;
}

int64_t MonitorRecorder::firstFrameHeardNs() const {
    return pieces.empty() ? -1 : static_cast<int64_t>(heardOffsetNs(0));
}

int64_t MonitorRecorder::firstSoundHeardNs() const {
    if (firstSoundFrame < 0) {
        return -1;
    }
    return static_cast<int64_t>(heardOffsetNs(firstSoundFrame) +
                                firstSoundFrame * 1e9 / kFramesPerSecond);
}

std::vector<double> MonitorRecorder::deliveryDelaysMs() const {
    double offset = heardOffsetNs();
    std::vector<double> delays;
    for (const Piece& piece : pieces) {
        double lastHeardNs = offset + (piece.endFrame - 1) * 1e9 / kFramesPerSecond;
        delays.push_back((piece.arrivalNs - lastHeardNs) / 1e6);
    }
    return delays;
}

void MonitorRecorder::dataArrived(pa_stream*, size_t, void* self) {
    static_cast<MonitorRecorder*>(self)->takeData();
}

void MonitorRecorder::timingArrived(pa_stream*, void* self) {
    static_cast<MonitorRecorder*>(self)->takeTiming();
}

void MonitorRecorder::stateChanged(pa_stream*, void* self) {
    pa_threaded_mainloop_signal(static_cast<MonitorRecorder*>(self)->loop, 0);
}

void MonitorRecorder::contextChanged(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<MonitorRecorder*>(self)->loop, 0);
}

} // namespace syncprobe
