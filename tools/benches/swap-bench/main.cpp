// swap-bench: frames per second and CPU use of the demo's own main loop on the current display,
// with the swap interval at 0 (frames as fast as they come) and at 1 (one per refresh). The two
// take turns in one-second slices, so that both see the same stretch of the demo.
#include "host/demo.h"
#include "host/held_output.h"
#include "host/host_window.h"
#include "tools/lib/common/tool_info.h"
#include "tools/lib/servers/private_servers.h"

#include <GL/gl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const kUsage = R"(Usage: swap-bench [OPTIONS]
Plays the demo in its own main loop on the current display (a private Xvfb when there is none)
and prints frames per second and CPU use with the swap interval at 0, frames drawn as fast as
they come, and at 1, one frame per display refresh. The two take turns in one-second slices.

  --dir DIR       the demo directory (default: the current directory)
  --seconds N     seconds of each, 1 to 80 (default 5)
  -h, --help      show this text
  --version       show the version
)";

using Clock = std::chrono::steady_clock;

struct Measure {
    SwapControl control = kNoSwapControl;
    double wallSeconds = 0, cpuSeconds = 0;
    long frames = 0;
};

// User and system time of every thread of the process: the loop, the driver's and the sound's.
double cpuSecondsSoFar() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Clock::time_point sliceEnd;
long sliceFrames = 0;
bool timelineOver = false;

int timedFrame() {
    ++sliceFrames;
    if (!drawDemo()) {
        timelineOver = true;
        return 0;
    }
    return Clock::now() < sliceEnd ? 1 : 0;
}

void runSlice(int interval, Measure* measure) {
    measure->control = setSwapInterval(interval);
    sliceFrames = 0;
    done = 0;
    double cpuBefore = cpuSecondsSoFar();
    Clock::time_point start = Clock::now();
    sliceEnd = start + std::chrono::seconds(1);
    runMainLoop(timedFrame);
    measure->wallSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    measure->cpuSeconds += cpuSecondsSoFar() - cpuBefore;
    measure->frames += sliceFrames;
}

void printMeasures(const Measure measures[2]) {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("display %s, GL renderer %s\n", std::getenv("DISPLAY"), renderer ? renderer : "?");
    std::printf("interval  through                  seconds   frames/s   CPU %% of one core\n");
    for (int interval = 0; interval < 2; ++interval) {
        const Measure& measure = measures[interval];
        std::printf("%8d  %-22s  %7.1f  %9.1f  %18.0f\n", interval,
                    swapControlName(measure.control), measure.wallSeconds,
                    measure.frames / measure.wallSeconds,
                    100.0 * measure.cpuSeconds / measure.wallSeconds);
    }
    if (measures[0].control == kNoSwapControl && measures[1].control == kNoSwapControl)
        std::printf("GLX offers no swap control here: both rows run at the driver's own pace\n");
}

int run(const std::string& directory, int seconds, int argc, char** argv) {
    if (chdir(directory.c_str()) != 0) {
        std::fprintf(stderr, "swap-bench: --dir %s: %s\n", directory.c_str(), std::strerror(errno));
        return 2;
    }
    servers::PrivateXvfb xvfb;
    std::string error = xvfb.startIfNeeded();
    if (error.empty())
        error = host::openToolWindow("Solvane swap-bench");
    if (!error.empty()) {
        std::fprintf(stderr, "swap-bench: %s\n", error.c_str());
        return 2;
    }
    host::HeldOutput startLines;
    initDemo(argc, argv);
    std::fputs(startLines.release().c_str(), stderr);

    Measure measures[2];
    for (int slice = 0; slice < seconds && !timelineOver; ++slice)
        for (int interval = 0; interval < 2; ++interval)
            runSlice(interval, &measures[interval]);
    printMeasures(measures);
    stopDemo();
    host::closeToolWindow();
    return 0;
}

// Both intervals together stay within the demo's three minutes.
bool parseSeconds(const char* text, int* seconds) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 80)
        return false;
    *seconds = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string directory = ".";
    int seconds = 5;
    for (int i = 1; i < argc; ++i) {
        if (answerInfoRequest(infoRequest(argv[i]), "swap-bench", kUsage))
            return 0;
        std::string name = argv[i];
        if ((name != "--dir" && name != "--seconds") || i + 1 == argc) {
            std::fprintf(stderr, "swap-bench: %s: unknown, or without its value (see --help)\n",
                         argv[i]);
            return 2;
        }
        const char* value = argv[++i];
        if (name == "--dir")
            directory = value;
        else if (!parseSeconds(value, &seconds)) {
            std::fprintf(stderr, "swap-bench: --seconds %s: expected a whole number, 1 to 80\n",
                         value);
            return 2;
        }
    }
    return run(directory, seconds, argc, argv);
}
