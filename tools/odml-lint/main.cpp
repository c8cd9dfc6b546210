// odml-lint: says what the demo's timeline reader would silently throw away or misread.
#include "tools/odml-lint/timeline_lint.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kUsage[] =
    "usage: odml-lint [--dump] FILE...\n"
    "Checks demo timelines. Warnings go to standard error as FILE:LINE:COL: warning: TEXT.\n"
    "  --dump   print what the demo reads from each file, one JSON object a line\n"
    "Exit status: 0 clean, 1 warnings, 2 a file could not be read.\n";

} // namespace

int main(int argc, char** argv) {
    bool dump = false;
    bool optionsDone = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (optionsDone || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            files.push_back(argument);
        } else if (std::strcmp(argument, "--") == 0) {
            optionsDone = true;
        } else if (std::strcmp(argument, "--dump") == 0) {
            dump = true;
        } else if (std::strcmp(argument, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "odml-lint: unknown option '%s'\n%s", argument, kUsage);
            return 2;
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    int status = kLintClean;
    for (const char* file : files) {
        LintStatus result = lintTimeline(file, dump, stderr, stdout);
        if (result > status)
            status = result;
    }
    return status;
}
