// Per-frame evaluation: which effects paint, when triggers fire, and what they are given.
#include "framework/script.h"
#include "tests/allocation_counter.h"
#include "tests/recording_callback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

using tarvo64k::Script;

namespace {

class ScriptUpdate : public ::testing::Test {
protected:
    void read(const std::string& timeline) {
        script.parse(reinterpret_cast<const unsigned char*>(timeline.data()),
                     static_cast<unsigned int>(timeline.size()));
    }
    void registerScenes() {
        script.addCallback("a", &a);
        script.addCallback("b", &b);
    }

    std::vector<RecordedCall> log;
    RecordingCallback a{"a", &log};
    RecordingCallback b{"b", &log};
    Script script;
};

TEST_F(ScriptUpdate, WindowIsStartInclusiveEndExclusive) {
    registerScenes();
    read("<effect start=\"2\" end=\"5\" name=\"a\"/>");
    EXPECT_EQ(script.update(1.99f), 1);
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(script.update(2.0f), 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, "paint");
    EXPECT_FLOAT_EQ(log[0].time, 0.0f);
    EXPECT_FLOAT_EQ(log[0].progress, 0.0f);
    EXPECT_NEAR(log[0].delta, 0.01f, 1e-5);

    EXPECT_EQ(script.update(3.5f), 1);
    EXPECT_FLOAT_EQ(log[1].progress, 0.5f);
    EXPECT_FLOAT_EQ(log[1].time, 1.5f);

    EXPECT_EQ(script.update(5.0f), 1); // the end itself is not past the end
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(script.update(5.01f), 0);
    EXPECT_EQ(log.size(), 2u);

    // A negative time keeps the demo running but paints nothing, and still moves the last time.
    log.clear();
    read("<effect start=\"0\" end=\"5\" name=\"a\"/>");
    EXPECT_EQ(script.update(-0.5f), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_FLOAT_EQ(script.lastTime, -0.5f);
    script.update(0.25f);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_FLOAT_EQ(log[0].delta, 0.75f);
}

TEST_F(ScriptUpdate, RepeatedTriggerFiresOverdueRepetitionsOnePerFrame) {
    registerScenes();
    read("<effect start=\"10\" end=\"20\" name=\"a\">"
         "<trigger start=\"1\" delay=\"0.5\" repeat=\"3\" name=\"n\" value=\"v\"/></effect>");
    // The time given is the current effect-relative time, not the due time.
    auto triggerTimes = [&] {
        std::vector<float> times;
        for (const RecordedCall& call : log)
            if (call.kind == "trigger")
                times.push_back(std::round(call.time * 100) / 100);
        return times;
    };

    script.update(10.0f);
    script.update(12.2f);
    EXPECT_EQ(triggerTimes(), std::vector<float>({2.2f}));
    script.update(12.3f);
    script.update(12.4f);
    EXPECT_EQ(triggerTimes(), std::vector<float>({2.2f, 2.3f, 2.4f}));
    script.update(12.5f);
    EXPECT_EQ(triggerTimes().size(), 3u);
    EXPECT_EQ(script.effects[0]->triggers[0]->fired, 3);

    // Going back in time re-arms nothing.
    script.update(10.5f);
    script.update(13.0f);
    EXPECT_EQ(triggerTimes().size(), 3u);

    // On time, each repetition fires at the first frame at or after its due time.
    Script onTime;
    onTime.addCallback("a", &a);
    const std::string text = "<effect start=\"10\" end=\"20\" name=\"a\">"
                             "<trigger start=\"1\" delay=\"0.5\" repeat=\"3\"/></effect>";
    onTime.parse(reinterpret_cast<const unsigned char*>(text.data()),
                 static_cast<unsigned int>(text.size()));
    const std::pair<float, int> firedBy[] = {{10.9f, 0}, {11.0f, 1},  {11.2f, 1}, {11.49f, 1},
                                             {11.5f, 2}, {11.99f, 2}, {12.0f, 3}, {13.0f, 3}};
    for (const auto& [time, fired] : firedBy) {
        onTime.update(time);
        EXPECT_EQ(onTime.effects[0]->triggers[0]->fired, fired) << time;
    }
}

TEST_F(ScriptUpdate, TriggersFireBeforeTheirEffectPaintsAndEffectsPaintInFileOrder) {
    registerScenes();
    read("<effect start=\"0\" end=\"5\" name=\"b\"><trigger name=\"x\" value=\"1\"/></effect>"
         "<effect start=\"0\" end=\"5\" name=\"a\"><trigger name=\"y\"/></effect>");
    script.update(0.0f);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].scene + log[0].kind + log[0].name + log[0].value, "btriggerx1");
    EXPECT_EQ(log[1].scene + log[1].kind, "bpaint");
    // A missing value attribute arrives as an empty string.
    EXPECT_EQ(log[2].scene + log[2].kind + log[2].name + "|" + log[2].value, "atriggery|");
    EXPECT_EQ(log[3].scene + log[3].kind, "apaint");
}

TEST_F(ScriptUpdate, DelayZeroFiresInConsecutiveFramesAndRepeatZeroNever) {
    registerScenes();
    read("<effect start=\"0\" end=\"5\" name=\"a\">"
         "<trigger name=\"burst\" repeat=\"3\"/>"
         "<trigger name=\"never\" repeat=\"0\"/>"
         "<trigger name=\"never\" repeat=\"-1\"/>"
         "<trigger name=\"twice\" repeat=\"2.9\"/></effect>");
    for (float t : {0.1f, 0.2f, 0.3f, 0.4f})
        script.update(t);
    int burst = 0, never = 0, twice = 0;
    for (const RecordedCall& call : log) {
        burst += call.name == "burst";
        never += call.name == "never";
        twice += call.name == "twice";
    }
    EXPECT_EQ(burst, 3);
    EXPECT_EQ(never, 0);
    EXPECT_EQ(twice, 2);
}

TEST_F(ScriptUpdate, LaterRegistrationOfANameWinsAndUnregisteredNamesOnlyCountTowardTheEnd) {
    script.addCallback("a", &a);
    script.addCallback("a", &b);
    read("<effect start=\"0\" end=\"1\" name=\"a\"/>"
         "<effect start=\"0\" end=\"8\" name=\"late\"><trigger name=\"x\"/></effect>");
    RecordingCallback late{"late", &log};
    script.addCallback("late", &late);
    script.update(0.5f);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].scene, "b");
    // The unregistered one never paints nor fires, but counts toward the end.
    EXPECT_EQ(script.update(4.0f), 1);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(script.effects[1]->triggers[0]->fired, 0);

    // A second read appends, and sees the registry as it is now.
    read("<effect start=\"0\" end=\"1\" name=\"late\"/>");
    ASSERT_EQ(script.effects.size(), 3u);
    EXPECT_EQ(script.effects[1]->callback, nullptr);
    EXPECT_EQ(script.effects[2]->callback, &late);
}

TEST_F(ScriptUpdate, EmptyTimelinesEndAtTheFirstPositiveTimeAndEmptyWindowsNeverPaint) {
    registerScenes();
    EXPECT_EQ(script.update(0.0f), 1);
    EXPECT_EQ(script.update(0.001f), 0);
    read("<effect start=\"3\" end=\"3\" name=\"a\"/><effect start=\"4\" end=\"2\" name=\"a\"/>"
         "<effect name=\"b\"/>");
    for (float t : {0.0f, 2.0f, 3.0f, 3.5f, 4.0f})
        script.update(t);
    EXPECT_TRUE(log.empty());
    EXPECT_FLOAT_EQ(script.lastEnd, 3.0f);
}

TEST_F(ScriptUpdate, ClearedScriptBuiltAgainRunsLikeANewOne) {
    registerScenes();
    read("<effect start=\"0\" end=\"10\" name=\"a\"><trigger start=\"1\" name=\"go\"/>"
         "</effect>");
    script.update(0.0f);
    script.update(2.0f);
    script.clear();
    EXPECT_FLOAT_EQ(script.lastEnd, 0.0f);
    EXPECT_EQ(script.update(0.001f), 0); // nothing left to run

    log.clear();
    registerScenes();
    read("<effect start=\"0\" end=\"4\" name=\"a\"><trigger start=\"1\" name=\"go\"/>"
         "</effect>");
    EXPECT_FLOAT_EQ(script.lastEnd, 4.0f);
    script.update(0.0f);
    script.update(2.0f);
    // One paint per frame and one firing: neither the old effect nor a second registration.
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, "paint");
    EXPECT_EQ(log[1].kind, "trigger");
    EXPECT_EQ(log[2].kind, "paint");
    EXPECT_EQ(script.update(4.5f), 0);
}

TEST_F(ScriptUpdate, AllocatesOnlyTheTwoStringsOfEachFiring) {
    registerScenes();
    std::string longName(40, 'n'), longValue(40, 'v');
    read("<effect start=\"0\" end=\"100\" name=\"a\"><trigger start=\"5\" name=\"" + longName +
         "\" value=\"" + longValue +
         "\"/><trigger start=\"1000\"/></effect>"
         "<effect start=\"0\" end=\"100\" name=\"b\"/>");
    log.reserve(1000);

    const long long before = testalloc::allocations();
    for (int frame = 0; frame < 300; ++frame)
        script.update(frame * 0.1f);
    const long long allocations = testalloc::allocations() - before;

    // The recording scene copies both strings into its log: two more for that one call.
    EXPECT_EQ(allocations, 2 + 2);
    EXPECT_EQ(log.size(), 601u); // both effects paint each frame, plus one firing
}

} // namespace
