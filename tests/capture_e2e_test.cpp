// solvane-capture end to end: run in a scratch demo directory on a three-effect timeline,
// its pictures decoded and its reports read back. Pixel checks need the "background" scene
// (a flat colour set by triggers); without it they skip and the clock is checked through
// the benchmark's sections, which name the effects active on each run of frames.
#include "tests/process_runner.h"
#include "tools/lib/mp3tone/mp3_tone.h"
#include "tools/lib/servers/private_servers.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kCapture = CAPTURE_PATH;
const std::string kFfprobe = FFPROBE_PATH;
const std::string kFfmpeg = FFMPEG_PATH;

// Red from 0 s, turning yellow at 0.25 s; green from 1 s; nothing from 2 s; blue from 2.05 s.
const char* const kTimeline = "<effect start=\"0\" end=\"1\" name=\"background\">\n"
                              "  <trigger start=\"0\" name=\"r\" value=\"1\"/>\n"
                              "  <trigger start=\"0\" name=\"g\" value=\"0\"/>\n"
                              "  <trigger start=\"0\" name=\"b\" value=\"0\"/>\n"
                              "  <trigger start=\"0.25\" name=\"g\" value=\"1\"/>\n"
                              "</effect>\n"
                              "<effect start=\"1\" end=\"2\" name=\"background\">\n"
                              "  <trigger start=\"0\" name=\"r\" value=\"0\"/>\n"
                              "</effect>\n"
                              "<effect start=\"2.05\" end=\"3\" name=\"background\">\n"
                              "  <trigger start=\"0\" name=\"g\" value=\"0\"/>\n"
                              "  <trigger start=\"0\" name=\"b\" value=\"1\"/>\n"
                              "</effect>\n";

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool read(const std::string& path) {
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str()))
            return false;
        image.format = PNG_FORMAT_RGB;
        width = static_cast<int>(image.width);
        height = static_cast<int>(image.height);
        rgb.resize(PNG_IMAGE_SIZE(image));
        return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    }
    // Channels at the centre, each rounded to 0 or 1.
    std::string centre() const {
        const unsigned char* p = &rgb[(static_cast<size_t>(height / 2) * width + width / 2) * 3];
        std::string bits;
        for (int i = 0; i < 3; ++i)
            bits += p[i] > 200 ? '1' : (p[i] < 55 ? '0' : '?');
        return bits;
    }
};

// Peak signal-to-noise ratio in dB of two 800-wide RGB pictures, over the rows and columns
// [x0, x1) x [y0, y1) (the whole picture by default).
double psnr(const unsigned char* a, const unsigned char* b, int x0 = 0, int y0 = 0, int x1 = 800,
            int y1 = 600) {
    double squares = 0;
    for (int y = y0; y < y1; ++y)
        for (int i = x0 * 3; i < x1 * 3; ++i) {
            const double difference = double(a[y * 2400 + i]) - b[y * 2400 + i];
            squares += difference * difference;
        }
    const double count = 3.0 * (x1 - x0) * (y1 - y0);
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * count / squares);
}

// The brightness above the darkest value in [x0, x1) x [y0, y1) of an 800-wide RGB picture:
// how much line is drawn there, wherever its edges fall.
double ink(const unsigned char* rgb, int x0, int y0, int x1, int y1) {
    int darkest = 255;
    double sum = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int y = y0; y < y1; ++y)
            for (int i = x0 * 3; i < x1 * 3; ++i) {
                darkest = std::min(darkest, int(rgb[y * 2400 + i]));
                sum += pass * (rgb[y * 2400 + i] - darkest);
            }
    return sum;
}

// An N x picture averaged over N x N blocks, as a viewer's downscale would.
std::vector<unsigned char> boxFiltered(const std::vector<unsigned char>& rgb, int n) {
    std::vector<unsigned char> small(800 * 600 * 3);
    for (size_t i = 0; i < small.size(); ++i) {
        const size_t x = i / 3 % 800, y = i / 2400, channel = i % 3;
        int sum = 0;
        for (int dy = 0; dy < n; ++dy)
            for (int dx = 0; dx < n; ++dx)
                sum += rgb[((y * n + dy) * 800 * n + x * n + dx) * 3 + channel];
        small[i] = static_cast<unsigned char>((sum + n * n / 2) / (n * n));
    }
    return small;
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The seconds at which a mono 16-bit recording at `rate` turns loud (above a quarter of full
// scale) after 100 ms of quiet.
std::vector<double> clickSeconds(const std::string& samples, int rate) {
    std::vector<double> clicks;
    int quiet = rate;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        int16_t sample = static_cast<int16_t>(uint8_t(samples[i]) | uint8_t(samples[i + 1]) << 8);
        if (std::abs(sample) < 32767 / 4) {
            ++quiet;
            continue;
        }
        if (quiet >= rate / 10)
            clicks.push_back(double(i / 2) / rate);
        quiet = 0;
    }
    return clicks;
}

struct SectionRow {
    std::string from, to;
    long long frames = 0;
    std::string effects;
};

// The rows of the benchmark's section table.
std::vector<SectionRow> sectionRows(const std::string& report) {
    std::vector<SectionRow> rows;
    std::istringstream lines(report.substr(report.find("Sections")));
    std::string line;
    while (std::getline(lines, line)) {
        char from[32], to[32];
        int number = 0, consumed = 0;
        SectionRow row;
        double median, p95, p99, max, fps;
        if (std::sscanf(line.c_str(), "%d %31s %31s %lld %lf %lf %lf %lf %lf %n", &number, from, to,
                        &row.frames, &median, &p95, &p99, &max, &fps, &consumed) == 9) {
            row.from = from;
            row.to = to;
            row.effects = line.substr(static_cast<size_t>(consumed));
            rows.push_back(row);
        }
    }
    return rows;
}

class CaptureEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        directory = makeTemporaryDirectory("solvane-capture");
        ASSERT_FALSE(directory.empty());
        writeFile(directory + "/script.odml", kTimeline);
        ASSERT_EQ(mkdir(path("data").c_str(), 0755), 0); // no pictures: grey where they would be
    }
    void TearDown() override { runCommand("rm -rf '" + directory + "'"); }

    int capture(const std::vector<std::string>& arguments) {
        ChildProcess tool;
        if (!tool.start(kCapture, arguments, directory))
            return -1;
        int status = tool.wait(300);
        output = tool.output();
        errors = tool.errors();
        return status;
    }
    std::string path(const std::string& name) const { return directory + "/" + name; }
    // ffprobe's answer for FILE, "key=value" a line (or csv with `csv`).
    std::string probe(const std::string& query, const std::string& file, bool csv = false) {
        EXPECT_EQ(runCommand("'" + kFfprobe + "' -v error " + query + " -of " +
                             (csv ? "csv" : "default=noprint_wrappers=1") + " '" + path(file) +
                             "' >'" + path("probe.txt") + "'"),
                  0);
        return readFile(path("probe.txt"));
    }

    // Whether the scene table has the "background" scene the pixel checks rely on.
    bool backgroundBuilt() {
        EXPECT_EQ(capture({"--bench", "--fps", "10"}), 0) << errors;
        return output.find(" background") != std::string::npos;
    }

    std::string directory, output, errors;
};

TEST_F(CaptureEndToEnd, BenchSectionsFollowTheEffectWindowsAtEachFrameRate) {
    ASSERT_EQ(capture({"--bench", "--fps", "10"}), 0) << errors;
    std::vector<SectionRow> rows = sectionRows(output);
    ASSERT_EQ(rows.size(), 4u) << output;
    EXPECT_EQ(rows[0].from + " " + rows[0].to, "0:00.000 0:00.900");
    EXPECT_EQ(rows[1].from + " " + rows[1].to, "0:01.000 0:01.900") << "start in, end out";
    EXPECT_EQ(rows[2].from + " " + rows[2].to, "0:02.000 0:02.000");
    EXPECT_EQ(rows[2].effects, "(nothing)");
    EXPECT_EQ(rows[3].from + " " + rows[3].to, "0:02.100 0:02.900");
    EXPECT_EQ(rows[0].frames + rows[1].frames + rows[2].frames + rows[3].frames, 30);
    EXPECT_NE(output.find("overall"), std::string::npos);
    EXPECT_EQ(output.find("Got Doublebuffered"), std::string::npos) << "host lines kept out";

    ASSERT_EQ(capture({"--bench", "--fps", "30", "--from", "0.99", "--to", "2.1"}), 0) << errors;
    rows = sectionRows(output);
    ASSERT_EQ(rows.size(), 3u) << output;
    EXPECT_EQ(rows[0].from + " " + rows[0].to + " " + std::to_string(rows[0].frames),
              "0:01.000 0:01.966 30");
    EXPECT_EQ(rows[1].from + " " + rows[1].to + " " + std::to_string(rows[1].frames),
              "0:02.000 0:02.033 2");
    EXPECT_EQ(rows[2].from + " " + rows[2].to, "0:02.066 0:02.066") << "--to is exclusive";
}

TEST_F(CaptureEndToEnd, ShotsAreRepeatableAndEqualTheFrameFiles) {
    ASSERT_EQ(capture({"--fps", "30", "--shot", "1.5:a.png", "--frames", "frames", "--from", "1.4",
                       "--to", "1.6"}),
              0)
        << errors;
    ASSERT_EQ(capture({"--fps", "30", "--shot", "1.5:b.png"}), 0) << errors;
    std::string first = readFile(path("a.png"));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, readFile(path("b.png"))) << "the same shot twice";
    EXPECT_EQ(first, readFile(path("frames/frame-000045.png"))) << "1.5 s is frame 45 at 30 fps";
    EXPECT_TRUE(exists(path("frames/frame-000042.png")));
    EXPECT_TRUE(exists(path("frames/frame-000047.png")));
    EXPECT_FALSE(exists(path("frames/frame-000048.png"))) << "1.6 s is past the range";

    Picture shot;
    ASSERT_TRUE(shot.read(path("a.png")));
    EXPECT_EQ(shot.width, 800);
    EXPECT_EQ(shot.height, 600);
}

TEST_F(CaptureEndToEnd, FixedClockShowsEachEffectAndTriggerOnItsFrame) {
    if (!backgroundBuilt())
        GTEST_SKIP() << "the \"background\" scene is not in the scene table yet";
    ASSERT_EQ(capture({"--fps", "10", "--frames", "ten"}), 0) << errors;
    const std::vector<std::pair<int, std::string>> tenFps = {{0, "100"},  {2, "100"},  {3, "110"},
                                                             {9, "110"},  {10, "010"}, {19, "010"},
                                                             {20, "000"}, {21, "001"}, {29, "001"}};
    for (const auto& [frame, colour] : tenFps) {
        char name[64];
        std::snprintf(name, sizeof name, "ten/frame-%06d.png", frame);
        Picture picture;
        ASSERT_TRUE(picture.read(path(name))) << name;
        EXPECT_EQ(picture.centre(), colour) << "frame " << frame << " at 10 fps";
    }
    // At 30 fps the 0.25 s trigger is first due at frame 8 (0.266 s), not frame 7 (0.233 s).
    ASSERT_EQ(capture({"--fps", "30", "--shot", "0.2:before.png", "--shot", "0.25:after.png"}), 0)
        << errors;
    Picture before, after;
    ASSERT_TRUE(before.read(path("before.png")) && after.read(path("after.png")));
    EXPECT_EQ(before.centre(), "100");
    EXPECT_EQ(after.centre(), "110");
}

TEST_F(CaptureEndToEnd, BadInputFailsInOneLineAndLeavesNoFile) {
    // Refused before any scene is built: the one line is all there is.
    auto expectRefused = [&](const std::vector<std::string>& arguments, const std::string& why) {
        EXPECT_EQ(capture(arguments), 2) << why << "\n" << errors;
        EXPECT_EQ(errors.find("solvane-capture: "), 0u) << why << ": " << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << why << ": one line, got " << errors;
    };
    expectRefused({"--dir", "/nonexistent-demo", "--bench"}, "a missing directory");
    runCommand("mkdir '" + path("locked") + "' && chmod 000 '" + path("locked") + "'");
    if (access(path("locked").c_str(), R_OK) != 0) // root reads anything
        expectRefused({"--dir", path("locked"), "--bench"}, "an unreadable directory");
    expectRefused({"--shot", "0.5:early.png", "--shot", "3.1:late.png"}, "a time past the end");
    expectRefused({"--shot", "0.5:early.png", "--shot", "1:/nonexistent/dir/x.png"},
                  "an unwritable output path");
    expectRefused({"--frames", "new-frames", "--to", "4"}, "--to past the end");
    expectRefused({"--script", "missing.odml", "--bench"}, "a missing timeline");
    expectRefused({"--shot", "0.5:same.png", "--shot", "1:same.png"}, "one file named twice");
    expectRefused({"--shot", "0.5:a.jpg"}, "a picture that is no PNG");
    runCommand("cd '" + directory + "' && touch data/1.png && ln -s data/1.png link.png");
    expectRefused({"--shot", "0.5:link.png"}, "a link to a picture");
    EXPECT_NE(errors.find("link.png: is the demo's picture data/1.png"), std::string::npos);
    writeFile(path("x.png"), kTimeline);
    expectRefused({"--script", "x.png", "--sheet", "x.png"}, "the timeline as the sheet");
    EXPECT_EQ(readFile(path("x.png")), kTimeline);
    runCommand("cd '" + directory + "' && rm link.png x.png data/1.png");
    expectRefused({"--bogus"}, "an unknown option");
    EXPECT_EQ(errors, "solvane-capture: unknown option --bogus (see --help)\n");
    // Refused at once, or (as root, whom access() lets write anywhere) when the shot is saved.
    EXPECT_EQ(capture({"--shot", "0.5:/proc/nope.png"}), 2);
    EXPECT_NE(errors.find("solvane-capture: /proc/nope.png: "), std::string::npos) << errors;
    EXPECT_EQ(errors.find(".partial"), std::string::npos) << "the user's name, not ours";
    runCommand("rm -rf '" + path("data") + "'");
    expectRefused({"--bench"}, "a directory without data/");
    EXPECT_NE(errors.find("not a demo directory"), std::string::npos) << errors;
    runCommand("mkdir '" + path("data") + "'");
    EXPECT_FALSE(exists(path("same.png")));
    EXPECT_FALSE(exists(path("early.png")));
    EXPECT_FALSE(exists(path("late.png")));
    EXPECT_FALSE(exists(path("new-frames")));

    int writer = makeSilentFifo(path("music.mp3")); // one that never writes
    expectRefused({"--video", "v.mp4"}, "a FIFO as the music");
    EXPECT_NE(errors.find("music.mp3: cannot read the music for the video: not a regular file"),
              std::string::npos)
        << errors;
    close(writer);
    unlink(path("music.mp3").c_str());
    writeFile(path("music.mp3"), "not played");
    EXPECT_EQ(runCommand("cd '" + directory + "' && PATH=/nonexistent '" + kCapture +
                         "' --video v.mp4 2>err.txt"),
              2);
    EXPECT_NE(readFile(path("err.txt")).find("ffmpeg"), std::string::npos);
    EXPECT_FALSE(exists(path("v.mp4")));

    // A failure after rendering has begun: ffmpeg cannot read this "music".
    EXPECT_EQ(capture({"--video", "v.mp4", "--shot", "0.1:shot.png", "--to", "0.5"}), 2) << errors;
    EXPECT_NE(errors.find("ffmpeg"), std::string::npos) << errors;
    EXPECT_EQ(runCommand("test -z \"$(ls -A '" + directory +
                         "' | grep -v -e script.odml -e music.mp3 -e locked -e err.txt -e "
                         "stdout.txt -e stderr.txt -e data)\""),
              0)
        << "left behind: " << readFile(path("stdout.txt"));
    runCommand("chmod 755 '" + path("locked") + "'");
}

TEST_F(CaptureEndToEnd, VideoHasTheRangesFramesDurationAndMusic) {
    // The music, clicks at 0 and 1 s, ends inside the range: a warning, and silence for the rest.
    mp3tone::ToneOptions clicks;
    clicks.seconds = 1.2;
    clicks.frequency = 3000;
    clicks.clickIntervalSeconds = 1;
    ASSERT_TRUE(mp3tone::writeTone(path("music.mp3"), clicks));
    ASSERT_EQ(capture({"--video", "clip.mp4", "--fps", "25", "--from", "0.5", "--to", "1.5"}), 0)
        << errors;
    // Under the picture from 0.5 s, the music from 0.5 s: the click of 1 s at 0.5 s, within one
    // AAC frame.
    ASSERT_EQ(runCommand("'" + kFfmpeg + "' -v error -i '" + path("clip.mp4") +
                         "' -ac 1 -ar 44100 -f s16le '" + path("clip.pcm") + "'"),
              0);
    std::vector<double> heard = clickSeconds(readFile(path("clip.pcm")), 44100);
    ASSERT_EQ(heard.size(), 1u) << "first at " << (heard.empty() ? -1 : heard[0]);
    EXPECT_NEAR(heard[0], 0.5, 1024.0 / 44100);
    EXPECT_NE(errors.find("solvane-capture: warning: the video runs to 0:01.520 but the music "
                          "ends at 0:01.2"),
              std::string::npos)
        << errors;
    ASSERT_EQ(runCommand("'" + kFfprobe +
                         "' -v error -count_frames -show_entries "
                         "stream=codec_type,codec_name,pix_fmt,nb_read_frames,r_frame_rate "
                         "-show_entries format=duration -of default=noprint_wrappers=1 '" +
                         path("clip.mp4") + "' >'" + path("probe.txt") + "'"),
              0);
    std::string probe = readFile(path("probe.txt"));
    EXPECT_NE(probe.find("codec_name=h264"), std::string::npos) << probe;
    EXPECT_NE(probe.find("pix_fmt=yuv420p"), std::string::npos) << probe;
    EXPECT_NE(probe.find("r_frame_rate=25/1"), std::string::npos) << probe;
    EXPECT_NE(probe.find("nb_read_frames=25\n"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_type=audio"), std::string::npos) << probe;
    size_t at = probe.find("duration=");
    ASSERT_NE(at, std::string::npos) << probe;
    EXPECT_NEAR(std::atof(probe.c_str() + at + 9), 1.0, 0.05) << probe;

    // The name's extension picks the container and its codecs.
    ASSERT_EQ(capture({"--video", "clip.avi", "--fps", "10", "--to", "0.5"}), 0) << errors;
    EXPECT_EQ(errors.find("warning"), std::string::npos) << "the music lasts past this range";
    ASSERT_EQ(runCommand("'" + kFfprobe +
                         "' -v error -show_entries stream=codec_name -show_entries "
                         "format=format_name -of default=noprint_wrappers=1 '" +
                         path("clip.avi") + "' >'" + path("probe.txt") + "'"),
              0);
    probe = readFile(path("probe.txt"));
    EXPECT_NE(probe.find("format_name=avi"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_name=mp3"), std::string::npos) << probe;
}

TEST_F(CaptureEndToEnd, WebVideoIsReadyToUploadWithChaptersAndBt709Colours) {
    mp3tone::ToneOptions tone;
    tone.seconds = 3;
    ASSERT_TRUE(mp3tone::writeTone(path("music.mp3"), tone));
    ASSERT_EQ(capture({"--video", "web.mp4", "--fps", "30", "--to", "2.1", "--shot", "0.4:s.png"}),
              0)
        << errors;
    std::string stream = probe("-show_entries stream=profile,pix_fmt,field_order,color_space,"
                               "color_primaries,color_transfer,sample_rate,channels",
                               "web.mp4");
    for (const char* field : {"profile=High\n", "pix_fmt=yuv420p", "field_order=progressive",
                              "color_space=bt709", "color_primaries=bt709", "color_transfer=bt709",
                              "profile=LC", "sample_rate=48000", "channels=2"})
        EXPECT_NE(stream.find(field), std::string::npos) << field << " in\n" << stream;
    const std::string video = readFile(path("web.mp4"));
    EXPECT_LT(video.find("moov"), video.find("mdat")) << "the index comes first";

    // A keyframe every 15 frames, and no frame decoded after one is shown before it.
    std::istringstream packets(
        probe("-select_streams v -show_entries packet=pts,flags", "web.mp4", true));
    std::vector<long> keyframes;
    long lastKey = -1, frames = 0;
    for (std::string line; std::getline(packets, line); ++frames) {
        const long pts = std::atol(line.c_str() + line.find(',') + 1);
        EXPECT_GE(pts, lastKey) << "a frame refers across the keyframe at " << lastKey;
        if (line.find(",K") != std::string::npos)
            keyframes.push_back(lastKey = pts);
    }
    EXPECT_EQ(frames, 63);
    std::string types = probe("-select_streams v -show_entries frame=pict_type", "web.mp4", true);
    types.erase(std::remove_if(types.begin(), types.end(), [](char c) { return !std::isupper(c); }),
                types.end());
    EXPECT_TRUE(types.find("BB") != std::string::npos && types.find("BBB") == std::string::npos)
        << "two B-frames in a row at most: " << types;
    ASSERT_EQ(keyframes.size(), 5u);
    for (size_t i = 1; i < keyframes.size(); ++i)
        EXPECT_EQ(keyframes[i] - keyframes[i - 1], keyframes[1]) << "GOP " << i;

    // A chapter for each run of frames with the same effects, in MP4 and MKV alike.
    ASSERT_EQ(capture({"--video", "web.mkv", "--preset", "draft", "--fps", "30", "--to", "2.1"}), 0)
        << errors;
    for (const char* file : {"web.mp4", "web.mkv"}) {
        std::istringstream rows(probe("-show_entries chapter=start_time:chapter_tags=title", file));
        std::string starts, titles;
        for (std::string row; std::getline(rows, row);)
            (row.find("start_time=") == 0 ? starts : titles) += row.substr(row.find('=') + 1) + " ";
        EXPECT_EQ(starts, "0.000000 1.000000 2.000000 2.066000 ") << file;
        EXPECT_EQ(titles, "background background (nothing) background ") << file;
    }
    // The music's sections and the timeline's markers name the chapters where there are any.
    writeFile(path("music.cues"), "tempo 0 120 4/4\nsection 1.5 drop\n");
    writeFile(path("script.odml"), readFile(path("script.odml")) + "<!-- marker 0.5 rise -->\n");
    ASSERT_EQ(capture({"--video", "named.mkv", "--preset", "draft", "--fps", "30", "--to", "2.1"}),
              0)
        << errors;
    EXPECT_EQ(probe("-show_entries chapter=start_time:chapter_tags=title", "named.mkv"),
              "start_time=0.000000\nTAG:title=background\nstart_time=0.500000\nTAG:title=rise\n"
              "start_time=1.500000\nTAG:title=drop\n");

    // The frame shown at 0.4 s decodes to the shot within the codec's error.
    ASSERT_EQ(runCommand("'" + kFfmpeg + "' -v error -i '" + path("web.mp4") +
                         "' -vf 'select=eq(n\\,12)' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" +
                         path("frame.rgb") + "'"),
              0);
    Picture shot;
    ASSERT_TRUE(shot.read(path("s.png")));
    const std::string decoded = readFile(path("frame.rgb"));
    ASSERT_EQ(decoded.size(), shot.rgb.size());
    EXPECT_GE(psnr(reinterpret_cast<const unsigned char*>(decoded.data()), shot.rgb.data()), 40);
}

TEST_F(CaptureEndToEnd, DoubleScaleIsTheSamePictureSharper) {
    // The pixel-measured scenes: the meter's thinnest lines, a capture shattered, the blur's
    // feedback.
    // The twister's missing picture shows white: dimmed, so that the meter's white shows.
    writeFile(path("script.odml"), "<effect start=\"0\" end=\"2\" name=\"twister\"/>\n"
                                   "<effect start=\"0\" end=\"2\" name=\"background\">\n"
                                   "  <trigger name=\"r\" value=\"0\"/><trigger name=\"g\" "
                                   "value=\"0\"/>\n  <trigger name=\"b\" value=\"0\"/>"
                                   "<trigger name=\"a\" value=\"0.7\"/>\n</effect>\n"
                                   "<effect start=\"0\" end=\"2\" name=\"designmojs2\"/>\n"
                                   "<effect start=\"0.5\" end=\"1\" name=\"render2texture\"/>\n"
                                   "<effect start=\"0.5\" end=\"1\" name=\"crash\"/>\n"
                                   "<effect start=\"1\" end=\"2\" name=\"particles\"/>\n"
                                   "<effect start=\"1\" end=\"2\" name=\"radialblur\"/>\n");
    const std::vector<std::string> times = {"0.3", "0.8", "1.5", "1.9"};
    for (const char* scale : {"1", "2"}) {
        std::vector<std::string> arguments = {"--fps", "30", "--scale", scale};
        for (const std::string& time : times)
            arguments.insert(arguments.end(), {"--shot", time + ":" + scale + "x" + time + ".png"});
        ASSERT_EQ(capture(arguments), 0) << errors;
    }
    for (const std::string& time : times) {
        Picture one, two;
        ASSERT_TRUE(one.read(path("1x" + time + ".png")) && two.read(path("2x" + time + ".png")));
        ASSERT_EQ(two.width * 10000 + two.height, 1600 * 10000 + 1200);
        const std::vector<unsigned char> down = boxFiltered(two.rgb, 2);
        EXPECT_GE(psnr(down.data(), one.rgb.data()), 30) << time << " s";
        EXPECT_NEAR(ink(down.data(), 720, 530, 790, 580) / ink(one.rgb.data(), 720, 530, 790, 580),
                    1, 0.2)
            << "the meter's lines at " << time << " s";
    }
}

TEST_F(CaptureEndToEnd, SignalsStopTheRunWithTheirOwnStatus) {
    writeFile(path("script.odml"), "<effect start=\"0\" end=\"600\" name=\"background\"/>\n");
    ChildProcess tool;
    ASSERT_TRUE(tool.start(kCapture, {"--bench", "--fps", "1000"}, directory));
    usleep(1500000);
    tool.signal(SIGTERM);
    EXPECT_EQ(tool.wait(60), 143);
    const std::string last = "\nsolvane-capture: interrupted\n";
    const std::string errors = tool.errors();
    EXPECT_EQ(errors.substr(errors.size() - std::min(errors.size(), last.size())), last) << errors;

    // While the video is being finished, by an ffmpeg that takes its time over it.
    writeFile(path("script.odml"), kTimeline);
    writeFile(path("music.mp3"), "not read");
    ASSERT_EQ(mkdir(path("bin").c_str(), 0755), 0);
    writeFile(path("bin/ffmpeg"), "#!/bin/sh\ncat >/dev/null\ntouch finishing\nexec sleep 60\n");
    ASSERT_EQ(chmod(path("bin/ffmpeg").c_str(), 0755), 0);
    const std::string searched = std::getenv("PATH");
    setenv("PATH", (path("bin") + ":" + searched).c_str(), 1);
    ChildProcess finishing;
    ASSERT_TRUE(finishing.start(kCapture, {"--video", "v.mp4", "--fps", "10"}, directory));
    setenv("PATH", searched.c_str(), 1);
    for (int waited = 0; waited < 600 && !exists(path("finishing")); ++waited)
        usleep(100000);
    finishing.signal(SIGTERM);
    EXPECT_EQ(finishing.wait(30), 143) << finishing.errors();
    EXPECT_NE(runCommand("ls -A '" + directory + "' | grep -q v.mp4"), 0) << "nothing left";
}

TEST_F(CaptureEndToEnd, ALostDisplayStopsTheRunAndLeavesNoFile) {
    writeFile(path("script.odml"), "<effect start=\"0\" end=\"600\" name=\"background\"/>\n");
    ASSERT_TRUE(mp3tone::writeTone(path("music.mp3"), mp3tone::ToneOptions()));
    servers::PrivateXvfb display;
    ASSERT_EQ(display.start(), "");
    ChildProcess tool;
    ASSERT_TRUE(tool.start(kCapture, {"--fps", "1000", "--frames", "frames", "--video", "v.mp4"},
                           directory));
    const std::string framesWritten = "ls -A '" + path("frames") + "' 2>/dev/null | grep -q .";
    for (int waited = 0; waited < 600 && runCommand(framesWritten) != 0; ++waited)
        usleep(100000);
    display.stop();
    EXPECT_EQ(tool.wait(60), 2);
    EXPECT_NE(tool.errors().find("solvane-capture: lost the connection to the X display\n"),
              std::string::npos)
        << tool.errors();
    EXPECT_FALSE(exists(path("frames"))) << "the frames it made are gone";
    usleep(500000); // for an ffmpeg left running to write what it had
    EXPECT_EQ(runCommand("test \"$(ls -A '" + directory +
                         "' | tr '\\n' ' ')\" = "
                         "'data music.mp3 script.odml stderr.txt stdout.txt '"),
              0)
        << "left behind: " << readFile(path("stdout.txt"));
    EXPECT_NE(runCommand("pgrep -f '[f]fmpeg.*" + directory + "' >/dev/null"), 0)
        << "ffmpeg still runs";
}

TEST_F(CaptureEndToEnd, SheetAndProfileCoverTheRange) {
    ASSERT_EQ(capture({"--sheet", "sheet.png", "--every", "0.5", "--columns", "4", "--bench",
                       "--profile", "--fps", "10"}),
              0)
        << errors;
    Picture sheet;
    ASSERT_TRUE(sheet.read(path("sheet.png")));
    // Six thumbnails (0 to 2.5 s) in two rows of four.
    EXPECT_EQ(sheet.width, 14 + 4 * (240 + 14));
    EXPECT_EQ(sheet.height, 40 + 2 * (180 + 50 + 14) + 14);
    ASSERT_NE(output.find("Scene paint cost"), std::string::npos) << output;
    size_t row = output.find("\nbackground ", output.find("Scene paint cost"));
    if (row != std::string::npos) {
        // 29 of the 30 frames paint the background; only 2.0 s shows nothing.
        EXPECT_EQ(std::atoi(output.c_str() + row + 11), 29) << output;
    }
}

} // namespace
