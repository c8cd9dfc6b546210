// docs/timeline.md's scene sections: under "## The scenes", one "### name" heading per scene
// in the scene list's order, each followed by a part written from the list (its picture,
// what it draws, its triggers) between two marker comments. The prose around is by hand.
#pragma once

#include <string>
#include <vector>

// `text` with every scene's generated part written afresh (a heading with no markers yet
// gets them). What does not match the scene list goes to `problems`, one line each.
std::string regenerateSceneParts(const std::string& text, std::vector<std::string>* problems);

// The "## " section titles the linter's notes name that `text` lacks.
std::vector<std::string> missingNoteSections(const std::string& text);
