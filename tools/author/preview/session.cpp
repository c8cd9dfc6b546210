// The preview's demo on the fixed frame clock.
#include "tools/author/preview/session.h"

#include "framework/script_diagnostics.h"
#include "host/window_interface.h"
#include "scenes/scene_registry.h"
#include "tools/author/capture/frame_clock.h"
#include "tools/author/preview/timeline_notes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace preview {

namespace {

// A scene copies the frame for itself to show in the next one (the blur's feedback).
constexpr int kFeedback = 1 << 16;

// Stands in for every scene while a timeline is linted: only the names matter.
class NamedScene final : public tarvo64k::Callback {
public:
    void trigger(float, const std::string&, const std::string&) override {}
    void paint(float, float, float) override {}
};

class Warnings final : public tarvo64k::ScriptDiagnostics {
public:
    explicit Warnings(const std::string& text) : text(text) {}
    void warning(unsigned int position, const std::string& message) override {
        unsigned int line = 1, column = 1;
        for (unsigned int i = 0; i < position && i < text.size(); ++i) {
            column = text[i] == '\n' ? 1 : column + 1;
            line += text[i] == '\n';
        }
        lines.push_back(std::to_string(line) + ":" + std::to_string(column) + ": " + message);
    }
    const std::string& text;
    std::vector<std::string> lines;
};

std::string fileStamp(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return path + " missing;";
    return path + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_size) + ";";
}

} // namespace

std::string lintTimeline(const std::string& path, std::string* text,
                         std::vector<std::string>* warnings) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return path + ": " + std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return path + ": " + std::strerror(EISDIR);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return path + ": " + std::strerror(errno);
    text->clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text->append(buffer, got);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed)
        return path + ": read error";

    static NamedScene stand;
    tarvo64k::Script script;
    for (int i = 0; i < kSceneCount; ++i)
        script.addCallback(kScenes[i].name, &stand);
    Warnings collected(*text);
    script.parse(reinterpret_cast<const unsigned char*>(text->data()),
                 static_cast<unsigned int>(text->size()), &collected);
    *warnings = collected.lines;
    return "";
}

Session::Session(std::string path, int fps)
    : scriptPath(std::move(path)), player(timeline), clock(fps) {
    lintTimeline(scriptPath, &text, &readWarnings);
    // The GL state a new window starts with, which is what a straight run starts from.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    build();
}

Session::~Session() {
    player.teardown();
    glPopClientAttrib();
    glPopAttrib();
}

// NOTE: scenes leave GL state behind for the next frame and the next scene, so a replay
// must start from the state a new window has, not from wherever the last frame left it.
void Session::build() {
    if (player.isBuilt()) {
        player.teardown();
        glPopClientAttrib();
        glPopAttrib();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        resizeGLScene(kFrameWidth, kFrameHeight);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    builtStamp = stampFiles();
    player.build(scriptPath.c_str());
    sceneFlags.clear();
    sceneNames.clear();
    for (const tarvo64k::CallbackEntry* entry : timeline.callbacks) {
        const SceneInfo* scene = findScene(entry->name);
        sceneFlags[entry->callback] = scene ? scene->flags : 0;
        sceneNames[entry->callback] = entry->name; // the last row wins, as in the reader
    }
    shown = -1;
}

std::string Session::stampFiles() const {
    std::string stamp = fileStamp(scriptPath);
    DIR* data = opendir("data");
    if (!data)
        return stamp;
    std::vector<std::string> names;
    while (dirent* entry = readdir(data))
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    closedir(data);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        stamp += fileStamp("data/" + name);
    return stamp;
}

int64_t Session::frameForSeek(double seconds) const {
    return capture::firstFrameAtOrAfter(capture::millisecondsAtOrAfter(seconds), fps());
}

int64_t Session::frameAt(int64_t milliseconds) const {
    return std::max<int64_t>(0, capture::firstFrameAtOrAfter(milliseconds + 1, fps()) - 1);
}

int64_t Session::lastFrame() const {
    int64_t frame = frameAt(static_cast<int64_t>(end() * 1000.0f));
    while (frame > 0 && player.pastTheEnd(FixedFrameClock::frameMilliseconds(frame, fps())))
        --frame;
    return frame;
}

int Session::flagsOf(const tarvo64k::Effect* effect) const {
    auto found = sceneFlags.find(effect->callback);
    return found == sceneFlags.end() ? 0 : found->second;
}

// What the scenes active in `frame` do with captured frames. kReadsCapture is counted only
// for a reader that paints before any capture of that frame, since only it sees the capture
// of the frame before.
int Session::activeFlags(int64_t frame) const {
    const float seconds =
        musicSeconds(static_cast<int>(FixedFrameClock::frameMilliseconds(frame, fps())));
    int flags = 0;
    for (const tarvo64k::Effect* effect : timeline.effects) {
        if (!(seconds >= effect->start && seconds < effect->end) || !effect->callback)
            continue;
        int scene = flagsOf(effect);
        if ((scene & kReadsCapture) && (flags & kWritesCapture))
            scene &= ~kReadsCapture;
        flags |= scene;
        if ((scene & kCopiesFrame) && !(scene & kWritesCapture))
            flags |= kFeedback;
    }
    return flags;
}

// Which of the frames `first` to `target` must be drawn with their pixels: the target, and
// every frame whose copy into a texture a later frame that matters shows. Worked backwards:
// a capture is seen until the next capture replaces it, the blur's copy by the blur's next
// frame, however far on.
std::vector<bool> Session::pixelsThatMatter(int64_t first, int64_t target) const {
    const size_t count = static_cast<size_t>(target - first + 1);
    std::vector<int> flags(count);
    for (size_t i = 0; i < count; ++i)
        flags[i] = activeFlags(first + static_cast<int64_t>(i));
    std::vector<bool> matters(count, false);
    matters[count - 1] = true;
    bool captureSeen = false, feedbackSeen = false; // after the frame being looked at
    for (size_t i = count - 1; i-- > 0;) {
        const int next = flags[i + 1];
        captureSeen =
            ((next & kReadsCapture) && matters[i + 1]) || (!(next & kWritesCapture) && captureSeen);
        feedbackSeen =
            ((next & kFeedback) && matters[i + 1]) || (!(next & kFeedback) && feedbackSeen);
        matters[i] = ((flags[i] & kWritesCapture) && captureSeen) ||
                     ((flags[i] & kFeedback) && feedbackSeen);
    }
    return matters;
}

void Session::drawFrame(int64_t frame, bool visible) {
    const float seconds =
        musicSeconds(static_cast<int>(FixedFrameClock::frameMilliseconds(frame, fps())));
    const bool scissored = !visible;
    if (scissored) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 0, 0);
    }
    player.drawAt(seconds);
    if (scissored)
        glDisable(GL_SCISSOR_TEST);
    shown = frame;
}

bool Session::moveTo(int64_t target) {
    if (target == shown)
        return false;
    if (target < shown)
        build();
    const int64_t first = shown + 1;
    const std::vector<bool> matters = pixelsThatMatter(first, target);
    for (int64_t frame = first; frame <= target; ++frame)
        drawFrame(frame, matters[static_cast<size_t>(frame - first)]);
    return true;
}

std::string Session::reload() {
    std::string newText;
    std::vector<std::string> newWarnings;
    std::string why = lintTimeline(scriptPath, &newText, &newWarnings);
    if (!why.empty())
        return why;
    text = newText;
    readWarnings = newWarnings;
    const int64_t at = std::max<int64_t>(shown, 0);
    build();
    moveTo(at);
    return "";
}

std::vector<std::string> Session::activeEffects() const {
    std::vector<std::string> names;
    const float seconds = musicSeconds(static_cast<int>(milliseconds()));
    for (const tarvo64k::Effect* effect : timeline.effects) {
        if (!(seconds >= effect->start && seconds < effect->end))
            continue;
        auto name = sceneNames.find(effect->callback);
        names.push_back(name != sceneNames.end() ? name->second : "(no scene)");
    }
    return names;
}

std::vector<float> Session::boundaries() const {
    return effectBoundaries(timeline);
}

} // namespace preview
