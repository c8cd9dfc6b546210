// The process's standard output (and standard error, when asked) sent to a temporary file for
// a while, so that what the host and the scenes print while a tool sets up does not mix with
// the tool's own output; the tool decides afterwards whether to show it.
#pragma once

#include <cstdio>
#include <string>

namespace host {

class HeldOutput {
public:
    explicit HeldOutput(bool withErrors = false);
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;
    ~HeldOutput() { release(); }
    // Puts the streams back; returns what was held.
    std::string release();

private:
    std::FILE* file;
    int saved = -1, savedErrors = -1;
};

} // namespace host
