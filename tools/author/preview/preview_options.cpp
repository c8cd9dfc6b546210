// The preview's options, read as every tool reads its long options.
#include "tools/author/preview/preview_options.h"

#include "tools/lib/authoring/command_line.h"

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
  --checkpoint-memory MB
                  memory for the checkpoints that seeks and reloads start from, 16 to
                  65536 (default 768); past it they are laid further apart
  -h, --help      show this text
  --version       show the version

When standard input is not a terminal it takes one command a line (seek S, pause, play, time,
reload, shot FILE.png, view FILE.png, effects, quit) and answers each with one line, "ok ..."
or "error: ...". shot saves the frame as the scenes drew it, view as the window shows it.

Keys: Space pause, Left/Right -1/+1 s (Shift: 10 s), Page Up/Down effect starts and ends,
Home, [ ] \ the loop, R reload, H the display, T the timeline strip, , and . the previous
and next beat (Shift: bar), Up and Down the previous and next section or marker (Shift:
cue), Escape quit. A click on the strip seeks there.
)";

std::string applyOption(const std::string& name, const std::string& value, Options* options) {
    if (name == "--dir") {
        options->directory = value;
    } else if (name == "--script") {
        options->script = value;
    } else if (name == "--at") {
        if (!authoring::parseSeconds(value, &options->at))
            return "--at " + value + ": not a time in seconds";
    } else if (name == "--fps") {
        if (!authoring::parseCount(value, 1, 1000, &options->fps))
            return "--fps " + value + ": expected a whole number from 1 to 1000";
    } else if (name == "--loop") {
        size_t colon = value.find(':');
        if (colon == std::string::npos ||
            !authoring::parseSeconds(value.substr(0, colon), &options->loopFrom) ||
            !authoring::parseSeconds(value.substr(colon + 1), &options->loopTo) ||
            options->loopTo <= options->loopFrom)
            return "--loop " + value + ": expected A:B in seconds with A before B";
        options->hasLoop = true;
    } else if (name == "--checkpoint-memory") {
        int megabytes = 0;
        if (!authoring::parseCount(value, 16, 65536, &megabytes))
            return "--checkpoint-memory " + value + ": expected megabytes from 16 to 65536";
        options->checkpointBudget = static_cast<size_t>(megabytes) << 20;
    } else if (name == "--paused") {
        options->paused = true;
    }
    return "";
}

} // namespace

const char* usageText() {
    return kUsage;
}

std::string parseOptions(int argc, char** argv, Options* options) {
    static const authoring::OptionNames kNames = {
        {"--paused"}, {"--dir", "--script", "--at", "--fps", "--loop", "--checkpoint-memory"}};
    return authoring::readOptions(argc, argv, kNames, &options->info,
                                  [&](const std::string& name, const std::string& value) {
                                      return applyOption(name, value, options);
                                  });
}

} // namespace preview
