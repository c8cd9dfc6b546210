// solvane-preview driven through its control protocol, as an editor plugin would: seeks land
// on the frame a straight capture run shows, a pause holds the frame, the timeline is read
// again when it changes (with odml-lint's findings) and kept when it goes, and keys pressed
// during a replay are not lost.
#include "tests/process_runner.h"
#include "tools/lib/servers/private_servers.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Stateful scenes: the lattice's triggers, the blur's feedback, the crash and the fly-away
// showing captures.
const char kTimeline[] =
    "<!-- bpm 120 offset 0 -->\n"
    "<effect start=\"0\" end=\"40\" name=\"particles\">"
    "<trigger start=\"1\" name=\"enlarge\" value=\"0.5\"/><trigger start=\"2\" name=\"contract\"/>"
    "</effect>\n"
    "<effect start=\"1\" end=\"3\" name=\"radialblur\"/>\n"
    "<effect start=\"2.5\" end=\"3.5\" name=\"render2texture\"/>\n"
    "<effect start=\"3.5\" end=\"5\" name=\"crash\"><trigger name=\"color\" value=\"white\"/>"
    "</effect>\n"
    "<effect start=\"4\" end=\"4.5\" name=\"render2texture\"/>\n"
    "<effect start=\"5\" end=\"7\" name=\"tfly\"/>\n";

std::vector<unsigned char> pixels(const std::string& path) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<unsigned char> rgb;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        rgb.clear();
    return rgb;
}

// The preview with a pipe on each side: one command written, one answer read.
class Preview {
public:
    bool start(const std::string& directory, const std::vector<std::string>& options) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            int quiet = open((directory + "/stderr.txt").c_str(), O_WRONLY | O_CREAT, 0644);
            dup2(quiet, STDERR_FILENO);
            close(in[1]);
            close(out[0]);
            std::vector<std::string> words = {PREVIEW_PATH, "--dir", directory};
            words.insert(words.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        commands = in[1];
        answers = out[0];
        return pid > 0;
    }
    // The answer line, or "(no answer)" after `seconds`.
    std::string ask(const std::string& command, double seconds = 120) {
        send(command);
        return readLine(seconds);
    }
    std::string readLine(double seconds) {
        std::string line;
        char c;
        while (true) {
            pollfd ready = {answers, POLLIN, 0};
            if (poll(&ready, 1, static_cast<int>(seconds * 1000)) <= 0 || read(answers, &c, 1) != 1)
                return "(no answer)";
            if (c == '\n')
                return line;
            line += c;
        }
    }
    void send(const std::string& command) {
        std::string line = command + "\n";
        if (write(commands, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            ADD_FAILURE() << "cannot write to the preview";
    }
    int finish() {
        close(commands);
        int status = -1;
        for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            usleep(100000);
        if (!WIFEXITED(status))
            kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        close(answers);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Preview() {
        if (pid > 0)
            finish();
    }

private:
    pid_t pid = -1;
    int commands = -1, answers = -1;
};

class PreviewProtocol : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        std::signal(SIGPIPE, SIG_IGN); // a preview that has died fails the test, not ends it
        directory = makeTemporaryDirectory("solvane-preview");
        ASSERT_FALSE(directory.empty());
        runCommand("mkdir '" + directory + "/data'");
        writeFile(directory + "/script.odml", kTimeline);
    }
    void TearDown() override { runCommand("rm -rf '" + directory + "'"); }

    // The capture's frames at `times`, at 20 fps, into DIR/capture-T.png.
    void capture(const std::vector<std::string>& times) {
        std::string command =
            std::string("'") + CAPTURE_PATH + "' --dir '" + directory + "' --fps 20";
        for (const std::string& time : times)
            command += " --shot " + time + ":'" + directory + "/capture-" + time + ".png'";
        ASSERT_EQ(runCommand(command + " 2>/dev/null"), 0);
    }
    std::string shot(Preview& preview, const std::string& name) {
        const std::string path = directory + "/" + name + ".png";
        EXPECT_EQ(preview.ask("shot " + path), "ok " + path);
        return path;
    }

    std::string directory;
};

TEST_F(PreviewProtocol, SeeksShowTheFramesOfAStraightRunAndAPauseHoldsIt) {
    const std::vector<std::string> times = {"2.5", "4.2", "6", "1.5"};
    capture(times);
    Preview preview;
    ASSERT_TRUE(preview.start(directory, {"--fps", "20", "--paused"}));
    for (const std::string& time : times) { // 1.5 seeks backwards
        SCOPED_TRACE(time);
        char expected[32];
        std::snprintf(expected, sizeof expected, "ok %.3f", std::stod(time));
        EXPECT_EQ(preview.ask("seek " + time), expected);
        const std::vector<unsigned char> seen = pixels(shot(preview, "preview-" + time));
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(seen == pixels(directory + "/capture-" + time + ".png"));
    }
    EXPECT_EQ(preview.ask("effects"), "ok particles radialblur");
    usleep(300000);
    EXPECT_TRUE(pixels(shot(preview, "again")) == pixels(directory + "/capture-1.5.png"));
    EXPECT_EQ(preview.ask("time"), "ok 1.500");
    EXPECT_EQ(preview.ask("seek soon"), "error: seek needs a time in seconds, e.g. seek 61.5");
    EXPECT_EQ(preview.ask("fly"), "error: unknown command 'fly'");
    EXPECT_EQ(preview.ask(std::string(100000, 'x')),
              "error: line longer than 8192 bytes; dropped to its end");
    EXPECT_EQ(preview.ask("time"), "ok 1.500") << "one answer for the long line, then on";
    ASSERT_EQ(symlink("script.odml", (directory + "/link.png").c_str()), 0);
    EXPECT_EQ(preview.ask("shot link.png"),
              "error: link.png: is the demo's timeline; not written over");
    EXPECT_EQ(readFile(directory + "/script.odml"), kTimeline);
    EXPECT_EQ(preview.ask("quit"), "ok");
    EXPECT_EQ(preview.finish(), 0);
}

TEST_F(PreviewProtocol, AnEditedTimelineShowsAtOnceAndARemovedOneIsKept) {
    Preview preview;
    ASSERT_TRUE(preview.start(directory, {"--fps", "20", "--paused", "--at", "6"}));
    EXPECT_EQ(preview.ask("time"), "ok 6.000");
    EXPECT_NE(readFile(directory + "/stderr.txt")
                  .find("/script.odml:5:1: warning: no 'render2texture' effect earlier in the file "
                        "is active at 3.5 s"),
              std::string::npos)
        << "odml-lint's findings, its checks on the records included";
    const std::vector<unsigned char> before = pixels(shot(preview, "before"));

    // The fly-away gives way to the crash, noticed on disk without being asked.
    std::string edited = kTimeline;
    edited.replace(edited.find("\"tfly\""), 6, "\"crash\"");
    writeFile(directory + "/script.odml.new", edited);
    runCommand("mv '" + directory + "/script.odml.new' '" + directory + "/script.odml'");
    usleep(1500000);
    const std::vector<unsigned char> after = pixels(shot(preview, "after"));
    capture({"6"});
    EXPECT_TRUE(after == pixels(directory + "/capture-6.png"));
    EXPECT_FALSE(after == before);

    runCommand("rm '" + directory + "/script.odml'");
    EXPECT_EQ(preview.ask("reload").rfind("error: ", 0), 0u);
    EXPECT_TRUE(pixels(shot(preview, "kept")) == after);
    EXPECT_EQ(preview.ask("effects"), "ok particles crash");

    // An end of infinity still leaves a timeline to seek in.
    writeFile(directory + "/script.odml", "<effect start=\"0\" end=\"1e999\" name=\"fade\"/>");
    EXPECT_EQ(preview.ask("reload").rfind("ok", 0), 0u);
    EXPECT_EQ(preview.ask("seek 10"), "ok 10.000");
}

TEST_F(PreviewProtocol, ADisplayComingUpLateIsWaitedForAndALostOneEndsItWithAMessage) {
    servers::PrivateXvfb probe; // for a display number that is free once it has stopped
    ASSERT_EQ(probe.start(), "");
    const std::string late = probe.display();
    probe.stop();
    const std::string shared = std::getenv("DISPLAY");
    setenv("DISPLAY", late.c_str(), 1);
    Preview preview;
    const bool started = preview.start(directory, {"--paused"});
    setenv("DISPLAY", shared.c_str(), 1);
    ASSERT_TRUE(started);
    usleep(300000); // its first tries find no server
    servers::ServerProcess display;
    ASSERT_EQ(display.start({"Xvfb", late, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "+extension", "GLX"},
                            {}),
              "");
    EXPECT_EQ(preview.ask("time"), "ok 0.000");
    display.stop();
    EXPECT_EQ(preview.readLine(60), "(no answer)") << "it ends by itself";
    EXPECT_EQ(preview.finish(), 2);
    EXPECT_NE(readFile(directory + "/stderr.txt")
                  .find("solvane-preview: lost the connection to the X display\n"),
              std::string::npos);
}

TEST_F(PreviewProtocol, AKeyPressedDuringAReplayIsQueuedNotLost) {
    Preview preview;
    ASSERT_TRUE(preview.start(directory, {"--fps", "1000", "--paused"}));
    EXPECT_EQ(preview.ask("time"), "ok 0.000");
    preview.send("seek 10"); // 10,000 frames of replay
    usleep(300000);
    ASSERT_EQ(runCommand("xdotool search --name 'Solvane preview' key --window %1 Home"), 0);
    if (preview.readLine(0.05) != "(no answer)")
        GTEST_SKIP() << "the replay ended before the key was pressed";
    EXPECT_EQ(preview.readLine(600), "ok 10.000");
    EXPECT_EQ(preview.ask("time"), "ok 0.000") << "Home, pressed during the replay, comes after";
}

} // namespace
