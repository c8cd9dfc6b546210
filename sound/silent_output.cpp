// The silent output: a thread that takes one buffer of music per buffer's worth of real time,
// so that decoding runs as it would on a device, and plays nothing.
#include "sound/output_backends.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace sound {

namespace {

constexpr int kBufferFrames = 1024;

class SilentOutput final : public AudioOutput {
public:
    SilentOutput(int framesPerSecond, Renderer& renderer)
        : period(std::chrono::nanoseconds(int64_t(1e9) * kBufferFrames / framesPerSecond)),
          renderer(renderer), buffer(kBufferFrames * 2), thread([this] { run(); }) {}

    ~SilentOutput() override {
        {
            std::lock_guard<std::mutex> hold(mutex);
            stopping = true;
        }
        wake.notify_one();
        thread.join();
    }

    void lock() override { mutex.lock(); }
    void unlock() override { mutex.unlock(); }
    Hearing heardFrame(int64_t&) override { return Hearing::kUnknown; }
    bool rejoin(int64_t&) override { return false; }
    const char* name() const override { return "silent"; }
    bool silent() const override { return true; }

private:
    void run() {
        std::unique_lock<std::mutex> hold(mutex);
        std::chrono::steady_clock::time_point next = std::chrono::steady_clock::now();
        int64_t handed = 0;
        while (!stopping) {
            renderer.render(buffer.data(), kBufferFrames, handed);
            handed += kBufferFrames;
            next += period;
            wake.wait_until(hold, next, [this] { return stopping; });
        }
    }

    const std::chrono::nanoseconds period;
    Renderer& renderer;
    std::vector<int16_t> buffer;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread; // last: it starts running in the constructor
};

} // namespace

std::unique_ptr<AudioOutput> openSilentOutput(int framesPerSecond, Renderer& renderer) {
    return std::make_unique<SilentOutput>(framesPerSecond, renderer);
}

} // namespace sound
