// Redrawn at most ten times a second, in place with a carriage return.
#include "tools/author/capture/progress_bar.h"

#include <cstdio>
#include <unistd.h>

namespace capture {

namespace {

constexpr double kQuietSeconds = 1.0;
constexpr double kRedrawSeconds = 0.1;
constexpr int kBarWidth = 30;

} // namespace

ProgressBar::ProgressBar(int64_t totalFrames)
    : total(totalFrames), enabled(isatty(STDERR_FILENO) == 1), begin(Clock::now()),
      lastDraw(begin) {}

void ProgressBar::update(int64_t framesDone) {
    if (!enabled || total <= 0)
        return;
    Clock::time_point now = Clock::now();
    double elapsed = std::chrono::duration<double>(now - begin).count();
    if (elapsed < kQuietSeconds ||
        std::chrono::duration<double>(now - lastDraw).count() < kRedrawSeconds)
        return;
    lastDraw = now;
    double rate = framesDone / elapsed;
    int left = rate > 0 ? static_cast<int>((total - framesDone) / rate + 0.5) : 0;
    char bar[kBarWidth + 1];
    int filled = static_cast<int>(kBarWidth * framesDone / total);
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %lld/%lld frames  %.1f fps  %d:%02d left\033[K", bar,
                 static_cast<long long>(framesDone), static_cast<long long>(total), rate, left / 60,
                 left % 60);
    std::fflush(stderr);
    drawn = true;
}

void ProgressBar::finish() {
    if (drawn)
        std::fprintf(stderr, "\r\033[K");
    drawn = false;
}

} // namespace capture
