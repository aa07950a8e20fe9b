#include "interlock/int_rule.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace interlock {
namespace {

struct IntCase {
    const char* text;
    std::optional<int32_t> value;
};

class ParseIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseIntTest, ConvertsWholeTextOrFails) {
    const IntCase& c = GetParam();
    EXPECT_EQ(ParseInt(c.text), c.value) << "text: [" << c.text << "]";
    // The range test reads plain decimal texts on a shorter path; it must agree with the rule.
    for (auto [lo, hi] : {std::pair{1, 256}, std::pair{INT32_MIN, INT32_MAX}, std::pair{0, 0}}) {
        const bool inRange = c.value && *c.value >= lo && *c.value <= hi;
        int32_t v = -77;
        EXPECT_EQ(IsIntInRange(c.text, lo, hi, &v), inRange)
            << "text: [" << c.text << "] " << lo << ".." << hi;
        EXPECT_EQ(v, inRange ? *c.value : -77);
    }
}

INSTANTIATE_TEST_SUITE_P(
    IntegerRule, ParseIntTest,
    ::testing::Values(
        // decimal, blanks and sign
        IntCase{"5", 5}, IntCase{"  5", 5}, IntCase{"+5", 5}, IntCase{"-5", -5}, IntCase{"007", 7},
        IntCase{"5 ", std::nullopt}, IntCase{" ", std::nullopt}, IntCase{"", std::nullopt},
        IntCase{"+", std::nullopt}, IntCase{"- 5", std::nullopt}, IntCase{"\t5", std::nullopt},
        IntCase{"5a", std::nullopt}, IntCase{"1.0", std::nullopt}, IntCase{"-0", 0}, IntCase{"+3", 3},
        IntCase{"999999999", 999999999}, IntCase{"1000000000", 1000000000}, IntCase{"0000000000256", 256},
        IntCase{"25 6", std::nullopt}, IntCase{"2$", std::nullopt},
        // hexadecimal prefixes
        IntCase{"$A", 10}, IntCase{"xff", 255}, IntCase{"X10", 16}, IntCase{"0x1F", 31}, IntCase{"0X1f", 31},
        IntCase{" -$10", -16}, IntCase{"$", std::nullopt}, IntCase{"0x", std::nullopt},
        IntCase{"$G", std::nullopt}, IntCase{"0", 0},
        // 32-bit limits
        IntCase{"2147483647", 2147483647}, IntCase{"2147483648", std::nullopt},
        IntCase{"-2147483648", INT32_MIN}, IntCase{"-2147483649", std::nullopt},
        IntCase{"99999999999", std::nullopt}, IntCase{"$FFFFFFFF", -1}, IntCase{"$100000000", std::nullopt}));

TEST(IsIntInRange, BoundsAreInclusiveAndValueIsReported) {
    int32_t v = 0;
    EXPECT_TRUE(IsIntInRange("1", 1, 256, &v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(IsIntInRange("256", 1, 256));
    EXPECT_FALSE(IsIntInRange("0", 1, 256));
    EXPECT_FALSE(IsIntInRange("257", 1, 256));
    EXPECT_FALSE(IsIntInRange("", 0, 10));
}

}  // namespace
}  // namespace interlock
