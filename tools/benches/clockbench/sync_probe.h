// Measures how far the music clock is from the sound actually heard: plays a click track through
// the sound layer on a sound server, records the server's null-sink monitor, and compares the
// clock at each click heard with that click's music time. Used by clockbench and the sync test.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace syncprobe {

// What a run does to the music while it is measured.
enum class Scenario {
    kPlay,    // plays on from 0
    kSeek,    // seeks back, then forward, mid-play
    kPause,   // pauses for a while, then resumes
    kKill,    // the server is killed mid-play
    kRestart, // the server is killed mid-play and started again 700 ms later
};

const char* scenarioName(Scenario scenario);

struct ClickError {
    double heardMs; // when the click was heard, from the play call
    double musicMs; // the click's music time
    double errorMs; // the clock at that moment less the click's music time: + is ahead
};

struct Figures {
    Scenario scenario = Scenario::kPlay;
    std::string output;       // the output the sound layer chose
    double initMs = 0;        // how long FSOUND_Init took (it waits for the server to play)
    double startDelayMs = -1; // from the play call to the first click heard
    std::vector<ClickError> clicks;
    double firstErrorMs = 0; // at the first click heard
    double worstErrorMs = 0; // largest in size from the first click on, with its sign
    double driftPercent = 0; // clock against the monotonic clock, first click to last
                             // (plain plays only)
    double largestStepBeyondWallMs = 0;
    int backwardSteps = 0; // not counting the scenario's own seeks
    int reads = 0;
    // The recording: how long after a sample was heard the recorder got it (min, median, max),
    // from the server's own timing reports for the monitor.
    double recordLatencyMinMs = 0, recordLatencyMedianMs = 0, recordLatencyMaxMs = 0;
    // The same clicks timed by the pieces' arrival instead: this much later (MonitorRecorder).
    double recordArrivalCheckMs = 0;
    double sinkRatePercent = 0; // the sink's own rate against the monotonic clock
    // The longest the clock stood still once started (the pause's 700 ms, say).
    double longestStandMs = 0;
    // The server's period that the clock leaves out, as the sound layer learnt it (PipeWire).
    int64_t queuedPeriodFrames = 0;
    // Kill: the clock's rate against the monotonic clock after the server died, and whether the
    // clock was on real time at the end.
    double rateAfterKill = 0;
    bool clockLeftServer = false;
    // Restart: from the server answering again to its sink playing anything, and to the music
    // heard; the clicks heard from then on, and the worst error among them.
    double sinkBackMs = -1;
    double musicBackMs = -1;
    int clicksAfterReturn = 0;
    double worstErrorAfterReturnMs = 0;
    int64_t playNs = 0;  // the play call, on the monotonic clock
    bool ok = false;     // the run happened (the sound layer started, clicks were heard)
    std::string problem; // why not
};

struct RunOptions {
    Scenario scenario = Scenario::kPlay;
    double seconds = 4;                  // of wall time measured after the play call
    double beforePlaySeconds = 0;        // between FSOUND_Init and the play call, as the demo loads
    std::function<void()> killServer;    // for Scenario::kKill and kRestart
    std::function<bool()> restartServer; // for Scenario::kRestart
};

// Runs one measurement on the server that PULSE_SERVER names (or libpulse's default).
Figures measure(const RunOptions& options);

// The figures, a few lines for a person.
std::string describe(const Figures& figures);

} // namespace syncprobe
