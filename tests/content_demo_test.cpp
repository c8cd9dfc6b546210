// The demo's content as the demo itself reads it: every picture through the texture loader,
// the soundtrack through the sound layer, and the timeline through the linter, which reads
// it with the demo's own reader.
#include "gfx/png_loader.h"
#include "scenes/scene_registry.h"
#include "scenes/scene_table.h"
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tests/process_runner.h"
#include "tests/render_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

const std::string kDemoDir = SOLVANE_DEMO_DIR;
constexpr int kRate = 44100;

struct Picture {
    const char* name;
    int width, height;
};
const Picture kPictures[] = {
    {"1.png", 1024, 1024},         {"2.png", 1024, 1024},         {"4.png", 1024, 1024},
    {"planes.png", 256, 256},      {"cubes.png", 256, 256},       {"spinning.png", 256, 256},
    {"intro1.png", 1024, 128},     {"intro2.png", 1024, 128},     {"intro3.png", 1024, 128},
    {"kesto.png", 512, 256},       {"lunder.png", 512, 256},      {"tarvo.png", 512, 256},
    {"greetings1.png", 1024, 128}, {"greetings2.png", 1024, 128}, {"greetings3.png", 1024, 128},
    {"greetings4.png", 1024, 128},
};

// The names of the files in a directory.
std::set<std::string> filesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

// The files under data/ that the scenes open while they are constructed, watched by inotify
// so that the scenes' own file names are what is checked.
std::set<std::string> picturesTheScenesOpen() {
    std::set<std::string> opened;
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(kDemoDir);
    const int watcher = inotify_init1(IN_NONBLOCK);
    if (watcher < 0 || inotify_add_watch(watcher, "data", IN_OPEN) < 0)
        return opened;
    ::testing::internal::CaptureStderr();
    constructScenes();
    destroyScenes();
    ::testing::internal::GetCapturedStderr();
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t got;
    while ((got = read(watcher, buffer, sizeof buffer)) > 0) {
        for (char* at = buffer; at < buffer + got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0)
                opened.insert(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watcher);
    std::filesystem::current_path(previous);
    return opened;
}

double soundtrackSeconds() {
    sound::Mp3Decoder decoder;
    if (decoder.open((kDemoDir + "/music.mp3").c_str(), kRate) != sound::kOk)
        return -1;
    return double(decoder.length()) / kRate;
}

TEST(DemoContent, TheScenesOpenExactlyThePicturesArtgenMakesAndEachLoads) {
    REQUIRE_GL_CONTEXT();
    EXPECT_EQ(picturesTheScenesOpen(), filesIn(kDemoDir + "/data"));
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(picture.name);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        EXPECT_TRUE(loadPng(kDemoDir + "/data/" + picture.name));
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, picture.width);
        EXPECT_EQ(height, picture.height);
        glDeleteTextures(1, &texture);
    }
}

TEST(DemoContent, TimelineIsCleanOnTheBeatUsesEverySceneAndEndsWithinTheMusic) {
    std::string directory = makeTemporaryDirectory("solvane-timeline");
    ASSERT_FALSE(directory.empty());
    int status = runCommand("'" ODML_LINT_PATH "' --cues '" + kDemoDir +
                            "/music.cues' --dump '" SOLVANE_SOURCE_DIR "/content/script.odml' >'" +
                            directory + "/dump.txt' 2>'" + directory + "/warnings.txt'");
    std::string dump = readFile(directory + "/dump.txt");
    std::string warnings = readFile(directory + "/warnings.txt");
    runCommand("rm -rf '" + directory + "'");

    EXPECT_EQ(status, 0) << warnings;
    for (int i = 0; i < kSceneCount; ++i)
        EXPECT_NE(dump.find(std::string("\"scene\":\"") + kScenes[i].name + "\""),
                  std::string::npos)
            << kScenes[i].name << " is not in the timeline";
    size_t at = dump.find("{\"lastEnd\":");
    ASSERT_NE(at, std::string::npos) << dump;
    double lastEnd = std::atof(dump.c_str() + at + 11);
    EXPECT_GT(lastEnd, 0.0);
    // Through the sound layer's decoder, which fails with -1.
    EXPECT_LE(lastEnd, soundtrackSeconds());
}

} // namespace
