#include "persistence/data_file.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

namespace vantrel::persistence {
namespace {

using instruments::RxReading;
using instruments::RxReadings;

constexpr std::size_t kNorthOffset = 2;
constexpr std::size_t kEastOffset = 10;
constexpr std::size_t kBaseAngleOffset = 18;
constexpr std::size_t kAngOffset = 26;
constexpr std::size_t kSigOffset = 66;
constexpr std::size_t kSignalOffset = 8;
constexpr std::size_t kValidOffset = 16;

void PutLittleEndian(std::string& out, std::uint64_t bits, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        out.push_back(static_cast<char>(static_cast<unsigned char>(bits & 0xFFU)));
        bits >>= 8U;
    }
}

void PutInt16(std::string& out, std::int16_t value) {
    PutLittleEndian(out, static_cast<std::uint16_t>(value), 2);
}

void PutDouble(std::string& out, double value) {
    PutLittleEndian(out, std::bit_cast<std::uint64_t>(value), 8);
}

std::uint64_t GetLittleEndian(std::string_view bytes, std::size_t offset, int byteCount) {
    std::uint64_t bits = 0;
    for (int i = byteCount - 1; i >= 0; --i) {
        bits = (bits << 8U) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return bits;
}

// Reads fields of one file at known offsets; a refusal names the field and its byte offset in the file.
class FieldReader {
  public:
    FieldReader(std::string_view bytes, std::size_t fileOffset) : bytes_(bytes), fileOffset_(fileOffset) {}

    std::int16_t Int16(std::size_t offset) const {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(GetLittleEndian(bytes_, offset, 2)));
    }

    // Stores the value in `out`, or notes the first non-finite field and leaves `out` alone.
    void Double(std::size_t offset, double& out, const std::string& name) {
        const double value = std::bit_cast<double>(GetLittleEndian(bytes_, offset, 8));
        if (!std::isfinite(value)) {
            if (failure_.empty()) {
                failure_ =
                    name + " (byte " + std::to_string(fileOffset_ + offset) + ") is not a finite number";
            }
            return;
        }
        out = value;
    }

    [[nodiscard]] const std::string& failure() const { return failure_; }

  private:
    std::string_view bytes_;
    std::size_t fileOffset_;
    std::string failure_;
};

core::Result<ScedRecord> DecodeScedRecordAt(std::string_view bytes, std::size_t fileOffset,
                                            std::string_view what) {
    const std::string prefix = std::string(what) + ", ";
    FieldReader reader(bytes, fileOffset);
    ScedRecord record;
    record.Flag = reader.Int16(0);
    reader.Double(kNorthOffset, record.North, prefix + "North");
    reader.Double(kEastOffset, record.East, prefix + "East");
    reader.Double(kBaseAngleOffset, record.BaseAngle, prefix + "BaseAngle");
    for (std::size_t i = 0; i < record.Ang.size(); ++i) {
        reader.Double(kAngOffset + 8 * i, record.Ang[i], prefix + "Ang(" + std::to_string(i) + ")");
    }
    for (std::size_t i = 0; i < record.Sig.size(); ++i) {
        reader.Double(kSigOffset + 8 * i, record.Sig[i], prefix + "Sig(" + std::to_string(i) + ")");
    }
    if (!reader.failure().empty()) {
        return core::Result<ScedRecord>::Fail(reader.failure());
    }
    return record;
}

std::string TooShort(std::size_t size, std::string_view kind, std::size_t needed) {
    return "it is " + std::to_string(size) + " bytes long; " + std::string(kind) + " has at least " +
           std::to_string(needed) + " bytes";
}

std::string EncodeReadingEntry(const RxReading& reading) {
    std::string out;
    PutDouble(out, reading.Angle);
    PutDouble(out, reading.Signal);
    PutInt16(out, reading.Valid);
    return out;
}

std::string EntryName(int station, int fox, int row) {
    return "RxReadings(" + std::to_string(station) + "," + std::to_string(fox) + "," + std::to_string(row) +
           ")";
}

// Calls visit(station, fox, row) in file order.
template <class Visit>
void ForEachStoredEntry(Visit visit) {
    for (int station = 0; station < RxReadings::kUsedStations; ++station) {
        for (int fox = 0; fox < RxReadings::kUsedFoxes; ++fox) {
            for (int row = 0; row < RxReadings::kUsedRows; ++row) {
                visit(station, fox, row);
            }
        }
    }
}

std::size_t EntryOffset(int station, int fox, int row) {
    return (2 + ReadingEntryIndex(station, fox, row)) * kSlotSize;
}

}  // namespace

std::size_t ReadingEntryIndex(int station, int fox, int row) {
    return static_cast<std::size_t>(150 * station + 30 * fox + row);
}

std::string EncodeScedRecord(const ScedRecord& record) {
    std::string out;
    out.reserve(kScedRecordSize);
    PutInt16(out, record.Flag);
    PutDouble(out, record.North);
    PutDouble(out, record.East);
    PutDouble(out, record.BaseAngle);
    for (const double ang : record.Ang) {
        PutDouble(out, ang);
    }
    for (const double sig : record.Sig) {
        PutDouble(out, sig);
    }
    return out;
}

core::Result<ScedRecord> DecodeScedRecord(std::string_view bytes, std::string_view what) {
    if (bytes.size() < kScedRecordSize) {
        return core::Result<ScedRecord>::Fail(TooShort(bytes.size(), "a station record", kScedRecordSize));
    }
    return DecodeScedRecordAt(bytes.substr(0, kScedRecordSize), 0, what);
}

std::string EncodeDataFile(const ScedRecord& station1, const ScedRecord& station2,
                           const RxReadings& readings) {
    std::string out(kDataFileSize, '\0');
    const auto place = [&out](std::size_t offset, const std::string& bytes) {
        out.replace(offset, bytes.size(), bytes);
    };
    place(0, EncodeScedRecord(station1));
    place(kSlotSize, EncodeScedRecord(station2));
    ForEachStoredEntry([&](int station, int fox, int row) {
        place(EntryOffset(station, fox, row), EncodeReadingEntry(readings(station, fox, row)));
    });
    return out;
}

core::Result<DataFileContent> DecodeDataFile(std::string_view bytes) {
    if (bytes.size() < kShortestDataFileSize) {
        return core::Result<DataFileContent>::Fail(
            TooShort(bytes.size(), "a measurement data file", kShortestDataFileSize));
    }
    DataFileContent content;
    auto first = DecodeScedRecordAt(bytes.substr(0, kScedRecordSize), 0, "station 1");
    if (!first) {
        return first.outcome();
    }
    auto second = DecodeScedRecordAt(bytes.substr(kSlotSize, kScedRecordSize), kSlotSize, "station 2");
    if (!second) {
        return second.outcome();
    }
    content.stations = {*first, *second};
    std::string failure;
    ForEachStoredEntry([&](int station, int fox, int row) {
        const std::size_t offset = EntryOffset(station, fox, row);
        FieldReader reader(bytes.substr(offset, kReadingEntrySize), offset);
        RxReading& reading = content.readings(station, fox, row);
        const std::string name = EntryName(station, fox, row);
        reader.Double(0, reading.Angle, name + ", Angle");
        reader.Double(kSignalOffset, reading.Signal, name + ", Signal");
        reading.Valid = reader.Int16(kValidOffset);
        if (failure.empty()) {
            failure = reader.failure();
        }
    });
    if (!failure.empty()) {
        return core::Result<DataFileContent>::Fail(failure);
    }
    return content;
}

std::string ImportFileLengthProblem(std::uintmax_t size) {
    if (size == kImportFileSize) {
        return {};
    }
    std::string problem = "it is " + std::to_string(size) + " bytes long; a legacy data file has exactly " +
                          std::to_string(kImportFileSize) + " bytes";
    if (size >= kShortestDataFileSize && size <= kDataFileSize) {
        problem += ". That is the length of a measurement data file (.fh2): open it with File > Open";
    }
    return problem;
}

core::Result<StationRecords> DecodeImportFile(std::string_view bytes) {
    if (std::string problem = ImportFileLengthProblem(bytes.size()); !problem.empty()) {
        return core::Result<StationRecords>::Fail(std::move(problem));
    }
    auto first = DecodeScedRecordAt(bytes.substr(0, kScedRecordSize), 0, "station 1");
    if (!first) {
        return first.outcome();
    }
    auto second =
        DecodeScedRecordAt(bytes.substr(kScedRecordSize, kScedRecordSize), kScedRecordSize, "station 2");
    if (!second) {
        return second.outcome();
    }
    return StationRecords{*first, *second};
}

}  // namespace vantrel::persistence
