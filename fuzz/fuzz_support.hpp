#pragma once

// What the fuzz targets share: a check that stops the run (libFuzzer keeps the input as a crash), and
// cutting a byte stream into chunks the way a serial port hands them over.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::fuzzing {

// Unlike assert, also active in optimised builds. `detail` says what was seen.
inline void Check(bool condition, const char* what, const std::string& detail = {}) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.c_str());
        std::abort();
    }
}

// Cuts `stream` into chunks of 1 to `maxChunk` bytes, their sizes drawn from `seed` (a small linear
// congruential generator, so the same input always gives the same chunks).
inline std::vector<std::string_view> Chunks(std::string_view stream, std::uint32_t seed,
                                            std::size_t maxChunk) {
    std::vector<std::string_view> chunks;
    std::uint32_t state = seed;
    while (!stream.empty()) {
        state = state * 1664525U + 1013904223U;
        const std::size_t size = std::min<std::size_t>(stream.size(), 1 + (state >> 8U) % maxChunk);
        chunks.push_back(stream.substr(0, size));
        stream.remove_prefix(size);
    }
    return chunks;
}

}  // namespace vantrel::fuzzing
