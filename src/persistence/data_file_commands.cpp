#include "persistence/data_file_commands.hpp"

#include <array>
#include <cmath>
#include <vector>

#include "core/number_text.hpp"
#include "persistence/atomic_file.hpp"
#include "persistence/data_file.hpp"
#include "persistence/path_text.hpp"

namespace vantrel::persistence {
namespace {

using core::BoxId;
using core::BoxKind;

// The order in which Save reads the boxes: the four positions, then each station's angles and signals.
std::vector<BoxId> SaveReadingOrder() {
    std::vector<BoxId> ids{{1, BoxKind::Northing, 0},
                           {1, BoxKind::Easting, 0},
                           {2, BoxKind::Northing, 0},
                           {2, BoxKind::Easting, 0}};
    for (int station = 1; station <= core::kStationCount; ++station) {
        ids.push_back({station, BoxKind::BaseAngle, 0});
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            ids.push_back({station, BoxKind::Bearing, fox});
        }
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            ids.push_back({station, BoxKind::Signal, fox});
        }
    }
    return ids;
}

// One station's record (Flag 1) from the values read, its position given.
ScedRecord RecordFromBoxes(const std::vector<double>& values, std::size_t first, double north, double east) {
    ScedRecord record;
    record.Flag = 1;
    record.North = north;
    record.East = east;
    record.BaseAngle = values[first];
    for (std::size_t i = 0; i < record.Ang.size(); ++i) {
        record.Ang[i] = values[first + 1 + i];
        record.Sig[i] = values[first + 1 + record.Ang.size() + i];
    }
    return record;
}

// A reading that no file could hold back (only possible if something upstream went wrong).
std::string NonFiniteReading(const instruments::RxReadings& readings) {
    for (int station = 0; station < instruments::RxReadings::kUsedStations; ++station) {
        for (int fox = 0; fox < instruments::RxReadings::kUsedFoxes; ++fox) {
            for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
                const auto& r = readings(station, fox, row);
                if (!std::isfinite(r.Angle) || !std::isfinite(r.Signal)) {
                    return "Scedule " + std::to_string(station + 1) + ", F" + std::to_string(fox + 1) +
                           " reading " + std::to_string(row + 1) + " is not a finite number";
                }
            }
        }
    }
    return {};
}

std::string PathText(const std::filesystem::path& path) {
    return Utf8FromPath(path);
}

core::Outcome ReadFailure(const std::filesystem::path& path, const std::string& what) {
    return core::Outcome::Fail("Could not read \"" + DisplayPath(path) + "\": " + what + ".");
}

// The station part of Open and Import: records, stored positions and the 26 boxes.
void ApplyStations(ProgramState& state, const StationRecords& stations, char decimalSeparator) {
    core::MeasurementState& main = state.main;
    const auto text = [decimalSeparator](double value) { return core::DefaultText(value, decimalSeparator); };
    state.ScedRec1 = stations.first;
    state.ScedRec2 = stations.second;
    const std::array<const ScedRecord*, core::kStationCount> records{&stations.first, &stations.second};
    for (int station = 1; station <= core::kStationCount; ++station) {
        const ScedRecord& record = *records[static_cast<std::size_t>(station - 1)];
        main.ScedNorth[static_cast<std::size_t>(station - 1)] = record.North;
        main.ScedEast[static_cast<std::size_t>(station - 1)] = record.East;
        core::Box(main, {station, BoxKind::BaseAngle, 0}) = text(record.BaseAngle);
        for (int fox = 0; fox < core::kFoxCount; ++fox) {
            const auto i = static_cast<std::size_t>(fox);
            core::Box(main, {station, BoxKind::Bearing, fox}) = text(record.Ang[i]);
            core::Box(main, {station, BoxKind::Signal, fox}) = text(record.Sig[i]);
        }
    }
    for (int station = 1; station <= core::kStationCount; ++station) {
        const auto s = static_cast<std::size_t>(station - 1);
        core::Box(main, {station, BoxKind::Northing, 0}) = text(main.ScedNorth[s]);
        core::Box(main, {station, BoxKind::Easting, 0}) = text(main.ScedEast[s]);
    }
}

void ApplyStoredReadings(instruments::RxReadings& target, const instruments::RxReadings& source) {
    for (int station = 0; station < instruments::RxReadings::kUsedStations; ++station) {
        for (int fox = 0; fox < instruments::RxReadings::kUsedFoxes; ++fox) {
            for (int row = 0; row < instruments::RxReadings::kUsedRows; ++row) {
                target(station, fox, row) = source(station, fox, row);
            }
        }
    }
}

core::Outcome RememberLastUsedFile(ProgramState& state, const std::filesystem::path& path,
                                   const std::filesystem::path& iniPath, const char* done) {
    state.settings.LastUsedFilename = PathText(path);
    const core::Outcome written = PutIniData(state.settings, iniPath);
    if (!written) {
        return core::Outcome::Fail(std::string(done) + " \"" + DisplayPath(path) +
                                   "\", but the settings file was not updated. " + written.message());
    }
    return core::Outcome::Ok();
}

}  // namespace

core::Outcome WriteDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator) {
    const auto values = core::ReadBoxes(state.main, SaveReadingOrder(), decimalSeparator);
    if (!values) {
        return values.outcome();
    }
    if (const std::string bad = NonFiniteReading(state.RxReadings); !bad.empty()) {
        return core::Outcome::Fail("Could not save: " + bad + ".");
    }
    const std::vector<double>& v = *values;
    constexpr std::size_t kStation1 = 4;
    constexpr std::size_t kStation2 = kStation1 + 1 + 2 * core::kFoxCount;
    const ScedRecord rec1 = RecordFromBoxes(v, kStation1, v[0], v[1]);
    const ScedRecord rec2 = RecordFromBoxes(v, kStation2, v[2], v[3]);
    const core::Outcome written = WriteFileAtomically(path, EncodeDataFile(rec1, rec2, state.RxReadings));
    if (!written) {
        return written;
    }
    state.main.ScedNorth = {rec1.North, rec2.North};
    state.main.ScedEast = {rec1.East, rec2.East};
    state.ScedRec1 = rec1;
    state.ScedRec2 = rec2;
    state.main.DataFileName = PathText(path);
    return core::Outcome::Ok();
}

core::Outcome SaveDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator,
                           const std::filesystem::path& iniPath) {
    const core::Outcome saved = WriteDataFile(state, path, decimalSeparator);
    if (!saved) {
        return saved;
    }
    return RememberLastUsedFile(state, path, iniPath, "The measurement was saved to");
}

core::Outcome ReadDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator) {
    // What follows the last slot is ignored, so it is not read either.
    const auto head = ReadFileHead(path, kDataFileSize);
    if (!head) {
        return head.outcome();
    }
    const auto content = DecodeDataFile(head->bytes);
    if (!content) {
        return ReadFailure(path, content.message());
    }
    ApplyStations(state, content->stations, decimalSeparator);
    ApplyStoredReadings(state.RxReadings, content->readings);
    state.main.DataFileName = PathText(path);
    return core::Outcome::Ok();
}

core::Outcome OpenDataFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator,
                           const std::filesystem::path& iniPath) {
    const core::Outcome read = ReadDataFile(state, path, decimalSeparator);
    if (!read) {
        return read;
    }
    return RememberLastUsedFile(state, path, iniPath, "The measurement was read from");
}

core::Outcome ReadImportFile(ProgramState& state, const std::filesystem::path& path, char decimalSeparator) {
    const auto head = ReadFileHead(path, kImportFileSize);
    if (!head) {
        return head.outcome();
    }
    if (const std::string problem = ImportFileLengthProblem(head->size); !problem.empty()) {
        return ReadFailure(path, problem);
    }
    const auto stations = DecodeImportFile(head->bytes);
    if (!stations) {
        return ReadFailure(path, stations.message());
    }
    ApplyStations(state, *stations, decimalSeparator);
    state.main.DataFileName = PathText(path);
    return core::Outcome::Ok();
}

}  // namespace vantrel::persistence
