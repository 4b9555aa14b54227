#pragma once

// The receive loop of "Start RX": files every line from the direction-finding receiver as a reading of the
// active fox at the row cursor, shows it in the table and hands it on for the log.
//
// After "Start RX" the first complete line is discarded, since it may have started before the start.
// Characters after a line end stay for the next line, so no reading is lost. A line whose bearing is not a
// number is shown but not filed. "Stop RX" ends the loop after the next filed line. While no loop runs,
// received bytes are dropped: readings taken before "Start RX" are never filed.
//
// The receiver's format decides how lines are framed and read (rx_formats.hpp). Units that stream many lines
// a second are not filed line by line: their bearings are collected for an interval (from the first line's
// arrival) and the interval's circular mean is filed as one reading. While the fox schedule says that no fox
// is on the air, lines are shown but neither filed nor collected.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instruments/bearing_mean.hpp"
#include "instruments/bearing_table.hpp"
#include "instruments/rx_formats.hpp"
#include "instruments/rx_readings.hpp"

namespace vantrel::instruments {

// What one received line did.
struct RxLineEvent {
    // Filed: a reading went into the table. Skipped: the line holds no bearing. NotOnAir: a bearing while no
    // fox is on the air (shown only). Collected: a bearing kept for the interval's mean.
    enum class Kind { Filed, Skipped, NotOnAir, Collected };
    Kind kind = Kind::Filed;
    std::string text;  // the line as shown in txtTest (fixed format: '.' replaced by ',')
    // What the line said; for a filed line, what was filed (a mean's bearing and quality digit, signal 0).
    RxLineReading reading;
    // For a filed line: where it went.
    int station = 0;  // RxStation: 0 for station 1
    int fox = 1;      // ActiveFox at the time
    int row = 1;      // CursorRow at the time
};

class RxCapture {
  public:
    // The receiver's format and, for streaming units, the interval of one filed mean. Takes effect at the
    // next "Start RX".
    void SetFormat(RxFormat format, double intervalSeconds = 1);
    [[nodiscard]] RxFormat format() const { return format_; }
    // The fox schedule: while no fox is on the air, lines are shown only. On by default.
    void SetOnAir(bool onAir) { onAir_ = onAir; }
    [[nodiscard]] bool onAir() const { return onAir_; }

    // "Start RX": the loop starts by waiting for a line end to synchronise. Ignored while a loop runs.
    void Start();
    // "Stop RX": the loop ends after the next filed line.
    void RequestStop();
    // The window closes: the loop ends at once.
    void End();

    [[nodiscard]] bool running() const { return state_ != State::Idle; }
    [[nodiscard]] bool stopRequested() const { return stopRx_; }

    // Feeds received bytes. Each complete line is read and, once synchronised, filed into `readings`
    // (station `station`, fox ActiveFox, row CursorRow) and the form: LastAngle, LastSignal, txtTest, the
    // cell text, then CursorRow moves down (it stays at row 30). Returns what each line did, in order.
    // `now` (seconds on any steady clock) is when the bytes arrived: it opens and closes the intervals of a
    // streaming unit; a line arriving after the open interval's end first files that interval's mean.
    std::vector<RxLineEvent> Feed(std::string_view chunk, DataInForm& form, RxReadings& readings, int station,
                                  char decimalSeparator, double now = 0);

    // Files the mean of the open interval (at the active fox and the row cursor, as a line would be) and
    // closes the interval; nullopt when none is open or its bearings cancel out. The caller calls it when
    // the interval's time is up and no line came to close it, and before the fox on the air changes.
    std::optional<RxLineEvent> EndInterval(DataInForm& form, RxReadings& readings, int station,
                                           char decimalSeparator);
    // When the open interval ends (on the clock of `now`); nullopt when none is open.
    [[nodiscard]] std::optional<double> IntervalEnd() const;

  private:
    enum class State { Idle, Synchronising, Receiving };

    RxLineEvent TakeLine(std::string_view line, const RxLineReading& read, DataInForm& form,
                         RxReadings& readings, int station, char decimalSeparator, double now,
                         std::vector<RxLineEvent>& events);
    RxLineEvent File(double angle, double signal, std::optional<int> quality, DataInForm& form,
                     RxReadings& readings, int station, char decimalSeparator);

    State state_ = State::Idle;
    bool stopRx_ = false;
    bool onAir_ = true;
    RxFormat format_ = RxFormat::Fixed;
    double interval_ = 1;
    RxReader reader_;
    BearingMean mean_;
    double intervalStart_ = 0;
};

}  // namespace vantrel::instruments
