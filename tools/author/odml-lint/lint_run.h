// odml-lint's work on one timeline file: its findings, its dump and the scene list.
#pragma once

#include "tools/lib/lint/beat_checks.h"

#include <cstdio>
#include <string>

enum LintStatus { kLintClean = 0, kLintWarnings = 1, kLintErrors = 2 };

struct LintOptions {
    bool dump = false;
    bool nameInDump = false; // each dump line carries the file's name
    bool explain = false;    // a note after each finding naming the docs section about it
    // The music's length in seconds, from --music; negative: look for music.mp3 beside
    // each timeline.
    double musicSeconds = -1;
    // The cue sheet from --cues; empty: the one beside each timeline's music, if any.
    std::string cueSheet;
    lint::BeatOptions beat;
    bool snap = false; // print the timeline with the times that miss moved onto the beat
};

// `path` "-" reads standard input. Findings go to `warnings` as FILE:LINE:COL lines, each
// followed by the source line and a caret; with `dump`, the stored records go to `dumpOut`
// as one JSON object a line, with `snap` the snapped timeline.
LintStatus lintTimeline(const std::string& path, const LintOptions& options, FILE* warnings,
                        FILE* dumpOut);

// --scenes: every scene in order, what it draws, its triggers and the values they take.
void printSceneList(FILE* out);
