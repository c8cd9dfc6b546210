// Records a sound server's null-sink monitor through libpulse and finds the clicks in it, each
// timed on CLOCK_MONOTONIC at the moment the sink played it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;

namespace syncprobe {

// Finds click onsets in interleaved 16-bit stereo: the first sample above a quarter of full
// scale after at least 100 ms below it. Frame indices, fed piece by piece.
class OnsetFinder {
public:
    explicit OnsetFinder(int framesPerSecond) : quietFramesNeeded(framesPerSecond / 10) {}
    void feed(const int16_t* samples, int frames, int64_t firstFrame, std::vector<int64_t>& onsets);

private:
    int quietFramesNeeded;
    int64_t quietFrames = 1 << 30;
};

class MonitorRecorder {
public:
    static constexpr int kFramesPerSecond = 44100;

    MonitorRecorder() = default;
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Connects to the server PULSE_SERVER names and starts recording "nullsink.monitor".
    bool start(std::string& why);
    // Stops recording; the results below are complete after this.
    void stop();

    // Monotonic nanoseconds at which each click was heard.
    std::vector<int64_t> clicksHeardNs() const;
    // When the first frame recorded was heard (the sink played at all), and the first sound
    // above a whisper; -1 when none was.
    int64_t firstFrameHeardNs() const;
    int64_t firstSoundHeardNs() const;
    // How long after a sample was heard the recorder got it, per piece received (ms).
    std::vector<double> deliveryDelaysMs() const;
    // A check on the timing reports that owes them nothing: taking each piece's first sample as
    // heard no earlier than it arrived puts the clicks this much later (ms) than the reports do.
    double arrivalCheckMs() const;
    // How much faster than the monotonic clock the sink played, from the reports (%).
    double sinkRatePercent() const;

private:
    struct Piece {
        int64_t arrivalNs;
        int64_t endFrame; // frames recorded up to the end of this piece
    };
    struct Report {
        int64_t arrivalNs;
        double heardFrame; // the monitor frame being heard when the server measured
    };
    // The heard time of frame 0, from the reports (those within a second of `aroundFrame`).
    double heardOffsetNs(int64_t aroundFrame = -1) const;
    double arrivalOffsetNs() const; // the same from the pieces' arrival
    void takeData();
    void takeTiming();
    static void dataArrived(pa_stream* stream, size_t bytes, void* self);
    static void timingArrived(pa_stream* stream, void* self);
    static void stateChanged(pa_stream* stream, void* self);
    static void contextChanged(pa_context* context, void* self);

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* timingTimer = nullptr;
    OnsetFinder finder{kFramesPerSecond};
    int64_t framesRead = 0;
    int64_t firstSoundFrame = -1;
    std::vector<int64_t> onsetFrames;
    std::vector<Piece> pieces;
    std::vector<Report> reports;
};

} // namespace syncprobe
