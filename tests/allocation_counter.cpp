// The counting operator new. Every non-aligned form is replaced, so a block always goes back
// the way it came: malloc with free (the sanitizer build checks that).
#include "tests/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// GCC cannot see that these replacements pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<long long> counted{0};

void* countedAllocation(std::size_t size) noexcept {
    counted.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

long long testalloc::allocations() {
    return counted.load(std::memory_order_relaxed);
}

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
