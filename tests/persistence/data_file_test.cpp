// The measurement data file layouts against byte sequences built by hand. Bit patterns of the Doubles were
// worked out by hand (sign, exponent 1023 + e, mantissa) and checked with Python's struct module.
#include "persistence/data_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "test_names.hpp"

namespace vantrel::persistence {
namespace {

// `count` bytes of `bits`, lowest first.
std::string Le(std::uint64_t bits, int count = 8) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    return out;
}

constexpr std::uint64_t kOne = 0x3FF0000000000000;
constexpr std::uint64_t kTwo = 0x4000000000000000;
constexpr std::uint64_t kThree = 0x4008000000000000;
constexpr std::uint64_t kFour = 0x4010000000000000;
constexpr std::uint64_t kFive = 0x4014000000000000;
constexpr std::uint64_t kEight = 0x4020000000000000;
constexpr std::uint64_t kSixteen = 0x4030000000000000;
constexpr std::uint64_t kHalf = 0x3FE0000000000000;
constexpr std::uint64_t kQuarter = 0x3FD0000000000000;
constexpr std::uint64_t kMinusOne = 0xBFF0000000000000;
constexpr std::uint64_t kMinusHalf = 0xBFE0000000000000;
constexpr std::uint64_t kMinusTwo = 0xC000000000000000;
constexpr std::uint64_t kNaN = 0x7FF8000000000000;
constexpr std::uint64_t kInfinity = 0x7FF0000000000000;

ScedRecord SampleRecord() {
    ScedRecord r;
    r.Flag = -2;
    r.North = 5700000;
    r.East = 0.5;
    r.BaseAngle = -2;
    r.Ang = {1, 2, 3, 4, 5};
    r.Sig = {-1, -0.5, 0.25, 8, 16};
    return r;
}

// Flag -2 is FE FF; 5,700,000 = 1.0101101111100110100 x 2^22, so 0x4155BE68_00000000.
const std::string kSampleRecordBytes =
    std::string("\xFE\xFF", 2) + std::string("\0\0\0\0\x68\xBE\x55\x41", 8) + Le(kHalf) + Le(kMinusTwo) +
    Le(kOne) + Le(kTwo) + Le(kThree) + Le(kFour) + Le(kFive) + Le(kMinusOne) + Le(kMinusHalf) + Le(kQuarter) +
    Le(kEight) + Le(kSixteen);

TEST(ScedRecordBytes, FieldsPackedLittleEndianWithoutPadding) {
    ASSERT_EQ(kSampleRecordBytes.size(), 106U);
    EXPECT_EQ(EncodeScedRecord(SampleRecord()), kSampleRecordBytes);
    const auto decoded = DecodeScedRecord(kSampleRecordBytes);
    ASSERT_TRUE(decoded) << decoded.message();
    EXPECT_EQ(*decoded, SampleRecord());
}

TEST(ScedRecordBytes, FieldOffsets) {
    // Each field alone set to 1.0: its eight bytes must appear at its offset.
    const struct {
        double ScedRecord::*field;
        std::size_t offset;
    } scalars[] = {{&ScedRecord::North, 2}, {&ScedRecord::East, 10}, {&ScedRecord::BaseAngle, 18}};
    for (const auto& s : scalars) {
        ScedRecord r;
        r.*s.field = 1;
        std::string expected(106, '\0');
        expected.replace(s.offset, 8, Le(kOne));
        EXPECT_EQ(EncodeScedRecord(r), expected) << "offset " << s.offset;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        ScedRecord r;
        r.Ang[i] = 1;
        r.Sig[i] = -1;
        std::string expected(106, '\0');
        expected.replace(26 + 8 * i, 8, Le(kOne));
        expected.replace(66 + 8 * i, 8, Le(kMinusOne));
        EXPECT_EQ(EncodeScedRecord(r), expected) << "fox " << i;
    }
}

instruments::RxReadings SampleReadings() {
    instruments::RxReadings t;
    t(0, 0, 0) = {1, -1, 1};
    t(0, 0, 29) = {2, -0.5, 1};
    t(0, 1, 0) = {3, 0.25, 0};
    t(1, 0, 0) = {4, 8, -1};
    t(1, 4, 29) = {5, 16, 7};
    // Outside what the file holds: never written.
    t(2, 0, 0) = {9, 9, 1};
    t(0, 5, 0) = {9, 9, 1};
    t(0, 0, 30) = {9, 9, 1};
    return t;
}

std::string Entry(std::uint64_t angle, std::uint64_t signal, std::uint64_t valid) {
    return Le(angle) + Le(signal) + Le(valid, 2);
}

// The whole file by hand: slot k (1-based) at 128 (k - 1); entry n = 150 s + 30 f + r in slot 3 + n.
std::string SampleFile() {
    std::string file(38656, '\0');
    file.replace(0, 106, kSampleRecordBytes);
    file.replace(256, 18, Entry(kOne, kMinusOne, 1));       // slot 3: (0,0,0)
    file.replace(3968, 18, Entry(kTwo, kMinusHalf, 1));     // slot 32: (0,0,29)
    file.replace(4096, 18, Entry(kThree, kQuarter, 0));     // slot 33: (0,1,0)
    file.replace(19456, 18, Entry(kFour, kEight, 0xFFFF));  // slot 153: (1,0,0), Valid -1
    file.replace(38528, 18, Entry(kFive, kSixteen, 7));     // slot 302: (1,4,29)
    return file;
}

TEST(DataFileBytes, SlotsHoldRecordsThenEntriesStationFoxRow) {
    EXPECT_EQ(ReadingEntryIndex(0, 1, 0), 30U);
    EXPECT_EQ(ReadingEntryIndex(1, 4, 29), 299U);
    const std::string bytes = EncodeDataFile(SampleRecord(), ScedRecord{}, SampleReadings());
    ASSERT_EQ(bytes.size(), 38656U);
    EXPECT_EQ(bytes, SampleFile());
}

TEST(DataFileBytes, DecodesFullAndShortFormAndIgnoresFillerAndTail) {
    std::string full = SampleFile();
    full[106] = '\x55';  // filler after record 1
    full[300] = '\xAA';  // filler after the first entry
    const std::string shortForm = full.substr(0, 38546);
    const std::string longer = full + std::string(500, '\x7F');
    for (const std::string* bytes : std::initializer_list<const std::string*>{&full, &shortForm, &longer}) {
        const auto content = DecodeDataFile(*bytes);
        ASSERT_TRUE(content) << content.message();
        EXPECT_EQ(content->stations.first, SampleRecord());
        EXPECT_EQ(content->stations.second, ScedRecord{});
        EXPECT_EQ(content->readings(1, 0, 0), (instruments::RxReading{4, 8, -1}));  // Valid kept as stored
        EXPECT_EQ(content->readings(1, 4, 29), (instruments::RxReading{5, 16, 7}));
        EXPECT_EQ(content->readings(2, 0, 0), instruments::RxReading{});
        EXPECT_EQ(content->readings(0, 0, 30), instruments::RxReading{});
    }
    auto expected = SampleReadings();
    expected(2, 0, 0) = expected(0, 5, 0) = expected(0, 0, 30) = {};
    EXPECT_EQ(DecodeDataFile(full)->readings, expected);
}

struct RefusalCase {
    const char* name;
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
    std::size_t length;       // of the sample file kept
    std::size_t patchOffset;  // where 8 bytes are replaced, or npos
    std::uint64_t patch;
    const char* message;
};

class DataFileRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(DataFileRefusalTest, SaysWhatIsWrong) {
    const RefusalCase& c = GetParam();
    std::string bytes = SampleFile().substr(0, c.length);
    if (c.patchOffset != std::string::npos) {
        bytes.replace(c.patchOffset, 8, Le(c.patch));
    }
    const auto content = DecodeDataFile(bytes);
    ASSERT_FALSE(content);
    EXPECT_EQ(content.message(), c.message);
}

constexpr std::size_t kNoPatch = std::string::npos;
INSTANTIATE_TEST_SUITE_P(
    Refusals, DataFileRefusalTest,
    testing::Values(RefusalCase{"Empty", 0, kNoPatch, 0,
                                "it is 0 bytes long; a measurement data file has at least 38546 bytes"},
                    RefusalCase{"OneByteShort", 38545, kNoPatch, 0,
                                "it is 38545 bytes long; a measurement data file has at least 38546 bytes"},
                    RefusalCase{"LegacyFileOpenedAsData", 212, kNoPatch, 0,
                                "it is 212 bytes long; a measurement data file has at least 38546 bytes"},
                    RefusalCase{"NaNNorthOfStation2", 38656, 130, kNaN,
                                "station 2, North (byte 130) is not a finite number"},
                    RefusalCase{"InfiniteSig4OfStation1", 38656, 98, kInfinity,
                                "station 1, Sig(4) (byte 98) is not a finite number"},
                    RefusalCase{"NegativeInfinityInLastSignal", 38546, 38536, kInfinity | (1ULL << 63),
                                "RxReadings(1,4,29), Signal (byte 38536) is not a finite number"},
                    RefusalCase{"NaNInAnEmptyEntry", 38656, 256 + 128 * 31, kNaN,
                                "RxReadings(0,1,1), Angle (byte 4224) is not a finite number"}),
    testing_support::ParamName{});

TEST(DataFileBytes, NonFiniteFillerIsIgnored) {
    std::string bytes = SampleFile();
    bytes.replace(120, 8, Le(kNaN));
    bytes.replace(256 + 18, 8, Le(kNaN));
    EXPECT_TRUE(DecodeDataFile(bytes));
}

TEST(ImportFileBytes, TwoRecordsBackToBack) {
    ScedRecord second = SampleRecord();
    second.Flag = 1;
    second.Ang[2] = 123.5;
    const std::string bytes = kSampleRecordBytes + std::string("\x01\x00", 2) +
                              kSampleRecordBytes.substr(2, 40) + Le(0x405EE00000000000) +
                              kSampleRecordBytes.substr(50);  // Ang(2) = 123.5
    ASSERT_EQ(bytes.size(), 212U);
    const auto records = DecodeImportFile(bytes);
    ASSERT_TRUE(records) << records.message();
    EXPECT_EQ(records->first, SampleRecord());
    EXPECT_EQ(records->second, second);
    EXPECT_EQ(DecodeImportFile(bytes.substr(0, 211)).message(),
              "it is 211 bytes long; a legacy data file has exactly 212 bytes");
    // Anything longer is not a legacy file either; the two lengths of a .fh2 are named as such.
    EXPECT_EQ(DecodeImportFile(bytes + "tail").message(),
              "it is 216 bytes long; a legacy data file has exactly 212 bytes");
    const std::string fh2Suggestion =
        " bytes long; a legacy data file has exactly 212 bytes. That is the length of a measurement data "
        "file (.fh2): open it with File > Open";
    for (const std::size_t fh2Length : {38546U, 38656U}) {
        EXPECT_EQ(DecodeImportFile(bytes + std::string(fh2Length - 212, '\0')).message(),
                  "it is " + std::to_string(fh2Length) + fh2Suggestion);
    }
    std::string bad = bytes;
    bad.replace(106 + 10, 8, Le(kNaN));
    EXPECT_EQ(DecodeImportFile(bad).message(), "station 2, East (byte 116) is not a finite number");
}

}  // namespace
}  // namespace vantrel::persistence
