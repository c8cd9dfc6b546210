// solvane-preview's command line.
#pragma once

#include "tools/lib/common/tool_info.h"
#include "tools/lib/seekable_player/checkpoints.h"

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
    size_t checkpointBudget = authoring::kDefaultCheckpointBudget; // bytes
    InfoRequest info = InfoRequest::NoInfo;
};

const char* usageText();
// "" or one line saying what is wrong.
std::string parseOptions(int argc, char** argv, Options* options);

} // namespace preview
