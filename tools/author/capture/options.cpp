// Long options only, each "--name VALUE" or "--name=VALUE"; every mistake is one line.
#include "tools/author/capture/options.h"

#include "tools/author/capture/video_encoder.h"
#include "tools/lib/authoring/command_line.h"
#include "tools/lib/authoring/file_paths.h"
#include "tools/lib/authoring/frame_clock.h"

#include <cctype>

namespace capture {

namespace {

using authoring::parseCount;
using authoring::parseSeconds;

constexpr int kMaxFps = 1000; // above it, several frames would share one millisecond
constexpr int kMaxColumns = 64;
constexpr int kMaxScale = 3;
constexpr int kMaxH264Crf = 51, kMaxVp9Crf = 63;

// libpng writes the pictures, so a picture must be named as a PNG file.
std::string checkPngName(const std::string& option, const std::string& path) {
    std::string extension = authoring::fileExtension(path);
    if (extension == ".png")
        return "";
    return option + ": pictures are written as PNG only; name the file .png";
}

std::string parseShot(const std::string& text, ShotRequest* shot) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 == text.size())
        return "--shot " + text + ": expected T:FILE.png";
    if (!parseSeconds(text.substr(0, colon), &shot->seconds))
        return "--shot " + text + ": '" + text.substr(0, colon) + "' is not a time in seconds";
    shot->path = text.substr(colon + 1);
    return checkPngName("--shot " + text, shot->path);
}

std::string checkVideoName(const std::string& path) {
    if (videoFormatFor(path))
        return "";
    std::string extension = authoring::fileExtension(path);
    return "--video " + path + ": " +
           (extension.empty() ? "no file extension to tell the format by"
                              : "no video format is written as '" + extension + "'") +
           "; use " + videoExtensions();
}

// One option with its value already split off. Returns an error line or "".
std::string applyOption(const std::string& name, const std::string& value, Options* options) {
    auto badSeconds = [&] { return name + " " + value + ": not a time in seconds"; };
    if (name == "--dir")
        options->directory = value;
    else if (name == "--script")
        options->script = value;
    else if (name == "--fps") {
        if (!parseCount(value, 1, kMaxFps, &options->fps))
            return "--fps " + value + ": expected a whole number from 1 to 1000";
    } else if (name == "--scale") {
        if (!parseCount(value, 1, kMaxScale, &options->scale))
            return "--scale " + value + ": expected 1, 2 or 3";
    } else if (name == "--from" || name == "--to") {
        bool from = name == "--from";
        // A time, or else the name of a section or marker (it cannot start with a digit).
        if (!parseSeconds(value, from ? &options->from : &options->to)) {
            if (value.empty() || std::isdigit(static_cast<unsigned char>(value[0])) ||
                value[0] == '.' || value[0] == '-')
                return badSeconds();
            (from ? options->fromName : options->toName) = value;
        }
        (from ? options->hasFrom : options->hasTo) = true;
    } else if (name == "--shot") {
        ShotRequest shot;
        std::string error = parseShot(value, &shot);
        if (!error.empty())
            return error;
        options->shots.push_back(shot);
    } else if (name == "--frames")
        options->framesDirectory = value;
    else if (name == "--video") {
        options->video = value;
        return checkVideoName(value);
    } else if (name == "--preset") {
        if (!videoPresetNamed(value, &options->preset))
            return "--preset " + value + ": expected web or draft";
    } else if (name == "--crf") {
        if (!parseCount(value, 0, kMaxVp9Crf, &options->crf))
            return "--crf " + value + ": expected a whole number from 0 to 63";
    } else if (name == "--sheet") {
        options->sheet = value;
        return checkPngName("--sheet " + value, value);
    } else if (name == "--every") {
        if (!parseSeconds(value, &options->every) ||
            authoring::millisecondsAtOrAfter(options->every) <= 0)
            return "--every " + value + ": expected a time in seconds of at least 0.001";
    } else if (name == "--columns") {
        if (!parseCount(value, 1, kMaxColumns, &options->columns))
            return "--columns " + value + ": expected a whole number from 1 to 64";
    }
    return "";
}

std::string checkCombinations(const Options& options, bool everyGiven, bool columnsGiven,
                              bool presetGiven) {
    if ((everyGiven || columnsGiven) && options.sheet.empty())
        return std::string(everyGiven ? "--every" : "--columns") + " needs --sheet";
    if ((presetGiven || options.crf != kPresetCrf) && options.video.empty())
        return std::string(presetGiven ? "--preset" : "--crf") + " needs --video";
    const VideoFormat* format = videoFormatFor(options.video);
    if (format && format->h264 && options.crf > kMaxH264Crf)
        return "--crf " + std::to_string(options.crf) + ": H.264 takes 0 to 51";
    bool named = !options.fromName.empty() || !options.toName.empty();
    if (options.hasFrom && options.hasTo && !named && options.to <= options.from)
        return "--to must be later than --from";
    if (options.shots.empty() && options.framesDirectory.empty() && options.video.empty() &&
        options.sheet.empty() && !options.bench)
        return "nothing to do: give --shot, --frames, --video, --sheet or --bench (see --help)";
    return "";
}

} // namespace

std::string parseOptions(int argc, char** argv, Options* options) {
    static const authoring::OptionNames kNames = {
        {"--bench", "--profile"},
        {"--dir", "--script", "--fps", "--scale", "--from", "--to", "--shot", "--frames", "--video",
         "--preset", "--crf", "--sheet", "--every", "--columns"}};
    bool everyGiven = false, columnsGiven = false, presetGiven = false;
    InfoRequest info = InfoRequest::NoInfo;
    std::string error = authoring::readOptions(
        argc, argv, kNames, &info, [&](const std::string& name, const std::string& value) {
            options->bench |= name == "--bench";
            options->profile |= name == "--profile";
            everyGiven |= name == "--every";
            columnsGiven |= name == "--columns";
            presetGiven |= name == "--preset";
            return applyOption(name, value, options);
        });
    options->help = info == InfoRequest::Help;
    options->version = info == InfoRequest::Version;
    if (!error.empty() || options->help || options->version)
        return error;
    options->bench |= options->profile;
    return checkCombinations(*options, everyGiven, columnsGiven, presetGiven);
}

const char* usageText() {
    return R"(Usage: solvane-capture [OPTIONS]
Renders Solvane's timeline offline on a fixed clock: frame n at F frames per second shows
music time floor(n * 1000 / F) ms. Every frame from 0 s to the last one asked for is drawn
in order, so scene state is what a real run at that frame rate would have. No sound device
is opened; without a DISPLAY a private Xvfb is started for the run.

Input:
  --dir DIR           run in the demo directory DIR (default: the current directory)
  --script FILE       read this timeline instead of DIR/script.odml
  --fps N             frames per second, 1 to 1000 (default 60)
  --scale N           render natively at N x 800 by N x 600, N = 1, 2 or 3 (default 1):
                      the same picture, sharper, off screen whatever the display's size
  --from S, --to S    the range in seconds, from <= t < to (default 0 and the timeline's end);
                      S may be the name of a section of the music's cue sheet (music.cues)
                      or of a "<!-- marker SECONDS NAME -->" comment in the timeline

Output (any combination; paths are relative to where you run the tool):
  --shot T:FILE.png   save the frame shown at T s: the first frame at or after T (repeatable)
  --frames DIR        save every frame of the range as DIR/frame-000000.png ...
  --video FILE        encode the range with ffmpeg with its slice of music.mp3, in the
                      format the name asks for: .mp4, .mov or .mkv (H.264 and AAC), .avi
                      (H.264 and MP3) or .webm (VP9 and Opus); the sound at 48 kHz, the
                      colours BT.709, and a chapter for each run of frames with the same
                      active effects (MP4, MOV, MKV and WebM)
    --preset P        web (default): ready to upload: H.264 High, a closed GOP of half a
                      second, 2 B-frames, AAC-LC, the index first; draft: fast, for checking
    --crf Q           quality, lower is better: 0 to 51 for H.264 (default 18 for web, 23
                      for draft), 0 to 63 for VP9 (default 32)
  --sheet FILE.png    a contact sheet of the range, labelled with times and active effects
    --every S         one thumbnail every S seconds (default 5)
    --columns C       thumbnails per row (default 6)
  --bench             render the range as fast as possible and print frame-time statistics,
                      overall and per section (a run of frames with the same active effects)
  --profile           with --bench: each scene's paint cost, GPU-finished (implies --bench)
  -h, --help          show this text
  --version           show the version

Errors are one line on standard error and exit status 2; nothing half-written is left behind.
A signal stops the run the same way, with status 128 + its number (130 for Ctrl+C, 143 for
SIGTERM).
)";
}

std::string resolveNamedRange(const std::vector<cues::Marker>& markers, Options* options) {
    for (bool from : {true, false}) {
        const std::string& name = from ? options->fromName : options->toName;
        if (name.empty())
            continue;
        const cues::Marker* marker = cues::findMarker(markers, name);
        if (!marker)
            return std::string(from ? "--from " : "--to ") + name +
                   ": no section or marker of that name (there are: " + cues::markerNames(markers) +
                   ")";
        (from ? options->from : options->to) = marker->seconds;
    }
    if (options->hasFrom && options->hasTo && options->to <= options->from)
        return "--to must be later than --from";
    return "";
}

std::string checkDistinctOutputs(const Options& options) {
    std::vector<std::pair<std::string, std::string>> outputs; // path, the option naming it
    for (const ShotRequest& shot : options.shots)
        outputs.emplace_back(shot.path, "--shot");
    if (!options.video.empty())
        outputs.emplace_back(options.video, "--video");
    if (!options.sheet.empty())
        outputs.emplace_back(options.sheet, "--sheet");
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (outputs[i].first == outputs[j].first)
                return outputs[i].first + ": named by both " + outputs[j].second + " and " +
                       outputs[i].second + "; give each output its own file";
    return "";
}

} // namespace capture
