#include "instruments/rx_capture.hpp"

#include "core/number_text.hpp"

namespace vantrel::instruments {

void RxCapture::SetFormat(RxFormat format, double intervalSeconds) {
    format_ = format;
    interval_ = intervalSeconds > 0 ? intervalSeconds : 1;
}

void RxCapture::Start() {
    if (running()) {
        return;
    }
    reader_ = RxReader(format_);
    mean_.Clear();
    stopRx_ = false;
    state_ = State::Synchronising;
}

void RxCapture::RequestStop() {
    if (running()) {
        stopRx_ = true;
    }
}

void RxCapture::End() {
    state_ = State::Idle;
    stopRx_ = false;
    reader_.Reset();
    mean_.Clear();
}

std::vector<RxLineEvent> RxCapture::Feed(std::string_view chunk, DataInForm& form, RxReadings& readings,
                                         int station, char decimalSeparator, double now) {
    std::vector<RxLineEvent> events;
    if (!running()) {
        return events;
    }
    reader_.SetDecimalSeparator(decimalSeparator);
    reader_.Feed(chunk, [&](std::string_view line, const RxLineReading& read) {
        if (state_ == State::Synchronising) {
            state_ = State::Receiving;
            return true;
        }
        const RxLineEvent event =
            TakeLine(line, read, form, readings, station, decimalSeparator, now, events);
        events.push_back(event);
        return running();
    });
    return events;
}

RxLineEvent RxCapture::TakeLine(std::string_view line, const RxLineReading& read, DataInForm& form,
                                RxReadings& readings, int station, char decimalSeparator, double now,
                                std::vector<RxLineEvent>& events) {
    form.txtTest = reader_.ShownText(line, read);
    RxLineEvent event;
    event.text = form.txtTest;
    event.reading = read;
    if (!read.bearing) {
        event.kind = RxLineEvent::Kind::Skipped;
        return event;
    }
    if (!onAir_) {
        event.kind = RxLineEvent::Kind::NotOnAir;
        return event;
    }
    if (!IsStreaming(format_)) {
        event = File(*read.bearing, read.signal, read.quality, form, readings, station, decimalSeparator);
        event.text = form.txtTest;
        return event;
    }
    // A line after the open interval's time closes it first: its mean is filed before this line counts.
    if (const auto end = IntervalEnd(); end && now >= *end) {
        if (auto filed = EndInterval(form, readings, station, decimalSeparator)) {
            events.push_back(std::move(*filed));
            if (!running()) {
                event.kind = RxLineEvent::Kind::Collected;  // the loop ended with that reading
                return event;
            }
        }
    }
    if (mean_.empty()) {
        intervalStart_ = now;
    }
    mean_.Add(*read.bearing, read.quality);
    event.kind = RxLineEvent::Kind::Collected;
    return event;
}

std::optional<RxLineEvent> RxCapture::EndInterval(DataInForm& form, RxReadings& readings, int station,
                                                  char decimalSeparator) {
    if (mean_.empty()) {
        return std::nullopt;
    }
    const std::optional<double> mean = mean_.Mean();
    const std::optional<int> quality = mean_.Quality();
    mean_.Clear();
    if (!mean || state_ != State::Receiving) {
        return std::nullopt;
    }
    RxLineEvent event = File(*mean, 0, quality, form, readings, station, decimalSeparator);
    event.text = form.txtTest;
    return event;
}

std::optional<double> RxCapture::IntervalEnd() const {
    if (mean_.empty()) {
        return std::nullopt;
    }
    return intervalStart_ + interval_;
}

RxLineEvent RxCapture::File(double angle, double signal, std::optional<int> quality, DataInForm& form,
                            RxReadings& readings, int station, char decimalSeparator) {
    form.LastAngle = angle;
    form.LastSignal = signal;
    RxLineEvent event;
    event.station = station;
    event.fox = form.ActiveFox;
    event.row = form.CursorRow;
    event.reading = {form.LastAngle, form.LastSignal, quality};
    readings(station, form.ActiveFox - 1, form.CursorRow - 1) = {form.LastAngle, form.LastSignal, 1};
    form.Grid[static_cast<std::size_t>(form.CursorRow)][static_cast<std::size_t>(form.ActiveFox)] =
        core::DefaultText(form.LastAngle, decimalSeparator);
    if (form.CursorRow < kTableRows) {
        ++form.CursorRow;
    }
    if (stopRx_) {
        End();  // "Stop RX" is honoured after a filed reading
    }
    return event;
}

}  // namespace vantrel::instruments
