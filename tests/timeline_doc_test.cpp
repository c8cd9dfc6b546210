// docs/timeline.md against the scene list: the committed document passes the check and its
// pictures match this build's renders, and a document that lists a scene or trigger the list
// lacks, or lacks one it has, fails it.
#include "tests/process_runner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kDoc = SOLVANE_SOURCE_DIR "/docs/timeline.md";

struct CheckRun {
    int status;
    std::string errors;
};

// Its messages go beside the build's own files, never into the source tree.
CheckRun check(const std::string& doc, const std::string& rendered = "") {
    const std::string errors = SOLVANE_BINARY_DIR "/timeline-doc-check.err";
    CheckRun run;
    run.status = runCommand("'" TIMELINE_DOC_PATH "' --check '" + doc + "' " +
                            (rendered.empty() ? "" : "'" + rendered + "' ") + "2>'" + errors + "'");
    run.errors = readFile(errors);
    return run;
}

TEST(TimelineDoc, CommittedDocumentMatchesTheSceneListAndItsRenders) {
    const std::string rendered = SOLVANE_BINARY_DIR "/docs/timeline";
    ASSERT_EQ(runCommand("rm -rf '" + rendered + "' && mkdir -p '" + rendered +
                         "' && '" TIMELINE_DOC_PATH "' --render '" + kDoc +
                         "' '" CAPTURE_PATH "' '" SOLVANE_DEMO_DIR "' '" + rendered + "'"),
              0);
    CheckRun run = check(kDoc, rendered);
    EXPECT_EQ(run.status, 0) << run.errors;
}

TEST(TimelineDoc, ScenesAndTriggersTheListLacksOrHasAreFound) {
    const std::string directory = makeTemporaryDirectory("timeline-doc");
    ASSERT_FALSE(directory.empty());
    const std::string doc = directory + "/timeline.md";
    ASSERT_EQ(runCommand("cp -r '" SOLVANE_SOURCE_DIR "/docs/timeline' '" + directory + "/'"), 0);
    const std::string text = readFile(kDoc);
    struct Edit {
        std::string from, to, expected;
    };
    for (const Edit& edit :
         {Edit{"### stars\n", "### sparkles\n", "'### sparkles' names no scene"},
          Edit{"### stars\n", "", "no '### stars' section"},
          Edit{"### lines\n", "### lines\n\n### stars\n", "'### stars' is out of the scene list"},
          Edit{"| `amount` |", "| `amount-x` |", "stale"},
          Edit{"| `step` |", "| `speed` |", "stale"}}) {
        std::string changed = text;
        size_t at = changed.find(edit.from);
        ASSERT_NE(at, std::string::npos) << edit.from;
        changed.replace(at, edit.from.size(), edit.to);
        writeFile(doc, changed);
        CheckRun run = check(doc);
        EXPECT_EQ(run.status, 1) << edit.from << " -> " << edit.to;
        EXPECT_NE(run.errors.find(edit.expected), std::string::npos) << run.errors;
    }
    runCommand("rm -rf '" + directory + "'");
}

} // namespace
