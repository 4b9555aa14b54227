#pragma once

// Counts the heap bytes in use, so a benchmark can report the peak memory of the code it runs. Linked into
// a benchmark, it replaces the global operator new and delete of that program.

#include <cstddef>

namespace vantrel::bench {

// Heap bytes in use now, and the most in use since the last ResetPeak().
std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetPeak();

}  // namespace vantrel::bench
