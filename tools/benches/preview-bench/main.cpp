// preview-bench: how long the preview's seeks and reloads take on a demo directory, and how
// fast it plays, printed as a table. No sound; the window is the preview's own.
#include "host/held_output.h"
#include "host/window_interface.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/lint/timeline_lint.h"
#include "tools/lib/seekable_player/seekable_player.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] = R"(Usage: preview-bench [OPTIONS]
Prints how long the preview takes to build the demo again, to seek forwards and backwards and
to reload the timeline, and how fast it plays with every frame shown. No sound.

  --dir DIR       the demo directory (default: the current directory)
  --fps N         the frame clock, 1 to 1000 (default 60)
  --checkpoint-memory MB
                  the checkpoints' budget, as the preview's option (default 768)
  --check-checkpoints
                  instead: plays the whole demo with every frame shown, then draws on from
                  every checkpoint to the one after and compares each frame with the one
                  played; prints the frames that differ, exits 1 if any does
  -h, --help      show this text
  --version       show the version
)";

double secondsOf(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The most this process has held in memory, from the kernel's count, in megabytes.
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// The timeline with one more effect starting at `seconds`: everything before stays as it was.
std::string withEffectAt(const std::string& text, double seconds) {
    return text + "\n<effect start=\"" + std::to_string(seconds) + "\" end=\"" +
           std::to_string(seconds + 0.5) + "\" name=\"lines\"/>\n";
}

uint64_t frameHash() {
    std::vector<unsigned char> pixels;
    host::readFrame(host::PixelLayout::kRgb, host::RowOrder::kBottomUp, &pixels);
    uint64_t hash = 14695981039346656037u; // FNV-1a
    for (unsigned char byte : pixels)
        hash = (hash ^ byte) * 1099511628211u;
    return hash;
}

// Drawing on from each checkpoint gives the frames of a straight run: the state it holds is
// the whole state.
int checkCheckpoints(authoring::SeekablePlayer& session) {
    std::vector<uint64_t> played;
    for (int64_t frame = 0; frame <= session.lastFrame(); ++frame) {
        session.moveTo(frame);
        played.push_back(frameHash());
    }
    int differing = 0, checked = 0;
    for (int64_t checkpoint : session.checkpoints().frames()) {
        session.restoreCheckpoint(checkpoint);
        const int64_t last =
            std::min(session.lastFrame(), checkpoint + session.checkpoints().spacingFrames() + 1);
        for (int64_t frame = checkpoint + 1; frame <= last; ++frame, ++checked) {
            session.moveTo(frame);
            if (frameHash() != played[static_cast<size_t>(frame)]) {
                std::printf("frame %lld differs, drawn on from checkpoint %lld\n",
                            static_cast<long long>(frame), static_cast<long long>(checkpoint));
                ++differing;
                break;
            }
        }
    }
    std::printf("%zu checkpoints, %d frames drawn on from them, %d differing\n",
                session.checkpoints().frames().size(), checked, differing);
    return differing ? 1 : 0;
}

// Seeks to 40 times over the whole timeline, drawn by a fixed seed so that every run and
// every build seeks to the same ones: the 95th percentile and the worst, in seconds.
std::pair<double, double> randomSeeks(authoring::SeekablePlayer& session) {
    std::mt19937 draw(20261208);
    std::uniform_real_distribution<double> time(0.0, session.end());
    std::vector<double> seconds;
    for (int i = 0; i < 40; ++i) {
        const double target = time(draw);
        seconds.push_back(secondsOf([&] { session.moveTo(session.frameForSeek(target)); }));
    }
    std::sort(seconds.begin(), seconds.end());
    return {seconds[37], seconds.back()};
}

// The table: seeks, reloads and playing, timed, with the checkpoints' memory.
int bench(authoring::SeekablePlayer& session, const authoring::DemoDirectory& demo, int fps,
          host::HeldOutput& quiet) {
    int status = 0;
    auto seek = [&](double seconds) { session.moveTo(session.frameForSeek(seconds)); };
    // As the preview reloads: the file read once, linted, and the demo built again.
    auto reload = [&] {
        lint::LintedTimeline linted;
        lint::lintTimelineFile(demo.timelinePath, -1, &linted);
        session.reload(linted.text, {});
    };
    auto reloadText = [&](const std::string& text) { session.reload(text, {}); };
    struct Row {
        const char* what;
        double seconds;
    };
    std::vector<Row> rows;
    rows.push_back({"build again at 0:00 (reload)", secondsOf(reload)});
    rows.push_back({"seek 0:00 -> 2:30", secondsOf([&] { seek(150); })});
    rows.push_back({"seek +1 s (2:30 -> 2:31)", secondsOf([&] { seek(151); })});
    rows.push_back({"seek +10 s (2:31 -> 2:41)", secondsOf([&] { seek(161); })});
    rows.push_back({"seek back 2:41 -> 0:30", secondsOf([&] { seek(30); })});
    rows.push_back({"seek 0:30 -> 1:15 (inside the blur)", secondsOf([&] { seek(75); })});
    seek(120);
    rows.push_back({"reload at 2:00", secondsOf(reload)});
    // As an author plays it once: every frame drawn, which lays every checkpoint complete.
    rows.push_back({"playing 0:00 to the end, not shown", secondsOf([&] {
                        for (int64_t frame = 0; frame <= session.lastFrame(); ++frame)
                            session.moveTo(frame);
                    })});
    const std::pair<double, double> seeks = randomSeeks(session);
    rows.push_back({"40 seeks anywhere: 95th percentile", seeks.first});
    rows.push_back({"40 seeks anywhere: worst", seeks.second});
    seek(150);
    rows.push_back({"seek +1 s (2:30 -> 2:31), checkpoints", secondsOf([&] { seek(151); })});
    seek(120);
    const std::string after = withEffectAt(demo.timelineText, 110);
    rows.push_back({"reload at 2:00, edit at 1:50", secondsOf([&] { reloadText(after); })});
    const std::string early = withEffectAt(after, 10);
    rows.push_back({"reload at 2:00, edit at 0:10", secondsOf([&] { reloadText(early); })});
    const double checkpointMegabytes = session.checkpoints().bytes() / 1048576.0;
    const int spacing = session.checkpoints().spacingFrames();
    seek(120);
    const int64_t from = session.frame();
    const int frames = 5 * fps;
    bool lost = false;
    const double played = secondsOf([&] {
        for (int i = 1; i <= frames && !lost; ++i) {
            session.moveTo(from + i);
            lost = host::presentFrame() == host::WindowStatus::kDisplayLost;
        }
    });
    quiet.release();
    if (lost) {
        std::fprintf(stderr, "preview-bench: lost the connection to the X display\n");
        status = 2;
    } else {
        std::printf("%-40s %10s\n", "preview, llvmpipe", "seconds");
        for (const Row& row : rows)
            std::printf("%-40s %10.3f\n", row.what, row.seconds);
        std::printf("%-40s %10.1f fps\n", "playing from 2:00, every frame shown", frames / played);
        std::printf("%-40s %10.0f MB, every %d frames\n", "checkpoints", checkpointMegabytes,
                    spacing);
        std::printf("%-40s %10.0f MB\n", "peak memory", peakMegabytes());
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    std::string directory = ".";
    int fps = 60;
    int megabytes = static_cast<int>(authoring::kDefaultCheckpointBudget >> 20);
    bool check = false;
    InfoRequest info = InfoRequest::NoInfo;
    std::string error = authoring::readOptions(
        argc, argv, {{"--check-checkpoints"}, {"--dir", "--fps", "--checkpoint-memory"}}, &info,
        [&](const std::string& name, const std::string& value) -> std::string {
            if (name == "--dir")
                directory = value;
            else if (name == "--check-checkpoints")
                check = true;
            else if (name == "--checkpoint-memory") {
                if (!authoring::parseCount(value, 16, 65536, &megabytes))
                    return "--checkpoint-memory " + value + ": expected megabytes from 16 to 65536";
            } else if (!authoring::parseCount(value, 1, 1000, &fps))
                return "--fps " + value + ": expected a whole number from 1 to 1000";
            return "";
        });
    if (error.empty() && answerInfoRequest(info, "preview-bench", kUsage))
        return 0;
    authoring::DemoDirectory demo;
    if (error.empty())
        error = authoring::openDemoDirectory(directory, "", &demo);
    if (error.empty())
        error = host::openToolWindow("Solvane preview");
    if (!error.empty()) {
        std::fprintf(stderr, "preview-bench: %s\n", error.c_str());
        return 2;
    }
    int status = 0;
    {
        host::HeldOutput quiet(true);
        authoring::SeekablePlayer session(demo.timelineText, fps,
                                          static_cast<size_t>(megabytes) << 20);
        if (check) {
            quiet.release();
            status = checkCheckpoints(session);
        } else
            status = bench(session, demo, fps, quiet);
    }
    host::closeToolWindow();
    return status;
}
