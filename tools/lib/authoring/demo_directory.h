// The demo directory as every tool opens it, with one set of checks and one message shape: a
// readable directory with data/ (the pictures) and a readable timeline, which is read here,
// once; then the tool runs inside the directory, as the demo does.
#pragma once

#include <string>

namespace authoring {

struct DemoDirectory {
    std::string directory;    // absolute
    std::string timelinePath; // absolute
    std::string timelineText; // the timeline's bytes
};

// `directory` and `timeline` as the command line gives them (an empty timeline is
// DIR/script.odml), made absolute against the current directory, checked, the timeline read,
// and the directory entered. Returns "" or one line: "--dir DIR: why" (missing, not a
// directory, unreadable, no data/) or "FILE: cannot read the timeline: why".
std::string openDemoDirectory(const std::string& directory, const std::string& timeline,
                              DemoDirectory* demo);

// Reads the whole timeline at `path` into `text`. Returns "" or "PATH: cannot read the
// timeline: why".
std::string readTimeline(const std::string& path, std::string* text);

// A stamp of the timeline and of every file under data/ in the current directory: it changes
// whenever one of them is written, replaced or removed.
std::string demoFilesStamp(const std::string& timelinePath);
// The part of that stamp that covers data/ alone.
std::string picturesStamp();

} // namespace authoring
