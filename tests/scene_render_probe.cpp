// Scene render test helpers, and the operator new replacement that counts allocations for the
// tests that the per-frame path allocates nothing.
#include "tests/scene_render_probe.h"

#include "tests/png_test_files.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace {

std::atomic<long> allocations{0};

// The demo window's size, which the render tests' context shares.
const int kFrameWidth = 800;
const int kFrameHeight = 600;

} // namespace

// Every plain form is replaced, so that a block always goes back the way it came (the
// sanitizer build checks that).
namespace {

void* countedAllocation(std::size_t size) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* block = countedAllocation(size))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace sceneprobe {

PictureDirectory::PictureDirectory()
    : previous(std::filesystem::current_path().string()),
      directory(testpng::temporaryPath("pictures")) {
    std::filesystem::create_directories(directory + "/data");
    testpng::writeSolid(directory + "/data/planes.png", 16, 16, 255, 255, 255);
    testpng::writeSolid(directory + "/data/cubes.png", 16, 16, 255, 255, 255);
    testpng::writeSolid(directory + "/data/spinning.png", 16, 16, kSpinningGrey, kSpinningGrey,
                        kSpinningGrey);
    EXPECT_EQ(chdir(directory.c_str()), 0) << directory;
}

PictureDirectory::~PictureDirectory() {
    EXPECT_EQ(chdir(previous.c_str()), 0) << previous;
    std::filesystem::remove_all(directory);
}

void beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> pixels(kFrameWidth * kFrameHeight * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int litPixels(int threshold) {
    const std::vector<unsigned char> pixels = readFrame();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        if (pixels[i] > threshold || pixels[i + 1] > threshold || pixels[i + 2] > threshold)
            ++lit;
    }
    return lit;
}

long allocationCount() {
    return allocations.load(std::memory_order_relaxed);
}

} // namespace sceneprobe
