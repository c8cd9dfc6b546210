// The loop and the outputs it feeds. Readback and file work happen outside the timed part
// of a frame, so benchmark figures are the renderer's alone.
#include "tools/author/capture/capture_run.h"

#include "host/demo_player.h"
#include "host/window_interface.h"
#include "tools/author/capture/chapters.h"
#include "tools/author/capture/contact_sheet.h"
#include "tools/author/capture/progress_bar.h"
#include "tools/author/capture/scene_profiler.h"
#include "tools/author/capture/video_encoder.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/timeline_info.h"
#include "tools/lib/png/png_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace capture {

volatile std::sig_atomic_t interrupted = 0;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string frameFileName(const std::string& directory, int64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(frame));
    return directory + name;
}

class Loop {
public:
    Loop(const CaptureJob& job, tarvo64k::Script& script, DemoRenderer& renderer,
         OutputFiles& outputs, BenchFigures* figures)
        : job(job), options(*job.options), plan(*job.plan), script(script), renderer(renderer),
          outputs(outputs), figures(figures), effectNames(authoring::effectSceneNames(script)) {
        shots = plan.shots;
        std::stable_sort(
            shots.begin(), shots.end(),
            [](const PlannedShot& a, const PlannedShot& b) { return a.frame < b.frame; });
    }

    std::string run();

private:
    std::string startOutputs();
    std::string renderFrame(int64_t frame);
    std::string deliver(int64_t frame, int64_t milliseconds);
    std::string finishOutputs();
    void recordBench(int64_t frame, int64_t milliseconds, double frameMs);

    const CaptureJob& job;
    const Options& options;
    const Plan& plan;
    tarvo64k::Script& script;
    DemoRenderer& renderer;
    OutputFiles& outputs;
    BenchFigures* figures;
    std::vector<std::string> effectNames;

    std::vector<PlannedShot> shots;
    size_t nextShot = 0, nextThumbnail = 0;
    std::unique_ptr<SceneProfiler> profiler;
    VideoEncoder video;
    std::unique_ptr<ContactSheet> sheet;
    std::vector<unsigned char> pixels;
    std::vector<int> active;

public:
    RunTimes times;
};

std::string Loop::startOutputs() {
    if (options.profile)
        profiler = std::make_unique<SceneProfiler>(script);
    if (!options.sheet.empty()) {
        // The timeline's file name only: a sheet is often shared, the machine's paths are not.
        std::string timeline = job.scriptPath.substr(job.scriptPath.find_last_of('/') + 1);
        char title[1024];
        std::snprintf(title, sizeof title, "Solvane   %s   %d fps, a frame every %g s",
                      timeline.c_str(), plan.fps, options.every);
        sheet = std::make_unique<ContactSheet>(static_cast<int>(plan.sheetFrames.size()),
                                               options.columns, title);
    }
    if (options.video.empty())
        return "";
    VideoJob videoJob;
    videoJob.ffmpeg = job.ffmpeg;
    videoJob.output = outputs.stage(options.video);
    videoJob.format = videoFormatFor(options.video);
    videoJob.music = job.musicPath;
    videoJob.width = renderer.width();
    videoJob.height = renderer.height();
    videoJob.fps = plan.fps;
    videoJob.audioStartMs = FixedFrameClock::frameMilliseconds(plan.rangeFirst, plan.fps);
    videoJob.frameCount = plan.rangeFrames();
    videoJob.preset = options.preset;
    videoJob.crf = options.crf;
    std::vector<Chapter> chapters = namedChapters(job.named, script, effectNames, plan);
    if (chapters.empty())
        chapters = effectRunChapters(script, effectNames, plan);
    videoJob.chapters =
        chapterMetadata(std::move(chapters), videoJob.audioStartMs,
                        FixedFrameClock::frameMilliseconds(plan.rangeEnd, plan.fps));
    return video.start(videoJob);
}

std::string Loop::deliver(int64_t frame, int64_t milliseconds) {
    const bool inRange = plan.inRange(frame);
    bool wanted =
        (nextShot < shots.size() && shots[nextShot].frame == frame) ||
        (inRange && (!options.framesDirectory.empty() || !options.video.empty())) ||
        (nextThumbnail < plan.sheetFrames.size() && plan.sheetFrames[nextThumbnail] == frame);
    if (!wanted)
        return "";
    Clock::time_point readStart = Clock::now();
    renderer.read(&pixels);
    times.readBackMs += millisecondsBetween(readStart, Clock::now());
    const int width = renderer.width(), height = renderer.height();
    for (; nextShot < shots.size() && shots[nextShot].frame == frame; ++nextShot) {
        std::string error = authoring::writeRgbPng(outputs.stage(shots[nextShot].path),
                                                   pixels.data(), width, height);
        if (!error.empty())
            return error;
    }
    if (inRange && !options.framesDirectory.empty()) {
        std::string path = outputs.stage(frameFileName(options.framesDirectory, frame));
        std::string error = authoring::writeRgbPng(path, pixels.data(), width, height);
        if (!error.empty())
            return error;
    }
    if (inRange && !options.video.empty()) {
        std::string error = video.write(pixels.data(), pixels.size());
        if (!error.empty())
            return error;
    }
    for (; nextThumbnail < plan.sheetFrames.size() && plan.sheetFrames[nextThumbnail] == frame;
         ++nextThumbnail) {
        authoring::activeEffects(script, musicSeconds(milliseconds), &active);
        sheet->add(static_cast<int>(nextThumbnail), pixels.data(), width, height,
                   authoring::formatClock(milliseconds),
                   authoring::describeEffects(effectNames, active));
    }
    return "";
}

void Loop::recordBench(int64_t frame, int64_t milliseconds, double frameMs) {
    authoring::activeEffects(script, musicSeconds(milliseconds), &active);
    std::vector<Section>& sections = figures->sections;
    std::string label;
    if (sections.empty() || sections.back().effects != active)
        label = authoring::describeEffects(effectNames, active);
    else
        label = sections.back().label;
    addToSections(&sections, active, label, frame, milliseconds, frameMs);
    figures->frameMs.push_back(frameMs);
}

std::string Loop::renderFrame(int64_t frame) {
    const int64_t milliseconds = FixedFrameClock::frameMilliseconds(frame, plan.fps);
    const bool measured = options.bench && plan.inRange(frame);
    if (profiler)
        profiler->setRecording(measured);

    Clock::time_point drawStart = Clock::now();
    renderer.draw(milliseconds);
    if (measured)
        renderer.finishGpu();
    Clock::time_point drawEnd = Clock::now();
    std::string error = deliver(frame, milliseconds);
    if (!error.empty())
        return error;
    Clock::time_point swapStart = Clock::now();
    error = renderer.present();
    if (!error.empty())
        return error;
    times.renderMs +=
        millisecondsBetween(drawStart, drawEnd) + millisecondsBetween(swapStart, Clock::now());
    if (measured) {
        renderer.finishGpu();
        double frameMs =
            millisecondsBetween(drawStart, drawEnd) + millisecondsBetween(swapStart, Clock::now());
        recordBench(frame, milliseconds, frameMs);
    }
    return "";
}

std::string Loop::finishOutputs() {
    times.encoderWaitMs = video.waitedMs();
    std::string error = video.finish();
    if (error.empty() && sheet)
        error = sheet->write(outputs.stage(options.sheet));
    if (profiler && figures)
        figures->sceneCosts = profiler->costs();
    profiler.reset();
    return error;
}

std::string Loop::run() {
    const Clock::time_point start = Clock::now();
    std::string error = startOutputs();
    ProgressBar progress(plan.lastFrame + 1);
    for (int64_t frame = 0; error.empty() && frame <= plan.lastFrame; ++frame) {
        if (interrupted)
            error = "interrupted";
        else
            error = renderFrame(frame);
        progress.update(frame + 1);
    }
    progress.finish();
    times.frames = plan.lastFrame + 1;
    if (!error.empty())
        return error;
    error = finishOutputs();
    times.wallMs = millisecondsBetween(start, Clock::now());
    return error;
}

} // namespace

std::string runCapture(const CaptureJob& job, tarvo64k::Script& script, DemoRenderer& renderer,
                       OutputFiles& outputs, BenchFigures* figures) {
    Loop loop(job, script, renderer, outputs, figures);
    std::string error = loop.run();
    if (figures)
        figures->times = loop.times;
    if (error.empty() && figures && job.options->bench) {
        figures->timeline = job.scriptPath;
        figures->renderer = renderer.rendererName();
        figures->fps = job.plan->fps;
        figures->width = renderer.width();
        figures->height = renderer.height();
        figures->firstFrame = job.plan->rangeFirst;
        figures->lastFrame = job.plan->rangeEnd - 1;
        figures->firstMs = FixedFrameClock::frameMilliseconds(figures->firstFrame, figures->fps);
        figures->lastMs = FixedFrameClock::frameMilliseconds(figures->lastFrame, figures->fps);
        figures->profiled = job.options->profile;
    }
    return error;
}

} // namespace capture
