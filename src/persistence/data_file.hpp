#pragma once

// The byte layout of the measurement data files, as pure functions over bytes (no files, no state), so they
// can be tested against hand-built byte sequences and fed arbitrary input.
//
// ".fh2" (written and read): slots of 128 bytes. Slot 1 (offset 0) holds the station 1 record, slot 2
// (offset 128) the station 2 record, slots 3..302 the reading entries RxReadings(s, f, r) for station
// s = 0..1, fox f = 0..4, row r = 0..29 at offset 256 + 128 * n with n = 150 s + 30 f + r. Each record starts
// its slot; the rest of a slot is filler (written as zero bytes, ignored on reading). A complete file is
// 38,656 bytes; a file that ends right after the last entry (38,546 bytes) is read as well.
//
// ".fhd" (read only): the two station records back to back, exactly 212 bytes. A file of any other length
// is refused: read as a legacy file, a ".fh2" renamed (or anything else) would give nonsense positions.
//
// Station record, 106 bytes: Flag int16 at 0, North at 2, East at 10, BaseAngle at 18, Ang(i) at 26 + 8 i,
// Sig(i) at 66 + 8 i. Reading entry, 18 bytes: Angle at 0, Signal at 8, Valid int16 at 16. Every number is
// little-endian; Doubles are IEEE 754 binary64, integers two's complement. The bytes are put together one
// by one, so the layout does not depend on the compiler's padding or on the host's byte order.
//
// The decoders refuse input that is too short and any Double that is not finite (NaN or infinity), because
// no box could show such a value and nothing the program computes can continue with it. Longer ".fh2"
// input is accepted; what follows is ignored. Flag and Valid are kept as stored.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/outcome.hpp"
#include "instruments/rx_readings.hpp"
#include "persistence/sced_record.hpp"

namespace vantrel::persistence {

inline constexpr std::size_t kScedRecordSize = 106;
inline constexpr std::size_t kReadingEntrySize = 18;
inline constexpr std::size_t kSlotSize = 128;
inline constexpr std::size_t kReadingEntryCount = 300;
inline constexpr std::size_t kDataFileSize = (2 + kReadingEntryCount) * kSlotSize;                   // 38,656
inline constexpr std::size_t kShortestDataFileSize = kDataFileSize - kSlotSize + kReadingEntrySize;  // 38,546
inline constexpr std::size_t kImportFileSize = 2 * kScedRecordSize;                                  // 212

// The two station records of a file; `first` is station 1.
struct StationRecords {
    ScedRecord first;
    ScedRecord second;
};

// Everything a ".fh2" holds. Elements of `readings` outside the stored range (station 2, fox 5, row 30)
// are zero.
struct DataFileContent {
    StationRecords stations;
    instruments::RxReadings readings;
};

// The slot index n of RxReadings(station, fox, row) among the 300 entries: 150 s + 30 f + r.
std::size_t ReadingEntryIndex(int station, int fox, int row);

// Exactly kScedRecordSize bytes.
std::string EncodeScedRecord(const ScedRecord& record);

// Reads the first kScedRecordSize bytes. `what` names the record in a refusal ("station 1").
core::Result<ScedRecord> DecodeScedRecord(std::string_view bytes, std::string_view what = "the record");

// Exactly kDataFileSize bytes: both records, the 300 stored entries, zero filler.
std::string EncodeDataFile(const ScedRecord& station1, const ScedRecord& station2,
                           const instruments::RxReadings& readings);

// A ".fh2" of at least kShortestDataFileSize bytes. The message says what is wrong, without the file name
// ("it is 100 bytes long, ...", "station 2, North is not a finite number ...").
core::Result<DataFileContent> DecodeDataFile(std::string_view bytes);

// A ".fhd" of exactly kImportFileSize bytes; refusals as for DecodeDataFile.
core::Result<StationRecords> DecodeImportFile(std::string_view bytes);

// Why a legacy file of `size` bytes cannot be imported, or empty when it has the right length. A length a
// ".fh2" has is named as such, with the command that opens it.
std::string ImportFileLengthProblem(std::uintmax_t size);

}  // namespace vantrel::persistence
