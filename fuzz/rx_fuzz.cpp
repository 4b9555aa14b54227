// The direction-finding receiver's byte stream: line framing in any chunking, the line's fields, and the
// "Start RX" capture filing readings into the table while the user clicks around in it.
//
// Input: the stream, then 4 bytes at the end that choose the chunking, the separator and the user's
// actions between chunks.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/number_text.hpp"
#include "fuzz_support.hpp"
#include "instruments/bearing_table.hpp"
#include "instruments/rx_capture.hpp"
#include "instruments/rx_line.hpp"

namespace {

using vantrel::fuzzing::Check;
using namespace vantrel::instruments;

std::vector<std::string> Frame(const std::vector<std::string_view>& chunks) {
    std::vector<std::string> lines;
    RxLineFramer framer;
    for (const std::string_view chunk : chunks) {
        framer.Feed(chunk, [&](std::string_view line) {
            lines.emplace_back(line);
            return true;
        });
    }
    return lines;
}

void CheckLine(std::string_view line, char separator) {
    Check(line.size() <= RxLineFramer::kMaxLine, "an overlong line is dropped");
    const RxLineReading read = ReadReceiverLine(line, separator);
    const std::string shown = CommaText(line);
    Check(shown.size() == line.size(), "the shown text keeps every character");
    Check(shown.find('.') == std::string::npos, "every '.' is shown as ','");
    Check(std::isfinite(read.signal), "the signal is a finite number");
    Check(read.signal != 0 || !std::signbit(read.signal), "no minus zero signal");
    if (read.bearing) {
        Check(std::isfinite(*read.bearing), "the bearing is a finite number");
        Check(*read.bearing != 0 || !std::signbit(*read.bearing), "no minus zero bearing");
    }
}

void CheckForm(const DataInForm& form) {
    Check(form.CursorRow >= 1 && form.CursorRow <= kTableRows, "the cursor stays in rows 1..30");
    Check(form.ActiveFox >= 1 && form.ActiveFox <= kTableFoxes, "the active fox stays in 1..5");
}

// The last line filed by one Feed is in the readings table and in its cell (an earlier one of the same
// Feed may have been replaced at row 30, where the cursor stays).
void CheckLastFiled(const std::vector<RxLineEvent>& events, const DataInForm& form,
                    const RxReadings& readings, char separator) {
    const auto last = std::find_if(events.rbegin(), events.rend(),
                                   [](const RxLineEvent& e) { return e.kind == RxLineEvent::Kind::Filed; });
    if (last == events.rend()) {
        return;
    }
    const RxLineEvent& event = *last;
    Check(event.reading.bearing.has_value(), "a filed line has a bearing");
    const double angle = event.reading.bearing.value_or(-1);
    Check(readings(event.station, event.fox - 1, event.row - 1) == RxReading{angle, event.reading.signal, 1},
          "a filed line is in the readings table");
    Check(form.Grid[static_cast<std::size_t>(event.row)][static_cast<std::size_t>(event.fox)] ==
              vantrel::core::DefaultText(angle, separator),
          "a filed line is shown in its cell");
}

// A plain capture: every line after the first is shown, in order.
void CaptureWithoutInterruption(const std::vector<std::string_view>& chunks,
                                const std::vector<std::string>& lines, char separator) {
    DataInForm form;
    LayoutGrid(form);
    RxReadings readings;
    RxCapture capture;
    capture.Start();
    std::vector<std::string> shown;
    for (const std::string_view chunk : chunks) {
        const auto events = capture.Feed(chunk, form, readings, 0, separator);
        for (const RxLineEvent& event : events) {
            shown.push_back(event.text);
        }
        CheckLastFiled(events, form, readings, separator);
        CheckForm(form);
    }
    std::vector<std::string> expected;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string text = lines[i];
        std::replace(text.begin(), text.end(), '.', ',');
        expected.push_back(text);
    }
    Check(shown == expected, "every line after the first is shown, in order");
}

// The user clicks, deletes, averages, stops and restarts between the chunks.
void CaptureWithUser(const std::vector<std::string_view>& chunks, std::uint32_t seed, char separator) {
    DataInForm form;
    LayoutGrid(form);
    RxReadings readings;
    RxCapture capture;
    const int station = static_cast<int>(seed >> 31U);
    capture.Start();
    std::uint32_t state = seed;
    for (const std::string_view chunk : chunks) {
        state = state * 22695477U + 1U;
        const int action = static_cast<int>((state >> 16U) % 8U);
        const int a = static_cast<int>((state >> 4U) % 33U) - 1;
        const int b = static_cast<int>((state >> 10U) % 8U) - 1;
        switch (action) {
            case 0:
                ClickFoxOption(form, b);
                break;
            case 1:
                ClickCell(form, a, b);
                break;
            case 2:
                DeleteCells(form, readings, station, a, b, a + b);
                break;
            case 3:
                CalcAverages(form, readings, station, separator);
                break;
            case 4:
                capture.RequestStop();
                break;
            case 5:
                capture.Start();
                break;
            default:
                break;
        }
        CheckForm(form);
        CheckLastFiled(capture.Feed(chunk, form, readings, station, separator), form, readings, separator);
        CheckForm(form);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto seed = provider.ConsumeIntegral<std::uint32_t>();
    const std::string stream = provider.ConsumeRemainingBytesAsString();
    static constexpr std::size_t kMaxChunks[] = {1, 7, 64, 4096};
    const std::size_t maxChunk = kMaxChunks[seed % 4];
    const char separator = (seed & 4U) != 0 ? ',' : '.';

    const std::vector<std::string> lines = Frame({stream});
    const auto chunks = vantrel::fuzzing::Chunks(stream, seed, maxChunk);
    Check(Frame(chunks) == lines, "chunking does not change the lines");
    for (const std::string& line : lines) {
        CheckLine(line, separator);
    }
    CaptureWithoutInterruption(chunks, lines, separator);
    CaptureWithUser(chunks, seed, separator);
    return 0;
}
