#pragma once

// How far to trust each cross-bearing fix: the error ellipse of the fix, the crossing angle of the two
// bearings, the ranges along them, and flags for fixes that are plainly suspect (behind a station, a
// shallow crossing, an ellipse as large as the ranges, a station whose readings point all round).
//
// Plane and directions as in core::Calculate: x = easting, y = northing, metres; an absolute bearing theta
// (bearing box + base angle, reduced as Calculate reduces it) in degrees clockwise from grid north gives the
// direction u = (sin theta, cos theta). S1, S2 are the station positions, Delta = S2 - S1.
//
// Formulas (the standard ones of bearings-only position fixing and of circular statistics):
// - Ranges: D = u1.x u2.y - u1.y u2.x (= sin(theta1 - theta2)),
//     t1 = (Delta.x u2.y - Delta.y u2.x) / D,   t2 = (Delta.x u1.y - Delta.y u1.x) / D,
//   so that S1 + t1 u1 = S2 + t2 u2 is the fix. t > 0: the fix lies ahead along the measured bearing.
// - Covariance, linearised at the fix (first-order error propagation of two bearings with independent
//   normal errors s1, s2 in radians):
//     C = (t1^2 s1^2 u2 u2^T + t2^2 s2^2 u1 u1^T) / D^2.
// - Ellipse holding the fix with probability p (the chi-square quantile of 2 degrees of freedom):
//     k = -2 ln(1 - p)  (5.991465 for p = 0.95); with a = C_EE, b = C_EN, c = C_NN the eigenvalues
//     lambda+- = (a + c)/2 +- sqrt(((a - c)/2)^2 + b^2); semi-axes sqrt(k lambda+), sqrt(k lambda-);
//     azimuth of the major axis 1/2 atan2(2b, c - a), degrees clockwise from grid north folded into
//     [0, 180); a circle (lambda+ - lambda- <= 1e-9 lambda+) has azimuth 0.
// - Crossing angle gamma = acos(u1 . u2), degrees in [0, 180].
// - Bearing deviation of a station from its readings (circular statistics; Mardia & Jupp, Directional
//   Statistics, 2.3): n readings a_j, mean resultant length R = |sum (sin a_j, cos a_j)| / n, the unbiased
//   estimate of the squared resultant rho2 = (n R^2 - 1) / (n - 1), the wrapped-normal deviation
//   sigma_hat = sqrt(-ln rho2) (radians, reported in degrees; 0 when rounding gives rho2 >= 1). The
//   deviation of the mean bearing is sigma_hat / sqrt(n), and the floor covers what the readings cannot
//   show (antenna alignment, base angle, reflections): s = sqrt(floor^2 + sigma_hat^2 / n).
//
// Units: metres, degrees; sigmas are standard deviations in degrees. Nothing here depends on the locale
// except the reading of the boxes, which takes the decimal separator as an argument.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/cross_fix.hpp"
#include "core/measurement_state.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "instruments/rx_readings.hpp"

namespace vantrel::quality {

// Kept in Vantrel.ini, section [Quality]: BearingSigma, BearingSigmaFloor, Confidence.
// The largest deviation a bearing can have: beyond half a turn it says nothing more, and larger numbers only
// overflow the ellipse.
inline constexpr double kMaxBearingSigma = 180;

struct QualitySettings {
    double bearingSigma =
        5;  // degrees, 0..kMaxBearingSigma: a bearing typed by hand or without enough readings
    double bearingSigmaFloor =
        3;                     // degrees, 0..kMaxBearingSigma: the least deviation of a bearing from readings
    double confidence = 0.95;  // probability held by the ellipse, 0 < p < 1

    friend bool operator==(const QualitySettings&, const QualitySettings&) = default;
};

struct Ellipse {
    double semiMajor = 0;  // metres, >= semiMinor
    double semiMinor = 0;  // metres, >= 0
    double azimuth = 0;    // of the major axis, degrees clockwise from grid north in [0, 180)
};

struct FixQuality {
    double northing = 0, easting = 0;      // as Calculate stores FoxNorth/FoxEast
    double crossing = 0;                   // degrees, [0, 180]
    double t1 = 0, t2 = 0;                 // signed ranges from station 1 / 2 along the bearing, metres
    std::optional<double> sigma1, sigma2;  // degrees; nullopt = scattered station
    std::optional<Ellipse> ellipse;        // nullopt when a station is scattered
    // behind<k>: t<k> <= 0, the bearings meet opposite to station k's measured direction (or at the station).
    // acute: min(crossing, 180 - crossing) < 30 degrees.
    // approximate: 0.3 < semiMajor / min(|t1|, |t2|) <= 1; unreliable: the ratio > 1, or a zero range (the
    // fix on a station), or both deviations known and the ellipse's numbers overflow (no ellipse).
    // scattered<k>: station k's readings spread all round (rho2 <= 0).
    bool behind1 = false, behind2 = false, acute = false, approximate = false, unreliable = false,
         scattered1 = false, scattered2 = false;
    // The names of the flags set ("behind1", "acute"), in the order of the members above.
    std::vector<std::string> FlagNames() const;
    // FlagNames joined by ",": "behind1,acute", or "-" when no flag is set.
    std::string FlagsText() const;
};

// One station's bearing for one fox, as the deviation works it out.
struct BearingSigma {
    std::optional<double> degrees;  // nullopt: scattered
    bool fromReadings = false;      // false: the default deviation (typed, edited, fewer than 3 readings)
};

// The deviation of station `station` (0 or 1) for fox `fox` (0..4) whose bearing box reads `boxBearing`
// (degrees, relative to the base angle as the box holds it).
// From the readings when at least 3 of that station's and fox's readings are valid (Valid == 1) and the box
// holds their average (the bearing table's averaging, with its wrap-around rule at north, within 0.01 degree,
// compared round the circle so 0 and 360 agree); otherwise settings.bearingSigma. Readings whose
// rho2 <= 0 give a scattered station. A non-finite boxBearing never matches.
BearingSigma StationBearingSigma(const instruments::RxReadings& readings, int station, int fox,
                                 double boxBearing, const QualitySettings& settings);

// The quality of one fix from its geometry. a1, a2: absolute bearings in degrees (as Calculate uses them);
// fix: the intersection Calculate stored; sigma1, sigma2: the stations' deviations in degrees (nullopt =
// scattered); confidence in (0, 1).
// Parallel lines (a1 - a2 within 1e-9 of a multiple of 180, Calculate's own test; or D == 0) and ranges
// that are not finite (stations at the edge of the Double range): nullopt, as Calculate gives no fix there.
// NaN in a bearing, a station or the fix gives nullopt too. A zero range (the fix on a station) gives
// behind<k> and unreliable. An ellipse whose numbers overflow (ranges beyond about 1e150 m), or a NaN
// deviation or confidence, gives no ellipse and the flag unreliable.
std::optional<FixQuality> AssessFix(double a1, double a2, core::PlanePoint station1,
                                    core::PlanePoint station2, core::PlanePoint fix,
                                    std::optional<double> sigma1, std::optional<double> sigma2,
                                    double confidence);

// The quality of every fox's fix in the state. One entry per fox; nullopt for a fox that Calculate left at
// "no Match", before any Calculate (ResultsValid false), and for a fox whose boxes no longer give the fix
// shown (a station, bearing or base angle box changed since Calculate, or no longer a number): the quality
// always describes the fix the Results boxes show. The boxes are read with the regional reading and the
// given separator; the readings are those of the bearing table (station 0 = Scedule 1).
std::array<std::optional<FixQuality>, core::kFoxCount> AssessFixes(const core::MeasurementState& state,
                                                                   const instruments::RxReadings& readings,
                                                                   const QualitySettings& settings,
                                                                   char decimalSeparator);

// The ellipse's outline as `points` points in the UTM plane around (easting, northing), closed: the first
// point repeated at the end, so points + 1 entries. The first point is the end of the major axis in the
// direction of the azimuth; the outline runs clockwise on the map. Empty without an ellipse or for
// points < 3.
std::vector<core::PlanePoint> EllipseOutline(const FixQuality& fix, int points = 72);

}  // namespace vantrel::quality
