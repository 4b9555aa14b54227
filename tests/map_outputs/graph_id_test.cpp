// What the database view's "Graph ID" box stores.
#include <gtest/gtest.h>

#include <ostream>

#include "map_outputs/object_browser.hpp"
#include "test_names.hpp"

namespace vantrel::map_outputs {
namespace {

struct GraphIdCase {
    const char* name;
    friend void PrintTo(const GraphIdCase& c, std::ostream* os) { *os << c.name; }
    const char* text;
    FieldValue expected;  // monostate for NULL
};

class GraphIdAccepted : public testing::TestWithParam<GraphIdCase> {};

TEST_P(GraphIdAccepted, StoresTheNumber) {
    const auto value = GraphIdValue(GetParam().text);
    ASSERT_TRUE(value.ok()) << value.message();
    EXPECT_EQ(*value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Boxes, GraphIdAccepted,
                         testing::Values(GraphIdCase{"EmptyIsNull", "", std::monostate{}},
                                         GraphIdCase{"BlanksAreNull", "  ", std::monostate{}},
                                         GraphIdCase{"Plain", "25", std::int64_t{25}},
                                         GraphIdCase{"BlanksAround", " 29 ", std::int64_t{29}},
                                         GraphIdCase{"PlusSign", "+7", std::int64_t{7}},
                                         GraphIdCase{"SmallestInteger", "-32768", std::int64_t{-32768}},
                                         GraphIdCase{"LargestInteger", "32767", std::int64_t{32767}}),
                         testing_support::ParamName{});

class GraphIdRefused : public testing::TestWithParam<const char*> {};

TEST_P(GraphIdRefused, NamesTheBoxAndTheText) {
    const auto value = GraphIdValue(GetParam());
    ASSERT_FALSE(value.ok());
    EXPECT_EQ(value.message(),
              std::string("Graph ID must be a whole number from -32768 to 32767: \"") + GetParam() + "\"");
}

INSTANTIATE_TEST_SUITE_P(Boxes, GraphIdRefused,
                         testing::Values("32768", "-32769", "2.5", "abc", "1e3", "+", "-", "25x",
                                         "9999999999999999999"));

}  // namespace
}  // namespace vantrel::map_outputs
