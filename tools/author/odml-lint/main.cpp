// odml-lint: says what the demo's timeline reader would silently throw away or misread.
#include "tools/author/odml-lint/lint_run.h"
#include "tools/lib/common/tool_info.h"
#include "tools/lib/lint/timeline_lint.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: odml-lint [OPTIONS] FILE...\n"
    "Checks demo timelines as the demo reads them. Findings go to standard error as\n"
    "FILE:LINE:COL: warning: TEXT (error: for a timeline the demo gets nothing from), each\n"
    "followed by the line it is about and a caret under the column. FILE - is standard input.\n"
    "\n"
    "  --dump          print what the demo reads from each file, one JSON object a line\n"
    "                  (with the file's name when more than one file is given)\n"
    "  --music FILE    check times against this music's length (default: music.mp3 beside\n"
    "                  each timeline, when there is one)\n"
    "  --explain       after each finding, name the section of docs/timeline.md about it\n"
    "  --scenes        list the scenes, what each draws, its triggers and their values\n"
    "  -h, --help      show this text\n"
    "  --version       show the version\n"
    "\n"
    "Exit status: 0 clean, 1 warnings, 2 errors (or a file or the music could not be read).\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "odml-lint: %s (see --help)\n", message.c_str());
    return kLintErrors;
}

} // namespace

int main(int argc, char** argv) {
    LintOptions options;
    bool optionsDone = false;
    std::string music;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (optionsDone || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            files.push_back(argument);
        } else if (std::strcmp(argument, "--") == 0) {
            optionsDone = true;
        } else if (answerInfoRequest(infoRequest(argument), "odml-lint", kUsage)) {
            return 0;
        } else if (std::strcmp(argument, "--scenes") == 0) {
            printSceneList(stdout);
            return 0;
        } else if (std::strcmp(argument, "--dump") == 0) {
            options.dump = true;
        } else if (std::strcmp(argument, "--explain") == 0) {
            options.explain = true;
        } else if (std::strcmp(argument, "--music") == 0) {
            if (i + 1 == argc)
                return usageError("--music needs a file");
            music = argv[++i];
        } else {
            return usageError("unknown option '" + std::string(argument) + "'");
        }
    }
    if (files.empty())
        return usageError("no timeline file given");
    if (!music.empty()) {
        std::string why;
        options.musicSeconds = lint::musicLength(music, &why);
        if (options.musicSeconds < 0) {
            std::fprintf(stderr, "odml-lint: cannot read the music %s: %s\n", music.c_str(),
                         why.c_str());
            return kLintErrors;
        }
    }
    options.nameInDump = files.size() > 1;

    int status = kLintClean;
    for (const char* file : files) {
        LintStatus result = kLintErrors;
        try {
            result = lintTimeline(file, options, stderr, stdout);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "odml-lint: %s: out of memory\n", file);
        }
        if (result > status)
            status = result;
    }
    return status;
}
