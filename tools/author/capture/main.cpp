// solvane-capture: renders the demo offline on a fixed clock into pictures, a video, a
// contact sheet or frame-time figures. Plays the demo through the demo player in the host's
// window.
#include "framework/input_file.h"
#include "host/demo.h"
#include "sound/mp3_decoder.h"
#include "tools/author/capture/capture_plan.h"
#include "tools/author/capture/capture_run.h"
#include "tools/author/capture/demo_renderer.h"
#include "tools/author/capture/options.h"
#include "tools/author/capture/output_files.h"
#include "tools/author/capture/video_encoder.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/authoring/file_paths.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/safe_output.h"
#include "tools/lib/common/tool_info.h"
#include "tools/lib/servers/private_servers.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFailed = 2;

void requestStop(int signal) {
    capture::interrupted = signal; // the exit status says which: 128 + its number
}

void installSignals() {
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a dead ffmpeg shows as a failed write instead
}

std::string checkReadable(const std::string& path, const char* what) {
    int why = 0;
    int file = tarvo64k::openRegularFile(path.c_str(), &why);
    if (file < 0)
        return path + ": cannot read " + what + ": " + tarvo64k::inputErrorText(why);
    close(file);
    return "";
}

// Every output path is made absolute against the directory the tool was started in.
void resolvePaths(capture::Options* options) {
    for (capture::ShotRequest& shot : options->shots)
        shot.path = authoring::absolutePath(shot.path);
    options->framesDirectory = authoring::absolutePath(options->framesDirectory);
    options->video = authoring::absolutePath(options->video);
    options->sheet = authoring::absolutePath(options->sheet);
}

std::string checkFramesDirectory(const std::string& directory, capture::OutputFiles* outputs) {
    struct stat info;
    if (stat(directory.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return "--frames " + directory + ": not a directory";
        if (access(directory.c_str(), W_OK | X_OK) != 0)
            return "--frames " + directory + ": " + std::strerror(errno);
        return "";
    }
    if (mkdir(directory.c_str(), 0777) != 0)
        return "--frames " + directory + ": " + std::strerror(errno);
    outputs->removeOnAbandon(directory);
    return "";
}

// The video's sound is padded with silence past the music's end; say so before rendering.
void warnIfPastTheMusic(const capture::CaptureJob& job) {
    sound::Mp3Decoder decoder;
    if (decoder.open(job.musicPath.c_str(), sound::kMixRate) != 0)
        return; // ffmpeg reports what it cannot read
    const int64_t musicMs = decoder.length() * 1000 / sound::kMixRate;
    const int64_t endMs = FixedFrameClock::frameMilliseconds(job.plan->rangeEnd, job.plan->fps);
    if (endMs > musicMs)
        std::fprintf(stderr,
                     "solvane-capture: warning: the video runs to %s but the music ends at %s; "
                     "the rest is silent\n",
                     authoring::formatClock(endMs).c_str(),
                     authoring::formatClock(musicMs).c_str());
}

// Run inside the demo directory, once its timeline is known.
std::string refuseDemoInputs(const capture::Options& options, const std::string& timelinePath) {
    std::vector<std::string> outputs = {options.sheet, options.video, options.framesDirectory};
    for (const capture::ShotRequest& shot : options.shots)
        outputs.push_back(shot.path);
    for (const std::string& output : outputs) {
        std::string error = output.empty() ? "" : authoring::refuseDemoInput(output, timelinePath);
        if (!error.empty())
            return error;
    }
    return "";
}

std::string checkOutputs(const capture::Options& options, const std::string& directory,
                         capture::CaptureJob* job, capture::OutputFiles* outputs) {
    std::string refused = refuseDemoInputs(options, job->scriptPath);
    if (!refused.empty())
        return refused;
    for (const capture::ShotRequest& shot : options.shots) {
        std::string error = authoring::checkWritable(shot.path);
        if (!error.empty())
            return error;
    }
    if (!options.sheet.empty()) {
        std::string error = authoring::checkWritable(options.sheet);
        if (!error.empty())
            return error;
    }
    if (!options.video.empty()) {
        job->ffmpeg = capture::findProgram("ffmpeg");
        if (job->ffmpeg.empty())
            return "--video needs ffmpeg, and there is none on PATH";
        job->musicPath = directory + "/music.mp3";
        std::string error = checkReadable(job->musicPath, "the music for the video");
        if (error.empty())
            error = authoring::checkWritable(options.video);
        if (!error.empty())
            return error;
    }
    // Last, since it may create the directory.
    if (!options.framesDirectory.empty())
        return checkFramesDirectory(options.framesDirectory, outputs);
    return "";
}

std::string run(capture::Options options) {
    resolvePaths(&options);
    std::string error = capture::checkDistinctOutputs(options);
    authoring::DemoDirectory demo;
    if (error.empty())
        error = authoring::openDemoDirectory(options.directory, options.script, &demo);
    std::vector<cues::Marker> named;
    if (error.empty())
        named = cues::namedTimesOf(demo.directory + "/music.mp3", demo.timelineText);
    if (error.empty() && (!options.fromName.empty() || !options.toName.empty()))
        error = capture::resolveNamedRange(named, &options);
    if (!error.empty())
        return error;

    capture::Plan plan;
    capture::CaptureJob job{&options, &plan, demo.timelinePath, "", "", named};
    servers::PrivateXvfb xvfb;
    capture::OutputFiles outputs;
    if ((error = checkOutputs(options, demo.directory, &job, &outputs)).empty())
        error = xvfb.startIfNeeded();
    if (!error.empty())
        return error;

    capture::DemoRenderer renderer;
    capture::BenchFigures figures;
    error = renderer.open(demo.timelineText, options.scale);
    // The frames follow from the timeline's end, known once the demo is built; what the
    // scenes said while loading belongs with the diagnostics of a run that goes ahead.
    if (error.empty())
        error = capture::makePlan(options, renderer.timelineEnd(), &plan);
    if (error.empty()) {
        std::fputs(renderer.buildLines.c_str(), stderr);
        if (!options.video.empty())
            warnIfPastTheMusic(job);
        error = capture::runCapture(job, script, renderer, outputs, &figures);
    }
    // A signal while the video was finished or the sheet written keeps the outputs unnamed too.
    if (error.empty() && capture::interrupted)
        error = "interrupted";
    error = outputs.inFinalNames(error);
    renderer.close();
    if (error.empty())
        error = outputs.commit();
    if (!error.empty())
        return error;
    if (options.bench)
        capture::printBench(stdout, figures);
    if (!options.video.empty())
        capture::printRunTimes(stderr, figures.times);
    return "";
}

} // namespace

int main(int argc, char** argv) {
    capture::Options options;
    std::string error = capture::parseOptions(argc, argv, &options);
    if (error.empty() && (options.help || options.version)) {
        answerInfoRequest(options.help ? InfoRequest::Help : InfoRequest::Version,
                          "solvane-capture", capture::usageText());
        return 0;
    }
    if (error.empty()) {
        installSignals();
        try {
            error = run(options); // its staged outputs are removed as the stack unwinds
        } catch (const std::bad_alloc&) {
            error = "out of memory";
        }
    }
    if (error.empty())
        return 0;
    std::fprintf(stderr, "solvane-capture: %s\n", error.c_str());
    return capture::interrupted ? 128 + capture::interrupted : kFailed;
}
