#pragma once

// The line splitting under the log's reader and writer: a file read in chunks from an offset, each
// complete line handed over once. Lines longer than the limit are not held: they are reported by number
// and skipped to their end.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::hunt_log {

struct ScanEnd {
    std::uintmax_t bytes = 0;  // read from the offset on
    std::uint64_t lines = 0;   // complete lines, too long ones included
    bool torn = false;         // the bytes end inside a line (no line end after its last byte)
};

struct LineSink {
    // A complete line, without its "\n" (and a "\r" before it); number 1 is the first line after the offset.
    std::function<void(std::uint64_t number, std::string_view line)> line;
    std::function<void(std::uint64_t number)> tooLong;
};

// Reads `path` from `offset` up to at most `limit` bytes from the file's start.
core::Result<ScanEnd> ScanLines(const std::filesystem::path& path, std::uintmax_t offset,
                                std::uintmax_t limit, std::size_t mostLineBytes, const LineSink& sink);

}  // namespace vantrel::hunt_log
