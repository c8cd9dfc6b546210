// The timeline reader's byte-level rules, and the faults it must survive.
#include "framework/script.h"
#include "tests/recording_callback.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

using tarvo64k::Effect;
using tarvo64k::Script;
using tarvo64k::Trigger;

namespace {

class ScriptReader : public ::testing::Test {
protected:
    ScriptReader() {
        for (const char* name : {"crash", "radialblur", "fade"}) {
            scenes.push_back(std::make_unique<RecordingCallback>(name, &log));
            script.addCallback(name, scenes.back().get());
        }
    }

    void read(const std::string& timeline) {
        script.parse(reinterpret_cast<const unsigned char*>(timeline.data()),
                     static_cast<unsigned int>(timeline.size()));
    }
    tarvo64k::Callback* scene(const std::string& name) {
        for (tarvo64k::CallbackEntry* entry : script.callbacks)
            if (entry->name == name)
                return entry->callback;
        return nullptr;
    }
    // What the reader stored, one "start-end scene{trigger;...}" per effect, each trigger as
    // "name=value@start+delay*repeat"; "-" for a missing text, "?" for no scene.
    std::string records() {
        auto text = [](const char* value) { return std::string(value ? value : "-"); };
        auto number = [](double value) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%g", value);
            return std::string(buffer);
        };
        std::string all;
        for (const Effect* effect : script.effects) {
            std::string name = "?";
            for (const auto& recorder : scenes)
                if (recorder.get() == effect->callback)
                    name = recorder->scene;
            all += (all.empty() ? "" : " ") + number(effect->start) + "-" + number(effect->end) +
                   " " + name + "{";
            for (const Trigger* t : effect->triggers)
                all += (t == effect->triggers[0] ? "" : ";") + text(t->name) + "=" +
                       text(t->value) + "@" + number(t->start) + "+" + number(t->delay) + "*" +
                       std::to_string(t->repeat);
            all += "}";
        }
        return all;
    }

    std::vector<RecordedCall> log;
    std::vector<std::unique_ptr<RecordingCallback>> scenes;
    Script script;
};

const char kWorkedExample[] = "<effect start=\"10\" end=\"20\" name=\"crash\">\n"
                              "<trigger start=\"1.5\" name=\"color\" value=\"white\"/>\n"
                              "<trigger start=\"4\" delay=\"2\" repeat=\"3\" name=\"color\" "
                              "value=\"white\"/>\n"
                              "</effect>\n"
                              "<effect start=\"12\" end=\"18\" name=\"radialblur\"/>\n";

TEST_F(ScriptReader, WorkedExampleYieldsTwoEffects) {
    read(kWorkedExample);
    EXPECT_EQ(records(), "10-20 crash{color=white@1.5+0*1;color=white@4+2*3} 12-18 radialblur{}");
    EXPECT_FLOAT_EQ(script.lastEnd, 20);
    EXPECT_EQ(script.currentEffect, nullptr);

    // Fired at the first frames at or after 11.5, 14, 16 and 18 s.
    std::vector<float> fired;
    for (float t = 10; t <= 20.01f; t += 0.25f) {
        size_t before = log.size();
        script.update(t);
        for (size_t i = before; i < log.size(); ++i)
            if (log[i].kind == "trigger")
                fired.push_back(t);
    }
    EXPECT_EQ(fired, std::vector<float>({11.5f, 14, 16, 18}));
}

TEST_F(ScriptReader, TriggersGoToTheLastOpenEffectUntilAClosingTag) {
    // A self-closing effect takes none; the byte before the ">" decides self-closing; a nested
    // open effect becomes the current one, and its closing tag ends both.
    std::string example = kWorkedExample;
    example.erase(example.find("</effect>\n"), 10);
    read(example + "<trigger name=\"late\"/></effect>"
                   "<effect start=\"5\" end=\"8\" name=\"fade\" /><trigger name=\"dropped\"/>"
                   "<effect start=\"5\" end=\"8\" name=\"fade\"/ ><trigger name=\"kept\"/>"
                   "</><trigger name=\"still kept\"/></trigger><trigger name=\"dropped\"/>"
                   "<effect start=\"0\" end=\"9\" name=\"fade\">"
                   "<effect start=\"1\" end=\"2\" name=\"crash\">"
                   "<trigger name=\"inner\"/></effect><trigger name=\"dropped\"/>");
    EXPECT_EQ(records(), "10-20 crash{color=white@1.5+0*1;color=white@4+2*3;late=-@0+0*1} "
                         "12-18 radialblur{} 5-8 fade{} 5-8 fade{kept=-@0+0*1;still kept=-@0+0*1} "
                         "0-9 fade{} 1-2 crash{inner=-@0+0*1}");
    EXPECT_EQ(script.currentEffect, nullptr);
}

TEST_F(ScriptReader, OnlyLowerCaseKeywordsWithASpaceAreReadAndTextOutsideTagsEndsIt) {
    read("");
    read(" \t\r\n ");
    read("<effect\nstart=\"1\" end=\"2\" name=\"fade\"/>"
         "<effect\tstart=\"1\" end=\"2\" name=\"fade\"/>"
         "<Effect start=\"1\" end=\"2\" name=\"fade\"/>"
         "<effect/>");
    EXPECT_TRUE(script.effects.empty());
    EXPECT_FLOAT_EQ(script.lastEnd, 0);

    read("<?xml version=\"1.0\"?>\n<!-- no angle here -->\n<timeline>\n"
         "<effect start=\"1\" end=\"2\" name=\"fade\"/>");
    ASSERT_EQ(script.effects.size(), 1u);
    EXPECT_EQ(script.effects[0]->callback, scene("fade"));

    read("<effect start=\"1\" end=\"2\" name=\"fade\"/>\n"
         "<!-- a > b -->\n"
         "<effect start=\"3\" end=\"4\" name=\"fade\"/>");
    EXPECT_EQ(script.effects.size(), 2u);
    read("oops <effect start=\"3\" end=\"4\" name=\"fade\"/>");
    EXPECT_EQ(script.effects.size(), 2u);
}

TEST_F(ScriptReader, SeparatorsBetweenAttributes) {
    read("<effect start=\"1\" \t\n end=\"2\" name=\"fade\">"
         "<trigger start=\"1\"\nname=\"lost\" value=\"kept\"/>"
         "<trigger start=\"2\"\tvalue=\"lost\" name=\"kept\"/>"
         "<trigger start=\"3\"name=\"lost\"/>"
         "<trigger start = \"4\" name='x' value=\"v\"/>"
         "</effect>");
    EXPECT_EQ(records(), "1-2 fade{-=kept@1+0*1;kept=-@2+0*1;-=-@3+0*1;-=v@0+0*1}");
}

TEST_F(ScriptReader, NumbersReadAsStrtodDoes) {
    read("<effect start=\" +1.5e1s\" end=\"abc\" name=\"fade\">"
         "<trigger start=\"0x10\" delay=\"-.5\" repeat=\"7.99\"/>"
         "<trigger repeat=\"-2.5\" start=\"\"/>"
         "<trigger repeat=\"1e30\" delay=\"1e300\"/>"
         "<trigger start=\"3.4028235e38\" delay=\"-3.40282356e38\"/>"
         "<trigger start=\"3.4028235677973366e38\" delay=\"-3.4028235677973366e38\"/>"
         "</effect>");
    const Effect* effect = script.effects.at(0);
    EXPECT_FLOAT_EQ(effect->start, 15);
    EXPECT_FLOAT_EQ(effect->end, 0);
    EXPECT_FLOAT_EQ(effect->triggers[0]->start, 16);
    EXPECT_FLOAT_EQ(effect->triggers[0]->delay, -0.5f);
    EXPECT_EQ(effect->triggers[0]->repeat, 7);
    EXPECT_EQ(effect->triggers[1]->repeat, -2);
    EXPECT_FLOAT_EQ(effect->triggers[1]->start, 0);
    // Out-of-range numbers saturate instead of being undefined.
    EXPECT_EQ(effect->triggers[2]->repeat, INT_MAX);
    EXPECT_TRUE(std::isinf(effect->triggers[2]->delay));
    // Values that round to the largest float are that float, as double to float rounds them;
    // from the largest float plus half a unit in the last place on, they overflow.
    EXPECT_EQ(effect->triggers[3]->start, FLT_MAX);
    EXPECT_EQ(effect->triggers[3]->delay, -FLT_MAX);
    EXPECT_EQ(effect->triggers[4]->start, HUGE_VALF);
    EXPECT_EQ(effect->triggers[4]->delay, -HUGE_VALF);
}

TEST_F(ScriptReader, LaterAttributesWinAndLastEndOnlyGrows) {
    read("<effect start=\"1\" start=\"2\" end=\"9\" end=\"4\" name=\"fade\" name=\"nobody\">"
         "<trigger name=\"first\" name=\"second\" value=\"a\" value=\"b\"/></effect>"
         "<effect end=\"3\" name=\"crash\" name=\"fade\"/>");
    EXPECT_EQ(records(), "2-4 fade{second=b@0+0*1} 0-3 fade{}");
    EXPECT_FLOAT_EQ(script.lastEnd, 9);
}

TEST_F(ScriptReader, FirstAngleEndsTheTagEvenInsideQuotes) {
    read("<effect start=\"1\" end=\"2\" name=\"a>b\"/>");
    // The tag ends at "a", whose value has no closing quote and runs through the ">";
    // the rest, b"/>, is text outside tags.
    read("<effect start=\"0\" end=\"3\" name=\"fade\"><trigger name=\"x>y\" value=\"v\"/>");
    EXPECT_EQ(records(), "1-2 ?{} 0-3 fade{x>=-@0+0*1}");
}

TEST_F(ScriptReader, CutOffTagsAreReadWithinTheFile) {
    // Each text is copied into a buffer of exactly its size, so a read past the end is caught
    // by the sanitizer build.
    for (std::string text :
         {"<effect start=\"1\" end=\"4\" name=\"fade", "<effect start=\"1\" end=\"4\" name=\"",
          "<effect start=\"1\" end=\"4", "<", "<effect ", "<trigger",
          "<effect end=\"4\" name=\"fade\"><trigger value=\"x"}) {
        Script fresh;
        fresh.addCallback("fade", scene("fade"));
        std::vector<unsigned char> exact(text.begin(), text.end());
        fresh.parse(exact.data(), static_cast<unsigned int>(exact.size()));
        if (text.rfind("<effect end", 0) == 0) {
            EXPECT_STREQ(fresh.effects.at(0)->triggers.at(0)->value, "x") << text;
        } else if (text.size() > 20) {
            ASSERT_EQ(fresh.effects.size(), 1u) << text;
            EXPECT_FLOAT_EQ(fresh.effects[0]->end, 4) << text;
        }
    }
    read("<effect start=\"1\" end=\"4\" name=\"fade");
    EXPECT_EQ(script.effects.at(0)->callback, scene("fade"));
}

TEST_F(ScriptReader, LongNamesAndNumbersAreReadWhole) {
    std::string longName(5000, 'n');
    std::string longNumber = "1" + std::string(300, '0');
    script.addCallback(longName, scene("fade"));
    read("<effect start=\"0." + std::string(4000, '0') + "1\" end=\"" + longNumber + "\" name=\"" +
         longName + "\"><trigger value=\"" + std::string(100000, 'v') + "\"/></effect>");
    ASSERT_EQ(script.effects.size(), 1u);
    EXPECT_EQ(script.effects[0]->callback, scene("fade"));
    EXPECT_TRUE(std::isinf(script.effects[0]->end));
    EXPECT_EQ(std::strlen(script.effects[0]->triggers[0]->value), 100000u);
}

TEST_F(ScriptReader, TimelineFilesAreReadWholeOrSayWhyNot) {
    char directory[] = "/tmp/solvane-script-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    std::string path = std::string(directory) + "/script.odml";
    std::ofstream(path) << kWorkedExample;

    std::string text = "left over";
    EXPECT_EQ(tarvo64k::readTimelineFile((std::string(directory) + "/missing.odml").c_str(), &text),
              ENOENT);
    EXPECT_EQ(tarvo64k::readTimelineFile(directory, &text), EISDIR) << "opens, but does not read";
    ASSERT_EQ(tarvo64k::readTimelineFile(path.c_str(), &text), 0);
    script.parse(text);
    EXPECT_EQ(script.effects.size(), 2u);
    EXPECT_FLOAT_EQ(script.lastEnd, 20);

    std::remove(path.c_str());
    rmdir(directory);
}

} // namespace
