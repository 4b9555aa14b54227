#pragma once

// File > Save, File > Open and File > Import over the program state. Each command checks everything before
// it changes anything: a command that fails leaves the state, the data file and the settings file as they
// were, and says why in its outcome (naming the box or the file). Success is silent.
//
// The file work is separate from the settings update, so that vantrel-cli runs the very same file code
// without touching the user's settings file: WriteDataFile / ReadDataFile / ReadImportFile do the file work,
// SaveDataFile / OpenDataFile add `Last Used Filename` and PutIniData.

#include <filesystem>

#include "core/outcome.hpp"
#include "persistence/program_state.hpp"

namespace vantrel::persistence {

// Save's file work. Reads the 26 station boxes with the regional reading, in this order: Sced1Lat,
// Sced1Lon, Sced2Lat, Sced2Lon, then per station the base angle, Ang(0..4), Sig(0..4); the first box that
// is not a number stops it with a message naming the box. Then writes the whole file atomically (exactly
// kDataFileSize bytes; an existing file is replaced whole, and stays as it was when the write fails).
// On success: ScedNorth/ScedEast hold the positions read, ScedRec1/ScedRec2 the records written (Flag 1),
// DataFileName the path.
core::Outcome WriteDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator);

// File > Save after the dialog: WriteDataFile, then `Last Used Filename` = path and PutIniData(iniPath).
// When only the settings file cannot be written the measurement is saved, and the message says both.
core::Outcome SaveDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator,
                           const std::filesystem::path& iniPath);

// Open's file work. Reads the whole ".fh2" and applies it only when it is sound: both station records
// into ScedRec1/ScedRec2, ScedNorth/ScedEast and the 26 station boxes (the default text form with the
// given separator), the 300 stored readings into RxReadings, and the path into DataFileName. The zone
// boxes, the results, FoxNorth/FoxEast and ResultsValid stay as they were. A missing or unreadable file,
// one shorter than kShortestDataFileSize bytes or one holding a non-finite Double is refused with a message
// naming the file and what is wrong; nothing changes.
core::Outcome ReadDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator);

// File > Open after the dialog: ReadDataFile, then `Last Used Filename` = path and PutIniData(iniPath).
core::Outcome OpenDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator,
                           const std::filesystem::path& iniPath);

// File > Import after the dialog: reads a legacy ".fhd" (at least kImportFileSize bytes) like
// ReadDataFile, but only the two stations: the readings table and the settings are not touched.
core::Outcome ReadImportFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator);

}  // namespace vantrel::persistence
