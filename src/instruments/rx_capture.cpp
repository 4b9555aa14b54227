#include "instruments/rx_capture.hpp"

#include "core/number_text.hpp"

namespace vantrel::instruments {

void RxCapture::Start() {
    if (running()) {
        return;
    }
    framer_.Reset();
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
    framer_.Reset();
}

std::vector<RxLineEvent> RxCapture::Feed(std::string_view chunk, DataInForm& form, RxReadings& readings,
                                         int station, char decimalSeparator) {
    std::vector<RxLineEvent> events;
    if (!running()) {
        return events;
    }
    framer_.Feed(chunk, [&](std::string_view line) {
        if (state_ == State::Synchronising) {
            state_ = State::Receiving;
            return true;
        }
        events.push_back(FileLine(line, form, readings, station, decimalSeparator));
        if (events.back().kind == RxLineEvent::Kind::Filed && stopRx_) {
            End();
            return false;
        }
        return true;
    });
    return events;
}

RxLineEvent RxCapture::FileLine(std::string_view line, DataInForm& form, RxReadings& readings, int station,
                                char decimalSeparator) {
    ReceiverLine received = ReadReceiverLine(line, decimalSeparator);
    form.txtTest = received.text;
    RxLineEvent event;
    event.text = std::move(received.text);
    if (!received.bearing) {
        event.kind = RxLineEvent::Kind::Skipped;
        return event;
    }
    form.LastAngle = *received.bearing;
    form.LastSignal = received.signal;
    event.station = station;
    event.fox = form.ActiveFox;
    event.row = form.CursorRow;
    event.angle = form.LastAngle;
    event.signal = form.LastSignal;
    readings(station, form.ActiveFox - 1, form.CursorRow - 1) = {form.LastAngle, form.LastSignal, 1};
    form.Grid[static_cast<std::size_t>(form.CursorRow)][static_cast<std::size_t>(form.ActiveFox)] =
        core::DefaultText(form.LastAngle, decimalSeparator);
    if (form.CursorRow < kTableRows) {
        ++form.CursorRow;
    }
    return event;
}

}  // namespace vantrel::instruments
