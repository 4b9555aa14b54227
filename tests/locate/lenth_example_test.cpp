// The estimates of Lenth's worked example (eight stations, one wild bearing) against the paper's table.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "locate/locate.hpp"
#include "test_names.hpp"

namespace vantrel::locate {
namespace {

const std::string kData = std::string(VANTREL_TESTDATA_DIR) + "/bearings/";

// The CSV rows without the '#' comments and the header.
std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ',');) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

std::vector<Bearing> Stations(bool withStationSix) {
    std::vector<Bearing> bearings;
    for (const auto& row : CsvRows(kData + "lenth1981_stations.csv")) {
        if (row.at(0) != "6" || withStationSix) {
            bearings.push_back(Bearing{std::stod(row.at(1)), std::stod(row.at(2)), std::stod(row.at(3)), {}});
        }
    }
    return bearings;
}

struct PublishedRow {
    std::string name;  // e.g. "all8_Andrews"
    bool allEight = true;
    Method method = Method::kMle;
    double x = 0, y = 0, distance = 0, sx = 0, sy = 0, rho = 0;
};

std::vector<PublishedRow> PublishedRows() {
    std::vector<PublishedRow> rows;
    for (const auto& f : CsvRows(kData + "lenth1981_results.csv")) {
        PublishedRow row;
        row.allEight = f.at(0) == "all8";
        const std::string estimator = f.at(1);
        row.method = estimator == "MLE"         ? Method::kMle
                     : estimator == "Huber-1.5" ? Method::kHuber
                                                : Method::kAndrews;
        row.name = f.at(0) + "_" + estimator.substr(0, estimator.find('-'));
        row.x = std::stod(f.at(2));
        row.y = std::stod(f.at(3));
        row.distance = std::stod(f.at(4));
        row.sx = std::stod(f.at(5));
        row.sy = std::stod(f.at(6));
        row.rho = std::stod(f.at(7));
        rows.push_back(row);
    }
    return rows;
}

class LenthExample : public ::testing::TestWithParam<PublishedRow> {};

// The paper prints the position to two decimals and the rest to three: one unit of the last digit, and
// half of it again for the rounding of the printed position that the distance was worked out from.
TEST_P(LenthExample, MatchesThePublishedTable) {
    const PublishedRow& row = GetParam();
    const std::vector<Bearing> bearings = Stations(row.allEight);
    Options options;
    options.method = row.method;
    const Outcome outcome = Locate(bearings, options);
    ASSERT_TRUE(outcome.fix.has_value()) << ReasonText(outcome.reason);
    const Fix& fix = *outcome.fix;
    EXPECT_NEAR(fix.x, row.x, 0.01);
    EXPECT_NEAR(fix.y, row.y, 0.01);
    EXPECT_NEAR(std::hypot(fix.x - 7.5, fix.y - 2.2), row.distance, 0.001);
    ASSERT_TRUE(fix.covariance.has_value());
    EXPECT_NEAR(fix.covariance->sx, row.sx, 0.001);
    EXPECT_NEAR(fix.covariance->sy, row.sy, 0.001);
    EXPECT_NEAR(fix.covariance->rho, row.rho, 0.001);
    ASSERT_TRUE(fix.kappaHat.has_value());
    ASSERT_EQ(fix.bearings.size(), bearings.size());
}

INSTANTIATE_TEST_SUITE_P(Published, LenthExample, ::testing::ValuesIn(PublishedRows()),
                         testing_support::ParamName());

}  // namespace
}  // namespace vantrel::locate
