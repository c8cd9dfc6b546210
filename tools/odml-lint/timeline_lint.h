// Checks one timeline file: reads it through the demo's own reader with a listener that
// hears every silent degradation, then checks what the scenes will make of the result.
#pragma once

#include <cstdio>
#include <string>

enum LintStatus { kLintClean = 0, kLintWarnings = 1, kLintUnreadable = 2 };

// Warnings go to `warnings` as FILE:LINE:COL lines; with `dump`, the stored records go to
// `dumpOut` as one JSON object a line.
LintStatus lintTimeline(const std::string& path, bool dump, FILE* warnings, FILE* dumpOut);
