#pragma once

// The measurement the end-to-end tests of the file commands share: stations 1 km apart on northing
// 5700000, station 1 on the central meridian of zone 32, base angles 20 and -10. Absolute bearings per fox:
// F1 45 / 315 (fix N 5700500 E 500500), F2 0 / 0 (both north-south: no fix), F3 90 / 0 (fix at station 2's
// easting on the common northing), F4 30 / 30 (parallel: no fix), F5 340 + 20 = 360, used as 0 / -45 (fix
// N 5701000 E 500000). Signals are zero; tests that need them set their own.

#include "persistence/sced_record.hpp"

namespace vantrel::testing_support {

inline persistence::ScedRecord HuntStation1() {
    persistence::ScedRecord r;
    r.North = 5700000;
    r.East = 500000;
    r.BaseAngle = 20;
    r.Ang = {25, -20, 70, 10, 340};
    return r;
}

inline persistence::ScedRecord HuntStation2() {
    persistence::ScedRecord r;
    r.North = 5700000;
    r.East = 501000;
    r.BaseAngle = -10;
    r.Ang = {325, 10, 10, 40, -35};
    return r;
}

}  // namespace vantrel::testing_support
