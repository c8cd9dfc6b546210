// swap-bench: frames per second and CPU use of the demo's own main loop on the current display,
// with the swap interval at 0 (frames as fast as they come) and at 1 (one per refresh). The two
// take turns in one-second slices, so that both see the same stretch of the demo.
#include "host/demo.h"
#include "host/held_output.h"
#include "host/window_interface.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/servers/private_servers.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

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
    authoring::DemoDirectory demo;
    std::string error = authoring::openDemoDirectory(directory, "", &demo);
    servers::PrivateXvfb xvfb;
    if (error.empty())
        error = xvfb.startIfNeeded();
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

} // namespace

int main(int argc, char** argv) {
    std::string directory = ".";
    int seconds = 5;
    InfoRequest info = InfoRequest::NoInfo;
    std::string error = authoring::readOptions(
        argc, argv, {{}, {"--dir", "--seconds"}}, &info,
        [&](const std::string& name, const std::string& value) -> std::string {
            if (name == "--dir")
                directory = value;
            // Both intervals together stay within the demo's three minutes.
            else if (!authoring::parseCount(value, 1, 80, &seconds))
                return "--seconds " + value + ": expected a whole number from 1 to 80";
            return "";
        });
    if (error.empty() && answerInfoRequest(info, "swap-bench", kUsage))
        return 0;
    if (!error.empty()) {
        std::fprintf(stderr, "swap-bench: %s\n", error.c_str());
        return 2;
    }
    return run(directory, seconds, argc, argv);
}
