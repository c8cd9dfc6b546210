// Long options, each "--name VALUE" or "--name=VALUE", as solvane-capture takes them.
#include "tools/author/preview/preview_options.h"

#include "tools/author/capture/frame_clock.h"
#include "tools/author/capture/output_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace preview {

namespace {

const char kUsage[] = R"(Usage: solvane-preview [OPTIONS]
Plays the demo in a window with its music. Space pauses, arrows seek (Shift: 10 s), Page Up
and Page Down go to the previous and next effect boundary, Home to the start, [ and ] set a
loop, \ clears it, R reloads, H hides the display, Escape quits. The timeline and the
pictures under data/ are read again whenever they change on disk.

  --dir DIR       the demo directory (default: the current directory)
  --script FILE   the timeline (default: DIR/script.odml)
  --at S          start at S seconds
  --fps N         the frame clock that seeks replay on, 1 to 1000 (default 60)
  --paused        start paused
  --loop A:B      play from A to B seconds over and over
  --help          show this text

When standard input is not a terminal it takes one command a line (seek S, pause, play, time,
reload, shot FILE.png, effects, quit) and answers each with one line, "ok ..." or "error: ...".
)";

std::string applyOption(const std::string& name, const std::string& value, Options* options) {
    if (name == "--dir") {
        options->directory = value;
    } else if (name == "--script") {
        options->script = value;
    } else if (name == "--at") {
        if (!capture::parseSeconds(value, &options->at))
            return "--at " + value + ": not a time in seconds";
    } else if (name == "--fps") {
        if (!capture::parseCount(value, 1, 1000, &options->fps))
            return "--fps " + value + ": expected a whole number from 1 to 1000";
    } else if (name == "--loop") {
        size_t colon = value.find(':');
        if (colon == std::string::npos ||
            !capture::parseSeconds(value.substr(0, colon), &options->loopFrom) ||
            !capture::parseSeconds(value.substr(colon + 1), &options->loopTo) ||
            options->loopTo <= options->loopFrom)
            return "--loop " + value + ": expected A:B in seconds with A before B";
        options->hasLoop = true;
    } else {
        return "unknown option " + name + " (see --help)";
    }
    return "";
}

} // namespace

const char* usageText() {
    return kUsage;
}

std::string parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options->help = true;
            continue;
        }
        if (name == "--paused") {
            options->paused = true;
            continue;
        }
        std::string value;
        size_t equals = name.find('=');
        if (name.compare(0, 2, "--") != 0)
            return "unexpected argument '" + name + "' (see --help)";
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (name != "--dir" && name != "--script" && name != "--at" && name != "--fps" &&
                   name != "--loop") {
            return "unknown option " + name + " (see --help)";
        } else if (i + 1 == argc) {
            return name + " needs a value (see --help)";
        } else {
            value = argv[++i];
        }
        std::string error = applyOption(name, value, options);
        if (!error.empty())
            return error;
    }
    return "";
}

std::string checkStart(Options* options) {
    options->directory = capture::absolutePath(options->directory);
    options->script = options->script.empty() ? options->directory + "/script.odml"
                                              : capture::absolutePath(options->script);
    struct stat info;
    if (stat(options->directory.c_str(), &info) != 0)
        return "--dir " + options->directory + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return "--dir " + options->directory + ": not a directory";
    if (chdir(options->directory.c_str()) != 0)
        return "--dir " + options->directory + ": " + std::strerror(errno);
    if (stat(options->script.c_str(), &info) != 0)
        return options->script + ": cannot read the timeline: " + std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return options->script + ": cannot read the timeline: " + std::strerror(EISDIR);
    if (access(options->script.c_str(), R_OK) != 0)
        return options->script + ": cannot read the timeline: " + std::strerror(errno);
    return "";
}

} // namespace preview
