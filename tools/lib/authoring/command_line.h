// The tools' command lines: long options only, "--name VALUE" or "--name=VALUE" for an option
// that takes a value, "--name" alone for a switch, and -h, --help and --version anywhere.
// Every mistake is one line, "what is wrong (see --help)" where the help says more.
#pragma once

#include "tools/lib/common/tool_info.h"

#include <functional>
#include <string>
#include <vector>

namespace authoring {

struct OptionNames {
    std::vector<std::string> switches; // e.g. "--paused"
    std::vector<std::string> valued;   // e.g. "--dir"
};

// Called with each option's name and its value ("" for a switch); returns "" or the mistake.
using OptionHandler = std::function<std::string(const std::string& name, const std::string& value)>;

// Walks the arguments in order and stops at the first mistake, which it returns; a help or
// version request is recorded in `info` and the walk goes on.
std::string readOptions(int argc, char** argv, const OptionNames& names, InfoRequest* info,
                        const OptionHandler& handle);

// A time in seconds ("12", "1.5", "0.0167"), not negative and finite. False for anything
// else, blanks and signs included.
bool parseSeconds(const std::string& text, double* seconds);

// A whole number from `low` to `high` written in decimal digits only.
bool parseCount(const std::string& text, int low, int high, int* value);

} // namespace authoring
