// The ffmpeg child: fork and exec with the frame pipe as its standard input and its messages
// in a log file, whose last line explains a failure.
#include "tools/author/capture/video_encoder.h"

#include "tools/author/capture/capture_run.h"
#include "tools/lib/authoring/file_paths.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace capture {

namespace {

std::string seconds(int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

const VideoFormat kFormats[] = {
    {".mp4", "mp4", true, "aac"},        {".mov", "mov", true, "aac"},
    {".mkv", "matroska", true, "aac"},   {".avi", "avi", true, "libmp3lame"},
    {".webm", "webm", false, "libopus"},
};

// Keyframes every half second, nothing referring across them, no extra ones at scene cuts:
// the platforms cut and seek at keyframes.
void addH264(const VideoJob& job, std::vector<std::string>* arguments) {
    const bool web = job.preset == VideoPreset::Web;
    const std::string gop = std::to_string(std::max(1, job.fps / 2));
    const int crf = job.crf != kPresetCrf ? job.crf : web ? 18 : 23;
    arguments->insert(arguments->end(),
                      {"-c:v", "libx264", "-preset", web ? "medium" : "veryfast", "-crf",
                       std::to_string(crf), "-profile:v", "high", "-g", gop, "-keyint_min", gop,
                       "-sc_threshold", "0", "-bf", "2", "-flags", "+cgop"});
}

void addVp9(const VideoJob& job, std::vector<std::string>* arguments) {
    const bool web = job.preset == VideoPreset::Web;
    const int crf = job.crf != kPresetCrf ? job.crf : 32;
    arguments->insert(arguments->end(),
                      {"-c:v", "libvpx-vp9", "-crf", std::to_string(crf), "-b:v", "0", "-deadline",
                       web ? "good" : "realtime", "-cpu-used", web ? "4" : "8"});
}

std::vector<std::string> ffmpegArguments(const VideoJob& job, const std::string& chaptersPath) {
    // The audio slice lasts exactly as long as the frames: count / fps seconds, padded with
    // silence where the music ends first.
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.6f", static_cast<double>(job.frameCount) / job.fps);
    std::vector<std::string> arguments = {
        job.ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        // frames from the pipe
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
        std::to_string(job.width) + "x" + std::to_string(job.height), "-framerate",
        std::to_string(job.fps), "-i", "pipe:0",
        // the music from the first frame's time on
        "-ss", seconds(job.audioStartMs), "-t", duration, "-i", job.music};
    if (!chaptersPath.empty())
        arguments.insert(arguments.end(),
                         {"-f", "ffmetadata", "-i", chaptersPath, "-map_chapters", "2"});
    // The matrix that converts to YUV is the one the tags name, so players need not guess.
    arguments.insert(arguments.end(), {"-map", "0:v:0", "-map", "1:a:0", "-af", "apad", "-vf",
                                       "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
                                       "-colorspace", "bt709", "-color_primaries", "bt709",
                                       "-color_trc", "bt709", "-color_range", "tv"});
    const VideoFormat& format = *job.format;
    if (format.h264)
        addH264(job, &arguments);
    else
        addVp9(job, &arguments);
    arguments.insert(arguments.end(),
                     {"-c:a", format.audioCodec, "-ar", "48000", "-ac", "2", "-b:a", "192k"});
    if (format.audioCodec == std::string("aac"))
        arguments.insert(arguments.end(), {"-profile:a", "aac_low"});
    arguments.insert(arguments.end(), {"-t", duration});
    if (format.muxer == std::string("mp4") || format.muxer == std::string("mov"))
        arguments.insert(arguments.end(), {"-movflags", "+faststart"});
    arguments.insert(arguments.end(), {"-f", format.muxer, job.output});
    return arguments;
}

// Chapters reach ffmpeg as a metadata file beside the staged output, removed with the log.
std::string writeChapters(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!(file << text) || !file.flush())
        return path + ": cannot write the chapters: " + std::strerror(errno);
    return "";
}

} // namespace

bool videoPresetNamed(const std::string& name, VideoPreset* preset) {
    if (name == "web")
        *preset = VideoPreset::Web;
    else if (name == "draft")
        *preset = VideoPreset::Draft;
    else
        return false;
    return true;
}

const VideoFormat* videoFormatFor(const std::string& path) {
    std::string extension = authoring::fileExtension(path);
    for (const VideoFormat& format : kFormats)
        if (extension == format.extension)
            return &format;
    return nullptr;
}

std::string videoExtensions() {
    std::string text;
    const size_t count = sizeof kFormats / sizeof kFormats[0];
    for (size_t i = 0; i < count; ++i)
        text += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + kFormats[i].extension;
    return text;
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "";
    size_t from = 0;
    while (from <= directories.size()) {
        size_t colon = directories.find(':', from);
        if (colon == std::string::npos)
            colon = directories.size();
        std::string directory = directories.substr(from, colon - from);
        std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = colon + 1;
    }
    return "";
}

std::string VideoEncoder::start(const VideoJob& job) {
    logPath = job.output + ".log";
    if (!job.chapters.empty()) {
        chaptersPath = job.output + ".chapters";
        std::string error = writeChapters(chaptersPath, job.chapters);
        if (!error.empty()) {
            removeScratchFiles();
            return error;
        }
    }
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        std::string error = logPath + ": " + std::strerror(errno);
        removeScratchFiles();
        return error;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        close(log);
        removeScratchFiles();
        return std::string("ffmpeg pipe: ") + std::strerror(errno);
    }
    std::vector<std::string> arguments = ffmpegArguments(job, chaptersPath);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid = fork();
    if (pid == 0) {
        dup2(fds[0], 0);
        dup2(log, 1);
        dup2(log, 2);
        execv(job.ffmpeg.c_str(), argv.data());
        _exit(127);
    }
    close(fds[0]);
    close(log);
    if (pid < 0) {
        close(fds[1]);
        removeScratchFiles();
        return std::string("ffmpeg: ") + std::strerror(errno);
    }
    pipeFd = fds[1];
    // A frame at a time where the system allows, rather than 64 KiB.
    fcntl(pipeFd, F_SETPIPE_SZ, 1 << 20);
    frames.start(pipeFd);
    return "";
}

std::string VideoEncoder::write(const unsigned char* rgb, size_t bytes) {
    if (!frames.push(rgb, bytes))
        return "ffmpeg stopped taking frames: " + lastLogLine();
    return "";
}

std::string VideoEncoder::finish() {
    if (pid <= 0)
        return "";
    const bool delivered = frames.close();
    close(pipeFd);
    pipeFd = -1;
    int status = 0;
    // A stop signal while ffmpeg finishes a long video stops ffmpeg too, rather than waiting.
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
        if (interrupted)
            kill(pid, SIGTERM);
    pid = -1;
    std::string error;
    if (interrupted)
        error = "interrupted";
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        error = "ffmpeg failed: " + lastLogLine();
    else if (!delivered)
        error = "ffmpeg stopped taking frames: " + lastLogLine();
    removeScratchFiles();
    return error;
}

VideoEncoder::~VideoEncoder() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        finish();
    }
}

void VideoEncoder::removeScratchFiles() {
    std::remove(logPath.c_str());
    if (!chaptersPath.empty())
        std::remove(chaptersPath.c_str());
}

std::string VideoEncoder::lastLogLine() const {
    std::ifstream log(logPath);
    std::string line, last = "(no message)";
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last;
}

} // namespace capture
