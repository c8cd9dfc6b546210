// Every file the capture writes goes first to a hidden temporary beside its final path; only
// a run that finishes renames them into place, so a failed or interrupted run leaves nothing
// half-written and no earlier file replaced.
#pragma once

#include <string>
#include <vector>

namespace capture {

class OutputFiles {
public:
    OutputFiles() = default;
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;
    ~OutputFiles() { abandon(); }

    // The temporary path to write instead of `finalPath`.
    std::string stage(const std::string& finalPath);
    // Renames every staged file into place; "what failed: why" or empty.
    std::string commit();
    // Removes every staged file (and a frames directory this run made, if left empty).
    void abandon();
    void removeOnAbandon(const std::string& directory) { createdDirectory = directory; }
    // `message` with every staged temporary's path replaced by the path the user gave.
    std::string inFinalNames(std::string message) const;

private:
    struct Staged {
        std::string temporary, final;
    };
    std::vector<Staged> staged;
    std::string createdDirectory;
};

} // namespace capture
