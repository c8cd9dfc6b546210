// solvane-preview's command line.
#pragma once

#include <string>

namespace preview {

struct Options {
    std::string directory = ".";
    std::string script; // default: DIRECTORY/script.odml
    double at = 0;
    int fps = 60;
    bool paused = false;
    bool hasLoop = false;
    double loopFrom = 0, loopTo = 0;
    bool help = false;
};

const char* usageText();
// "" or one line saying what is wrong.
std::string parseOptions(int argc, char** argv, Options* options);
// Makes the timeline's path absolute, enters the demo directory and checks that the
// timeline can be read. "" or one line.
std::string checkStart(Options* options);

} // namespace preview
