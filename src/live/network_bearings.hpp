#pragma once

// What the live session needs to turn a network DF server's channels into bearings of foxes.
//
// - Frequency to fox: the fox whose frequency ([Foxes] Frequency1..5, Hz) is nearest to the channel's,
//   when it lies within the tolerance (default 5 kHz, both limits included); 0 when none does. Two foxes
//   equally near: the lower number.
// - Frames: the server's file is polled faster than it changes, so the same frame is read again and again.
//   A channel is known by its station id and frequency; its time equal to the last one taken is a repeat
//   (logged once), an earlier time is a time going backwards (skipped and counted).
// - Sigma: the server's confidence is not turned into a sigma. It is a ratio of the direction spectrum's
//   peak to the rest, whose relation to the angular error depends on the array, the signal and the server's
//   version; no mapping holds in general, and a wrong one would weigh bearings wrongly in the fix. The
//   bearing is logged with an unknown sigma (the fix then estimates the bearings' spread from their
//   scatter) and the confidence is shown.
//
// Plain values; one FrameMemory belongs to one thread.

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "instruments/network_df.hpp"

namespace vantrel::live {

using FoxFrequencies = std::array<std::optional<double>, 5>;  // fox 1..5 at index 0..4
inline constexpr double kDefaultFrequencyToleranceHz = 5000;

int FoxForFrequency(double frequencyHz, const FoxFrequencies& foxes, double toleranceHz);

class FrameMemory {
  public:
    enum class Seen { New, Repeat, Backwards };
    Seen Check(const instruments::DfChannel& channel);

  private:
    // A few channels of a few stations; bounded all the same against a server that makes up ids.
    static constexpr std::size_t kMostChannels = 256;
    std::map<std::string, std::int64_t> lastTime_;
};

}  // namespace vantrel::live
