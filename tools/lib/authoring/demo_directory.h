// The demo directory as every tool opens it, with one set of checks and one message shape: a
// readable directory with data/ (the pictures) and a readable timeline, which is read here,
// once; then the tool runs inside the directory, as the demo does.
#pragma once

#include <map>
#include <string>
#include <vector>

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
// The stamp of each file under data/, by its path from the demo directory ("data/1.png").
std::map<std::string, std::string> pictureStamps();
// The paths whose stamp differs between the two, or that only one of them has.
std::vector<std::string> changedPictures(const std::map<std::string, std::string>& before,
                                         const std::map<std::string, std::string>& after);

} // namespace authoring
