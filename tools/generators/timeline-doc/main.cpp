// timeline-doc: writes and checks the parts of docs/timeline.md that come from the scene
// list, and makes and compares the document's scene pictures.
#include "scenes/scene_registry.h"
#include "tools/generators/timeline-doc/doc_sections.h"
#include "tools/generators/timeline-doc/thumbnails.h"
#include "tools/lib/common/tool_info.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: timeline-doc --scenes\n"
    "       timeline-doc --write DOC\n"
    "       timeline-doc --check DOC [RENDERED-DIR]\n"
    "       timeline-doc --render DOC CAPTURE DEMO-DIR RENDERED-DIR\n"
    "       timeline-doc --update-pictures RENDERED-DIR PICTURE-DIR\n"
    "Keeps docs/timeline.md in step with the scene list (scripts/make-timeline-doc runs it,\n"
    "and a test checks it):\n"
    "  --scenes           print the scene names, one a line, in the scene list's order\n"
    "  --write            rewrite DOC's parts written from the scene list\n"
    "  --check            fail when DOC lists a scene or trigger the list lacks, or lacks one\n"
    "                     it has, or its parts are stale; with RENDERED-DIR, also when a\n"
    "                     scene picture beside DOC differs visibly from a fresh render there\n"
    "  --render           render each scene's example beside DOC with the capture tool\n"
    "                     CAPTURE in DEMO-DIR, at one second, into RENDERED-DIR/NAME.png\n"
    "                     at the pictures' size\n"
    "  --update-pictures  copy the renders that differ visibly (or are missing) into\n"
    "                     PICTURE-DIR\n"
    "  -h, --help, --version\n"
    "Exit status: 0 done or current, 1 stale or inconsistent, 2 usage or file errors.\n";

bool readText(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *text = bytes.str();
    return static_cast<bool>(in);
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "timeline-doc: %s\n", message.c_str());
    return 2;
}

int write(const std::string& doc) {
    std::string text;
    if (!readText(doc, &text))
        return fail("cannot read " + doc);
    std::vector<std::string> problems;
    std::string written = regenerateSceneParts(text, &problems);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "%s: %s\n", doc.c_str(), problem.c_str());
    if (!problems.empty())
        return 1;
    if (written != text) {
        std::ofstream out(doc, std::ios::binary);
        out << written;
        if (!out)
            return fail("cannot write " + doc);
    }
    return 0;
}

// A scene's picture and example beside the document, compared with a fresh render.
void checkScenePictures(const std::string& doc, const std::string& rendered,
                        std::vector<std::string>* problems) {
    const std::string pictures = directoryOf(doc) + "/timeline/";
    for (int i = 0; i < kSceneCount; ++i) {
        const std::string name = kScenes[i].name;
        if (!exists(pictures + "examples/" + name + ".odml"))
            problems->push_back("no example timeline " + pictures + "examples/" + name + ".odml");
        const std::string picture = pictures + name + ".png";
        if (!exists(picture)) {
            problems->push_back("no picture " + picture);
            continue;
        }
        if (rendered.empty() || !exists(rendered + "/" + name + ".png"))
            continue;
        double difference = pictureDifference(picture, rendered + "/" + name + ".png");
        if (difference < 0 || difference > kSamePicture)
            problems->push_back(picture + " differs from a fresh render (" +
                                std::to_string(difference) + " per channel)");
    }
}

int check(const std::string& doc, const std::string& rendered) {
    std::string text;
    if (!readText(doc, &text))
        return fail("cannot read " + doc);
    std::vector<std::string> problems;
    if (regenerateSceneParts(text, &problems) != text && problems.empty())
        problems.push_back("the parts written from the scene list are stale");
    for (const std::string& title : missingNoteSections(text))
        problems.push_back("no '## " + title + "' section, which odml-lint --explain names");
    checkScenePictures(doc, rendered, &problems);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "%s: %s\n", doc.c_str(), problem.c_str());
    if (!problems.empty())
        std::fputs("timeline-doc: run scripts/make-timeline-doc to bring it up to date\n", stderr);
    return problems.empty() ? 0 : 1;
}

// Runs `command` with its standard error in `log`; true when it exits 0.
bool runLogged(std::vector<std::string> command, const std::string& log) {
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = -1;
    int status = -1;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status == 0;
}

// The frame at one second of each scene's example, shrunk to the document's picture size.
int render(const std::string& doc, const std::string& capture, const std::string& demo,
           const std::string& rendered) {
    const std::string examples = directoryOf(doc) + "/timeline/examples/";
    if (mkdir(rendered.c_str(), 0777) != 0 && errno != EEXIST)
        return fail("cannot make " + rendered + ": " + std::strerror(errno));
    for (int i = 0; i < kSceneCount; ++i) {
        const std::string stem = rendered + "/" + kScenes[i].name;
        const std::string frame = stem + "-frame.png", log = stem + ".log";
        // The scenes' loading lines are of no interest unless the capture fails.
        if (!runLogged({capture, "--dir", demo, "--script", examples + kScenes[i].name + ".odml",
                        "--shot", "1:" + frame},
                       log)) {
            std::string lines;
            readText(log, &lines);
            std::fputs(lines.c_str(), stderr);
            return fail("could not render the example of " + std::string(kScenes[i].name));
        }
        std::string error = makeThumbnail(frame, stem + ".png");
        std::remove(frame.c_str());
        std::remove(log.c_str());
        if (!error.empty())
            return fail(error);
    }
    return 0;
}

int updatePictures(const std::string& rendered, const std::string& pictures) {
    for (int i = 0; i < kSceneCount; ++i) {
        const std::string from = rendered + "/" + kScenes[i].name + ".png";
        const std::string to = pictures + "/" + kScenes[i].name + ".png";
        double difference = pictureDifference(from, to);
        if (difference >= 0 && difference <= kSamePicture)
            continue;
        std::ifstream in(from, std::ios::binary);
        std::ofstream out(to, std::ios::binary);
        out << in.rdbuf();
        if (!in || !out)
            return fail("cannot copy " + from + " to " + to);
        std::printf("updated %s\n", to.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && answerInfoRequest(infoRequest(argv[1]), "timeline-doc", kUsage))
        return 0;
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "--scenes" && argc == 2) {
        for (int i = 0; i < kSceneCount; ++i)
            std::printf("%s\n", kScenes[i].name);
        return 0;
    }
    if (command == "--write" && argc == 3)
        return write(argv[2]);
    if (command == "--check" && (argc == 3 || argc == 4))
        return check(argv[2], argc == 4 ? argv[3] : "");
    if (command == "--render" && argc == 6)
        return render(argv[2], argv[3], argv[4], argv[5]);
    if (command == "--update-pictures" && argc == 4)
        return updatePictures(argv[2], argv[3]);
    std::fputs(kUsage, stderr);
    return 2;
}
