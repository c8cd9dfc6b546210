// The demo's content as the demo itself reads it: every picture through the texture loader,
// the soundtrack through the sound layer, and the timeline through the linter, which reads
// it with the demo's own reader.
#include "gfx/png_loader.h"
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tests/gl_test_context.h"
#include "tests/process_runner.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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

const char* const kSceneNames[] = {
    "fade",        "twister",       "crash",      "endcube",    "planes",   "render2texture",
    "particles",   "credits",       "greetings",  "background", "tfly",     "tstretch",
    "radialblur",  "backgroundtex", "designmojs", "cubes",      "spinning", "lines",
    "designmojs2", "intro",         "stars"};

double soundtrackSeconds() {
    sound::Mp3Decoder decoder;
    if (decoder.open((kDemoDir + "/music.mp3").c_str(), kRate) != sound::kOk)
        return -1;
    return double(decoder.length()) / kRate;
}

TEST(DemoContent, EveryPictureLoadsThroughTheTextureLoader) {
    REQUIRE_GL_CONTEXT();
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

TEST(DemoContent, SoundtrackPlaysThroughTheSoundLayerForItsWholeLength) {
    double seconds = soundtrackSeconds();
    EXPECT_GE(seconds, 150.0);
    EXPECT_LE(seconds, 210.0);
}

TEST(DemoContent, TimelineIsCleanUsesEverySceneAndEndsWithinTheMusic) {
    std::string directory = makeTemporaryDirectory("solvane-timeline");
    ASSERT_FALSE(directory.empty());
    int status =
        runCommand("'" ODML_LINT_PATH "' --dump '" SOLVANE_SOURCE_DIR "/content/script.odml' >'" +
                   directory + "/dump.txt' 2>'" + directory + "/warnings.txt'");
    std::string dump = readFile(directory + "/dump.txt");
    std::string warnings = readFile(directory + "/warnings.txt");
    runCommand("rm -rf '" + directory + "'");

    EXPECT_EQ(status, 0) << warnings;
    for (const char* name : kSceneNames)
        EXPECT_NE(dump.find(std::string("\"scene\":\"") + name + "\""), std::string::npos)
            << name << " is not in the timeline";
    size_t at = dump.find("{\"lastEnd\":");
    ASSERT_NE(at, std::string::npos) << dump;
    double lastEnd = std::atof(dump.c_str() + at + 11);
    EXPECT_GT(lastEnd, 0.0);
    EXPECT_LE(lastEnd, soundtrackSeconds());
}

} // namespace
