#include "simulate/simulate.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geodesy/transverse_mercator.hpp"
#include "hunt_log/log_writer.hpp"
#include "locate/locate.hpp"
#include "simulate/random.hpp"
#include "simulate/route.hpp"
#include "simulate/sentences.hpp"

namespace vantrel::simulate {
namespace {

using hunt_log::TimeMs;

constexpr double kDegree = std::numbers::pi / 180;

// Independent random streams of one seed: a change of one part leaves the others' numbers alone.
enum RandomStream : std::uint64_t { kGpsStream, kReceiverStream, kNetworkStream, kStationStream };

double Wrap360(double degrees) {
    double wrapped = std::fmod(degrees, 360.0);
    wrapped += wrapped < 0 ? 360 : 0;
    return wrapped >= 360 ? 0 : wrapped;
}

// The scenario's places in the zone's plane, and back.
class Plane {
  public:
    explicit Plane(geodesy::UtmZone zone) : zone_(zone) {}
    [[nodiscard]] core::PlanePoint To(double lat, double lon) const {
        return geodesy::ZoneLatLonToUtm(zone_, lat, lon);
    }
    [[nodiscard]] geodesy::GeoPosition From(double x, double y) const {
        return geodesy::ZoneUtmToLatLon(zone_, x, y);
    }
    // The true bearing from (x, y) towards `target`: the grid direction plus the meridian convergence.
    [[nodiscard]] double TrueBearing(double x, double y, core::PlanePoint target) const {
        const double grid = std::atan2(target.x - x, target.y - y) / kDegree;
        return Wrap360(grid + geodesy::ZoneGridFactsAt(zone_, x, y).convergence);
    }
    [[nodiscard]] double TrueDirection(double x, double y, double gridDirection) const {
        return Wrap360(gridDirection + geodesy::ZoneGridFactsAt(zone_, x, y).convergence);
    }

  private:
    geodesy::UtmZone zone_;
};

// Draws the bearings: towards the fox or, for a share of them, a reflector; with von Mises noise.
class BearingDrawer {
  public:
    BearingDrawer(const Scenario& s, const Plane& plane, std::uint64_t seed)
        : plane_(plane),
          random_(seed),
          sigma_(s.sigma),
          kappa_(locate::KappaFromSigma(s.sigma)),
          share_(s.reflectionShare) {
        for (const PlacePoint& r : s.reflectors) {
            reflectors_.push_back(plane.To(r.lat, r.lon));
        }
    }

    // The true bearing (unrounded) from (x, y) towards `fox`; `reflected` says where it points.
    double Draw(double x, double y, core::PlanePoint fox, bool& reflected) {
        reflected = !reflectors_.empty() && random_.Chance(share_);
        const core::PlanePoint target = reflected ? reflectors_[random_.Index(reflectors_.size())] : fox;
        return Wrap360(plane_.TrueBearing(x, y, target) + random_.VonMises(kappa_) / kDegree);
    }
    [[nodiscard]] double Sigma() const { return sigma_; }

  private:
    const Plane& plane_;
    Random random_;
    double sigma_;
    double kappa_;
    double share_;
    std::vector<core::PlanePoint> reflectors_;
};

int FoxOnAir(const Scenario& s, TimeMs time, int fallback) {
    if (!s.schedule) {
        return fallback;
    }
    constexpr TimeMs kDayMs = 86'400'000;
    const TimeMs ofDay = ((time % kDayMs) + kDayMs) % kDayMs;
    const int fox = instruments::FoxOnAir(*s.schedule, ofDay * 1'000'000);
    return s.Fox(fox) != nullptr ? fox : instruments::kNoFox;
}

bool InGap(const Scenario& s, double seconds) {
    return std::any_of(s.gpsGaps.begin(), s.gpsGaps.end(),
                       [seconds](const auto& gap) { return seconds >= gap.first && seconds < gap.second; });
}

// The car's seconds: its true place, what the GPS said (with the noise offset kept for the bearings
// between two seconds) and the sentences.
struct GpsSecond {
    double noiseX = 0, noiseY = 0;
};

class CarHunt {
  public:
    CarHunt(const Scenario& s, SimulatedHunt& hunt)
        : s_(s),
          hunt_(hunt),
          plane_(hunt.zone),
          route_(hunt.zone, s.waypoints, s.speed),
          seconds_(static_cast<std::int64_t>(std::floor(route_.Seconds() + 1e-9))) {}

    void Run() {
        DriveAndSendGps();
        SendReceiverLines();
        hunt_.end = hunt_.start + seconds_ * 1000;
    }

  private:
    [[nodiscard]] double SecondsAt(TimeMs time) const {
        return static_cast<double>(time - hunt_.start) / 1000;
    }

    void DriveAndSendGps() {
        Random random(StreamSeed(s_.seed, kGpsStream));
        for (std::int64_t k = 0; k <= seconds_; ++k) {
            TrackPoint p;
            p.time = hunt_.start + k * 1000;
            const Route::Where where = route_.At(static_cast<double>(k));
            const geodesy::GeoPosition geo = plane_.From(where.x, where.y);
            p.lat = geo.lat;
            p.lon = geo.lon;
            p.x = where.x;
            p.y = where.y;
            p.course = plane_.TrueDirection(where.x, where.y, where.direction);
            p.speed = where.speed;
            const bool dropped = random.Chance(s_.gpsDropoutShare);
            GpsSecond noise{random.Normal() * s_.gpsNoise, random.Normal() * s_.gpsNoise};
            p.gpsFix = !dropped && !InGap(s_, static_cast<double>(k));
            const geodesy::GeoPosition seen = plane_.From(where.x + noise.noiseX, where.y + noise.noiseY);
            p.gpsLat = seen.lat;
            p.gpsLon = seen.lon;
            noise_.push_back(noise);
            RmcData rmc{p.time, std::nullopt, std::nullopt, p.speed, p.course};
            if (p.gpsFix) {
                rmc.lat = p.gpsLat;
                rmc.lon = p.gpsLon;
            }
            std::string text = RmcSentence(rmc);
            if (s_.compass) {
                text += HdtSentence(p.course);
            }
            hunt_.streams.push_back({p.time, Stream::Gps, std::move(text)});
            hunt_.track.push_back(p);
        }
    }

    // The bearing's place: where the car truly is, and what the GPS of that second says.
    void Place(SimulatedBearing& b, const Route::Where& where) const {
        const geodesy::GeoPosition geo = plane_.From(where.x, where.y);
        b.lat = geo.lat;
        b.lon = geo.lon;
        b.x = where.x;
        b.y = where.y;
        const auto second = static_cast<std::size_t>((b.time - hunt_.start) / 1000);
        if (hunt_.track[second].gpsFix) {
            const GpsSecond& n = noise_[second];
            const geodesy::GeoPosition seen = plane_.From(where.x + n.noiseX, where.y + n.noiseY);
            b.gpsLat = seen.lat;
            b.gpsLon = seen.lon;
        }
    }

    void SendReceiverLines() {
        BearingDrawer drawer(s_, plane_, StreamSeed(s_.seed, kReceiverStream));
        const instruments::RxFormat format = s_.receiver.format;
        const TimeMs end = hunt_.start + seconds_ * 1000;
        for (std::int64_t i = 0;; ++i) {
            const TimeMs time = hunt_.start + std::llround(static_cast<double>(i) * 1000 / s_.receiver.rate);
            if (time > end) {
                break;
            }
            const int fox = FoxOnAir(s_, time, s_.receiver.fox);
            if (fox == instruments::kNoFox) {
                continue;
            }
            const FoxSpec& spec = *s_.Fox(fox);
            const Route::Where where = route_.At(SecondsAt(time));
            SimulatedBearing b;
            b.time = time;
            b.fox = fox;
            b.source = BearingSource::Receiver;
            b.station = s_.carName;
            b.sigma = drawer.Sigma();
            Place(b, where);
            const double truth = drawer.Draw(where.x, where.y, plane_.To(spec.lat, spec.lon), b.reflected);
            double sent = 0;
            if (s_.receiver.vehicle) {
                // The heading as the compass (or the course of the GPS) gives it: one decimal.
                const double heading = SentBearing(instruments::RxFormat::Kn5r,
                                                   plane_.TrueDirection(where.x, where.y, where.direction));
                sent = SentBearing(format, truth - heading);
                b.heading = heading;
                b.relative = sent;
                b.bearing = Wrap360(heading + sent);
            } else {
                sent = SentBearing(format, truth);
                b.bearing = sent;
            }
            hunt_.streams.push_back({time, Stream::Receiver,
                                     ReceiverLine(format, sent, s_.receiver.quality,
                                                  static_cast<std::uint64_t>(time - hunt_.start) + 123456)});
            hunt_.bearings.push_back(std::move(b));
        }
    }

    const Scenario& s_;
    SimulatedHunt& hunt_;
    Plane plane_;
    Route route_;
    std::int64_t seconds_;
    std::vector<GpsSecond> noise_;
};

void StationHunt(const Scenario& s, SimulatedHunt& hunt) {
    const Plane plane(hunt.zone);
    BearingDrawer drawer(s, plane, StreamSeed(s.seed, kStationStream));
    hunt.end = hunt.start;
    for (std::size_t k = 0; k < s.stations.size(); ++k) {
        const StationSpec& station = s.stations[k];
        const core::PlanePoint at = plane.To(station.lat, station.lon);
        for (int j = 0; j < station.bearings; ++j) {
            const TimeMs time =
                hunt.start + static_cast<TimeMs>(k) * 1000 + std::llround(j * station.everySeconds * 1000);
            const int onAir = FoxOnAir(s, time, instruments::kNoFox);
            for (const FoxSpec& fox : s.foxes) {
                if (s.schedule && fox.fox != onAir) {
                    continue;
                }
                SimulatedBearing b;
                b.time = time;
                b.fox = fox.fox;
                b.source = BearingSource::Station;
                b.station = station.name;
                b.lat = b.gpsLat.emplace(station.lat);
                b.lon = b.gpsLon.emplace(station.lon);
                b.x = at.x;
                b.y = at.y;
                b.sigma = drawer.Sigma();
                b.bearing = drawer.Draw(at.x, at.y, plane.To(fox.lat, fox.lon), b.reflected);
                hunt.bearings.push_back(std::move(b));
                hunt.end = std::max(hunt.end, time);
            }
        }
    }
}

}  // namespace

geodesy::UtmZone ZoneOf(const Scenario& scenario) {
    const FoxSpec& first = scenario.foxes.at(0);
    return hunt_log::StandardZone(first.lat, first.lon).value_or(geodesy::UtmZone{});
}

SimulatedHunt Simulate(const Scenario& scenario) {
    SimulatedHunt hunt;
    hunt.zone = ZoneOf(scenario);
    hunt.start = scenario.start;
    for (const FoxSpec& fox : scenario.foxes) {
        hunt.truth.push_back({fox.fox, fox.lat, fox.lon});
    }
    if (scenario.Driven()) {
        CarHunt(scenario, hunt).Run();
    } else {
        StationHunt(scenario, hunt);
    }
    const auto byTime = [](const auto& a, const auto& b) { return a.time < b.time; };
    std::stable_sort(hunt.bearings.begin(), hunt.bearings.end(), byTime);
    std::stable_sort(hunt.streams.begin(), hunt.streams.end(), byTime);
    return hunt;
}

}  // namespace vantrel::simulate
