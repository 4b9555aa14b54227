#pragma once

// The receive loop of "Start RX": files every line from the direction-finding receiver as a reading of the
// active fox at the row cursor, shows it in the table and hands it on for the log.
//
// After "Start RX" the first complete line is discarded, since it may have started before the start.
// Characters after a line end stay for the next line, so no reading is lost. A line whose bearing is not a
// number is shown but not filed. "Stop RX" ends the loop after the next filed line. While no loop runs,
// received bytes are dropped: readings taken before "Start RX" are never filed.

#include <string>
#include <string_view>
#include <vector>

#include "instruments/bearing_table.hpp"
#include "instruments/rx_line.hpp"
#include "instruments/rx_readings.hpp"

namespace vantrel::instruments {

// What one received line did.
struct RxLineEvent {
    enum class Kind { Filed, Skipped };
    Kind kind = Kind::Filed;
    std::string text;  // the line as shown in txtTest ('.' replaced by ',')
    // For a filed line: where it went and what was filed.
    int station = 0;  // RxStation: 0 for station 1
    int fox = 1;      // ActiveFox at the time
    int row = 1;      // CursorRow at the time
    double angle = 0;
    double signal = 0;
};

class RxCapture {
  public:
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
    std::vector<RxLineEvent> Feed(std::string_view chunk, DataInForm& form, RxReadings& readings, int station,
                                  char decimalSeparator);

  private:
    enum class State { Idle, Synchronising, Receiving };

    RxLineEvent FileLine(std::string_view line, DataInForm& form, RxReadings& readings, int station,
                         char decimalSeparator);

    State state_ = State::Idle;
    bool stopRx_ = false;
    RxLineFramer framer_;
};

}  // namespace vantrel::instruments
