// script-bench: measures the per-frame cost of Script::update over a 10,000-effect timeline.
// Usage: script-bench [EFFECTS]. Prints figures; asserts nothing.
#include "framework/script.h"
#include "tools/lib/common/tool_info.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class CountingScene final : public tarvo64k::Callback {
public:
    void trigger(float, const std::string& name, const std::string&) override {
        triggers += name.size() > 0;
    }
    void paint(float, float, float progress) override { paints += progress >= 0; }
    long triggers = 0;
    long paints = 0;
};

// Effects of one second each, laid end to end in overlapping groups of `overlap`.
std::string makeTimeline(int effects, int overlap) {
    std::string text;
    text.reserve(effects * 120);
    for (int i = 0; i < effects; ++i) {
        float start = static_cast<float>(i / overlap);
        text += "<effect start=\"" + std::to_string(start) + "\" end=\"" +
                std::to_string(start + 1) + "\" name=\"scene\">";
        text += "<trigger start=\"0.5\" delay=\"0.1\" repeat=\"3\" name=\"go\" value=\"1\"/>";
        text += "</effect>\n";
    }
    return text;
}

void measure(const char* label, tarvo64k::Script& script, float from, float step, int frames) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point begin = Clock::now();
    float time = from;
    for (int frame = 0; frame < frames; ++frame, time += step)
        script.update(time);
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("%-44s %8.2f us/update  (%d updates)\n", label, seconds * 1e6 / frames, frames);
}

const char kUsage[] = "Usage: script-bench [EFFECTS]\n"
                      "Times Script::update over a timeline of EFFECTS effects (default 10000).\n"
                      "  -h, --help   show this text\n"
                      "  --version    show the version\n";

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && answerInfoRequest(infoRequest(argv[1]), "script-bench", kUsage))
        return 0;
    int effects = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (effects <= 0) {
        std::fprintf(stderr, "script-bench: EFFECTS must be a positive number\n");
        return 2;
    }

    CountingScene scene;
    tarvo64k::Script sparse, dense;
    sparse.addCallback("scene", &scene);
    dense.addCallback("scene", &scene);
    std::string sparseText = makeTimeline(effects, 2);
    std::string denseText = makeTimeline(effects, effects);
    sparse.parse(reinterpret_cast<const unsigned char*>(sparseText.data()),
                 static_cast<unsigned int>(sparseText.size()));
    dense.parse(reinterpret_cast<const unsigned char*>(denseText.data()),
                static_cast<unsigned int>(denseText.size()));

    std::printf("Script::update over %d effects, each with one repeating trigger\n", effects);
    measure("2 effects active (a linear pass, no paints)", sparse, 0.0f, 1.0f / 60, 20000);
    measure("all effects active, triggers firing", dense, 0.0f, 0.01f, 100);
    measure("all effects active, triggers spent", dense, 0.8f, 0.001f, 100);
    std::printf("scene saw %ld paints and %ld trigger firings\n", scene.paints, scene.triggers);
    return 0;
}
