// Range and frame selection, with the timeline's end compared as Script::update compares it.
#include "tools/author/capture/capture_plan.h"

#include "host/demo_player.h"
#include "tools/lib/authoring/frame_clock.h"

#include <algorithm>
#include <cstdio>

namespace capture {

namespace {

constexpr int kMaxSheetRows = 120; // keeps the sheet within cairo's 32767-pixel limit

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::string planRange(const Options& options, float timelineEnd, Plan* plan) {
    const std::string end = secondsText(timelineEnd);
    if (options.hasTo && options.to > static_cast<double>(timelineEnd))
        return "--to " + secondsText(options.to) + " is beyond the timeline's end (" + end + ")";
    double to = options.hasTo ? options.to : static_cast<double>(timelineEnd);
    plan->rangeFirst =
        authoring::firstFrameAtOrAfter(authoring::millisecondsAtOrAfter(options.from), plan->fps);
    plan->rangeEnd =
        authoring::firstFrameAtOrAfter(authoring::millisecondsAtOrAfter(to), plan->fps);
    if (plan->rangeEnd <= plan->rangeFirst) {
        if (options.hasFrom)
            return "--from " + secondsText(options.from) + " leaves no frame before " +
                   secondsText(to) + " at " + std::to_string(plan->fps) + " fps";
        return "the range up to " + secondsText(to) + " holds no frame at " +
               std::to_string(plan->fps) + " fps";
    }
    return "";
}

std::string planSheet(const Options& options, Plan* plan) {
    int64_t every = authoring::millisecondsAtOrAfter(options.every);
    int64_t fromMs = FixedFrameClock::frameMilliseconds(plan->rangeFirst, plan->fps);
    int64_t endMs = FixedFrameClock::frameMilliseconds(plan->rangeEnd - 1, plan->fps);
    int64_t count = (endMs - fromMs) / every + 1;
    if (count > static_cast<int64_t>(kMaxSheetRows) * options.columns)
        return "--every " + secondsText(options.every) + " gives " + std::to_string(count) +
               " thumbnails, more than a sheet holds at " + std::to_string(options.columns) +
               " columns; raise --every or --columns";
    for (int64_t at = fromMs; at <= endMs; at += every)
        plan->sheetFrames.push_back(authoring::firstFrameAtOrAfter(at, plan->fps));
    return "";
}

} // namespace

std::string makePlan(const Options& options, float timelineEnd, Plan* plan) {
    *plan = Plan();
    plan->fps = options.fps;
    timelineEnd = authoring::usableTimelineEnd(timelineEnd);
    if (!(timelineEnd > 0))
        return "the timeline has no effect that ends after 0 s: nothing to render";

    for (const ShotRequest& shot : options.shots) {
        int64_t frame = authoring::firstFrameAtOrAfter(
            authoring::millisecondsAtOrAfter(shot.seconds), plan->fps);
        if (authoring::pastTheEnd(frame, plan->fps, timelineEnd))
            return "--shot " + secondsText(shot.seconds) + ":" + shot.path +
                   ": beyond the timeline's end (" + secondsText(timelineEnd) + ")";
        plan->shots.push_back({frame, shot.path});
        plan->lastFrame = std::max(plan->lastFrame, frame);
    }

    plan->usesRange = !options.framesDirectory.empty() || !options.video.empty() ||
                      !options.sheet.empty() || options.bench;
    if (!plan->usesRange)
        return "";
    std::string error = planRange(options, timelineEnd, plan);
    if (error.empty() && !options.sheet.empty())
        error = planSheet(options, plan);
    plan->lastFrame = std::max(plan->lastFrame, plan->rangeEnd - 1);
    return error;
}

} // namespace capture
