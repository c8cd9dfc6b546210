// Measures the music clock as the demo sees it. Plain: plays a generated tone through the sound
// layer, reads FSOUND_Stream_GetTime every millisecond and prints its steps, stalls and drift
// against the monotonic clock. With --sync: plays a click track on a sound server, records its
// null sink's monitor and prints how far the clock is from the clicks heard.
// Usage: clockbench [SECONDS]   (default 10)
//        clockbench --sync [--server pulseaudio|pipewire] [--cold|--warm] [--runs N]
//                   [--scenario play|seek|pause|kill|restart] [SECONDS]
//   Without --server, the server that PULSE_SERVER names (which needs a sink named nullsink).
//   --cold starts a fresh private server for every run; --warm (the default) one for all runs,
//   after a first run that is not counted.
#include "sound/sound.h"
#include "sound/sound_diagnostics.h"
#include "tools/benches/clockbench/sync_probe.h"
#include "tools/lib/common/tool_info.h"
#include "tools/lib/mp3tone/mp3_tone.h"
#include "tools/lib/servers/private_servers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    long reads = 0;
    int largestStep = 0;
    int largestBackwardStep = 0;
    double largestStepBeyondWall = 0; // a step minus the wall time between its two reads
    double largestReadGapMs = 0;
    double longestStallMs = 0; // wall time across which the clock did not move
    int finalPosition = 0;
    double wallMs = 0;
    int positionAtOneSecond = -1;
    double wallAtOneSecondMs = 0;
};

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

Figures measure(FSOUND_STREAM* stream, double seconds) {
    Figures figures;
    Clock::time_point start = Clock::now();
    int previous = FSOUND_Stream_GetTime(stream);
    Clock::time_point previousRead = start;
    Clock::time_point lastChange = start;
    Clock::time_point next = start;
    for (;;) {
        next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(next);
        int position = FSOUND_Stream_GetTime(stream);
        Clock::time_point now = Clock::now();
        ++figures.reads;
        figures.largestStep = std::max(figures.largestStep, position - previous);
        figures.largestBackwardStep = std::max(figures.largestBackwardStep, previous - position);
        double gapMs = millisecondsBetween(previousRead, now);
        figures.largestReadGapMs = std::max(figures.largestReadGapMs, gapMs);
        figures.largestStepBeyondWall =
            std::max(figures.largestStepBeyondWall, position - previous - gapMs);
        if (position != previous) {
            lastChange = now;
        }
        figures.longestStallMs =
            std::max(figures.longestStallMs, millisecondsBetween(lastChange, now));
        double wallMs = millisecondsBetween(start, now);
        if (figures.positionAtOneSecond < 0 && wallMs >= 1000) {
            figures.positionAtOneSecond = position;
            figures.wallAtOneSecondMs = wallMs;
        }
        previous = position;
        previousRead = now;
        if (wallMs >= seconds * 1000) {
            figures.finalPosition = position;
            figures.wallMs = wallMs;
            return figures;
        }
    }
}

void print(const Figures& figures) {
    double drift = 100.0 * (figures.finalPosition - figures.wallMs) / figures.wallMs;
    double settledWallMs = figures.wallMs - figures.wallAtOneSecondMs;
    double settledDrift = 100.0 *
                          ((figures.finalPosition - figures.positionAtOneSecond) - settledWallMs) /
                          settledWallMs;
    std::printf("reads:                  %ld over %.3f s (largest gap between reads %.2f ms)\n",
                figures.reads, figures.wallMs / 1000, figures.largestReadGapMs);
    std::printf("largest step:           %d ms\n", figures.largestStep);
    std::printf("largest step beyond the wall time between its reads: %.2f ms\n",
                figures.largestStepBeyondWall);
    std::printf("largest backward step:  %d ms\n", figures.largestBackwardStep);
    std::printf("longest stall:          %.2f ms of wall time without the clock advancing\n",
                figures.longestStallMs);
    std::printf("drift:                  clock %d ms against wall %.1f ms: %+.3f%%\n",
                figures.finalPosition, figures.wallMs, drift);
    std::printf("drift after 1 s:        %+.3f%%\n", settledDrift);
}

struct SyncOptions {
    bool privateServer = false;
    servers::SoundServerKind kind = servers::SoundServerKind::kPulseAudio;
    bool cold = false;
    int runs = 1;
    syncprobe::Scenario scenario = syncprobe::Scenario::kPlay;
    double seconds = 0; // 0: the scenario's own
};

// Long enough for a few clicks after the scenario's action; a restarted PulseAudio's null sink
// plays nothing for its first two seconds.
double defaultSeconds(syncprobe::Scenario scenario) {
    return scenario == syncprobe::Scenario::kRestart ? 7 : 4;
}

bool parseScenario(const char* name, syncprobe::Scenario& scenario) {
    for (syncprobe::Scenario candidate :
         {syncprobe::Scenario::kPlay, syncprobe::Scenario::kSeek, syncprobe::Scenario::kPause,
          syncprobe::Scenario::kKill, syncprobe::Scenario::kRestart}) {
        if (std::strcmp(name, syncprobe::scenarioName(candidate)) == 0) {
            scenario = candidate;
            return true;
        }
    }
    return false;
}

bool parseSync(int argc, char** argv, SyncOptions& options) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--server" && hasValue) {
            options.privateServer = true;
            std::string name = argv[++i];
            if (name != "pulseaudio" && name != "pipewire") {
                return false;
            }
            options.kind = name == "pipewire" ? servers::SoundServerKind::kPipeWire
                                              : servers::SoundServerKind::kPulseAudio;
        } else if (arg == "--cold" || arg == "--warm") {
            options.cold = arg == "--cold";
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--scenario" && hasValue) {
            if (!parseScenario(argv[++i], options.scenario)) {
                return false;
            }
        } else if (arg[0] != '-') {
            options.seconds = std::atof(arg.c_str());
        } else {
            return false;
        }
    }
    if (options.seconds == 0) {
        options.seconds = defaultSeconds(options.scenario);
    }
    return options.runs >= 1 && options.seconds >= 3;
}

// One measured run, on `server` when there is one; false when the run could not happen.
bool syncRun(const SyncOptions& options, servers::PrivateSoundServer* server, int number) {
    syncprobe::RunOptions run;
    run.scenario = options.scenario;
    run.seconds = options.seconds;
    run.killServer = [server] {
        if (server != nullptr) {
            server->kill();
        }
    };
    run.restartServer = [server] {
        std::string why = server != nullptr ? server->restart() : "no server of its own";
        if (!why.empty()) {
            std::fprintf(stderr, "clockbench: restart: %s\n", why.c_str());
        }
        return server != nullptr && server->running();
    };
    syncprobe::Figures figures = syncprobe::measure(run);
    if (std::getenv("CLOCKBENCH_CLICKS") != nullptr) {
        for (const syncprobe::ClickError& click : figures.clicks) {
            std::printf("  click heard at %8.1f ms: music %7.1f ms, error %+6.1f ms\n",
                        click.heardMs, click.musicMs, click.errorMs);
        }
    }
    std::printf("-- run %d (%s, %s)\n%s", number, syncprobe::scenarioName(options.scenario),
                options.cold ? "cold" : "warm", syncprobe::describe(figures).c_str());
    if (options.scenario == syncprobe::Scenario::kKill ||
        options.scenario == syncprobe::Scenario::kRestart) {
        std::printf("after the kill:              clock at %.4f x real time; at the end on real "
                    "time: %s\n",
                    figures.rateAfterKill, figures.clockLeftServer ? "yes" : "no");
    }
    if (options.scenario == syncprobe::Scenario::kRestart) {
        std::printf("once the server answers:     its sink plays after %.0f ms, the music after "
                    "%.0f ms\n"
                    "clicks heard after it:       %d, worst error %+.1f ms\n",
                    figures.sinkBackMs, figures.musicBackMs, figures.clicksAfterReturn,
                    figures.worstErrorAfterReturnMs);
    }
    return figures.ok;
}

int syncMain(const SyncOptions& options) {
    std::unique_ptr<servers::PrivateSoundServer> server;
    for (int number = options.cold ? 1 : 0; number <= options.runs; ++number) {
        if (options.privateServer && (server == nullptr || options.cold || !server->running())) {
            server = std::make_unique<servers::PrivateSoundServer>();
            std::string why = server->start(options.kind);
            if (!why.empty()) {
                std::fprintf(stderr, "clockbench: %s: %s\n", servers::soundServerName(options.kind),
                             why.c_str());
                return 1;
            }
            setenv("PULSE_SERVER", server->address().c_str(), 1);
        }
        if (number == 0) { // the warm-up run
            syncprobe::RunOptions warmUp;
            warmUp.seconds = 3;
            syncprobe::measure(warmUp);
            continue;
        }
        if (!syncRun(options, server.get(), number)) {
            return 1;
        }
    }
    return 0;
}

const char kUsage[] =
    "Usage: clockbench [SECONDS]\n"
    "       clockbench --sync [--server pulseaudio|pipewire] [--cold|--warm] [--runs N]\n"
    "                  [--scenario play|seek|pause|kill|restart] [SECONDS]\n"
    "Plays a generated tone for SECONDS (at least 2, default 10) and prints how the music clock\n"
    "steps, stalls and drifts against the monotonic clock. With --sync, plays a click track on a\n"
    "sound server (a private one with --server), records its null sink's monitor and prints how\n"
    "far the clock is from the clicks heard.\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n";

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && answerInfoRequest(infoRequest(argv[1]), "clockbench", kUsage))
        return 0;
    if (argc > 1 && std::strcmp(argv[1], "--sync") == 0) {
        SyncOptions options;
        if (!parseSync(argc, argv, options)) {
            std::fprintf(stderr, "usage: clockbench --sync [--server pulseaudio|pipewire] "
                                 "[--cold|--warm] [--runs N] "
                                 "[--scenario play|seek|pause|kill|restart] [SECONDS >= 3]\n");
            return 2;
        }
        return syncMain(options);
    }
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (seconds < 2) {
        std::fprintf(stderr, "clockbench: SECONDS must be at least 2\n");
        return 2;
    }
    std::string path = "/tmp/clockbench-" + std::to_string(getpid()) + ".mp3";
    mp3tone::ToneOptions tone;
    tone.seconds = seconds + 1;
    if (!mp3tone::writeTone(path, tone)) {
        return 1;
    }
    if (!FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags)) {
        std::fprintf(stderr, "clockbench: sound start-up failed: error %d\n", FSOUND_GetError());
        std::remove(path.c_str());
        return 1;
    }
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), sound::kStreamMode, 0, 0);
    std::remove(path.c_str());
    if (stream == nullptr) {
        std::fprintf(stderr, "clockbench: %s: error %d\n", path.c_str(), FSOUND_GetError());
        FSOUND_Close();
        return 1;
    }
    std::printf("output:                 %s%s\n", sound::outputDriverName(),
                sound::outputIsSilent() ? " (silent)" : "");
    FSOUND_Stream_Play(-1, stream);
    FSOUND_Stream_SetTime(stream, 0);
    Figures figures = measure(stream, seconds);
    FSOUND_Stream_Close(stream);
    FSOUND_Close();
    print(figures);
    return 0;
}
