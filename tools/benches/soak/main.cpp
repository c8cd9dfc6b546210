// solvane-soak: builds, renders and tears down the whole demo several times in one process
// and prints how its memory behaves, to show that nothing piles up from run to run.
// Exit status: 0 steady, 1 memory grew past the allowance, 2 the run could not be made.
#include "host/demo.h"
#include "host/demo_player.h"
#include "host/held_output.h"
#include "host/window_interface.h"
#include "tools/benches/soak/memory_figures.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/common/tool_info.h"
#include "tools/lib/servers/private_servers.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kGrew = 1, kFailed = 2;

const char* const kUsage = R"(Usage: solvane-soak [OPTIONS]
Builds the demo, renders every frame of its timeline on a fixed clock, tears it all down,
and does it again, in one process with no sound; then prints resident memory and heap use
after each pass. Later passes must not end above the first by more than the allowance.

  --dir DIR       the demo directory (default: the current directory)
  --passes N      passes, 2 to 100 (default 3)
  --fps N         frames per second of each pass, 1 to 1000 (default 60)
  --allow MIB     growth allowed after the first pass, in MiB (default 4)
  -h, --help      show this text
  --version       show the version

Exit status: 0 steady, 1 memory grew, 2 the run could not be made (one line on stderr).
)";

struct SoakOptions {
    std::string directory = ".";
    int passes = 3;
    int fps = 60;
    int allowMiB = 4;
    InfoRequest info = InfoRequest::NoInfo;
};

std::string parseOptions(int argc, char** argv, SoakOptions* options) {
    using authoring::parseCount;
    return authoring::readOptions(
        argc, argv, {{}, {"--dir", "--passes", "--fps", "--allow"}}, &options->info,
        [&](const std::string& name, const std::string& value) -> std::string {
            if (name == "--dir")
                options->directory = value;
            else if (name == "--passes" && !parseCount(value, 2, 100, &options->passes))
                return "--passes " + value + ": expected a whole number from 2 to 100";
            else if (name == "--fps" && !parseCount(value, 1, 1000, &options->fps))
                return "--fps " + value + ": expected a whole number from 1 to 1000";
            else if (name == "--allow" && !parseCount(value, 0, 4096, &options->allowMiB))
                return "--allow " + value + ": expected a whole number of MiB, 0 to 4096";
            return "";
        });
}

// Opens the window and builds the demo, with standard error sent nowhere when `quiet`: the
// lines the pictures print as they load are the same every pass. Failures come back as the
// returned line.
std::string openQuietly(DemoPlayer* player, const std::string& timelineText, bool quiet) {
    int saved = -1, nowhere = -1;
    if (quiet) {
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        nowhere = ::open("/dev/null", O_WRONLY);
        if (saved >= 0 && nowhere >= 0)
            dup2(nowhere, STDERR_FILENO);
    }
    std::string error = host::openToolWindow("Solvane soak");
    if (error.empty()) {
        host::HeldOutput sceneLines;
        player->build(timelineText);
        std::fputs(sceneLines.release().c_str(), stderr);
    }
    if (saved >= 0) {
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    if (nowhere >= 0)
        ::close(nowhere);
    return error;
}

double mib(long kib) {
    return kib / 1024.0;
}

void printPlan(const SoakOptions& options, int64_t lastFrame, float timelineEnd) {
    std::printf("%d passes of %lld frames at %d fps (the timeline's %.3f s)\n", options.passes,
                static_cast<long long>(lastFrame + 1), options.fps, timelineEnd);
    std::printf(
        "pass   seconds  RSS at the end  after teardown   peak RSS so far    heap in use\n");
}

// The last frame of the timeline at `fps`: the one before the first past its end.
int64_t lastFrameOf(const DemoPlayer& player, int fps) {
    const float end = authoring::usableTimelineEnd(player.end());
    int64_t frame = 0;
    while (!pastTimelineEnd(FixedFrameClock::frameMilliseconds(frame + 1, fps), end))
        ++frame;
    return frame;
}

// One pass: the demo built, every frame of the timeline drawn and shown, the demo gone. The
// first pass prints what the run will be once the timeline's end is known.
std::string runPass(const SoakOptions& options, const std::string& timelineText, int pass,
                    soak::PassFigures* figures) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    DemoPlayer player(script);
    std::string error = openQuietly(&player, timelineText, pass > 0);
    if (!error.empty())
        return error;
    const int64_t lastFrame = lastFrameOf(player, options.fps);
    if (pass == 0)
        printPlan(options, lastFrame, player.end());
    FixedFrameClock clock(options.fps);
    for (; clock.currentFrame() <= lastFrame; clock.advance()) {
        player.drawFrame(clock);
        if (host::presentFrame() == host::WindowStatus::kDisplayLost) {
            player.teardown();
            host::closeToolWindow();
            return "lost the connection to the X display";
        }
    }
    glFinish();
    if (!soak::sampleMemory(&figures->afterFrames))
        return "cannot read /proc/self/status";
    player.teardown();
    host::closeToolWindow();
    if (!soak::sampleMemory(&figures->afterTeardown))
        return "cannot read /proc/self/status";
    figures->seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return "";
}

void printPass(int pass, const soak::PassFigures& figures) {
    std::printf("%4d  %8.1f  %10.1f MiB  %10.1f MiB  %13.1f MiB  %10ld KiB\n", pass,
                figures.seconds, mib(figures.afterFrames.residentKiB),
                mib(figures.afterTeardown.residentKiB), mib(figures.afterTeardown.peakKiB),
                figures.afterTeardown.heapInUseKiB);
    std::fflush(stdout);
}

int run(const SoakOptions& options) {
    authoring::DemoDirectory demo;
    std::string error = authoring::openDemoDirectory(options.directory, "", &demo);
    servers::PrivateXvfb xvfb;
    if (error.empty())
        error = xvfb.startIfNeeded();
    if (!error.empty()) {
        std::fprintf(stderr, "solvane-soak: %s\n", error.c_str());
        return kFailed;
    }
    std::vector<soak::PassFigures> passes(options.passes);
    for (int pass = 0; pass < options.passes; ++pass) {
        error = runPass(options, demo.timelineText, pass, &passes[pass]);
        if (!error.empty()) {
            std::fprintf(stderr, "solvane-soak: pass %d: %s\n", pass + 1, error.c_str());
            return kFailed;
        }
        printPass(pass + 1, passes[pass]);
    }
    const long allowanceKiB = options.allowMiB * 1024L;
    soak::Growth growth = soak::judgeGrowth(passes, allowanceKiB);
    std::printf("growth after the first pass: resident %+.1f MiB, heap %+.1f MiB "
                "(allowed %d MiB): %s\n",
                mib(growth.residentKiB), mib(growth.heapKiB), options.allowMiB,
                growth.steady ? "steady" : "GROWING");
    return growth.steady ? 0 : kGrew;
}

} // namespace

int main(int argc, char** argv) {
    // A fixed mmap threshold (the default one rises after the first large free) and a single
    // arena, so that what is freed goes back and every allocation counts in the heap figure:
    // the resident figures then show what is held, not where the allocator put it.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_ARENA_MAX, 1);
    SoakOptions options;
    std::string error = parseOptions(argc, argv, &options);
    if (!error.empty()) {
        std::fprintf(stderr, "solvane-soak: %s\n", error.c_str());
        return kFailed;
    }
    if (answerInfoRequest(options.info, "solvane-soak", kUsage))
        return 0;
    return run(options);
}
