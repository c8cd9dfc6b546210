// How the linter prints what it found: compiler-style lines, each with the source line it is
// about and a caret under the column, optionally followed by a note naming the section of
// docs/timeline.md that explains it.
#pragma once

#include "tools/lib/lint/finding.h"

#include <cstdio>
#include <string>
#include <vector>

// `findings` in the order of their positions; `name` is how the file is called in each line.
void printFindings(const std::string& name, const std::string& bytes,
                   const std::vector<lint::Finding>& findings, bool explain, std::FILE* out);
