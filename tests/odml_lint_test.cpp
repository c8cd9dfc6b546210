// odml-lint end to end: findings with their line, column and excerpt, exit statuses, the
// checks against the scenes and the music, and the dump.
#include "tests/process_runner.h"
#include "tools/lib/mp3tone/mp3_tone.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

// Each part is in the text (a warning line ends with "\n" where the caller gives one).
void expectFound(const std::string& text, std::initializer_list<std::string> parts) {
    for (const std::string& part : parts)
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\nin:\n" << text;
}

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
    EXPECT_EQ(lint("--music nothing.mp3 clean.odml").status, 2);

    // Named FIFOs that nobody writes to: refused at once, not waited on.
    int timelineWriter = makeSilentFifo(directory + "/fifo.odml");
    ASSERT_GE(timelineWriter, 0);
    ASSERT_EQ(mkfifo((directory + "/music.mp3").c_str(), 0644), 0); // with no writer at all
    LintRun fifo = lint("fifo.odml clean.odml");
    EXPECT_EQ(fifo.status, 2);
    expectFound(fifo.err, {"odml-lint: cannot read fifo.odml: not a regular file\n",
                           "odml-lint: clean.odml: times not checked against music.mp3: not a "
                           "regular file\n"});
    close(timelineWriter);
    unlink((directory + "/music.mp3").c_str());

    // A timeline past any real one's size is refused in one line, from a file or a pipe.
    write("big.odml", std::string((16u << 20) + 1, ' '));
    LintRun big = lint("big.odml");
    EXPECT_EQ(big.status, 2);
    EXPECT_EQ(big.err, "odml-lint: cannot read big.odml: File too large\n");
    EXPECT_EQ(lint("- <big.odml").err, "odml-lint: cannot read <stdin>: File too large\n");
#ifndef __SANITIZE_ADDRESS__ // which reserves more address space than the limit below
    // A million effects within the size limit, with too little memory to hold them.
    std::string many;
    while (many.size() < (15u << 20))
        many += "<effect name=\"x\"/>";
    write("many.odml", many);
    EXPECT_EQ(runCommand("cd '" + directory +
                         "' && ulimit -v 100000 && '" ODML_LINT_PATH "' many.odml 2>err.txt"),
              2);
    EXPECT_EQ(readFile(directory + "/err.txt"), "odml-lint: many.odml: out of memory\n");
#endif

    LintRun piped = lint("- <warned.odml");
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err.find("<stdin>:1:33: warning: no scene is named 'nothing'"), 0u)
        << piped.err;
}

TEST_F(OdmlLint, TimelinesThatLoseEverythingAreErrors) {
    const char* const kNothing =
        ":1:1: error: the timeline holds no effect; the demo ends at its first frame\n";
    write("empty.odml", "");
    LintRun empty = lint("empty.odml");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "empty.odml" + std::string(kNothing));

    // A picture by mistake: the reader stops at its first byte. Unprintable bytes show as
    // '?' in the excerpt, the caret under the column.
    write("picture.odml", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR<effect>", 24));
    LintRun garbage = lint("picture.odml");
    EXPECT_EQ(garbage.status, 2);
    EXPECT_EQ(garbage.err, "picture.odml:1:1: warning: text outside tags ends the reading; 24 "
                           "bytes ignored\n"
                           "    1 | ?PNG\n"
                           "      | ^\n"
                           "picture.odml" +
                               std::string(kNothing) + "    1 | ?PNG\n      | ^\n");

    // A byte-order mark loses the whole file in the demo; the rest is still checked.
    write("marked.odml", "\xef\xbb\xbf<effect start=\"0\" end=\"1\" name=\"fad\"/>\n");
    LintRun marked = lint("--dump marked.odml");
    EXPECT_EQ(marked.status, 2);
    EXPECT_EQ(marked.out, "{\"lastEnd\":0}\n") << "the demo reads nothing";
    EXPECT_EQ(marked.err.find("marked.odml:1:1: error: the file begins with a UTF-8 byte-order "
                              "mark, which the demo reads as text outside tags: it reads "
                              "nothing of this file; save it without the mark\n"),
              0u)
        << marked.err;
    EXPECT_NE(marked.err.find("marked.odml:1:36: warning: no scene is named 'fad'; the effect "
                              "paints nothing (did you mean 'fade'?)\n"
                              "    1 | ?<effect start=\"0\" end=\"1\" name=\"fad\"/>\n"
                              "      |                                  ^\n"),
              std::string::npos)
        << marked.err;

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
                      "</fade>\n"                                         // 7
                      "<trigger name=\"mode\"/>\n"                        // 8
                      "<effect start=\"3\" end=\"4\" name=\"twistr\"/>\n" // 9
                      "<efect strat=\"3\"/><effect Start=\"3\" end=\"4\" name=\"Cubes\" "
                      "end=\"5\"/>\n"
                      "stray\n" // 11
                      "<effect start=\"3\" end=\"4\" name=\"fade\"/>\n");
    LintRun run = lint("bad.odml");
    EXPECT_EQ(run.status, 1);
    expectFound(
        run.err,
        {"bad.odml:1:1: warning: unrecognised tag '<Effect'; ignored (tag names are lower case)\n",
         "bad.odml:2:1: warning: unrecognised tag '<effect'; ignored ('effect' must be followed "
         "by a space)\n",
         "bad.odml:4:39: warning: blanks around '=' in attribute 'start'; ignored\n",
         "bad.odml:4:51: warning: unknown attribute 'bad'; ignored\n",
         "bad.odml:5:10: warning: attribute 'start' uses single quotes; ignored\n",
         "bad.odml:5:32: warning: text 'value=\"in\"' is skipped: attributes must be separated "
         "by a space\n",
         "bad.odml:6:10: warning: start value '2.5x' is read only as '2.5'\n",
         "bad.odml:6:23: warning: repeat value 'abc' is not a number; 0 is used\n",
         "bad.odml:6:1: warning: trigger can never fire: repeat is 0\n",
         "bad.odml:7:1: warning: closing tag '</fade>' ends the current effect\n",
         "bad.odml:8:1: warning: trigger outside any effect; dropped\n",
         "bad.odml:9:33: warning: no scene is named 'twistr'; the effect paints nothing (did "
         "you mean 'twister'?)\n",
         "bad.odml:10:1: warning: unrecognised tag '<efect'; ignored (did you mean '<effect'?)\n",
         "bad.odml:10:27: warning: unknown attribute 'Start'; ignored (did you mean 'start'?)\n",
         "bad.odml:10:51: warning: no scene is named 'Cubes'; the effect paints nothing (did "
         "you mean 'cubes'?)\n",
         "bad.odml:10:58: warning: attribute 'end' given again; the later value is used\n",
         "bad.odml:11:1: warning: text outside tags ends the reading; 46 bytes ignored\n"});
    EXPECT_EQ(run.out, "");
}

TEST_F(OdmlLint, CutOffTagsAndMissingQuotes) {
    write("cut.odml", "<effect start=\"0\" end=\"3\" name=\"lines\">\n"
                      "<trigger name=\"x\" value=\"unclosed/>\n"
                      "<effect start=\"0\" end=\"3\" name=\"lin");
    expectFound(lint("cut.odml").err,
                {"cut.odml:2:19: warning: missing closing quote",
                 "cut.odml:3:1: warning: tag is cut off by the end of the file",
                 "cut.odml:3:27: warning: missing closing quote",
                 "cut.odml:2:10: warning: scene 'lines' does not act on trigger 'x'; it ignores "
                 "all triggers"});
    // The warning quotes the closing tag; it must stop at the file's last byte (the sanitizer
    // build of the linter catches a read past it).
    write("closing.odml", "<effect start=\"0\" end=\"3\" name=\"lines\"></trig");
    LintRun closing = lint("closing.odml");
    EXPECT_EQ(closing.status, 1);
    expectFound(closing.err,
                {"closing.odml:1:40: warning: closing tag '</trig' ends the current effect\n",
                 "closing.odml:1:40: warning: tag is cut off by the end of the file"});
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
                        "<effect start=\"8.5\" end=\"12\" name=\"endcube\"/>\n"
                        "<effect start=\"0\" end=\"1e999\" name=\"lines\"/>\n"
                        "<effect start=\"-1e30\" end=\"1\" name=\"lines\"/>\n");
    LintRun run = lint("logic.odml");
    expectFound(
        run.err,
        {"logic.odml:1:1: warning: effect ends at 5 s, not after its start at 5 s; it never "
         "paints\n",
         "logic.odml:2:1: warning: no 'render2texture' effect earlier in the file is active at "
         "0 s, so 'crash' shows no fresh capture\n",
         "logic.odml:3:1: warning: trigger can never fire: it is due 4 s into an effect of 4 s\n",
         "logic.odml:4:1: warning: only 3 of 5 repetitions are due before the effect ends\n",
         "logic.odml:5:20: warning: scene 'crash' does not act on trigger 'colour' (did you "
         "mean 'color'?)\n",
         "logic.odml:10:1: warning: effect ends at inf s, beyond 16384 s (4:33:04), past which "
         "seconds lose the millisecond; the preview and the capture stop there\n",
         "logic.odml:11:1: warning: effect starts at -1e+30 s, beyond 16384 s"});
    for (const char* clean : {"logic.odml:8:", "logic.odml:9:"}) // a capture active at the start
        EXPECT_EQ(run.err.find(clean), std::string::npos) << run.err;
}

TEST_F(OdmlLint, TriggerValuesAreCheckedAsTheScenesReadThem) {
    write("values.odml", "<effect start=\"0\" end=\"9\" name=\"radialblur\">\n"
                         "<trigger name=\"amount\" value=\"lots\"/>\n"
                         "<trigger name=\"step\" value=\"1.5x\"/>\n"
                         "<trigger start=\"-1\" name=\"step\" value=\"1\"/>\n"
                         "</effect>\n"
                         "<effect start=\"0\" end=\"9\" name=\"render2texture\"/>\n"
                         "<effect start=\"0\" end=\"9\" name=\"fade\">\n"
                         "<trigger name=\"mode\" value=\"sideways\"/>\n"
                         "<trigger name=\"mode\" value=\"In\"/>\n"
                         "<trigger name=\"mode\"/>\n"
                         "</effect>\n"
                         "<effect start=\"0\" end=\"9\" name=\"backgroundtex\">\n"
                         "<trigger name=\"texture\" value=\"2\"/>\n"
                         "<trigger name=\"texture\" value=\"1\"/>\n"
                         "</effect>\n"
                         "<effect start=\"0\" end=\"9\" name=\"intro\">\n"
                         "<trigger name=\"next\" value=\"fast\"/>\n"
                         "<trigger name=\"next\" value=\"2\"/>\n"
                         "</effect>\n"
                         "<effect start=\"0\" end=\"9\" name=\"cubes\">\n"
                         "<trigger name=\"anything\" value=\"at all\"/>\n"
                         "</effect>\n");
    LintRun run = lint("--explain values.odml");
    EXPECT_EQ(run.status, 1);
    expectFound(
        run.err,
        {"values.odml:2:24: warning: value 'lots' of trigger 'amount' is not a number; "
         "'radialblur' reads 0\n"
         "    2 | <trigger name=\"amount\" value=\"lots\"/>\n"
         "      |                        ^\n"
         "note: see \"radialblur\" under \"The scenes\" in docs/timeline.md\n",
         "values.odml:3:22: warning: value '1.5x' of trigger 'step' is read only as '1.5'\n",
         "values.odml:4:1: warning: trigger starts at -1 s: its times count from the effect's "
         "start, so it fires in the effect's first frame\n",
         "      | ^\nnote: see \"Times, delay and repeat\" in docs/timeline.md\n",
         "values.odml:8:22: warning: value 'sideways' of trigger 'mode' is not 'in' or 'out'; "
         "'fade' takes it as 'out'\n",
         "values.odml:9:22: warning: value 'In' of trigger 'mode' is not 'in' or 'out'; 'fade' "
         "takes it as 'out' (did you mean 'in'?)\n",
         "values.odml:10:1: warning: trigger 'mode' has no value; 'fade' takes it as 'out'\n",
         "values.odml:13:25: warning: value '2' of trigger 'texture' is outside 0 to 1; "
         "'backgroundtex' ignores the trigger\n",
         "values.odml:17:22: warning: value 'fast' of the trigger is not a number; 'intro' "
         "reads 0\n"});
    for (const char* clean : {"values.odml:14:", "values.odml:18:", "values.odml:21:"})
        EXPECT_EQ(run.err.find(clean), std::string::npos) << run.err;
}

TEST_F(OdmlLint, TimesPastTheMusicAreWarnedWithMusicGivenOrBesideTheTimeline) {
    mp3tone::ToneOptions tone;
    tone.seconds = 2.0;
    ASSERT_TRUE(mp3tone::writeTone(directory + "/tone.mp3", tone));
    write("late.odml", "<effect start=\"0\" end=\"1.5\" name=\"lines\"/>\n"
                       "<effect start=\"1\" end=\"3\" name=\"background\">\n"
                       "<trigger start=\"0.5\" name=\"r\" value=\"1\"/>\n"
                       "<trigger start=\"1.5\" name=\"g\" value=\"1\"/>\n"
                       "</effect>\n"
                       "<effect start=\"2.5\" end=\"3\" name=\"stars\"/>\n");
    const char* const kLate[] = {
        "late.odml:2:1: warning: effect ends at 3 s, after the music ends at 2",
        "late.odml:4:1: warning: trigger is due at 2.5 s, after the music ends at 2",
        "late.odml:6:1: warning: effect starts at 2.5 s, after the music ends at 2"};

    EXPECT_EQ(lint("late.odml").status, 0) << "no music, no times to check against";
    LintRun given = lint("--explain --music tone.mp3 late.odml");
    EXPECT_EQ(given.status, 1);
    for (const char* expected : kLate)
        expectFound(given.err, {expected, "\nnote: see \"The music\" in docs/timeline.md\n"});
    EXPECT_EQ(given.err.find("late.odml:1:"), std::string::npos) << given.err;
    EXPECT_EQ(given.err.find("late.odml:3:"), std::string::npos) << given.err;

    ASSERT_EQ(runCommand("cd '" + directory + "' && mv tone.mp3 music.mp3"), 0);
    LintRun beside = lint("late.odml");
    for (const char* expected : kLate)
        expectFound(beside.err, {expected});
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

    LintRun both = lint("--dump worked.odml - <odd.odml");
    EXPECT_EQ(both.out.find("{\"file\":\"worked.odml\",\"effect\":0,\"start\":10,"), 0u)
        << both.out;
    EXPECT_NE(both.out.find("\n{\"file\":\"<stdin>\",\"lastEnd\":\"inf\"}\n"), std::string::npos)
        << both.out;
}

} // namespace
