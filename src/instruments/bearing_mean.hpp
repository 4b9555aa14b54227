#pragma once

// The mean direction of bearings: the circular mean, the direction of the sum of their unit vectors, so that
// 350 and 10 give 0 (not 180). Used to file one reading per interval from units that send many lines a
// second.

#include <optional>

namespace vantrel::instruments {

class BearingMean {
  public:
    // A bearing in degrees (0..360) and its quality digit, when the line gave one.
    void Add(double bearing, std::optional<int> quality);

    [[nodiscard]] bool empty() const { return count_ == 0; }
    [[nodiscard]] int count() const { return count_; }

    // The mean in degrees [0, 360), rounded to 0.01 degree, or the bearing itself when every bearing added
    // was the same (so a lone 360 stays 360). nullopt when nothing was added, or when the bearings cancel out
    // (0 and 180): they then point nowhere.
    [[nodiscard]] std::optional<double> Mean() const;
    // The rounded mean of the quality digits added (halves round up); nullopt when none had one.
    [[nodiscard]] std::optional<int> Quality() const;

    void Clear() { *this = BearingMean{}; }

  private:
    double sumSin_ = 0;
    double sumCos_ = 0;
    int count_ = 0;
    double first_ = 0;
    bool allSame_ = true;
    int qualitySum_ = 0;
    int qualityCount_ = 0;
};

}  // namespace vantrel::instruments
