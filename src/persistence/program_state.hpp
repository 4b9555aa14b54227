#pragma once

// Everything the program holds for the whole run: the main window's measurement state and the program-wide
// values that the other windows and commands share with it.

#include "core/measurement_state.hpp"
#include "instruments/rx_readings.hpp"
#include "persistence/sced_record.hpp"
#include "persistence/settings.hpp"

namespace vantrel::persistence {

struct ProgramState {
    core::MeasurementState main;         // MainFrm's boxes and fields
    Settings settings;                   // the seven settings of Vantrel.ini
    instruments::RxReadings RxReadings;  // the bearing table
    int RxStation = 0;                   // 0 for station 1, 1 for station 2
    ScedRecord ScedRec1;                 // station records of the last Save, Open or Import
    ScedRecord ScedRec2;

    friend bool operator==(const ProgramState&, const ProgramState&) = default;
};

}  // namespace vantrel::persistence
