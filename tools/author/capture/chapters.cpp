// Chapters from the effect windows, and the metadata file ffmpeg maps them from.
#include "tools/author/capture/chapters.h"

#include "host/demo_player.h"
#include "tools/lib/authoring/timeline_info.h"

#include <algorithm>
#include <cmath>

namespace capture {

namespace {

// The metadata format gives '=', ';', '#', '\' and line ends a meaning; a backslash quotes them.
std::string escapedTitle(const std::string& title) {
    std::string text;
    for (char c : title) {
        if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n')
            text += '\\';
        text += c;
    }
    return text;
}

} // namespace

std::vector<Chapter> effectRunChapters(const tarvo64k::Script& script,
                                       const std::vector<std::string>& effectNames,
                                       const Plan& plan) {
    std::vector<Chapter> chapters;
    std::vector<int> previous, active;
    for (int64_t frame = plan.rangeFirst; frame < plan.rangeEnd; ++frame) {
        const int64_t milliseconds = FixedFrameClock::frameMilliseconds(frame, plan.fps);
        authoring::activeEffects(script, musicSeconds(milliseconds), &active);
        if (!chapters.empty() && active == previous)
            continue;
        chapters.push_back({milliseconds, authoring::describeEffects(effectNames, active)});
        previous.swap(active);
    }
    return chapters;
}

std::vector<Chapter> namedChapters(const std::vector<cues::Marker>& named,
                                   const tarvo64k::Script& script,
                                   const std::vector<std::string>& effectNames, const Plan& plan) {
    std::vector<Chapter> chapters;
    for (const cues::Marker& marker : named)
        chapters.push_back({std::llround(marker.seconds * 1000), marker.name});
    const int64_t firstMs = FixedFrameClock::frameMilliseconds(plan.rangeFirst, plan.fps);
    if (!chapters.empty() && chapters.front().milliseconds > firstMs) {
        std::vector<int> active;
        authoring::activeEffects(script, musicSeconds(firstMs), &active);
        chapters.insert(chapters.begin(),
                        {firstMs, authoring::describeEffects(effectNames, active)});
    }
    return chapters;
}

std::string chapterMetadata(std::vector<Chapter> chapters, int64_t firstMs, int64_t endMs) {
    std::stable_sort(chapters.begin(), chapters.end(), [](const Chapter& a, const Chapter& b) {
        return a.milliseconds < b.milliseconds;
    });
    // The last chapter begun by the video's start opens it.
    size_t first = 0;
    while (first + 1 < chapters.size() && chapters[first + 1].milliseconds <= firstMs)
        ++first;
    std::string text;
    for (size_t i = first; i < chapters.size() && chapters[i].milliseconds < endMs; ++i) {
        const int64_t start = std::max(chapters[i].milliseconds, firstMs) - firstMs;
        const int64_t end =
            (i + 1 < chapters.size() ? std::min(chapters[i + 1].milliseconds, endMs) : endMs) -
            firstMs;
        if (end <= start)
            continue;
        text += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + std::to_string(start) +
                "\nEND=" + std::to_string(end) + "\ntitle=" + escapedTitle(chapters[i].title) +
                "\n";
    }
    return text.empty() ? text : ";FFMETADATA1\n" + text;
}

} // namespace capture
