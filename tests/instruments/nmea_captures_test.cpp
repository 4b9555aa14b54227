// Real recordings of 36 GPS receivers: the first valid fix of each, as listed in expected.tsv (worked out
// independently and cross-checked against another decoder), must come out bit for bit, whatever the
// chunks the stream arrives in.
#include <gtest/gtest.h>

#include "file_bytes.hpp"
#include "instruments/gps_request.hpp"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::instruments {
namespace {

const std::filesystem::path kCaptures = std::filesystem::path(VANTREL_TESTDATA_DIR) / "nmea";

struct Expected {
    std::string file;
    std::string talker;  // "none" when the file has no valid fix
    double latitude = 0;
    double longitude = 0;
    int line = 0;    // 1-based line of the sentence (lines split at LF)
    int column = 0;  // 1-based byte position of its '$'
};

double ParseDouble(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<Expected> ReadExpected() {
    std::ifstream in(kCaptures / "expected.tsv");
    std::vector<Expected> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        std::string field;
        while (std::getline(stream, field, '\t')) {
            fields.push_back(field);
        }
        fields.resize(6);
        Expected e{fields[0], fields[1]};
        if (e.talker != "none") {
            e.latitude = ParseDouble(fields[2]);
            e.longitude = ParseDouble(fields[3]);
            e.line = std::stoi(fields[4]);
            e.column = std::stoi(fields[5]);
        }
        rows.push_back(e);
    }
    return rows;
}

// The text of the sentence at (line, column): up to the next '$' or the line end, CRs before the LF dropped.
std::string SentenceAt(const std::string& bytes, int line, int column) {
    std::size_t start = 0;
    for (int l = 1; l < line; ++l) {
        start = bytes.find('\n', start) + 1;
    }
    std::string text = bytes.substr(start, bytes.find('\n', start) - start);
    while (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    text = text.substr(static_cast<std::size_t>(column - 1));
    return text.substr(0, text.find('$', 1));
}

std::optional<RmcFix> FixInChunksOf(const std::string& bytes, std::size_t chunkSize) {
    GpsRequest request;
    for (std::size_t at = 0; at < bytes.size() && !request.ended(); at += chunkSize) {
        request.Feed(std::string_view(bytes).substr(at, chunkSize));
    }
    return request.fix();
}

TEST(NmeaCaptures, FirstValidFixOfEveryCaptureMatchesTheReference) {
    const std::vector<Expected> rows = ReadExpected();
    ASSERT_EQ(rows.size(), 36u);
    for (const Expected& e : rows) {
        SCOPED_TRACE(e.file);
        const std::string bytes = testing_support::ReadBytes(kCaptures / e.file);
        ASSERT_FALSE(bytes.empty());
        for (const std::size_t chunkSize : {bytes.size(), std::size_t{1}, std::size_t{7}, std::size_t{480}}) {
            SCOPED_TRACE("chunks of " + std::to_string(chunkSize));
            const auto fix = FixInChunksOf(bytes, chunkSize);
            if (e.talker == "none") {
                EXPECT_FALSE(fix.has_value());
                continue;
            }
            ASSERT_TRUE(fix.has_value());
            EXPECT_EQ(fix->latitude, e.latitude);
            EXPECT_EQ(fix->longitude, e.longitude);
            EXPECT_EQ(fix->sentence, SentenceAt(bytes, e.line, e.column));
            EXPECT_EQ(fix->sentence.substr(1, 2), e.talker);
        }
    }
}

}  // namespace
}  // namespace vantrel::instruments
