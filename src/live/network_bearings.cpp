#include "live/network_bearings.hpp"

#include <cmath>

#include "core/number_text.hpp"

namespace vantrel::live {

int FoxForFrequency(double frequencyHz, const FoxFrequencies& foxes, double toleranceHz) {
    int best = 0;
    double bestOff = toleranceHz;
    for (std::size_t i = 0; i < foxes.size(); ++i) {
        if (!foxes[i]) {
            continue;
        }
        const double off = std::fabs(frequencyHz - *foxes[i]);
        if (off < bestOff || (best == 0 && off <= bestOff)) {
            best = static_cast<int>(i) + 1;
            bestOff = off;
        }
    }
    return best;
}

FrameMemory::Seen FrameMemory::Check(const instruments::DfChannel& channel) {
    const std::string key = channel.stationId + '\n' + core::ShortestText(channel.frequencyHz);
    const auto found = lastTime_.find(key);
    if (found != lastTime_.end()) {
        if (channel.timeMs == found->second) {
            return Seen::Repeat;
        }
        if (channel.timeMs < found->second) {
            return Seen::Backwards;
        }
        found->second = channel.timeMs;
        return Seen::New;
    }
    if (lastTime_.size() >= kMostChannels) {
        lastTime_.clear();
    }
    lastTime_.emplace(key, channel.timeMs);
    return Seen::New;
}

}  // namespace vantrel::live
