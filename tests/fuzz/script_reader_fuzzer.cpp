// libFuzzer target for the timeline reader: the lint library's reading of arbitrary bytes (the
// demo's reader with every scene name registered and a listener attached, then the checks on
// the records, as odml-lint runs it), and the demo's own reading updated at a few times.
// Build: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSOLVANE_FUZZ=ON
//        cmake --build build-fuzz --target script_reader_fuzzer
// Run:   build-fuzz/tests/fuzz/script_reader_fuzzer -rss_limit_mb=512 -malloc_limit_mb=256 \
//            -timeout=5 NEW_CORPUS_DIR tests/fuzz/script_seeds
// The limits are the CI smoke test's: more than 512 MB resident, 256 MB in one allocation or
// 5 s for one input is a finding.
#include "framework/script.h"
#include "scenes/scene_registry.h"
#include "tools/lib/lint/timeline_lint.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Touches every byte it is given, so a string built from memory it does not own is caught.
class TouchingScene final : public tarvo64k::Callback {
public:
    void trigger(float time, const std::string& name, const std::string& value) override {
        for (char c : name)
            sum += static_cast<unsigned char>(c);
        for (char c : value)
            sum += static_cast<unsigned char>(c);
        sum += time > 0;
    }
    void paint(float elapsed, float delta, float progress) override {
        sum += elapsed + delta + progress > 0;
    }
    unsigned long sum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lint::LintedTimeline linted;
    lint::lintTimelineText(text, 60.0, &linted);
    for (const lint::Finding& finding : linted.findings)
        if (finding.position > size || finding.message.empty())
            std::abort();
    for (const auto& [record, position] : linted.demo->heard.positions)
        if (position >= size)
            std::abort();

    static std::vector<TouchingScene> scenes(kSceneCount);
    tarvo64k::Script script;
    for (int i = 0; i < kSceneCount; ++i)
        script.addCallback(kScenes[i].name, &scenes[i]);
    script.parse(text);
    for (float time : {-1.0f, 0.0f, 0.5f, 1.0f, 5.0f, 30.0f, 2.0f, script.lastEnd})
        script.update(time);
    return 0;
}
