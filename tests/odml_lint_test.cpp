// odml-lint end to end: warnings with their line and column, exit statuses, and the dump.
#include "tests/process_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

struct LintRun {
    int status = -1;
    std::string out;
    std::string err;
};

class OdmlLint : public ::testing::Test {
protected:
    void SetUp() override {
        directory = makeTemporaryDirectory("odml-lint-test");
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override { runCommand("rm -rf '" + directory + "'"); }

    void write(const std::string& name, const std::string& text) {
        writeFile(directory + "/" + name, text);
    }
    LintRun lint(const std::string& arguments) {
        LintRun run;
        run.status = runCommand("cd '" + directory + "' && '" ODML_LINT_PATH "' " + arguments +
                                " >out.txt 2>err.txt");
        run.out = readFile(directory + "/out.txt");
        run.err = readFile(directory + "/err.txt");
        return run;
    }

    std::string directory;
};

const char kClean[] = "<?xml version=\"1.0\"?>\n"
                      "<!-- the opening -->\n"
                      "<effect start=\"0\" end=\"10\" name=\"background\">\n"
                      "  <trigger start=\"0\" name=\"r\" value=\"0.5\"/>\n"
                      "</effect>\n"
                      "<effect start=\"0\" end=\"10\" name=\"render2texture\"/>\n"
                      "<effect start=\"2\" end=\"4\" name=\"fade\">\n"
                      "  <trigger name=\"mode\" value=\"in\" />\n"
                      "</effect>\n";

TEST_F(OdmlLint, ExitStatusSaysCleanWarnedOrUnreadable) {
    write("clean.odml", kClean);
    write("warned.odml", "<effect start=\"1\" end=\"2\" name=\"nothing\"/>");

    LintRun clean = lint("clean.odml");
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "");
    EXPECT_EQ(clean.out, "");

    EXPECT_EQ(lint("warned.odml").status, 1);
    EXPECT_EQ(lint("clean.odml warned.odml").status, 1);

    LintRun missing = lint("clean.odml missing.odml warned.odml");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("odml-lint: cannot read missing.odml: "), std::string::npos);
    EXPECT_EQ(lint(".").status, 2);
    EXPECT_EQ(lint("--bogus clean.odml").status, 2);
    EXPECT_EQ(lint("").status, 2);
}

TEST_F(OdmlLint, EmptyGarbageAndDirectoryTimelinesAreCalledWhatTheyAre) {
    const char* const kNothing =
        ":1:1: warning: the timeline holds no effect; the demo ends at its first frame\n";
    write("empty.odml", "");
    LintRun empty = lint("empty.odml");
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "empty.odml" + std::string(kNothing));

    // A picture by mistake: the reader stops at its first byte.
    write("picture.odml", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR<effect>", 24));
    LintRun garbage = lint("picture.odml");
    EXPECT_EQ(garbage.status, 1);
    EXPECT_EQ(garbage.err, "picture.odml:1:1: warning: text outside tags ends the reading; 24 "
                           "bytes ignored\npicture.odml" +
                               std::string(kNothing));

    mkdir((directory + "/folder.odml").c_str(), 0755);
    LintRun folder = lint("folder.odml");
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err, "odml-lint: cannot read folder.odml: Is a directory\n");
}

TEST_F(OdmlLint, ReaderDegradationsAreReportedWhereTheyHappen) {
    write("bad.odml", "<Effect start=\"1\" end=\"2\" name=\"fade\"/>\n"           // 1
                      "<effect\tstart=\"1\" end=\"2\" name=\"fade\"/>\n"          // 2
                      "<effect start=\"0\" end=\"9\" name=\"render2texture\"/>\n" // 3
                      "<effect start=\"1\" end=\"5\" name=\"fade\" start = \"2\" bad=\"x\">\n"
                      "<trigger start='1' name=\"mode\"\tvalue=\"in\"/>\n" // 5
                      "<trigger start=\"2.5x\" repeat=\"abc\" name=\"mode\"/>\n"
                      "</fade>\n"                                       // 7
                      "<trigger name=\"mode\"/>\n"                      // 8
                      "<effect start=\"3\" end=\"4\" name=\"nope\"/>\n" // 9
                      "stray\n"                                         // 10
                      "<effect start=\"3\" end=\"4\" name=\"fade\"/>\n");
    LintRun run = lint("bad.odml");
    EXPECT_EQ(run.status, 1);
    for (const char* expected :
         {"bad.odml:1:1: warning: unrecognised tag '<Effect'; ignored (tag names are lower case)",
          "bad.odml:2:1: warning: unrecognised tag '<effect'; ignored ('effect' must be followed "
          "by a space)",
          "bad.odml:4:39: warning: blanks around '=' in attribute 'start'; ignored",
          "bad.odml:4:51: warning: unknown attribute 'bad'; ignored",
          "bad.odml:5:10: warning: attribute 'start' uses single quotes; ignored",
          "bad.odml:5:32: warning: text 'value=\"in\"' is skipped: attributes must be separated "
          "by a space",
          "bad.odml:6:10: warning: start value '2.5x' is read only as '2.5'",
          "bad.odml:6:23: warning: repeat value 'abc' is not a number; 0 is used",
          "bad.odml:6:1: warning: trigger can never fire: repeat is 0",
          "bad.odml:7:1: warning: closing tag '</fade>' ends the current effect",
          "bad.odml:8:1: warning: trigger outside any effect; dropped",
          "bad.odml:9:33: warning: no scene is named 'nope'; the effect paints nothing",
          "bad.odml:10:1: warning: text outside tags ends the reading; 46 bytes ignored"}) {
        EXPECT_NE(run.err.find(std::string(expected) + "\n"), std::string::npos)
            << "missing: " << expected << "\nin:\n"
            << run.err;
    }
    EXPECT_EQ(run.out, "");
}

TEST_F(OdmlLint, CutOffTagsAndMissingQuotes) {
    write("cut.odml", "<effect start=\"0\" end=\"3\" name=\"lines\">\n"
                      "<trigger name=\"x\" value=\"unclosed/>\n"
                      "<effect start=\"0\" end=\"3\" name=\"lin");
    LintRun run = lint("cut.odml");
    EXPECT_NE(run.err.find("cut.odml:2:19: warning: missing closing quote"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("cut.odml:3:1: warning: tag is cut off by the end of the file"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("cut.odml:3:27: warning: missing closing quote"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("cut.odml:2:1: warning: scene 'lines' does not act on trigger 'x'; it "
                           "ignores all triggers"),
              std::string::npos)
        << run.err;
}

TEST_F(OdmlLint, ClosingTagCutOffByTheEndOfTheFile) {
    // The warning quotes the tag; it must stop at the file's last byte (the sanitizer build
    // of the linter catches a read past it).
    write("closing.odml", "<effect start=\"0\" end=\"3\" name=\"lines\"></trig");
    LintRun run = lint("closing.odml");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("closing.odml:1:40: warning: closing tag '</trig' ends the current "
                           "effect\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("closing.odml:1:40: warning: tag is cut off by the end of the file"),
              std::string::npos)
        << run.err;
}

TEST_F(OdmlLint, TimelineLogicWarnings) {
    write("logic.odml", "<effect start=\"5\" end=\"5\" name=\"stars\"/>\n"
                        "<effect start=\"0\" end=\"4\" name=\"crash\">\n"
                        "<trigger start=\"4\" name=\"color\" value=\"white\"/>\n"
                        "<trigger start=\"1\" delay=\"1\" repeat=\"5\" name=\"color\"/>\n"
                        "<trigger start=\"1\" name=\"colour\"/>\n"
                        "</effect>\n"
                        "<effect start=\"0\" end=\"9\" name=\"render2texture\"/>\n"
                        "<effect start=\"1\" end=\"2\" name=\"tfly\"/>\n"
                        "<effect start=\"9\" end=\"12\" name=\"endcube\"/>\n");
    LintRun run = lint("logic.odml");
    for (const char* expected :
         {"logic.odml:1:1: warning: effect ends at 5 s, not after its start at 5 s; it never "
          "paints",
          "logic.odml:2:1: warning: no 'render2texture' effect earlier in the file is active at "
          "0 s, so 'crash' shows no fresh capture",
          "logic.odml:3:1: warning: trigger can never fire: it is due 4 s into an effect of 4 s",
          "logic.odml:4:1: warning: only 3 of 5 repetitions are due before the effect ends",
          "logic.odml:5:1: warning: scene 'crash' does not act on trigger 'colour' (it knows "
          "'color')",
          "logic.odml:9:1: warning: no 'render2texture' effect earlier in the file is active at "
          "9 s, so 'endcube' shows no fresh capture"}) {
        EXPECT_NE(run.err.find(std::string(expected) + "\n"), std::string::npos)
            << "missing: " << expected << "\nin:\n"
            << run.err;
    }
    EXPECT_EQ(run.err.find("logic.odml:8:"), std::string::npos) << run.err;
}

TEST_F(OdmlLint, DumpShowsWhatTheReaderStores) {
    write("worked.odml", "<effect start=\"10\" end=\"20\" name=\"crash\">\n"
                         "<trigger start=\"1.5\" name=\"color\" value=\"white\"/>\n"
                         "<trigger start=\"4\" delay=\"2\" repeat=\"3\" name=\"color\" "
                         "value=\"white\"/>\n"
                         "</effect>\n"
                         "<effect start=\"12\" end=\"18\" name=\"radialblur\"/>\n");
    LintRun worked = lint("--dump worked.odml");
    EXPECT_EQ(worked.out,
              "{\"effect\":0,\"start\":10,\"end\":20,\"scene\":\"crash\",\"triggers\":["
              "{\"start\":1.5,\"delay\":0,\"repeat\":1,\"name\":\"color\",\"value\":\"white\"},"
              "{\"start\":4,\"delay\":2,\"repeat\":3,\"name\":\"color\",\"value\":\"white\"}]}\n"
              "{\"effect\":1,\"start\":12,\"end\":18,\"scene\":\"radialblur\",\"triggers\":[]}\n"
              "{\"lastEnd\":20}\n");

    write("odd.odml", "<effect start=\"0.1\" end=\"1e40\" name=\"who\">"
                      "<trigger name=\"q\\\xc3\xa9\" repeat=\"-3.7\"/>"
                      "<trigger value=\"tab\tnew\nline\"/></effect>");
    LintRun odd = lint("--dump odd.odml");
    EXPECT_EQ(odd.out,
              "{\"effect\":0,\"start\":0.100000001,\"end\":\"inf\",\"scene\":null,\"triggers\":["
              "{\"start\":0,\"delay\":0,\"repeat\":-3,\"name\":\"q\\\\\\u00c3\\u00a9\","
              "\"value\":null},"
              "{\"start\":0,\"delay\":0,\"repeat\":1,\"name\":null,"
              "\"value\":\"tab\\u0009new\\u000aline\"}]}\n"
              "{\"lastEnd\":\"inf\"}\n");
}

} // namespace
