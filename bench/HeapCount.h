// Heap use of this process while a measured step runs: every allocation of
// the program and of the libraries it loads goes through the counting
// allocator below, which adds up only while tracking is on, so timed runs
// pay a single test per call.
#pragma once

#include <cstdint>

namespace HeapCount {

// Starts counting from zero: net bytes allocated since, and their highest point.
void Start();
// Stops counting; the figures stay as they were.
void Stop();
// Net bytes allocated since Start (frees of older blocks count against it).
std::int64_t Current();
std::int64_t Peak();

}  // namespace HeapCount
