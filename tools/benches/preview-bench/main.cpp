// preview-bench: how long the preview's seeks and reloads take on a demo directory, and how
// fast it plays, printed as a table. No sound; the window is the preview's own.
#include "host/held_output.h"
#include "host/window_interface.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/lint/timeline_lint.h"
#include "tools/lib/seekable_player/seekable_player.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] = R"(Usage: preview-bench [OPTIONS]
Prints how long the preview takes to build the demo again, to seek forwards and backwards and
to reload the timeline, and how fast it plays with every frame shown. No sound.

  --dir DIR       the demo directory (default: the current directory)
  --fps N         the frame clock, 1 to 1000 (default 60)
  -h, --help      show this text
  --version       show the version
)";

double secondsOf(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    std::string directory = ".";
    int fps = 60;
    InfoRequest info = InfoRequest::NoInfo;
    std::string error = authoring::readOptions(
        argc, argv, {{}, {"--dir", "--fps"}}, &info,
        [&](const std::string& name, const std::string& value) -> std::string {
            if (name == "--dir")
                directory = value;
            else if (!authoring::parseCount(value, 1, 1000, &fps))
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
        authoring::SeekablePlayer session(demo.timelineText, fps);
        auto seek = [&](double seconds) { session.moveTo(session.frameForSeek(seconds)); };
        // As the preview reloads: the file read once, linted, and the demo built again.
        auto reload = [&] {
            lint::LintedTimeline linted;
            lint::lintTimelineFile(demo.timelinePath, -1, &linted);
            session.reload(linted.text, {});
        };
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
            std::printf("%-40s %10.1f fps\n", "playing from 2:00, every frame shown",
                        frames / played);
        }
    }
    host::closeToolWindow();
    return status;
}
