// preview-bench: how long the preview's seeks and reloads take on a demo directory, and how
// fast it plays, printed as a table. No sound; the window is the preview's own.
// Usage: preview-bench [--dir DIR] [--fps N]
#include "host/held_output.h"
#include "host/window_interface.h"
#include "tools/author/preview/session.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

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
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0)
            directory = argv[i + 1];
        else if (std::strcmp(argv[i], "--fps") == 0)
            fps = std::atoi(argv[i + 1]);
    }
    if (fps < 1 || fps > 1000 || chdir(directory.c_str()) != 0) {
        std::fprintf(stderr, "usage: preview-bench [--dir DIR] [--fps N]\n");
        return 2;
    }
    std::string error = host::openToolWindow("Solvane preview");
    if (!error.empty()) {
        std::fprintf(stderr, "preview-bench: %s\n", error.c_str());
        return 2;
    }
    int status = 0;
    {
        host::HeldOutput quiet(true);
        preview::Session session("script.odml", fps);
        auto seek = [&](double seconds) { session.moveTo(session.frameForSeek(seconds)); };
        struct Row {
            const char* what;
            double seconds;
        };
        std::vector<Row> rows;
        rows.push_back({"build again at 0:00 (reload)", secondsOf([&] { session.reload(); })});
        rows.push_back({"seek 0:00 -> 2:30", secondsOf([&] { seek(150); })});
        rows.push_back({"seek +1 s (2:30 -> 2:31)", secondsOf([&] { seek(151); })});
        rows.push_back({"seek +10 s (2:31 -> 2:41)", secondsOf([&] { seek(161); })});
        rows.push_back({"seek back 2:41 -> 0:30", secondsOf([&] { seek(30); })});
        rows.push_back({"seek 0:30 -> 1:15 (inside the blur)", secondsOf([&] { seek(75); })});
        seek(120);
        rows.push_back({"reload at 2:00", secondsOf([&] { session.reload(); })});
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
