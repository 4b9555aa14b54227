#pragma once

// The bearing table: every reading taken from the direction-finding receiver, for the whole run.

#include <array>
#include <cstdint>

namespace vantrel::instruments {

struct RxReading {
    double Angle = 0;        // bearing in degrees as received or typed
    double Signal = 0;       // signal value in dB as received
    std::int16_t Valid = 0;  // 1 = the element holds a reading, 0 = empty

    friend bool operator==(const RxReading&, const RxReading&) = default;
};

// Indexed (station, fox, row), 0-based. Declared with room for station 0..2, fox 0..5 and row 0..30; only
// stations 0..1, foxes 0..4 and rows 0..29 are ever filled, saved or read back.
class RxReadings {
  public:
    static constexpr int kStations = 3;
    static constexpr int kFoxes = 6;
    static constexpr int kRows = 31;
    // What is filled, saved and read back.
    static constexpr int kUsedStations = 2;
    static constexpr int kUsedFoxes = 5;
    static constexpr int kUsedRows = 30;

    // Out-of-range indexes are a programming error (checked with at()).
    RxReading& operator()(int station, int fox, int row) { return cells_.at(Index(station, fox, row)); }
    const RxReading& operator()(int station, int fox, int row) const {
        return cells_.at(Index(station, fox, row));
    }

    friend bool operator==(const RxReadings&, const RxReadings&) = default;

  private:
    static std::size_t Index(int station, int fox, int row) {
        if (station < 0 || station >= kStations || fox < 0 || fox >= kFoxes || row < 0 || row >= kRows) {
            return kStations * kFoxes * kRows;  // out of range: at() throws
        }
        return static_cast<std::size_t>((station * kFoxes + fox) * kRows + row);
    }
    std::array<RxReading, kStations * kFoxes * kRows> cells_{};
};

}  // namespace vantrel::instruments
