// libFuzzer target for the timeline reader: Script::load on arbitrary bytes, with every scene
// name registered and a listener attached (as odml-lint runs it), then updates at a few times.
// Build: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSOLVANE_FUZZ=ON
//        cmake --build build-fuzz --target script_reader_fuzzer
// Run:   build-fuzz/tests/fuzz/script_reader_fuzzer -rss_limit_mb=512 -malloc_limit_mb=256 \
//            -timeout=5 NEW_CORPUS_DIR tests/fuzz/script_seeds
// The limits are the CI smoke test's: more than 512 MB resident, 256 MB in one allocation or
// 5 s for one input is a finding.
#include "framework/script.h"
#include "framework/script_diagnostics.h"
#include "scenes/scene_registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
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

class CheckingListener final : public tarvo64k::ScriptDiagnostics {
public:
    explicit CheckingListener(size_t length) : length(length) {}
    void warning(unsigned int position, const std::string& message) override {
        if (position > length || message.empty())
            std::abort();
    }
    void effectRead(const tarvo64k::Effect&, unsigned int position) override {
        if (position >= length)
            std::abort();
    }
    void triggerRead(const tarvo64k::Trigger&, unsigned int position) override {
        if (position >= length)
            std::abort();
    }
    size_t length;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // load() reads a file: hand it these bytes through an in-memory one.
    int file = memfd_create("script.odml", 0);
    if (file < 0 || write(file, data, size) != static_cast<ssize_t>(size))
        std::abort();
    std::string path = "/proc/self/fd/" + std::to_string(file);

    static std::vector<TouchingScene> scenes(kSceneCount);
    tarvo64k::Script script;
    for (int i = 0; i < kSceneCount; ++i)
        script.addCallback(kScenes[i].name, &scenes[i]);
    CheckingListener listener(size);
    script.load(path.c_str(), &listener);
    close(file);

    for (float time : {-1.0f, 0.0f, 0.5f, 1.0f, 5.0f, 30.0f, 2.0f, script.lastEnd})
        script.update(time);
    return 0;
}
