// solvane-preview: plays the demo in a window with its music, and lets a timeline author
// pause, seek, loop, reload and look at the state of the timeline while it plays. Every frame
// it shows is the frame a straight capture run at the same rate shows at that time.
#include "host/demo.h"
#include "host/window_interface.h"
#include "sound/sound.h"
#include "tools/author/preview/control.h"
#include "tools/author/preview/hud.h"
#include "tools/author/preview/preview_options.h"
#include "tools/author/preview/timeline_notes.h"
#include "tools/lib/authoring/demo_directory.h"
#include "tools/lib/authoring/file_paths.h"
#include "tools/lib/authoring/frame_clock.h"
#include "tools/lib/authoring/safe_output.h"
#include "tools/lib/lint/timeline_lint.h"
#include "tools/lib/png/png_writer.h"
#include "tools/lib/seekable_player/seekable_player.h"

#define GL_GLEXT_PROTOTYPES // glWindowPos2i
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFailed = 2;
constexpr auto kReloadPoll = std::chrono::milliseconds(250);
constexpr auto kWarningsShown = std::chrono::seconds(5);

// The play position: the music's clock when there is music, else the steady clock.
class PlayClock {
public:
    void open() {
        if (!FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags))
            return;
        music = FSOUND_Stream_Open("music.mp3", sound::kStreamMode, 0, 0);
        if (!music)
            std::fprintf(stderr, "solvane-preview: music.mp3: %s; playing without music\n",
                         FMOD_ErrorString(FSOUND_GetError()));
    }
    void close() {
        if (music)
            FSOUND_Stream_Close(music);
        FSOUND_Close();
    }
    int64_t now() const {
        if (music)
            return sound::streamTimeMs(music);
        if (paused)
            return base;
        return base +
               std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    }
    // Holds at `milliseconds`, or plays on from it.
    void set(int64_t milliseconds, bool play) {
        base = milliseconds;
        since = Clock::now();
        paused = !play;
        if (!music)
            return;
        if (channel < 0) {
            channel = FSOUND_Stream_Play(-1, music);
        }
        FSOUND_SetPaused(channel, 1);
        FSOUND_Stream_SetTime(music, authoring::saturatedMilliseconds(milliseconds));
        if (play)
            FSOUND_SetPaused(channel, 0);
    }

private:
    FSOUND_STREAM* music = nullptr;
    int channel = -1;
    int64_t base = 0;
    Clock::time_point since = Clock::now();
    bool paused = true;
};

class Preview final : public host::WindowEventHandler {
public:
    Preview(const preview::Options& options, const authoring::DemoDirectory& demo,
            authoring::SeekablePlayer* session)
        : options(options), timelinePath(demo.timelinePath), session(*session) {
        paused = options.paused;
        if (options.hasLoop) {
            loopFrom = options.loopFrom;
            loopTo = options.loopTo;
        }
        std::string why;
        musicSeconds = lint::musicLength("music.mp3", &why);
        builtStamp = authoring::demoFilesStamp(timelinePath);
        lintTimeline(demo.timelineText);
    }
    int run();

private:
    // [SECTION] Moving through the timeline
    void seekTo(int64_t frame);
    void seekSeconds(double seconds) { seekTo(session.frameForSeek(std::max(0.0, seconds))); }
    void setPaused(bool pause);
    void playStep();
    void reload(bool asked, std::string* answer);
    void lintTimeline(const std::string& text);

    // [SECTION] Input
    void handle(const host::WindowEvent& event) override;
    void keyPressed(host::Key key, bool shift);
    void command(const std::string& line);

    // [SECTION] Showing the frame
    void present(bool fresh, bool seeking = false);
    std::vector<std::string> hudLines(bool seeking) const;
    double seconds() const { return session.milliseconds() / 1000.0; }

    const preview::Options& options;
    const std::string timelinePath;
    authoring::SeekablePlayer& session;
    double musicSeconds = -1;          // the music's length, for the lint; negative when unknown
    std::string builtStamp;            // of the files the demo was built from
    std::vector<std::string> warnings; // the timeline's findings, one line each
    preview::BeatGrid grid;
    PlayClock clock;
    preview::Hud hud;
    std::vector<unsigned char> sceneFrame; // RGB rows, top row first, as a shot saves them
    bool paused = false, hudShown = true, quit = false, displayLost = false;
    double loopFrom = -1, loopTo = -1;
    std::string lastReload = "none yet";
    Clock::time_point warningsUntil, nextReloadPoll = Clock::now();
    double frameMs = 0;
    Clock::time_point lastPresent = Clock::now();
    std::unique_ptr<preview::LineReader> input;
};

// [SECTION] Moving through the timeline

void Preview::seekTo(int64_t frame) {
    frame = std::min(frame, session.lastFrame());
    present(false, true); // the last frame stays, with the seeking mark
    session.moveTo(frame);
    present(true);
    clock.set(session.milliseconds(), !paused);
}

void Preview::setPaused(bool pause) {
    if (pause == paused)
        return;
    paused = pause;
    clock.set(session.milliseconds(), !paused);
    present(false);
}

void Preview::playStep() {
    int64_t now = clock.now();
    if (loopTo > loopFrom && now >= static_cast<int64_t>(loopTo * 1000.0)) {
        seekSeconds(loopFrom);
        return;
    }
    const int64_t last = session.lastFrame();
    const int64_t target = std::min(session.frameAt(now), last);
    if (session.moveTo(target))
        present(true);
    else if (Clock::now() - lastPresent > std::chrono::milliseconds(100))
        present(false); // the display's clock and counters move on
    if (target == last && now >= session.milliseconds() + 1000 / session.fps())
        setPaused(true); // the end of the timeline
}

void Preview::reload(bool asked, std::string* answer) {
    const std::string stamp = authoring::demoFilesStamp(timelinePath);
    std::string text;
    std::string why = authoring::readTimeline(timelinePath, &text);
    if (why.empty()) {
        builtStamp = stamp;
        session.reload(text);
        lintTimeline(text);
        lastReload = "reloaded, " + std::to_string(warnings.size()) + " warnings";
        clock.set(session.milliseconds(), !paused);
        present(true);
    } else {
        lastReload = "kept the old timeline: " + why;
        if (!asked)
            std::fprintf(stderr, "solvane-preview: %s\n", lastReload.c_str());
        present(false);
    }
    if (answer)
        *answer = why.empty() ? "ok" : "error: " + why;
}

// The same findings as odml-lint's, on standard error and on the display for a while.
void Preview::lintTimeline(const std::string& text) {
    lint::LintedTimeline linted;
    lint::lintTimelineText(text, musicSeconds, &linted);
    grid = preview::readBeatGrid(linted.text);
    warnings.clear();
    lint::LineCounter lines(linted.text);
    const std::string name = authoring::baseNameOf(timelinePath);
    for (const lint::Finding& finding : linted.findings) {
        lines.advanceTo(finding.position);
        warnings.push_back(lint::findingLine(name, lines, finding));
        std::fprintf(stderr, "%s\n", lint::findingLine(timelinePath, lines, finding).c_str());
    }
    warningsUntil = Clock::now() + kWarningsShown;
}

// [SECTION] Input

void Preview::keyPressed(host::Key key, bool shift) {
    using host::Key;
    const double step = shift ? 10.0 : 1.0;
    switch (key) {
    case Key::kSpace:
        setPaused(!paused);
        break;
    case Key::kLeft:
        seekSeconds(seconds() - step);
        break;
    case Key::kRight:
        seekSeconds(seconds() + step);
        break;
    case Key::kPageUp:
    case Key::kPageDown: {
        const std::vector<float> times = session.boundaries();
        const double now = seconds();
        double to = key == Key::kPageUp ? 0.0 : now;
        for (float time : times) {
            if (key == Key::kPageUp && time < now - 0.0005)
                to = time;
            if (key == Key::kPageDown && time > now + 0.0005) {
                to = time;
                break;
            }
        }
        if (to != now)
            seekSeconds(to);
        break;
    }
    case Key::kHome:
        seekTo(0);
        break;
    case Key::kBracketLeft:
        loopFrom = seconds();
        present(false);
        break;
    case Key::kBracketRight:
        loopTo = seconds();
        present(false);
        break;
    case Key::kBackslash:
        loopFrom = loopTo = -1;
        present(false);
        break;
    case Key::kR:
        reload(true, nullptr);
        break;
    case Key::kH:
        hudShown = !hudShown;
        present(false);
        break;
    case Key::kEscape:
        quit = true;
        break;
    default:
        break;
    }
}

void Preview::handle(const host::WindowEvent& event) {
    using Kind = host::WindowEvent::Kind;
    if (event.kind == Kind::kKey)
        keyPressed(event.key, event.shift);
    else if (event.kind == Kind::kButton && event.button == 1 &&
             event.y >= kWindowHeight - preview::Hud::kStripHeight)
        seekSeconds(session.end() * event.x / kWindowWidth);
    else if (event.kind == Kind::kExpose)
        present(false);
    else if (event.kind == Kind::kClose)
        quit = true;
}

void Preview::command(const std::string& line) {
    preview::Command request;
    std::string answer = preview::parseCommand(line, &request);
    if (!answer.empty()) {
        std::printf("error: %s\n", answer.c_str());
        return;
    }
    char text[64];
    switch (request.kind) {
    case preview::Command::kSeek:
        seekSeconds(request.seconds);
        std::snprintf(text, sizeof text, "ok %.3f", seconds());
        answer = text;
        break;
    case preview::Command::kPause:
    case preview::Command::kPlay:
        setPaused(request.kind == preview::Command::kPause);
        answer = "ok";
        break;
    case preview::Command::kTime:
        std::snprintf(text, sizeof text, "ok %.3f", seconds());
        answer = text;
        break;
    case preview::Command::kReload:
        reload(true, &answer);
        break;
    case preview::Command::kShot: {
        // The frame as the scenes drew it, without the display over it.
        std::string error = authoring::refuseDemoInput(request.path, timelinePath);
        if (error.empty())
            error = authoring::writeAtomically(request.path, [&](const std::string& temporary) {
                return authoring::writeRgbPng(temporary, sceneFrame.data(), kWindowWidth,
                                              kWindowHeight);
            });
        answer = error.empty() ? "ok " + request.path : "error: " + error;
        break;
    }
    case preview::Command::kEffects:
        answer = "ok";
        for (const std::string& name : session.activeEffects())
            answer += " " + name;
        break;
    case preview::Command::kQuit:
        answer = "ok";
        quit = true;
        break;
    }
    std::printf("%s\n", answer.c_str());
}

// [SECTION] Showing the frame

std::vector<std::string> Preview::hudLines(bool seeking) const {
    if (!hudShown)
        return seeking ? std::vector<std::string>{"seeking"} : std::vector<std::string>{};
    std::vector<std::string> lines;
    std::string time = authoring::formatClock(session.milliseconds());
    std::string beat = preview::barAndBeat(grid, seconds());
    lines.push_back(beat.empty() ? time : time + "  " + beat);
    std::string state = seeking ? "seeking" : paused ? "paused" : "playing";
    if (loopTo > loopFrom)
        state += "  loop " + authoring::formatClock(static_cast<int64_t>(loopFrom * 1000)) + "-" +
                 authoring::formatClock(static_cast<int64_t>(loopTo * 1000));
    else if (loopFrom >= 0 || loopTo >= 0)
        state += "  loop not set";
    lines.push_back(state);
    char timing[64];
    std::snprintf(timing, sizeof timing, "frame %.1f ms  %.0f fps  (clock %d fps)", frameMs,
                  frameMs > 0 ? 1000.0 / frameMs : 0.0, session.fps());
    lines.push_back(timing);
    std::string effects = "effects:";
    for (const std::string& name : session.activeEffects())
        effects += " " + name;
    lines.push_back(effects);
    lines.push_back("reload: " + lastReload);
    if (Clock::now() < warningsUntil)
        lines.insert(lines.end(), warnings.begin(), warnings.end());
    return lines;
}

void Preview::present(bool fresh, bool seeking) {
    const int width = kWindowWidth, height = kWindowHeight;
    if (fresh) {
        host::readFrame(host::PixelLayout::kRgb, host::RowOrder::kTopDown, &sceneFrame);
    } else if (!sceneFrame.empty()) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glWindowPos2i(0, height); // the top row first, drawn downwards
        glPixelZoom(1.0f, -1.0f);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, sceneFrame.data());
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glPopAttrib();
    }
    const double end = std::max(0.001f, session.end());
    hud.setLines(hudLines(seeking));
    hud.draw(width, height, hudShown, seconds() / end, loopFrom / end, loopTo / end);
    if (host::presentFrame() == host::WindowStatus::kDisplayLost)
        displayLost = quit = true;
    const Clock::time_point now = Clock::now();
    if (fresh)
        frameMs = std::chrono::duration<double, std::milli>(now - lastPresent).count();
    lastPresent = now;
}

int Preview::run() {
    clock.open();
    if (!isatty(STDIN_FILENO)) {
        fcntl(STDIN_FILENO, F_SETFL, fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
        input = std::make_unique<preview::LineReader>(STDIN_FILENO);
    }
    seekTo(session.frameForSeek(options.at));
    while (!quit) {
        if (host::pollWindowEvents(*this) == host::WindowStatus::kDisplayLost)
            displayLost = quit = true;
        if (input) {
            if (!input->poll())
                quit = true; // end of input
            std::string line;
            while (!quit && input->nextLine(&line))
                command(line);
            std::fflush(stdout);
        }
        if (Clock::now() >= nextReloadPoll) {
            nextReloadPoll = Clock::now() + kReloadPoll;
            if (authoring::demoFilesStamp(timelinePath) != builtStamp)
                reload(false, nullptr);
        }
        if (!paused)
            playStep();
        else
            usleep(2000);
    }
    clock.close();
    if (displayLost) {
        std::fprintf(stderr, "solvane-preview: lost the connection to the X display\n");
        return kFailed;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    preview::Options options;
    std::string error = preview::parseOptions(argc, argv, &options);
    if (error.empty() && answerInfoRequest(options.info, "solvane-preview", preview::usageText()))
        return 0;
    authoring::DemoDirectory demo;
    if (error.empty())
        error = authoring::openDemoDirectory(options.directory, options.script, &demo);
    if (error.empty())
        error = host::openToolWindow("Solvane preview");
    if (!error.empty()) {
        std::fprintf(stderr, "solvane-preview: %s\n", error.c_str());
        return kFailed;
    }
    int status;
    try {
        authoring::SeekablePlayer session(demo.timelineText, options.fps);
        Preview preview(options, demo, &session);
        status = preview.run();
    } catch (const std::bad_alloc&) {
        std::fputs("solvane-preview: out of memory\n", stderr);
        status = kFailed;
    }
    host::closeToolWindow();
    return status;
}
