// How the linter prints what it found: compiler-style lines, each with the source line it is
// about and a caret under the column, optionally followed by a note naming the section of
// docs/timeline.md that explains it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum class Severity { Warning, Error };

// Titles of docs/timeline.md's sections, as the notes quote them.
namespace docs {
constexpr const char* kFormat = "The file format";
constexpr const char* kEffects = "Effects";
constexpr const char* kTimes = "Times, delay and repeat";
constexpr const char* kCapture = "Effects that meet";
constexpr const char* kMusic = "The music";
constexpr const char* kScenes = "The scenes";
// Every section a note may name; timeline-doc checks that the document has each.
constexpr const char* kAll[] = {kFormat, kEffects, kTimes, kCapture, kMusic, kScenes};
} // namespace docs

struct Finding {
    unsigned int position; // byte index into the file
    std::string message;
    std::string section = docs::kFormat; // or a scene's name: its section under "The scenes"
    Severity severity = Severity::Warning;
};

// Sorted by position; `name` is how the file is called in each line.
void printFindings(const std::string& name, const std::string& bytes, std::vector<Finding> findings,
                   bool explain, std::FILE* out);
