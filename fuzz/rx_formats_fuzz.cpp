// The receivers in the agrelo, kn5r and aprs formats: framing at CR, LF and CR LF in any chunking, what a
// line may give, and the capture of a streaming unit filing one mean per interval while the schedule turns
// the fox on and off the air.
//
// Input: 4 bytes that choose the format, the chunking and the clock, then the stream.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "instruments/bearing_table.hpp"
#include "instruments/rx_capture.hpp"
#include "instruments/rx_formats.hpp"

namespace {

using vantrel::fuzzing::Check;
using namespace vantrel::instruments;

constexpr RxFormat kFormats[] = {RxFormat::Agrelo, RxFormat::Kn5r, RxFormat::Aprs};

std::vector<std::string> Frame(RxFormat format, const std::vector<std::string_view>& chunks) {
    std::vector<std::string> lines;
    RxReader reader(format);
    for (const std::string_view chunk : chunks) {
        reader.Feed(chunk, [&](std::string_view line, const RxLineReading& read) {
            Check(!line.empty() && line.size() <= AnyLineEndFramer::kMaxLine,
                  "a line is 1 to kMaxLine bytes");
            Check(line.find_first_of("\r\n") == std::string_view::npos, "no line end inside a line");
            Check(read.signal == 0, "these formats carry no signal");
            if (read.bearing) {
                Check(std::isfinite(*read.bearing) && *read.bearing >= 0 && *read.bearing <= 360,
                      "a bearing lies in 0..360", std::string(line));
                Check(read.quality && *read.quality >= 0 && *read.quality <= 9, "a quality digit 0..9");
            } else {
                Check(!read.quality, "no quality without a bearing");
            }
            lines.emplace_back(line);
            return true;
        });
    }
    return lines;
}

void Capture(RxFormat format, const std::vector<std::string_view>& chunks, std::uint32_t seed) {
    DataInForm form;
    LayoutGrid(form);
    RxReadings readings;
    RxCapture capture;
    capture.SetFormat(format, 1);
    capture.Start();
    double now = 0;
    std::uint32_t state = seed;
    for (const std::string_view chunk : chunks) {
        state = state * 22695477U + 1U;
        now += static_cast<double>((state >> 16U) % 700U) / 1000;
        switch ((state >> 8U) % 6U) {
            case 0:
                capture.SetOnAir(!capture.onAir());
                break;
            case 1:
                if (const auto event = capture.EndInterval(form, readings, 0, ',')) {
                    Check(event->kind == RxLineEvent::Kind::Filed, "an ended interval is filed");
                }
                break;
            case 2:
                ClickFoxOption(form, static_cast<int>((state >> 4U) % 5U));
                break;
            default:
                break;
        }
        const bool onAir = capture.onAir();
        for (const RxLineEvent& event : capture.Feed(chunk, form, readings, 0, ',', now)) {
            if (event.kind == RxLineEvent::Kind::Filed) {
                Check(onAir, "nothing is filed while no fox is on the air");
                Check(event.reading.bearing && *event.reading.bearing >= 0 && *event.reading.bearing <= 360,
                      "a filed mean lies in 0..360");
                Check(readings(0, event.fox - 1, event.row - 1).Valid == 1, "a filed mean is in the table");
            }
        }
        if (const auto end = capture.IntervalEnd()) {
            Check(*end > now - 1e-9 || capture.running(), "an open interval belongs to a running capture");
        }
        Check(form.CursorRow >= 1 && form.CursorRow <= kTableRows, "the cursor stays in rows 1..30");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto seed = provider.ConsumeIntegral<std::uint32_t>();
    const std::string stream = provider.ConsumeRemainingBytesAsString();
    const RxFormat format = kFormats[seed % 3];
    static constexpr std::size_t kMaxChunks[] = {1, 7, 64, 4096};
    const std::vector<std::string> lines = Frame(format, {stream});
    const auto chunks = vantrel::fuzzing::Chunks(stream, seed, kMaxChunks[(seed >> 2U) % 4]);
    Check(Frame(format, chunks) == lines, "chunking does not change the lines");
    Capture(format, chunks, seed);
    return 0;
}
