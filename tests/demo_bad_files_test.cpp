// The demo given broken files in its directory: each is reported as what it is, or silently
// degrades where the demo has nothing to say, and nothing else goes wrong (in the sanitizer
// build the sanitizers watch every run too).
#include "tests/demo_e2e_fixture.h"
#include "tests/png_test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class DemoBadFiles : public DemoEndToEnd {
protected:
    // Runs the demo to its end; returns the exit status.
    int runToTheEnd(double deadline = 60) {
        startDemo();
        int status = demo.wait(deadline);
        EXPECT_EQ(demo.errors().find("runtime error"), std::string::npos) << demo.errors();
        EXPECT_EQ(demo.errors().find("Sanitizer"), std::string::npos) << demo.errors();
        return status;
    }
    std::string path(const std::string& name) const { return directory + "/" + name; }
};

TEST_F(DemoBadFiles, UnreadableTimelinesFailAndEmptyOnesEndTheDemoAtItsFirstFrame) {
    // A timeline that is missing, or cannot be read, is the one thing said on standard error.
    EXPECT_EQ(runToTheEnd(), 1);
    EXPECT_EQ(demo.errors(), "script.odml: cannot read the timeline: No such file or directory\n");
    ASSERT_EQ(mkdir(path("script.odml").c_str(), 0755), 0);
    EXPECT_EQ(runToTheEnd(), 1);
    EXPECT_EQ(demo.errors(), "script.odml: cannot read the timeline: Is a directory\n");
    ASSERT_EQ(runCommand("rmdir '" + path("script.odml") + "'"), 0);

    // The reader reports nothing: an empty file, and a picture and music read as a timeline,
    // each leave it empty, and the demo ends as soon as the music has begun.
    for (const std::string& garbage :
         {std::string(), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x04\0", 20),
          readFile(path("music.mp3"))}) {
        writeFile(path("script.odml"), garbage);
        EXPECT_EQ(runToTheEnd(), 0) << demo.output();
        EXPECT_LT(demo.secondsSinceStart(), 10.0);
    }
}

TEST_F(DemoBadFiles, FifosInPlaceOfItsFilesAreRefusedNotWaitedOn) {
    // Each FIFO has a writer that never writes; the deadline is the harness's, not a check.
    const std::string tone = readFile(path("music.mp3"));
    struct Case {
        const char* file;
        int status;
        const char* said;
    };
    ASSERT_EQ(mkdir(path("data").c_str(), 0755), 0);
    for (const Case& fifo :
         {Case{"script.odml", 1, "script.odml: cannot read the timeline: not a regular file\n"},
          Case{"music.mp3", 1, "music.mp3: cannot open the music: cannot read it\n"},
          Case{"data/1.png", 0, "loading data/1.png\nCouldn't open the texture file\n"}}) {
        writeFile(path("script.odml"), "<effect start=\"0\" end=\"0.5\" name=\"twister\"/>\n");
        writeFile(path("music.mp3"), tone);
        unlink(path(fifo.file).c_str());
        int writer = makeSilentFifo(path(fifo.file));
        ASSERT_GE(writer, 0);
        EXPECT_EQ(runToTheEnd(30), fifo.status) << fifo.file << "\n" << demo.errors();
        EXPECT_NE(demo.errors().find(fifo.said), std::string::npos) << demo.errors();
        close(writer);
        unlink(path(fifo.file).c_str());
    }
}

TEST_F(DemoBadFiles, SixteenMegabytesOfTagsAreReadToTheLastOneAndMoreAreRefused) {
    // About 150,000 effects of a scene that does not exist, then the one that ends last: the demo
    // runs until that one's end, so the whole file was read.
    const std::string tag = "<effect start=\"0.1\" end=\"0.5\" name=\"nothing\">"
                            "<trigger start=\"0.2\" name=\"mode\" value=\"in\"/></effect>\n";
    const std::string last = "<effect start=\"0\" end=\"2.5\" name=\"fade\"/>\n";
    std::string timeline;
    while (timeline.size() + tag.size() + last.size() <= (16u << 20))
        timeline += tag;
    writeFile(path("script.odml"), timeline + last);
    EXPECT_EQ(runToTheEnd(300), 0) << demo.output() << demo.errors();
    EXPECT_GE(demo.secondsSinceStart(), 2.5);

    writeFile(path("script.odml"), timeline + last + tag);
    EXPECT_EQ(runToTheEnd(), 1);
    EXPECT_EQ(demo.errors(), "script.odml: cannot read the timeline: File too large\n");
}

TEST_F(DemoBadFiles, DamagedPicturesAreReportedAndTheScenesDrawWithoutThem) {
    ASSERT_EQ(mkdir(path("data").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(path("data/1.png").c_str(), 0755), 0);
    writeFile(path("data/4.png"), "");
    testpng::writeNoise(path("data/whole.png"), 256, 256);
    std::vector<unsigned char> planes = testpng::readBytes(path("data/whole.png"));
    planes.resize(planes.size() / 2);
    testpng::writeBytes(path("data/planes.png"), planes);
    testpng::writeBytes(path("data/cubes.png"), testpng::declaredSizeFile(100000, 100000));
    // Every scene that shows one of them, at once.
    writeFile(path("script.odml"), "<effect start=\"0\" end=\"1\" name=\"twister\"/>\n"
                                   "<effect start=\"0\" end=\"1\" name=\"endcube\"/>\n"
                                   "<effect start=\"0\" end=\"1\" name=\"planes\"/>\n"
                                   "<effect start=\"0\" end=\"1\" name=\"cubes\"/>\n"
                                   "<effect start=\"0\" end=\"1\" name=\"backgroundtex\"/>\n");

    EXPECT_EQ(runToTheEnd(), 0) << demo.output() << demo.errors();
    const std::string errors = demo.errors();
    for (const char* expected : {"loading data/1.png\nCouldn't open the texture file\n",
                                 "loading data/4.png\nNot a PNG file\n",
                                 "loading data/cubes.png\nThe image width is larger than 1024\n",
                                 "loading data/spinning.png\nCouldn't open the texture file\n"}) {
        EXPECT_NE(errors.find(expected), std::string::npos) << "missing: " << expected << errors;
    }
    size_t planesAt = errors.find("loading data/planes.png\n");
    ASSERT_NE(planesAt, std::string::npos) << errors;
    size_t nextLoad = errors.find("loading ", planesAt + 1);
    std::string planesReport = errors.substr(planesAt, nextLoad - planesAt);
    EXPECT_NE(planesReport.find("libpng error"), std::string::npos) << planesReport;
    const std::string ending = "\nCouldn't setup PNG error handler\n";
    EXPECT_EQ(planesReport.substr(planesReport.size() - ending.size()), ending) << planesReport;
}

TEST_F(DemoBadFiles, MusicThatIsNoMp3EndsWithItsErrorAndDamagedMusicStillKeepsTime) {
    writeFile(path("script.odml"), timelineOf(3));
    const std::string tone = readFile(path("music.mp3"));
    struct Refused {
        std::string bytes;
        const char* message;
    };
    for (const Refused& refused :
         {Refused{"", "Unknown file format"},
          Refused{std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "Unknown file format"},
          Refused{tone.substr(0, 40), "Error loading file"}}) {
        writeFile(path("music.mp3"), refused.bytes);
        EXPECT_EQ(runToTheEnd(), 1);
        const std::string output = demo.output();
        const std::string line = std::string("\n") + refused.message + "\n";
        EXPECT_EQ(output.substr(output.size() - std::min(output.size(), line.size())), line)
            << output;
    }

    // Half the tone, cut inside a frame; and the tone behind an ID3 tag of junk and some
    // stray bytes. Both play, and the three-second timeline runs to its end on the clock,
    // past the end of the music.
    const std::string junkTag = std::string("ID3\x03\x00\x00\x00\x00\x0b\x38", 10) +
                                std::string(1464, '\xff') + std::string(333, 'j');
    for (const std::string& music : {tone.substr(0, tone.size() / 2 + 7), junkTag + tone}) {
        writeFile(path("music.mp3"), music);
        EXPECT_EQ(runToTheEnd(), 0) << demo.output();
        EXPECT_GE(demo.secondsSinceStart(), 3.0);
        EXPECT_LT(demo.secondsSinceStart(), 20.0);
    }
}

} // namespace
