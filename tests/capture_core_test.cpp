// solvane-capture's pieces that need no window: the command line, the frame plan, the
// active-effect bookkeeping, the statistics and the profiler's stand-ins.
#include "host/demo.h"
#include "host/demo_player.h"
#include "tests/recording_callback.h"
#include "tools/author/capture/capture_plan.h"
#include "tools/author/capture/chapters.h"
#include "tools/author/capture/frame_pipe.h"
#include "tools/author/capture/frame_stats.h"
#include "tools/author/capture/options.h"
#include "tools/author/capture/output_files.h"
#include "tools/author/capture/scene_profiler.h"
#include "tools/lib/authoring/timeline_info.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <string>
#include <unistd.h>
#include <vector>

using namespace capture;
using namespace authoring;

namespace {

std::string parse(std::vector<std::string> words, Options* options) {
    std::vector<char*> argv{const_cast<char*>("solvane-capture")};
    for (std::string& word : words)
        argv.push_back(word.data());
    return parseOptions(static_cast<int>(argv.size()), argv.data(), options);
}

void loadTimeline(tarvo64k::Script& script, const std::string& text) {
    script.parse(reinterpret_cast<const unsigned char*>(text.data()),
                 static_cast<unsigned int>(text.size()));
}

} // namespace

TEST(CaptureOptions, ReadsEveryFormAndRejectsMistakesInOneLine) {
    Options options;
    ASSERT_EQ(parse({"--dir", "demo", "--fps=30", "--shot", "1.5:a.png", "--shot=2:b.png",
                     "--sheet", "s.png", "--every", "2", "--columns", "4", "--profile"},
                    &options),
              "");
    EXPECT_EQ(options.directory, "demo");
    EXPECT_EQ(options.fps, 30);
    ASSERT_EQ(options.shots.size(), 2u);
    EXPECT_EQ(options.shots[0].path, "a.png");
    EXPECT_DOUBLE_EQ(options.shots[1].seconds, 2.0);
    EXPECT_EQ(options.columns, 4);
    EXPECT_TRUE(options.bench) << "--profile implies --bench";

    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"--fps", "0", "--bench"},
        {"--fps", "24.5", "--bench"},
        {"--shot", "a.png"},
        {"--shot", "x:a.png"},
        {"--bench", "--every", "2"},
        {"--bench", "--from", "5", "--to", "5"},
        {"--bench", "--fast"},
        {"--bench", "stray"},
        {"--video"},
        {"--shot", "1:a.jpg"},
        {"--sheet", "sheet"},
        {"--video", "clip.gif"},
        {"--bench", "--preset", "web"},
        {"--video", "a.mp4", "--preset", "slow"},
        {"--video", "a.mp4", "--crf", "52"},
    };
    for (const auto& words : mistakes) {
        Options fresh;
        std::string error = parse(words, &fresh);
        EXPECT_FALSE(error.empty()) << (words.empty() ? "(no arguments)" : words[0]);
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    Options bogus;
    EXPECT_EQ(parse({"--bench", "--bogus"}, &bogus), "unknown option --bogus (see --help)");
    EXPECT_EQ(parse({"--shot", "1:a.jpg"}, &bogus),
              "--shot 1:a.jpg: pictures are written as PNG only; name the file .png");
    EXPECT_EQ(parse({"--video", "clip.gif"}, &bogus),
              "--video clip.gif: no video format is written as '.gif'; use .mp4, .mov, .mkv, "
              ".avi or .webm");

    Options draft;
    ASSERT_EQ(parse({"--video", "a.webm", "--preset", "draft", "--crf", "63"}, &draft), "");
    EXPECT_TRUE(draft.preset == VideoPreset::Draft && draft.crf == 63);
    for (const char* name : {"a.MP4", "a.mov", "a.mkv", "a.avi", "a.webm"}) {
        Options video;
        EXPECT_EQ(parse({"--video", name, "--shot", "1:b.PNG"}, &video), "") << name;
    }
    Options help, version;
    EXPECT_EQ(parse({"-h"}, &help), "");
    EXPECT_TRUE(help.help);
    EXPECT_EQ(parse({"--version", "--fps", "0"}, &version), "--fps 0: expected a whole number "
                                                            "from 1 to 1000");
    EXPECT_EQ(parse({"--version"}, &version), "");
    EXPECT_TRUE(version.version);
}

TEST(CaptureOptions, FromAndToTakeSectionAndTimelineMarkerNames) {
    cues::CueSheet sheet;
    ASSERT_EQ(cues::parseCueSheet("tempo 0 128 4/4\nsection 0 intro\nsection 60 main theme\n"
                                  "section 150 outro\n",
                                  &sheet),
              "");
    const std::vector<cues::Marker> markers = cues::namedTimes(
        &sheet, "<!-- the drop -->\n<!--marker 61.875 First Hook-->\n<!-- marker x bad -->\n"
                "<effect start=\"0\" end=\"1\" name=\"lines\"/><!-- marker 150 last -->");
    ASSERT_EQ(cues::markerNames(markers), "intro, main theme, First Hook, outro, last");

    Options options;
    ASSERT_EQ(parse({"--bench", "--from", "Main Theme", "--to=first hook"}, &options), "");
    EXPECT_EQ(resolveNamedRange(markers, &options), "");
    EXPECT_DOUBLE_EQ(options.from, 60.0);
    EXPECT_DOUBLE_EQ(options.to, 61.875);

    Options backwards, unknown, mixed;
    ASSERT_EQ(parse({"--bench", "--from", "outro", "--to", "intro"}, &backwards), "");
    EXPECT_EQ(resolveNamedRange(markers, &backwards), "--to must be later than --from");
    ASSERT_EQ(parse({"--bench", "--from", "chorus"}, &unknown), "");
    EXPECT_EQ(resolveNamedRange(markers, &unknown),
              "--from chorus: no section or marker of that name (there are: intro, main theme, "
              "First Hook, outro, last)");
    ASSERT_EQ(parse({"--bench", "--from", "61", "--to", "last"}, &mixed), "");
    EXPECT_EQ(resolveNamedRange(markers, &mixed), "");
    EXPECT_DOUBLE_EQ(mixed.to, 150.0);
    EXPECT_NE(parse({"--bench", "--from", "1.5s"}, &mixed), "") << "a mistyped time is no name";
}

TEST(CaptureOptions, OutputsMustBeDistinctAndAreReportedByTheirOwnNames) {
    Options options;
    ASSERT_EQ(
        parse({"--shot", "1:same.png", "--sheet", "sheet.png", "--shot", "2:same.png"}, &options),
        "");
    EXPECT_EQ(checkDistinctOutputs(options),
              "same.png: named by both --shot and --shot; give each output its own file");
    options.shots.pop_back();
    EXPECT_EQ(checkDistinctOutputs(options), "");
    options.video = "sheet.png";
    EXPECT_NE(checkDistinctOutputs(options), "");

    OutputFiles outputs;
    std::string temporary = outputs.stage("/out/a.png");
    EXPECT_NE(temporary, "/out/a.png");
    EXPECT_EQ(outputs.inFinalNames(temporary + ": Permission denied; " + temporary + ".log"),
              "/out/a.png: Permission denied; /out/a.png.log");
    outputs.abandon();
}

TEST(CapturePlan, RangeIsHalfOpenAndTimesPastTheEndAreRefused) {
    Options options;
    options.fps = 10;
    options.bench = true;
    Plan plan;
    ASSERT_EQ(makePlan(options, 3.0f, &plan), "");
    EXPECT_EQ(plan.rangeFirst, 0);
    EXPECT_EQ(plan.rangeEnd, 30) << "the frame at the end itself shows no effect";
    EXPECT_EQ(plan.lastFrame, 29);

    options.hasFrom = options.hasTo = true;
    options.from = 0.95;
    options.to = 2;
    ASSERT_EQ(makePlan(options, 3.0f, &plan), "");
    EXPECT_EQ(plan.rangeFirst, 10);
    EXPECT_EQ(plan.rangeEnd, 20);

    options.to = 3.5;
    EXPECT_NE(makePlan(options, 3.0f, &plan), "");
    EXPECT_NE(makePlan(Options(), 0.0f, &plan), "") << "an empty timeline";

    Options shots;
    shots.fps = 30;
    shots.shots = {{2.99, "late.png"}};
    ASSERT_EQ(makePlan(shots, 3.0f, &plan), "");
    EXPECT_EQ(plan.shots[0].frame, 90) << "3.000 s is the end, which still runs";
    shots.shots = {{3.001, "after.png"}};
    EXPECT_NE(makePlan(shots, 3.0f, &plan), "");

    // An endless timeline ends where seconds lose the millisecond: no 20-day plans, however
    // far the time asked for (2^32 ms is where 32-bit milliseconds wrap to 0).
    for (double far : {4294967.296, 1e300}) {
        shots.shots = {{far, "far.png"}};
        EXPECT_NE(makePlan(shots, HUGE_VALF, &plan).find("beyond the timeline's end (16384"),
                  std::string::npos);
    }
    shots.shots = {{16384, "last.png"}};
    ASSERT_EQ(makePlan(shots, 1e30f, &plan), "");
    EXPECT_EQ(plan.lastFrame, 16384 * 30);
    EXPECT_NE(makePlan(Options(), std::nanf(""), &plan), "") << "a NaN end";
}

TEST(CapturePlan, SheetTakesAFrameEveryStepOfTheRange) {
    Options options;
    options.fps = 60;
    options.sheet = "s.png";
    options.every = 0.5;
    Plan plan;
    ASSERT_EQ(makePlan(options, 2.0f, &plan), "");
    EXPECT_EQ(plan.sheetFrames, (std::vector<int64_t>{0, 30, 60, 90}));
    options.every = 0.001;
    options.columns = 1;
    EXPECT_NE(makePlan(options, 200.0f, &plan), "") << "more thumbnails than a sheet holds";
}

TEST(CaptureTimeline, ActiveEffectsAreExactlyTheOnesThatPaint) {
    std::vector<RecordedCall> log;
    RecordingCallback one("one", &log), two("two", &log), stale("two", &log);
    tarvo64k::Script script;
    script.addCallback("one", &one);
    script.addCallback("two", &stale);
    script.addCallback("two", &two);
    loadTimeline(script, "<effect start=\"0\" end=\"1\" name=\"one\"/>"
                         "<effect start=\"1\" end=\"2.5\" name=\"two\"/>"
                         "<effect start=\"0.5\" end=\"1.25\" name=\"missing\"/>"
                         "<effect start=\"2\" end=\"3\" name=\"one\"/>");
    std::vector<std::string> names = effectSceneNames(script);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two", "(no scene)", "one"}));
    EXPECT_EQ(sceneName(script, &two), "two") << "the last row with the pointer names it";

    std::vector<int> active;
    for (int64_t frame = 0; frame <= 95; ++frame) {
        float time = musicSeconds(FixedFrameClock::frameMilliseconds(frame, 30));
        log.clear();
        script.update(time);
        activeEffects(script, time, &active);
        std::vector<std::string> painted, expected;
        for (const RecordedCall& call : log)
            painted.push_back(call.scene);
        for (int index : active)
            if (script.effects[static_cast<size_t>(index)]->callback)
                expected.push_back(names[static_cast<size_t>(index)]);
        ASSERT_EQ(painted, expected) << "frame " << frame << " at " << time << " s";
    }
    activeEffects(script, 1.0f, &active);
    EXPECT_EQ(describeEffects(names, active), "two, (no scene)") << "start in, end out";
    activeEffects(script, 3.0f, &active);
    EXPECT_EQ(describeEffects(names, active), "(nothing)");
    // A bench row names a few, however many effects paint at once.
    EXPECT_EQ(describeEffects(std::vector<std::string>(3000000, "x"), std::vector<int>(3000000)),
              "x, x, x, x, x, x, x, x and 2999992 more");
}

TEST(CaptureChapters, MetadataCoversTheVideosRangeOnly) {
    const std::vector<Chapter> chapters = {
        {4000, "late"}, {0, "intro"}, {1000, "a=b;#\\"}, {2500, "past"}};
    const std::string head = ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\n";
    EXPECT_EQ(chapterMetadata(chapters, 1500, 2500),
              head + "START=0\nEND=1000\ntitle=a\\=b\\;\\#\\\\\n");
    EXPECT_EQ(chapterMetadata(chapters, 5000, 6000), head + "START=0\nEND=1000\ntitle=late\n");
    EXPECT_EQ(chapterMetadata(chapters, 0, 1000), head + "START=0\nEND=1000\ntitle=intro\n");
    EXPECT_EQ(chapterMetadata({{3000, "after"}}, 0, 3000), "");
}

TEST(CaptureFramePipe, QueuesAheadOfASlowReaderInOrderAndReportsOneThatLeft) {
    std::signal(SIGPIPE, SIG_IGN);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FramePipe frames;
    frames.start(fds[1]);
    // Each frame is larger than the pipe holds, and nothing reads yet: pushes must not wait
    // (a wait hangs the test until the harness's time limit).
    std::vector<unsigned char> frame(256 * 1024);
    for (unsigned char i = 0; i < 4; ++i) {
        frame.assign(frame.size(), i);
        ASSERT_TRUE(frames.push(frame.data(), frame.size()));
    }
    std::vector<unsigned char> received(frame.size());
    for (unsigned char i = 0; i < 4; ++i) {
        size_t got = 0;
        while (got < received.size()) {
            const ssize_t n = read(fds[0], received.data() + got, received.size() - got);
            ASSERT_GT(n, 0);
            got += static_cast<size_t>(n);
        }
        EXPECT_TRUE(received == std::vector<unsigned char>(frame.size(), i)) << "frame " << int(i);
    }
    EXPECT_TRUE(frames.close());

    close(fds[0]); // the reader leaves
    frames.start(fds[1]);
    bool taken = true;
    for (int i = 0; i < 20 && taken; ++i)
        taken = frames.push(frame.data(), frame.size());
    EXPECT_FALSE(taken && frames.close());
    close(fds[1]);
}

TEST(CaptureStats, PercentilesAndSectionsFollowTheFrames) {
    std::vector<double> times;
    for (int i = 100; i >= 1; --i)
        times.push_back(i);
    TimeSummary summary = summarise(times);
    EXPECT_EQ(summary.count, 100);
    EXPECT_DOUBLE_EQ(summary.median, 50.5);
    EXPECT_DOUBLE_EQ(summary.p95, 95);
    EXPECT_DOUBLE_EQ(summary.p99, 99);
    EXPECT_DOUBLE_EQ(summary.max, 100);
    EXPECT_DOUBLE_EQ(summary.total, 5050);

    std::vector<Section> sections;
    addToSections(&sections, {0}, "a", 0, 0, 1);
    addToSections(&sections, {0}, "a", 1, 16, 1);
    addToSections(&sections, {0, 1}, "a, b", 2, 33, 2);
    addToSections(&sections, {0}, "a", 3, 50, 1);
    ASSERT_EQ(sections.size(), 3u) << "a set that comes back opens a new section";
    EXPECT_EQ(sections[0].lastFrame, 1);
    EXPECT_EQ(sections[0].lastMs, 16);
    EXPECT_EQ(sections[1].frameMs.size(), 1u);
    EXPECT_EQ(sections[2].firstFrame, 3);
}

TEST(CaptureProfiler, StandInsForwardEverythingAndStepAsideAfterwards) {
    std::vector<RecordedCall> log;
    RecordingCallback scene("s", &log);
    tarvo64k::Script script;
    script.addCallback("s", &scene);
    loadTimeline(script, "<effect start=\"0\" end=\"2\" name=\"s\">"
                         "<trigger start=\"0.5\" name=\"go\" value=\"7\"/></effect>"
                         "<effect start=\"1\" end=\"2\" name=\"s\"/>");
    {
        SceneProfiler profiler(script);
        EXPECT_NE(script.effects[0]->callback, &scene);
        EXPECT_EQ(script.effects[0]->callback, script.effects[1]->callback)
            << "one stand-in per scene, so its cost adds up";
        script.update(0.5f);
        script.update(1.5f);
        std::vector<SceneCost> costs = profiler.costs();
        ASSERT_EQ(costs.size(), 1u);
        EXPECT_EQ(costs[0].name, "s");
        EXPECT_EQ(costs[0].paints, 0) << "not recording";
    }
    EXPECT_EQ(script.effects[0]->callback, &scene);
    EXPECT_EQ(script.effects[1]->callback, &scene);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, "trigger");
    EXPECT_EQ(log[0].value, "7");
    EXPECT_FLOAT_EQ(log[3].progress, 0.5f);
}
