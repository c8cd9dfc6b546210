// Video through an ffmpeg child process: raw RGB frames go down a pipe, the matching
// slice of the music is read by ffmpeg itself, and nothing touches a temporary frame file.
#pragma once

#include "tools/author/capture/frame_pipe.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace capture {

// The ffmpeg on PATH, or empty when there is none.
std::string findProgram(const std::string& name);

// A container ffmpeg writes, chosen by the output's file extension, with codecs it holds.
struct VideoFormat {
    const char* extension; // lower case, with the dot
    const char* muxer;     // ffmpeg's -f
    bool h264;             // H.264, else VP9
    const char* audioCodec;
};

// The format for `path`'s extension (in any letter case), or null when none fits.
const VideoFormat* videoFormatFor(const std::string& path);
// ".mp4, .mov, .mkv, .avi or .webm"
std::string videoExtensions();

// How the video is encoded. Web: what the video platforms ask for (H.264 High, a closed GOP
// of half a second, two B-frames, BT.709 throughout, AAC-LC at 48 kHz, the index first);
// draft: the same colours and sound, encoded fast, for checking.
enum class VideoPreset { Web, Draft };
constexpr int kPresetCrf = -1; // the preset's own quality
// The preset named `name` ("web" or "draft"); false for any other name.
bool videoPresetNamed(const std::string& name, VideoPreset* preset);

struct VideoJob {
    std::string ffmpeg; // path of the program
    std::string output; // where ffmpeg writes (a staged temporary)
    const VideoFormat* format = nullptr;
    std::string music; // music.mp3
    int width = 0, height = 0, fps = 60;
    int64_t audioStartMs = 0; // the first frame's time
    int64_t frameCount = 0;
    VideoPreset preset = VideoPreset::Web;
    int crf = kPresetCrf;
    std::string chapters; // FFMETADATA text, or empty for none
};

class VideoEncoder {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    ~VideoEncoder();

    std::string start(const VideoJob& job);
    // One frame of width x height RGB, top row first: queued for ffmpeg, so this waits only
    // when ffmpeg is several frames behind.
    std::string write(const unsigned char* rgb, size_t bytes);
    // Milliseconds write has waited for ffmpeg.
    double waitedMs() const { return frames.waitedMs(); }
    // Closes the pipe and waits for ffmpeg, or stops it on a stop signal (capture::interrupted);
    // "what failed: why", "interrupted" or empty.
    std::string finish();

private:
    pid_t pid = -1;
    int pipeFd = -1;
    FramePipe frames;
    std::string logPath;
    std::string chaptersPath;
    std::string lastLogLine() const;
    void removeScratchFiles();
};

} // namespace capture
