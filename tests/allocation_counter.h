// Counts C++ heap allocations, for the tests that the per-frame path allocates nothing.
// Linking allocation_counter.cpp replaces every non-aligned operator new and delete form.
#pragma once

namespace testalloc {

// Allocations made through operator new since the program started; compare two readings.
long long allocations();

} // namespace testalloc
