// The writer thread and its ring of frame buffers. A buffer leaves the ring only once it is
// written, so push never overwrites a frame the thread is still sending.
#include "tools/author/capture/frame_pipe.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace capture {

namespace {

bool writeAll(int fd, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

void FramePipe::start(int pipeFd) {
    fd = pipeFd;
    head = queued = 0;
    closing = failed = false;
    waited = 0;
    thread = std::thread(&FramePipe::run, this);
}

bool FramePipe::push(const unsigned char* bytes, size_t size) {
    std::unique_lock<std::mutex> lock(mutex);
    const auto start = std::chrono::steady_clock::now();
    changed.wait(lock, [&] { return queued < kDepth || failed; });
    waited +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (failed)
        return false;
    std::vector<unsigned char>& buffer = buffers[(head + queued) % kDepth];
    buffer.assign(bytes, bytes + size);
    ++queued;
    changed.notify_all();
    return true;
}

void FramePipe::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return queued > 0 || closing; });
        if (queued == 0)
            return;
        const std::vector<unsigned char>& buffer = buffers[head];
        const bool skip = failed; // once the reader has gone, the rest is dropped
        lock.unlock();
        const bool written = skip || writeAll(fd, buffer.data(), buffer.size());
        lock.lock();
        failed = failed || !written;
        head = (head + 1) % kDepth;
        --queued;
        changed.notify_all();
    }
}

bool FramePipe::close() {
    if (!thread.joinable())
        return !failed;
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
        changed.notify_all();
    }
    thread.join();
    return !failed;
}

} // namespace capture
