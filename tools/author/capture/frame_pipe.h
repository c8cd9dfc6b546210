// Frames handed to a pipe by a thread of their own, so that the render loop goes on drawing
// while the program reading the pipe (ffmpeg) is busy: the loop waits only when every buffer
// is full, and each side uses a core whenever it has work.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace capture {

class FramePipe {
public:
    FramePipe() = default;
    FramePipe(const FramePipe&) = delete;
    FramePipe& operator=(const FramePipe&) = delete;
    ~FramePipe() { close(); }

    // Writes queued frames to `fd`, which stays the caller's to close after close().
    void start(int fd);
    // Queues a copy of the frame, waiting for a free buffer when all are full. False once a
    // write has failed: the reader has gone.
    bool push(const unsigned char* bytes, size_t size);
    // Writes out what is queued and stops the thread; false if a write failed.
    bool close();
    // Milliseconds push has spent waiting for a free buffer.
    double waitedMs() const { return waited; }

private:
    void run();

    static constexpr size_t kDepth = 6;
    std::vector<unsigned char> buffers[kDepth];
    size_t head = 0, queued = 0;
    bool closing = false, failed = false;
    int fd = -1;
    double waited = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
};

} // namespace capture
