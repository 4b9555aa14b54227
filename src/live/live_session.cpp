#include "live/live_session.hpp"

#include <cmath>
#include <variant>

#include "core/number_text.hpp"

namespace vantrel::live {
namespace {

double Folded(double degrees) {
    const double folded = std::fmod(degrees, 360.0);
    return folded < 0 ? folded + 360 : (folded >= 360 ? 0 : folded);
}

std::string Degrees(double value) {
    return core::FormatPattern(value, "##0.0", '.');
}

std::string FoxBearing(int fox, double bearing) {
    return "fox " + std::to_string(fox) + " bearing " + Degrees(bearing);
}

}  // namespace

LiveSession::LiveSession(LiveOptions options)
    : options_(std::move(options)),
      heading_(options_.heading),
      receiver_(options_.format, options_.decimalSeparator),
      intervals_(options_.interval) {}

LiveOutput LiveSession::OnGpsBytes(std::string_view bytes, TimeMs arrivalMs) {
    LiveOutput out;
    for (const MotionItem& item : nmea_.Feed(bytes)) {
        if (const auto* fix = std::get_if<instruments::GpsSample>(&item)) {
            LiveOutput one = OnGps(*fix, arrivalMs);
            out.positions.insert(out.positions.end(), one.positions.begin(), one.positions.end());
        } else {
            OnHeading(std::get<instruments::HeadingSample>(item), arrivalMs);
        }
    }
    return out;
}

LiveOutput LiveSession::OnGps(const instruments::GpsSample& fix, TimeMs arrivalMs) {
    LiveOutput out;
    if (const auto position = track_.Add(fix, arrivalMs)) {
        out.positions.push_back(*position);
        ++counters_.positions;
    }
    heading_.AddFix(fix, arrivalMs);
    return out;
}

void LiveSession::OnHeading(const instruments::HeadingSample& heading, TimeMs arrivalMs) {
    heading_.AddCompass(heading.heading, arrivalMs);
}

LiveOutput LiveSession::OnReceiverBytes(std::string_view bytes, TimeMs arrivalMs) {
    LiveOutput out;
    receiver_.Feed(bytes, [&](std::string_view, const instruments::RxLineReading& read) {
        if (!read.bearing) {
            return true;
        }
        if (foxOnAir_ == instruments::kNoFox) {
            ++counters_.notOnAir;
            return true;
        }
        TakeInterval(intervals_.Add(*read.bearing, arrivalMs), out);
        return true;
    });
    return out;
}

LiveOutput LiveSession::SetFoxOnAir(int fox, TimeMs, bool fromSchedule) {
    LiveOutput out;
    scheduled_ = fromSchedule;
    if (fox != foxOnAir_) {
        TakeInterval(intervals_.Flush(), out);
        foxOnAir_ = fox;
    }
    return out;
}

LiveOutput LiveSession::Tick(TimeMs nowMs) {
    LiveOutput out;
    TakeInterval(intervals_.Close(nowMs), out);
    return out;
}

LiveOutput LiveSession::Finish(TimeMs) {
    LiveOutput out;
    TakeInterval(intervals_.Flush(), out);
    return out;
}

void LiveSession::TakeInterval(const std::optional<IntervalResult>& interval, LiveOutput& out) {
    if (!interval) {
        return;
    }
    const int fox = foxOnAir_;
    if (!interval->bearing) {
        ++counters_.scattered;
        out.problems.push_back("fox " + std::to_string(fox) + ": " + std::to_string(interval->readings) +
                               " readings point all round, no bearing");
        return;
    }
    const std::optional<TimeMs> time = track_.HuntTime(interval->arrivalMs);
    const std::optional<LatLon> position = time ? track_.PositionAt(*time) : std::nullopt;
    if (!position) {
        ++counters_.noPosition;
        out.problems.push_back(FoxBearing(fox, *interval->bearing) + ": no fresh GPS position, not logged");
        return;
    }
    double bearing = *interval->bearing;
    if (options_.receiverVehicle) {
        const HeadingNow heading = heading_.At(interval->arrivalMs);
        if (!heading.heading) {
            ++counters_.noHeading;
            out.problems.push_back(FoxBearing(fox, bearing) + " (relative): no heading, not logged");
            return;
        }
        bearing = Folded(*heading.heading + bearing);
    }
    hunt_log::NewBearing b;
    b.time = *time;
    b.fox = fox;
    b.station = options_.receiverStation;
    b.lat = position->lat;
    b.lon = position->lon;
    b.bearing = bearing;
    b.reference = hunt_log::Reference::True;
    // A floor of 0 and readings that all agree give no spread at all: unknown, as the log keeps it.
    b.sigma = interval->sigma > 0 ? interval->sigma : hunt_log::kUnknown;
    b.source = instruments::RxFormatName(options_.format);
    b.readings = interval->readings;
    Hand(std::move(b), out);
}

LiveOutput LiveSession::OnNetworkBody(std::string_view body, TimeMs arrivalMs) {
    LiveOutput out;
    const instruments::DfText text = instruments::ParseDfText(body);
    counters_.networkLinesSkipped += text.skipped;
    for (const std::string& problem : text.problems) {
        out.problems.push_back("network " + problem + ", skipped");
    }
    for (const instruments::DfChannel& channel : text.channels) {
        TakeChannel(channel, arrivalMs, out);
    }
    return out;
}

void LiveSession::TakeChannel(const instruments::DfChannel& channel, TimeMs arrivalMs, LiveOutput& out) {
    const std::string station = channel.stationId.empty() ? std::string("network") : channel.stationId;
    const std::string what = "network " + station + " " + core::ShortestText(channel.frequencyHz / 1e6) +
                             " MHz bearing " + Degrees(channel.bearing) + " confidence " +
                             core::ShortestText(channel.confidence);
    switch (frames_.Check(channel)) {
        case FrameMemory::Seen::Repeat:
            ++counters_.repeatedFrames;
            return;
        case FrameMemory::Seen::Backwards:
            ++counters_.backwardFrames;
            out.problems.push_back(what + ": its time went backwards, skipped");
            return;
        case FrameMemory::Seen::New:
            break;
    }
    const int fox = FoxForFrequency(channel.frequencyHz, options_.foxes, options_.frequencyToleranceHz);
    if (fox == 0) {
        ++counters_.unmatchedChannels;
        out.problems.push_back(what + ": matches no fox's frequency, not logged");
        return;
    }
    if (scheduled_ && fox != foxOnAir_) {
        ++counters_.notOnAir;
        return;
    }
    double bearing = channel.bearing;
    if (channel.heading) {
        bearing = Folded(*channel.heading + channel.bearing);
    } else if (options_.networkVehicle) {
        const HeadingNow heading = heading_.At(arrivalMs);
        if (!heading.heading) {
            ++counters_.noHeading;
            out.problems.push_back(what + " (relative): no heading, not logged");
            return;
        }
        bearing = Folded(*heading.heading + channel.bearing);
    }
    hunt_log::NewBearing b;
    if (channel.lat && channel.lon) {
        b.time = channel.timeMs;
        b.lat = *channel.lat;
        b.lon = *channel.lon;
    } else {
        const std::optional<TimeMs> time =
            track_.HuntTime(arrivalMs - static_cast<TimeMs>(std::llround(channel.latencyMs)));
        const std::optional<LatLon> position = time ? track_.PositionAt(*time) : std::nullopt;
        if (!position) {
            ++counters_.noPosition;
            out.problems.push_back(what + ": no position from the server or a fresh GPS, not logged");
            return;
        }
        b.time = *time;
        b.lat = position->lat;
        b.lon = position->lon;
    }
    b.fox = fox;
    b.station = station;
    b.bearing = bearing;
    b.reference = hunt_log::Reference::True;
    b.sigma = hunt_log::kUnknown;
    b.source = "network";
    Hand(std::move(b), out);
}

void LiveSession::Hand(hunt_log::NewBearing bearing, LiveOutput& out) {
    if (const core::Outcome check = hunt_log::CheckNewBearing(bearing); !check) {
        ++counters_.refusedBearings;
        out.problems.push_back(FoxBearing(bearing.fox, bearing.bearing) + ": " + check.message() +
                               ", not logged");
        return;
    }
    ++counters_.bearings;
    out.bearings.push_back(std::move(bearing));
}

std::string LiveSession::CountsText() const {
    // "1 bearing", "2 bearings": the noun for one, then for any other count.
    const auto counted = [](std::size_t count, const char* one, const char* other) {
        return std::to_string(count) + " " + (count == 1 ? one : other);
    };
    std::string text = counted(counters_.bearings, "bearing", "bearings");
    const auto add = [&](std::size_t count, const char* one, const char* other) {
        if (count > 0) {
            text += ", " + counted(count, one, other);
        }
    };
    add(counters_.noPosition, "no position", "no position");
    add(counters_.noHeading, "no heading", "no heading");
    add(counters_.scattered, "scattered", "scattered");
    add(counters_.notOnAir, "reading off the air", "readings off the air");
    add(counters_.refusedBearings, "refused", "refused");
    add(counters_.networkLinesSkipped, "network line skipped", "network lines skipped");
    add(counters_.unmatchedChannels, "channel of no fox", "channels of no fox");
    add(counters_.backwardFrames, "frame back in time", "frames back in time");
    return text;
}

}  // namespace vantrel::live
