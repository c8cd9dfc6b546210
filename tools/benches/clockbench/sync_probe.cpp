// One sync measurement: a click track through the FSOUND calls as initDemo makes them, the
// clock read every millisecond, the null sink's monitor recorded, and the two compared.
#include "tools/benches/clockbench/sync_probe.h"

#include "sound/audio_output.h"
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "sound/sound_diagnostics.h"
#include "tools/benches/clockbench/monitor_recorder.h"
#include "tools/lib/mp3tone/mp3_tone.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace syncprobe {

namespace {

constexpr int kRate = MonitorRecorder::kFramesPerSecond;
constexpr double kClickIntervalSeconds = 0.5;

struct Read {
    int64_t ns;       // right after the call
    int64_t beforeNs; // right before it
    int ms;
    bool afterSeek; // the first read after one of the scenario's own seeks
};

// The music times of the clicks as the decoder gives them, found as the recording finds them.
std::vector<double> clickMusicMs(const std::string& path) {
    sound::Mp3Decoder decoder;
    std::vector<double> clicks;
    if (decoder.open(path.c_str(), kRate) != sound::kOk) {
        return clicks;
    }
    OnsetFinder finder(kRate);
    std::vector<int64_t> onsets;
    std::vector<int16_t> buffer(4096 * 2);
    int64_t frame = 0;
    int frames = 0;
    while ((frames = decoder.read(buffer.data(), 4096)) > 0) {
        finder.feed(buffer.data(), frames, frame, onsets);
        frame += frames;
    }
    for (int64_t onset : onsets) {
        clicks.push_back(onset * 1000.0 / kRate);
    }
    return clicks;
}

// The clock at monotonic time `ns`, between the reads around it.
double clockAt(const std::vector<Read>& reads, int64_t ns) {
    auto after = std::lower_bound(reads.begin(), reads.end(), ns,
                                  [](const Read& read, int64_t t) { return read.ns < t; });
    if (after == reads.begin() || after == reads.end()) {
        return after == reads.end() ? reads.back().ms : reads.front().ms;
    }
    const Read& before = *(after - 1);
    double fraction = double(ns - before.ns) / double(after->ns - before.ns);
    return before.ms + fraction * (after->ms - before.ms);
}

double nearest(const std::vector<double>& values, double to) {
    double best = values.front();
    for (double value : values) {
        if (std::abs(value - to) < std::abs(best - to)) {
            best = value;
        }
    }
    return best;
}

// Reads the clock every millisecond for `seconds`, doing the scenario's actions on the way. A
// restart runs on a thread of its own, as the demo's frames go on meanwhile; `bringBack` starts
// the server again and whatever records it.
class Driver {
public:
    Driver(FSOUND_STREAM* stream, int channel, const RunOptions& options,
           std::function<void()> bringBack)
        : stream(stream), channel(channel), options(options), bringBack(std::move(bringBack)) {}
    ~Driver() {
        if (restarting.joinable()) {
            restarting.join();
        }
    }

    std::vector<Read> run(Figures& figures) {
        int64_t startNs = sound::monotonicNanoseconds();
        int64_t endNs = startNs + static_cast<int64_t>(options.seconds * 1e9);
        std::chrono::steady_clock::time_point next = std::chrono::steady_clock::now();
        bool seeked = false;
        while (sound::monotonicNanoseconds() < endNs) {
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
            int64_t beforeNs = sound::monotonicNanoseconds();
            int ms = FSOUND_Stream_GetTime(stream);
            int64_t ns = sound::monotonicNanoseconds();
            reads.push_back({ns, beforeNs, ms, seeked});
            seeked = act(ns, ms, figures);
        }
        return reads;
    }

private:
    // Returns whether it seeked.
    bool act(int64_t ns, int ms, Figures& figures) {
        switch (options.scenario) {
        case Scenario::kPlay:
            return false;
        case Scenario::kSeek:
            if (step == 0 && ms >= 1650) { // back by a second, 350 ms before a click
                ++step;
                return FSOUND_Stream_SetTime(stream, 650) != 0;
            }
            if (step == 1 && ms >= 1350) { // forward by 1.3 s
                ++step;
                return FSOUND_Stream_SetTime(stream, 2650) != 0;
            }
            return false;
        case Scenario::kPause:
            if (step == 0 && ms >= 1250) {
                ++step;
                markNs = ns;
                FSOUND_SetPaused(channel, 1);
            } else if (step == 1 && ns - markNs >= 700000000) {
                ++step;
                FSOUND_SetPaused(channel, 0);
            }
            return false;
        case Scenario::kKill:
        case Scenario::kRestart:
            killAndRestart(ns, ms, figures);
            return false;
        }
        return false;
    }

    // The clock's rate is taken from 300 ms after the kill to the end, or to the restart.
    void killAndRestart(int64_t ns, int ms, Figures& figures) {
        if (step == 0 && ms >= 1750) {
            ++step;
            options.killServer();
            killNs = ns;
        } else if (step == 1 && ns - killNs >= 300000000) {
            ++step;
            markNs = ns;
            markMs = ms;
        } else if (step == 2 && options.scenario == Scenario::kRestart &&
                   ns - killNs >= 700000000) {
            ++step;
            restarting = std::thread(bringBack);
        }
        if (step == 2 && ns > markNs) {
            figures.rateAfterKill = (ms - markMs) / ((ns - markNs) / 1e6);
        }
    }

    FSOUND_STREAM* stream;
    int channel;
    const RunOptions& options;
    std::function<void()> bringBack;
    std::thread restarting;
    std::vector<Read> reads;
    int step = 0;
    int64_t markNs = 0;
    int64_t killNs = 0;
    int markMs = 0;
};

void measureSteps(const std::vector<Read>& reads, Figures& figures) {
    figures.reads = static_cast<int>(reads.size());
    for (size_t i = 1; i < reads.size(); ++i) {
        if (reads[i].afterSeek) {
            continue;
        }
        int step = reads[i].ms - reads[i - 1].ms;
        // As much wall time as can have passed between the two calls' own readings, so that
        // the test thread's preemption cannot fake a step.
        double wallMs = (reads[i].ns - reads[i - 1].beforeNs) / 1e6;
        figures.backwardSteps += step < 0;
        figures.largestStepBeyondWallMs = std::max(figures.largestStepBeyondWallMs, step - wallMs);
    }
}

// The longest time the clock stood still once it had left its start, where it waits for the
// music to be heard.
double longestStandMs(const std::vector<Read>& reads) {
    double longest = 0;
    size_t from = 0;
    while (from < reads.size() && reads[from].ms == reads.front().ms) {
        ++from;
    }
    for (size_t i = from + 1; i < reads.size(); ++i) {
        if (reads[i].ms != reads[from].ms) {
            from = i;
        }
        longest = std::max(longest, (reads[i].ns - reads[from].ns) / 1e6);
    }
    return longest;
}

void compareClicks(const std::vector<Read>& reads, const std::vector<int64_t>& heardNs,
                   const std::vector<double>& musicMs, int64_t playNs, Scenario scenario,
                   Figures& figures) {
    for (int64_t ns : heardNs) {
        if (ns < playNs || ns > reads.back().ns) {
            continue;
        }
        double clock = clockAt(reads, ns);
        double music = nearest(musicMs, clock);
        figures.clicks.push_back({(ns - playNs) / 1e6, music, clock - music});
    }
    if (figures.clicks.empty()) {
        return;
    }
    figures.startDelayMs = figures.clicks.front().heardMs;
    figures.firstErrorMs = figures.clicks.front().errorMs;
    for (const ClickError& click : figures.clicks) {
        if (std::abs(click.errorMs) > std::abs(figures.worstErrorMs)) {
            figures.worstErrorMs = click.errorMs;
        }
    }
    const ClickError& first = figures.clicks.front();
    const ClickError& last = figures.clicks.back();
    double wallMs = last.heardMs - first.heardMs;
    if (wallMs > 0 && scenario == Scenario::kPlay) {
        double clockMs = (last.musicMs + last.errorMs) - (first.musicMs + first.errorMs);
        figures.driftPercent = 100.0 * (clockMs - wallMs) / wallMs;
    }
}

// After a restart: the server answered at `answeredNs`; `recorder` recorded it from then on.
void returnFigures(const MonitorRecorder& recorder, int64_t answeredNs, Figures& figures) {
    if (answeredNs < 0) {
        return;
    }
    if (recorder.firstFrameHeardNs() >= 0) {
        figures.sinkBackMs = (recorder.firstFrameHeardNs() - answeredNs) / 1e6;
    }
    if (recorder.firstSoundHeardNs() >= 0) {
        figures.musicBackMs = (recorder.firstSoundHeardNs() - answeredNs) / 1e6;
    }
    for (const ClickError& click : figures.clicks) {
        if (click.heardMs > figures.musicBackMs + (answeredNs - figures.playNs) / 1e6) {
            ++figures.clicksAfterReturn;
            if (std::abs(click.errorMs) > std::abs(figures.worstErrorAfterReturnMs)) {
                figures.worstErrorAfterReturnMs = click.errorMs;
            }
        }
    }
}

void recordingFigures(const MonitorRecorder& recorder, Figures& figures) {
    std::vector<double> delays = recorder.deliveryDelaysMs();
    if (delays.empty()) {
        return;
    }
    std::sort(delays.begin(), delays.end());
    figures.recordLatencyMinMs = delays.front();
    figures.recordLatencyMedianMs = delays[delays.size() / 2];
    figures.recordLatencyMaxMs = delays.back();
    figures.recordArrivalCheckMs = recorder.arrivalCheckMs();
    figures.sinkRatePercent = recorder.sinkRatePercent();
}

} // namespace

const char* scenarioName(Scenario scenario) {
    switch (scenario) {
    case Scenario::kPlay:
        return "play";
    case Scenario::kSeek:
        return "seek";
    case Scenario::kPause:
        return "pause";
    case Scenario::kKill:
        return "kill";
    case Scenario::kRestart:
        return "restart";
    }
    return "?";
}

Figures measure(const RunOptions& options) {
    Figures figures;
    figures.scenario = options.scenario;
    std::string path = "/tmp/solvane-clicks-" + std::to_string(getpid()) + ".mp3";
    mp3tone::ToneOptions tone;
    tone.seconds = options.seconds + 4;
    tone.frequency = 3000;
    tone.clickIntervalSeconds = kClickIntervalSeconds;
    tone.betweenClicksLevel = 0.1;
    std::vector<double> musicMs;
    if (mp3tone::writeTone(path, tone)) {
        musicMs = clickMusicMs(path);
    }
    MonitorRecorder recorder;
    if (musicMs.empty() || !recorder.start(figures.problem)) {
        figures.problem = "recording: " + figures.problem;
        std::remove(path.c_str());
        return figures;
    }
    int64_t initNs = sound::monotonicNanoseconds();
    bool initialised =
        FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags) != 0;
    figures.initMs = (sound::monotonicNanoseconds() - initNs) / 1e6;
    if (!initialised) {
        figures.problem = "FSOUND_Init failed";
        std::remove(path.c_str());
        return figures;
    }
    figures.output = sound::outputDriverName();
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), sound::kStreamMode, 0, 0);
    std::remove(path.c_str());
    if (stream != nullptr) {
        MonitorRecorder afterRestart;
        int64_t answeredNs = -1;
        auto bringBack = [&] {
            if (!options.restartServer()) {
                return;
            }
            answeredNs = sound::monotonicNanoseconds();
            std::string why;
            afterRestart.start(why);
        };
        std::this_thread::sleep_for(std::chrono::duration<double>(options.beforePlaySeconds));
        figures.playNs = sound::monotonicNanoseconds();
        int channel = FSOUND_Stream_Play(-1, stream);
        FSOUND_Stream_SetTime(stream, 0);
        std::vector<Read> reads;
        {
            Driver driver(stream, channel, options, bringBack);
            reads = driver.run(figures);
        }
        figures.clockLeftServer = sound::clockOnRealTime(stream);
        figures.queuedPeriodFrames = sound::queuedPeriodFrames();
        FSOUND_Stream_Close(stream);
        recorder.stop();
        afterRestart.stop();
        measureSteps(reads, figures);
        figures.longestStandMs = longestStandMs(reads);
        std::vector<int64_t> heardNs = recorder.clicksHeardNs();
        for (int64_t ns : afterRestart.clicksHeardNs()) {
            heardNs.push_back(ns);
        }
        compareClicks(reads, heardNs, musicMs, figures.playNs, options.scenario, figures);
        returnFigures(afterRestart, answeredNs, figures);
        recordingFigures(recorder, figures);
        figures.ok = !figures.clicks.empty();
        if (!figures.ok) {
            figures.problem = "no click was heard";
        }
    } else {
        figures.problem = "could not open the click track";
    }
    FSOUND_Close();
    return figures;
}

std::string describe(const Figures& figures) {
    if (!figures.ok) {
        return "no figures: " + figures.problem + "\n";
    }
    char drift[96] = "n/a (not a plain play)";
    if (figures.scenario == Scenario::kPlay) {
        std::snprintf(drift, sizeof drift, "%+.4f %% (first click to last; the sink %+.4f %%)",
                      figures.driftPercent, figures.sinkRatePercent);
    }
    char text[1024];
    std::snprintf(
        text, sizeof text,
        "output %s; %zu clicks heard; FSOUND_Init took %.0f ms; queued period left out: %lld "
        "frames\n"
        "start delay:                 %.1f ms from the play call to the first click\n"
        "error at the first click:    %+.1f ms (+: the clock ahead of the sound)\n"
        "worst error from it on:      %+.1f ms\n"
        "drift:                       %s\n"
        "largest step beyond wall:    %.2f ms\n"
        "backward steps:              %d (in %d reads; seeks not counted)\n"
        "longest stand:               %.1f ms once started (a pause: 700 ms)\n"
        "recording delivered:         %.1f / %.1f / %.1f ms after heard (min/median/max);\n"
        "                             timed by arrival instead, clicks %+.1f ms later\n",
        figures.output.c_str(), figures.clicks.size(), figures.initMs,
        static_cast<long long>(figures.queuedPeriodFrames), figures.startDelayMs,
        figures.firstErrorMs, figures.worstErrorMs, drift, figures.largestStepBeyondWallMs,
        figures.backwardSteps, figures.reads, figures.longestStandMs, figures.recordLatencyMinMs,
        figures.recordLatencyMedianMs, figures.recordLatencyMaxMs, figures.recordArrivalCheckMs);
    return text;
}

} // namespace syncprobe
